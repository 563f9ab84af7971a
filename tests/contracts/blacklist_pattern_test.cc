#include "statics/contracts/blacklist_pattern.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include <unicode/unistr.h>

namespace {

BlacklistAtom lit(UChar32 c) {
  return {BlacklistAtom::kLiteral, c};
}
const BlacklistAtom kD{BlacklistAtom::kDigit, 0};
const BlacklistAtom kRun{BlacklistAtom::kDigitRun, 0};

std::optional<std::vector<BlacklistAtom>> parse(const std::string& expression) {
  return parseBlacklistExpression(icu::UnicodeString::fromUTF8(expression));
}

TEST(BlacklistExpressionTest, InsideTheGrammar) {
  const struct {
    const char* expression;
    std::vector<BlacklistAtom> atoms;
  } cases[] = {
      {R"(^$)", {}},
      {R"(^\d*$)", {kRun}},
      {R"(^138\d*$)", {lit('1'), lit('3'), lit('8'), kRun}},
      {R"(^1\d*2\d$)", {lit('1'), kRun, lit('2'), kD}},
      {R"(^\d*\d*$)", {kRun, kRun}},
      {R"(^\+86\d$)", {lit('+'), lit('8'), lit('6'), kD}},
      {R"(^\Q+86 1\E\d*$)", {lit('+'), lit('8'), lit('6'), lit(' '), lit('1'), kRun}},
      {R"(^\Q\E$)", {}},
      {R"(^\Q$^*\d\E$)", {lit('$'), lit('^'), lit('*'), lit('\\'), lit('d')}},
      {R"(^\Q1\E\Q2\E$)", {lit('1'), lit('2')}},
      {R"(^\-\ \#\~\$$)", {lit('-'), lit(' '), lit('#'), lit('~'), lit('$')}},
      {"^a-#\xe5\xb9\xbf$", {lit('a'), lit('-'), lit('#'), lit(0x5e7f)}},
      {"^\xf0\x9d\x9f\x8f$", {lit(0x1d7cf)}},  // a supplementary character
  };
  for (const auto& c : cases) {
    const auto atoms = parse(c.expression);
    ASSERT_TRUE(atoms.has_value()) << c.expression;
    EXPECT_EQ(*atoms, c.atoms) << c.expression;
  }
}

TEST(BlacklistExpressionTest, OutsideTheGrammar) {
  const char* const cases[] = {
      "",         "^",
      "$",        "138",
      "^138",     "138$",
      "^138$1",   "^13.$",
      "^1|2$",    "^[0-9]$",
      "^\\d+$",   "^\\d{3}$",
      "^\\d?$",   "^\\d*?$",
      "^\\d*+$",  "^1*$",
      "^(1)$",    "^\\D$",
      "^\\w$",    "^\\s$",
      "^\\1$",    "^\\u0031$",
      "^\\x31$",  "^\\Q1$",
      "^\\$",     "^\\",
      "^\\E$",    "^1\\z",
      "^1$$",     "^^1$",
      "^\t$",     "^\x7f$",
      "^}$",      "^]$",
      "^(?=1)1$", "^\\Q1\\E*$",
      "^\\+*$",   "^\\\xe5\xb9\xbf$",
  };
  for (const char* expression : cases) {
    EXPECT_FALSE(parse(expression).has_value()) << expression;
  }
}

TEST(BlacklistExpressionTest, DecimalDigits) {
  for (UChar32 c : {U'0', U'9', U'\u0660', U'\u06F5', U'\u0966', U'\uFF10', U'\uFF19',
                    U'\U0001D7CE', U'\U000104A0'}) {
    EXPECT_TRUE(isDecimalDigit(c)) << c;
  }
  for (UChar32 c : {UChar32{'a'}, UChar32{'/'}, UChar32{':'}, UChar32{0xB2}, UChar32{0x2460},
                    UChar32{0x4E00}, UChar32{0x2163}, UChar32{0xD835}}) {
    EXPECT_FALSE(isDecimalDigit(c)) << c;
  }
}

}  // namespace

namespace {

// What the editors store: the expression of each pattern, and its reading
// back into the grammar's atoms.
TEST(PatternExpressionTest, BuildersWriteTheGrammar) {
  const struct {
    const char* pattern;
    const char* blacklist;
    const char* prefix;
  } cases[] = {
      {"138*", R"(^138\d*$)", R"(^138\*\d+)"},      {"12583?", R"(^12583\d$)", R"(^12583\d\d+)"},
      {"1**2?", R"(^1\d*2\d$)", R"(^1\*\*2\d\d+)"}, {"", "^$", R"(^\d+)"},
      {"+86 1", R"(^\+86\ 1$)", R"(^\+86\ 1\d+)"},  {"中\t", "^中\\Q\t\\E$", "^中\\Q\t\\E\\d+"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(blacklistExpression(c.pattern), c.blacklist) << c.pattern;
    EXPECT_EQ(prefixExpression(c.pattern), c.prefix) << c.pattern;
    EXPECT_TRUE(parseBlacklistExpression(icu::UnicodeString::fromUTF8(c.blacklist))) << c.pattern;
  }
}

}  // namespace
