#include "hushgate-gui/core/models/url_command.h"

#include <gtest/gtest.h>
#include <unicode/regex.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <cctype>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "gui/support/gui_test.h"
#include "hushgate-gui/core/screens/AppDelegate.h"
#include "statics/Preference.h"
#include "statics/json_document.h"

namespace {

using gui::blacklistExpressionForNumber;
using nlohmann::json;

constexpr char kPrefPath[] = "/var/mobile/hushgate/hushgate-pref.json";
constexpr char kPhone[] = "com.apple.mobilephone";

// ---- Oracles

bool isWellFormedUtf8(const std::string& text) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  for (int32_t i = 0, n = static_cast<int32_t>(text.size()); i < n;) {
    UChar32 c;
    U8_NEXT(bytes, i, n, c);
    if (c < 0) return false;
  }
  return true;
}

// Whether ICU finds expression in text, as the screening searches a number.
bool icuFinds(const std::string& expression, const std::string& text) {
  UErrorCode status = U_ZERO_ERROR;
  UParseError parseError;
  std::unique_ptr<icu::RegexPattern> pattern(
      icu::RegexPattern::compile(icu::UnicodeString::fromUTF8(expression), 0, parseError, status));
  EXPECT_TRUE(U_SUCCESS(status)) << "does not compile: " << expression;
  if (U_FAILURE(status)) return false;
  const icu::UnicodeString input = icu::UnicodeString::fromUTF8(text);
  std::unique_ptr<icu::RegexMatcher> matcher(pattern->matcher(input, status));
  const bool found = matcher->find(status);
  EXPECT_TRUE(U_SUCCESS(status));
  return found;
}

// The number as the screening sees it: a leading "+86" removed.
std::string withoutCountryCode(const std::string& number) {
  return number.rfind("+86", 0) == 0 ? number.substr(3) : number;
}

// What a pattern means: "*" any run of ASCII digits, "?" one digit, every
// other byte itself. Texts under test use ASCII digits only.
bool globMatches(const std::string& pattern, size_t p, const std::string& text, size_t t) {
  if (p == pattern.size()) return t == text.size();
  if (pattern[p] == '*') {
    for (size_t end = t;; ++end) {
      if (globMatches(pattern, p + 1, text, end)) return true;
      if (end == text.size() || text[end] < '0' || text[end] > '9') return false;
    }
  }
  if (t == text.size()) return false;
  if (pattern[p] == '?') {
    return text[t] >= '0' && text[t] <= '9' && globMatches(pattern, p + 1, text, t + 1);
  }
  return pattern[p] == text[t] && globMatches(pattern, p + 1, text, t + 1);
}

// The grammar that the screening runs without ICU: "^", then "\d", "\d*",
// "\X" (X ASCII punctuation), "\Q...\E" or a literal code point that is no
// ASCII metacharacter and no control character, then "$".
bool isInFastGrammar(const std::string& expression) {
  const std::string meta = "\\^$.|?*+()[]{}";
  if (expression.size() < 2 || expression.front() != '^' || expression.back() != '$') return false;
  const std::string body = expression.substr(1, expression.size() - 2);
  for (size_t i = 0; i < body.size();) {
    const unsigned char c = body[i];
    if (c != '\\') {
      if (c < 0x20 || c == 0x7f || (c < 0x80 && meta.find(static_cast<char>(c)) != meta.npos)) {
        return false;
      }
      ++i;
      continue;
    }
    if (i + 1 >= body.size()) return false;
    const char e = body[i + 1];
    if (e == 'd') {
      i += (i + 2 < body.size() && body[i + 2] == '*') ? 3 : 2;
    } else if (e == 'Q') {
      const size_t end = body.find("\\E", i + 2);
      if (end == std::string::npos) return false;
      i = end + 2;
    } else if (e >= 0x20 && e < 0x7f && !std::isalnum(static_cast<unsigned char>(e))) {
      i += 2;
    } else {
      return false;
    }
  }
  return true;
}

// ---- The expression

