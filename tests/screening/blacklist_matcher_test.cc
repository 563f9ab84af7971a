#include "statics/screening/blacklist_matcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "statics/screening/unicode_text.h"
#include "tests/screening/icu_reference.h"

namespace {

struct MatchCase {
  const char* expression;
  const char* number;
  bool matches;
};

// Each row states what ICU answers; the row is checked against ICU itself
// and against the matcher.
const MatchCase kCases[] = {
    {R"(^138\d*$)", "138", true},
    {R"(^138\d*$)", "13800138000", true},
    {R"(^138\d*$)", "1380013800a", false},
    {R"(^138\d*$)", "+8613800138000", false},
    {R"(^1\d2$)", "112", true},
    {R"(^1\d2$)", "12", false},
    {R"(^1\d2$)", "1112", false},
    {R"(^\d*$)", "", true},
    {R"(^$)", "", true},
    {R"(^$)", "1", false},
    // "$" also matches before one line terminator at the very end.
    {R"(^10086$)", "10086\n", true},
    {R"(^10086$)", "10086\r", true},
    {R"(^10086$)", "10086\r\n", true},
    {R"(^10086$)", "10086\v", true},
    {R"(^10086$)", "10086\f", true},
    {"^10086$", "10086\xc2\x85", true},
    {"^10086$", "10086\xe2\x80\xa8", true},
    {"^10086$", "10086\xe2\x80\xa9", true},
    {R"(^10086$)", "10086\n\n", false},
    {R"(^10086$)", "10086\n\r", false},
    {R"(^10086$)", "10086 ", false},
    {R"(^10086$)", "10086\t", false},
    {R"(^$)", "\n", true},
    {R"(^$)", "\r\n", true},
    {R"(^\d*$)", "123\r\n", true},
    // A quoted "\r" before a closing "\r\n" leaves "\n", which is the end of
    // a "\r\n": "$" does not match there.
    {"^\\Q1\r\\E$", "1\r\n", false},
    {"^\\Q1\r\\E$", "1\r", true},
    {"^\\Q1\n\\E$", "1\n", true},
    {"^\\Q1\n\\E$", "1\n\n", true},
    // "\d" is any Nd character; literal digits match only themselves.
    {R"(^\d$)", "\xd9\xa5", true},             // Arabic-Indic five
    {R"(^\d$)", "\xef\xbc\x95", true},         // fullwidth five
    {R"(^\d$)", "\xf0\x9d\x9f\x93", true},     // mathematical bold five
    {R"(^\d\d$)", "\xf0\x9d\x9f\x93", false},  // one character, two UTF-16 units
    {R"(^\d$)", "\xc2\xb2", false},            // superscript two is not Nd
    {R"(^5$)", "\xef\xbc\x95", false},
    {R"(^\d*$)",
     "\xe0\xa5\xa7\xe0\xa5\xa8"
     "3",
     true},  // Devanagari digits and 3
    {"^\\Q\xf0\x9d\x9f\x93\\E$", "\xf0\x9d\x9f\x93", true},
    {R"(^\+86\d*$)", "+8613800138000", true},
    {R"(^\Q+86 138\E\d*$)", "+86 13800138000", true},
    {R"(^\Q+86 138\E\d*$)", "+86 1380013800a", false},
};

TEST(BlacklistMatcherTest, SemanticsOfOneExpression) {
  for (const MatchCase& c : kCases) {
    const std::vector<icu::UnicodeString> list = {toUnicode(c.expression)};
    const icu::UnicodeString number = toUnicode(c.number);
    SCOPED_TRACE(std::string(c.expression) + " on " + c.number);
    EXPECT_EQ(icuFindsAny(list, number), c.matches) << "ICU";
    const BlacklistMatcher matcher(list);
    EXPECT_EQ(matcher.automatonEntryCount(), 1u);
    EXPECT_EQ(matcher.matches(number), c.matches) << "matcher";
  }
}

TEST(BlacklistMatcherTest, SortsEntriesIntoAutomatonAndIcu) {
  const std::vector<icu::UnicodeString> list = {u"^138\\d*$", u"^1(", u"95555",  u"^\\Q10086\\E$",
                                                u"^1[0-9]+$", u"[",   u"^\\d*5$"};
  const BlacklistMatcher matcher(list);
  EXPECT_EQ(matcher.automatonEntryCount(), 3u);
  EXPECT_EQ(matcher.icuEntryCount(), 2u);  // the two that do not compile are left out
  const struct {
    const char16_t* number;
    bool matches;
  } cases[] = {
      {u"13800138000", true}, {u"0095555123", true}, {u"10086", true},
      {u"10086a", false},     {u"19", true},         {u"1", false},
      {u"4005", true},        {u"", false},          {u"a", false},
  };
  for (const auto& c : cases) {
    const icu::UnicodeString number(c.number);
    EXPECT_EQ(matcher.matches(number), c.matches) << toUtf8(number);
    EXPECT_EQ(icuFindsAny(list, number), c.matches) << toUtf8(number);
  }
}

TEST(BlacklistMatcherTest, EmptyMatchesNothing) {
  EXPECT_FALSE(BlacklistMatcher().matches(u""));
  EXPECT_FALSE(BlacklistMatcher(std::vector<icu::UnicodeString>{}).matches(u"1"));
  EXPECT_FALSE(BlacklistMatcher({u"(", u"[a-"}).matches(u"1"));
}

TEST(BlacklistMatcherTest, LoneSurrogateLeftByAPrefixCut) {
  // Cutting one unit off a supplementary digit leaves a lone trail surrogate,
  // which is neither a digit nor any literal.
  icu::UnicodeString number = toUnicode(
      "\xf0\x9d\x9f\x93"
      "1");
  number.remove(0, 1);
  const std::vector<icu::UnicodeString> lists[] = {{u"^\\d*$"}, {u"^\\d\\d$"}, {u"^\\d*1$"}};
  for (const auto& list : lists) {
    EXPECT_EQ(BlacklistMatcher(list).matches(number), icuFindsAny(list, number));
  }
}

}  // namespace

namespace {

// Entries that begin alike share their states, in any order and repeated;
// every entry still matches what it matched alone.
TEST(BlacklistAutomatonTest, EntriesShareTheirCommonBeginning) {
  const struct {
    std::vector<const char*> expressions;
    size_t states;
  } cases[] = {
      {{}, 0},
      {{R"(^$)"}, 1},
      {{R"(^138$)", R"(^138$)"}, 4},
      {{R"(^1380$)", R"(^138\d*$)", R"(^138$)", R"(^138\d$)", R"(^1380$)"}, 7},
      {{R"(^2\d1$)", R"(^1\d1$)", R"(^1\d2$)", R"(^1\d*1$)"}, 10},
  };
  for (const auto& c : cases) {
    std::vector<std::vector<BlacklistAtom>> entries;
    for (const char* expression : c.expressions) {
      entries.push_back(*parseBlacklistExpression(icu::UnicodeString::fromUTF8(expression)));
    }
    const BlacklistAutomaton automaton(entries);
    EXPECT_EQ(automaton.stateCount(), c.states) << c.expressions.size();
    for (const char* expression : c.expressions) {
      const BlacklistAutomaton alone(
          {*parseBlacklistExpression(icu::UnicodeString::fromUTF8(expression))});
      for (const char* number : {"", "138", "1380", "1381", "13800", "121", "2012", "1001"}) {
        const icu::UnicodeString text = icu::UnicodeString::fromUTF8(number);
        if (alone.matches(text)) {
          EXPECT_TRUE(automaton.matches(text)) << expression << " " << number;
        }
      }
    }
  }
}

}  // namespace
