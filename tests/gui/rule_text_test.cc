// The words of the optional rules: the rule that decided a call, the main
// screen's labels of the minutes and the window, and what the dialogs take.
#include "hushgate-gui/core/models/rule_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "hushgate-gui/core/kit/localization.h"
#include "hushgate-gui/core/screens/rule_dialogs.h"

namespace {

using gui::localizedString;

class RuleTextTest : public testing::Test {
 protected:
  void SetUp() override { gui::setLanguage("en"); }
};

TEST_F(RuleTextTest, FiredRules) {
  const PlaceLookup places = [](const std::string& code) {
    return code == "0755" ? std::string("深圳") : std::string();
  };
  struct Case {
    FiredRule rule;
    bool withPlaces;
    std::string expected;
  };
  const std::vector<Case> cases{
      {{RuleKind::kNone}, true, ""},
      {{RuleKind::kAreaCode, "0755", "深圳"}, false, "blocked by 0755 深圳"},
      {{RuleKind::kAreaCode, "0755"}, true, "blocked by 0755 深圳"},
      {{RuleKind::kMobileRegion, "0755"}, false, "blocked by 0755"},
      {{RuleKind::kMobileRegion, "0999"}, true, "blocked by 0999"},
      {{RuleKind::kBlacklist, "170*"}, true, "blacklist 170*"},
      {{RuleKind::kAllowlist, "138*", "", "12583?"},
       true,
       "allow-list 138* (prefix 12583? removed)"},
      {{RuleKind::kKeyword, "推销"}, true, "keyword 推销"},
      {{RuleKind::kRepeatedCall, "3"}, true, "called again within 3 minutes"},
      {{RuleKind::kUnknownNumber}, true, "no number"},
      {{RuleKind::kSystemBlocked}, true, "blocked by the system"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(gui::firedRuleText(c.rule, c.withPlaces ? places : PlaceLookup()), c.expected)
        << ruleKindName(c.rule.kind);
  }
}

TEST_F(RuleTextTest, HistoryRowsSayWhatLetACallThrough) {
  BlockRecord blocked;
  setBlockRecordRule(blocked, {RuleKind::kBlacklist, "170*"}, /*passed=*/false);
  BlockRecord passed;
  setBlockRecordRule(passed, {RuleKind::kMobileRegion, "0755", "深圳"}, /*passed=*/true);
  BlockRecord numberless;
  setBlockRecordRule(numberless, {RuleKind::kUnknownNumber}, /*passed=*/false);
  EXPECT_EQ(gui::historyRuleText(BlockRecord{}), "");
  EXPECT_EQ(gui::historyRuleText(numberless), "") << "the reason says it already";
  EXPECT_EQ(gui::historyRuleText(blocked), "blacklist 170*");
  EXPECT_EQ(gui::historyRuleText(passed), "let through: called again (blocked by 0755 深圳)");
}

TEST_F(RuleTextTest, LabelsOfTheMinutesAndTheWindow) {
  struct Case {
    Json pref;
    std::string minutes;
    std::string window;
  };
  const std::string off = localizedString("setting-reads-as-off");
  const std::vector<Case> cases{
      {Json::object(), "3 minutes", localizedString("no-config")},
      {{{"repeated-call-minutes", 1}, {"quiet-hours-start", "22:00"}, {"quiet-hours-end", "07:00"}},
       "1 minute",
       "22:00–07:00, every day"},
      {{{"repeated-call-minutes", 61},
        {"quiet-hours-start", "08:00"},
        {"quiet-hours-end", "18:00"},
        {"quiet-hours-days", {1, 2, 3, 4, 5}}},
       off,
       "08:00–18:00, Mon–Fri"},
      {{{"quiet-hours-start", "08:00"},
        {"quiet-hours-end", "18:00"},
        {"quiet-hours-days", {7, 1, 2, 4, 5, 6}}},
       "3 minutes",
       "08:00–18:00, Mon Tue Thu–Sun"},
      {{{"repeated-call-minutes", "5"},
        {"quiet-hours-start", "8:00"},
        {"quiet-hours-end", "18:00"}},
       off,
       off},
      {{{"quiet-hours-start", "08:00"}, {"quiet-hours-end", "18:00"}, {"quiet-hours-days", {}}},
       "3 minutes",
       off},
      {Json::array(), "3 minutes", localizedString("no-config")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(gui::repeatedCallMinutesText(c.pref), c.minutes) << c.pref;
    EXPECT_EQ(gui::quietHoursText(c.pref), c.window) << c.pref;
  }
}

TEST_F(RuleTextTest, WhatTheDialogsTake) {
  struct MinutesCase {
    std::string input;
    std::optional<int> expected;
  };
  for (const MinutesCase& c : std::vector<MinutesCase>{{"3", 3},
                                                       {" 60 ", 60},
                                                       {"1", 1},
                                                       {"0", {}},
                                                       {"61", {}},
                                                       {"", {}},
                                                       {"5m", {}},
                                                       {"-5", {}}}) {
    EXPECT_EQ(gui::repeatedCallMinutesFromInput(c.input), c.expected) << '"' << c.input << '"';
  }

  struct WindowCase {
    std::string start, end, days;
    std::optional<std::string> expectedDays;  // nullopt: refused
  };
  for (const WindowCase& c : std::vector<WindowCase>{
           {"22:00", "07:00", "1234567", "1234567"},
           {" 08:30", "18:00 ", "5, 1 3", "135"},
           {"08:00", "08:00", "7", "7"},
           {"8:00", "18:00", "1", std::nullopt},
           {"24:00", "18:00", "1", std::nullopt},
           {"08:00", "18:00", "", std::nullopt},
           {"08:00", "18:00", "18", std::nullopt},
           {"08:00", "18:00", "Mon", std::nullopt},
       }) {
    const std::optional<QuietHours> window = gui::quietHoursFromInput(c.start, c.end, c.days);
    ASSERT_EQ(window.has_value(), c.expectedDays.has_value()) << c.start << " " << c.days;
    if (window) {
      EXPECT_EQ(gui::weekdaysText(window->days), *c.expectedDays);
    }
  }
}

}  // namespace