TEST(BlacklistExpressionTest, WildcardsAndQuoting) {
  const std::pair<std::string, std::string> cases[] = {
      {"138*", R"(^138\d*$)"},
      {"1380013800?", R"(^1380013800\d$)"},
      {"1????5", R"(^1\d\d\d\d5$)"},
      {"*", R"(^\d*$)"},
      {"1**2", R"(^1\d*2$)"},
      {"+8613800138000", "^13800138000$"},
      {"+86*", R"(^\d*$)"},
      {"+8", R"(^\+8$)"},
      {"86+1", R"(^86\+1$)"},
      {"+1 (555) 010-9999", R"(^\+1\ \(555\)\ 010\-9999$)"},
      {".*", R"(^\.\d*$)"},
      {"a|b[0-9]{2}$^", R"(^a\|b\[0\-9\]\{2\}\$\^$)"},
      {R"(\E\Q\d)", R"(^\\E\\Q\\d$)"},
      {"中国移动", "^中国移动$"},
      {std::string("1\0\n2", 4), std::string("^1\\Q\0\n\\E2$", 10)},
  };
  for (const auto& [number, expression] : cases) {
    EXPECT_EQ(blacklistExpressionForNumber(number), expression) << number;
  }
}

// Every expression blocks exactly the numbers its pattern names, in ICU's
// reading, and stays in the grammar that the screening runs without ICU.
TEST(BlacklistExpressionTest, MatchesExactlyWhatThePatternNames) {
  const std::vector<std::string> alphabet = {"0",
                                             "1",
                                             "3",
                                             "8",
                                             "*",
                                             "?",
                                             "+",
                                             "86",
                                             "+86",
                                             ".",
                                             "|",
                                             "(",
                                             ")",
                                             "[",
                                             "]",
                                             "{",
                                             "}",
                                             "^",
                                             "$",
                                             "\\",
                                             "\\E",
                                             "\\Q",
                                             "-",
                                             " ",
                                             "#",
                                             "/",
                                             "a",
                                             "Z",
                                             "中",
                                             "\t",
                                             std::string(1, '\0'),
                                             "\n",
                                             "\x7f",
                                             "\xC2\x85"};
  const std::vector<std::string> noise = {"0", "7", "x", ".", "+", "\\", " ", "中", "*", "?"};
  std::mt19937 random(20240611);
  auto pick = [&](const std::vector<std::string>& from) {
    return from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(random)];
  };
  for (int round = 0; round < 400; ++round) {
    std::string number;
    const int length = std::uniform_int_distribution<int>(1, 8)(random);
    for (int i = 0; i < length; ++i) number += pick(alphabet);
    const std::string expression = blacklistExpressionForNumber(number);
    EXPECT_TRUE(isInFastGrammar(expression)) << expression;
    const std::string pattern = withoutCountryCode(number);
    for (int sample = 0; sample < 12; ++sample) {
      // A number the pattern names: wildcards filled with digits.
      std::string text;
      for (const char c : pattern) {
        if (c == '*') {
          const int run = std::uniform_int_distribution<int>(0, 3)(random);
          for (int k = 0; k < run; ++k) text += static_cast<char>('0' + random() % 10);
        } else if (c == '?') {
          text += static_cast<char>('0' + random() % 10);
        } else {
          text += c;
        }
      }
      // Sometimes one it may not name: a byte changed, dropped or added.
      if (sample % 2 == 1 && !text.empty()) {
        const size_t at = random() % text.size();
        switch (random() % 3) {
          case 0:
            text.insert(at, pick(noise));
            break;
          case 1:
            text.erase(at, 1);
            break;
          default:
            text.replace(at, 1, pick(noise));
            break;
        }
      }
      // A cut character is no number that a call carries.
      if (!isWellFormedUtf8(text)) continue;
      EXPECT_EQ(icuFinds(expression, text), globMatches(pattern, 0, text, 0))
          << "number \"" << number << "\" expression \"" << expression << "\" text \"" << text
          << "\"";
    }
  }
}

// ---- The command

class URLCommandTest : public gui_testing::GuiTest {
 protected:
  json& pref() { return Preference::sharedInstance().pref(); }
  json savedDocument() const { return parseJsonDocument(root_.read(kPrefPath)).value_or(json()); }
  void open(const std::string& url) {
    gui::AppDelegate delegate;
    EXPECT_TRUE(delegate.openURL(url, json::object()));
  }
};

TEST_F(URLCommandTest, AddsTheEntrySavesAndReturnsToTheCallerAfterSixTenths) {
  open(
      "hushgate://add_to_blacklist/"
      "?from=com.apple.mobilephone&number=138*&label=%E5%B9%BF%E5%91%8A");
  const json expected = json::array({"138*", R"(^138\d*$)", "广告"});
  ASSERT_TRUE(pref()["blacklist"].is_array());
  EXPECT_EQ(pref()["blacklist"].back(), expected);
  const json saved = savedDocument();
  ASSERT_TRUE(saved.is_object()) << root_.read(kPrefPath);
  EXPECT_EQ(saved["blacklist"].back(), expected);
  EXPECT_TRUE(saved.contains("version"));

  EXPECT_EQ(mainQueue().pendingDelays(), std::vector<double>{0.6});
  mainQueue().advanceBy(0.59);
  EXPECT_TRUE(presenter_.openedApplications.empty());
  mainQueue().advanceBy(0.01);
  EXPECT_EQ(presenter_.openedApplications, std::vector<std::string>{kPhone});
  EXPECT_TRUE(presenter_.alerts.empty());
}

TEST_F(URLCommandTest, ADocumentWithoutAListGetsOneHoldingOnlyTheEntry) {
  for (const char* document :
       {R"({"enabled":true})", R"({"blacklist":"oops"})", R"({"blacklist":{"a":1}})"}) {
    Preference::resetSharedInstanceForTesting();
    root_.write(kPrefPath, document);
    open("hushgate://add_to_blacklist/?number=10086");
    EXPECT_EQ(savedDocument()["blacklist"], json::array({json::array({"10086", "^10086$", ""})}))
        << document;
  }
}

TEST_F(URLCommandTest, AListedNumberIsNotAddedOrSavedButTheReturnStillHappens) {
  root_.write(kPrefPath, R"({"blacklist":[5,[],[7],["138*","^138\\d*$","old"],["x","^x$","z"]]})");
  const json before = pref()["blacklist"];
  const std::string bytes = root_.read(kPrefPath);
  open("hushgate://add_to_blacklist/?from=com.apple.mobilephone&number=138*&label=new");
  EXPECT_EQ(pref()["blacklist"], before);
  EXPECT_EQ(root_.read(kPrefPath), bytes) << "saved although nothing changed";
  mainQueue().runAll();
  EXPECT_EQ(presenter_.openedApplications, std::vector<std::string>{kPhone});
}

TEST_F(URLCommandTest, NumbersAreComparedAsExactText) {
  root_.write(kPrefPath, R"({"blacklist":[["138*","^138\\d*$",""]]})");
  for (const char* number : {"138?", "%2B86138*", "1380*", "138*"}) {
    open(std::string("hushgate://add_to_blacklist/?number=") + number);
  }
  const json& list = pref()["blacklist"];
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[1][0], "138?");
  EXPECT_EQ(list[2][0], "+86138*");
  EXPECT_EQ(list[3][0], "1380*");
}

// Only what a phone number can be is taken; anything else is said and
// changes nothing.
TEST_F(URLCommandTest, WhatIsNoPhoneNumberIsRefusedAndChangesNothing) {
  const std::string before = R"({"blacklist":[["110","^110$",""]]})";
  for (const char* number :
       {"abc(", "1380013800x", "%2B", "%2B%2B1", "1%2B2", "138%20000", "%EF%BC%91", ".*", "%00"}) {
    root_.write(kPrefPath, before);
    Preference::resetSharedInstanceForTesting();
    const std::optional<AddToBlacklistRequest> request =
        parseAddToBlacklistURL(std::string("hushgate://add_to_blacklist/?number=") + number);
    ASSERT_TRUE(request.has_value()) << number;
    const gui::AddToBlacklistResult result = gui::addToBlacklist(*request);
    EXPECT_EQ(result.outcome, gui::AddToBlacklistResult::Outcome::kNotSaved) << number;
    EXPECT_FALSE(result.update) << number;
    EXPECT_NE(result.update.error().find(request->number), std::string::npos) << number;
    EXPECT_EQ(root_.read(kPrefPath), before) << number;
  }
  // Through the application the refusal is an alert.
  open("hushgate://add_to_blacklist/?number=abc(");
  ASSERT_EQ(presenter_.openAlertCount(), 1u);
}

TEST_F(URLCommandTest, WithoutANumberNothingIsStoredOrOpened) {
  for (const char* url :
       {"hushgate://add_to_blacklist/?from=com.apple.mobilephone",
        "hushgate://add_to_blacklist/?from=com.apple.mobilephone&number=",
        "hushgate://add_to_blacklist", "hushgate://other/?number=1&from=com.apple.mobilephone",
        "not a url", "hushgate://add_to_blacklist/?number=%zz&from=com.apple.mobilephone"}) {
    open(url);
  }
  EXPECT_FALSE(root_.exists(kPrefPath));
  EXPECT_EQ(mainQueue().pendingCount(), 0u);
  EXPECT_FALSE(pref().contains("blacklist"));
}

TEST_F(URLCommandTest, WithoutFromTheEntryIsStoredAndNothingOpened) {
  open("hushgate://add_to_blacklist/?number=95555");
  EXPECT_EQ(savedDocument()["blacklist"].back(), json::array({"95555", "^95555$", ""}));
  EXPECT_EQ(mainQueue().pendingCount(), 0u);
}

// Hostile URLs: whatever arrives, either exactly the right entry is stored or
// nothing, and the stored expression blocks the caller it was made for.
TEST_F(URLCommandTest, HostileNumbersStoreOnlyCorrectEntries) {
  const std::string longNumber(100000, '9');
  const std::string longStars(5000, '*');
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"%2B8613800138001", "+8613800138001"},
      {"1390013800%3F", "1390013800?"},
      {"%3F%3F%3F", "???"},
      {longNumber, longNumber},
      {longStars + "1", longStars + "1"},
  };
  for (const auto& [encoded, number] : cases) {
    Preference::resetSharedInstanceForTesting();
    std::filesystem::remove(root_.at(kPrefPath));
    open("hushgate://add_to_blacklist/?number=" + encoded + "&number=" + encoded + "&label=x");
    const json list = savedDocument()["blacklist"];
    ASSERT_EQ(list.size(), 1u) << encoded.substr(0, 20);
    ASSERT_EQ(list[0].size(), 3u);
    EXPECT_EQ(list[0][0], number);
    EXPECT_EQ(list[0][2], "x");
    const std::string expression = list[0][1].get<std::string>();
    EXPECT_TRUE(isInFastGrammar(expression)) << expression.substr(0, 40);
    const std::string pattern = withoutCountryCode(number);
    if (pattern.find_first_of("*?") == std::string::npos) {
      EXPECT_TRUE(icuFinds(expression, pattern)) << expression.substr(0, 40);
    }
    // Never a pattern that blocks every caller.
    EXPECT_FALSE(icuFinds(expression, "13800138000")) << expression.substr(0, 40);
  }
}

TEST_F(URLCommandTest, ANumberFromTheRecentsListBlocksThatCaller) {
  open("hushgate://add_to_blacklist/?from=com.apple.mobilephone&number=%2B8613800138000&label=");
  const json entry = savedDocument()["blacklist"].back();
  EXPECT_EQ(entry[0], "+8613800138000");
  const std::string expression = entry[1].get<std::string>();
  EXPECT_TRUE(icuFinds(expression, withoutCountryCode("+8613800138000")));
  EXPECT_FALSE(icuFinds(expression, "13800138001"));
}

TEST_F(URLCommandTest, DelegateAnswersYesToEverything) {
  gui::AppDelegate delegate;
  EXPECT_TRUE(delegate.didFinishLaunchingWithOptions(json::object()));
  EXPECT_TRUE(delegate.openURL("", json()));
  EXPECT_TRUE(delegate.openURL("%%%", json()));
  EXPECT_TRUE(delegate.openURL("hushgate://elsewhere", json()));
  EXPECT_FALSE(root_.exists(kPrefPath));
}

}  // namespace
