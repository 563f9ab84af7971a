// The optional rules: the allow-list's place in the order, the rule each
// verdict names, the repeated-call allowance and quiet hours.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "statics/screening/screening.h"
#include "tests/screening/screening_fakes.h"

namespace {

Json rulesWith(const char* patch) {
  Json pref = Json::parse(R"({
    "enabled": true, "bypass-contacts-enabled": true, "block-unknown-enabled": true,
    "ignored-prefixes": [["12583?", "^12583\\d\\d+", ""]],
    "blocked-cities-flattened": ["010", "0755"],
    "mobile-blocked-cities-flattened": ["0571"],
    "blacklist": [["170*", "^170\\d*$", ""], ["400*", "^400\\d*$", ""]],
    "keywords": ["广告"]
  })");
  pref.merge_patch(Json::parse(patch));
  return pref;
}

// Monday 12:00 local; blocks looked up in lastBlocks.
struct Judge {
  RecordingLookups lookups;
  std::map<std::string, int64_t> lastBlocks;
  CallMoment moment{1000000, 1, 12 * 60};

  ScreeningResult screen(const IncomingCallInfo& call, const Json& pref) {
    lookups.regions = {{"13912345678", "0571"}};
    lookups.labels = {{"8613800138000", "广告推销"}};
    ScreeningContext context;
    context.regionLookup = lookups.region();
    context.labelLookup = lookups.label();
    context.placeLookup = [](const std::string& code) {
      return code == "0755" ? std::string("深圳") : std::string();
    };
    context.lastBlockLookup = [this](const std::string& number) -> std::optional<int64_t> {
      const auto it = lastBlocks.find(number);
      if (it == lastBlocks.end()) return std::nullopt;
      return it->second;
    };
    context.moment = moment;
    return screenIncomingCall(call, ScreeningRules(pref), context);
  }
};

IncomingCallInfo call(const char* number, bool systemBlocked = false) {
  IncomingCallInfo info;
  info.number = number;
  info.systemBlocked = systemBlocked;
  return info;
}

constexpr char kAllowAll[] = R"({"allowlist": [["*", "^\\d*$", ""]]})";

TEST(OptionalRulesTest, AllowListPlaceInTheOrderAndTheRuleNamed) {
  struct Case {
    const char* name;
    const char* number;
    bool systemBlocked;
    const char* patch;
    BlockReason reason;
    RuleKind kind;
    const char* value;
    const char* place;
    const char* cutPrefix;
  };
  const Case cases[] = {
      {"allow beats a landline area code", "075512345678", false, kAllowAll, BlockReasonNone,
       RuleKind::kAllowlist, "*", "", ""},
      {"allow beats a mobile region", "13912345678", false, kAllowAll, BlockReasonNone,
       RuleKind::kAllowlist, "*", "", ""},
      {"allow beats the blacklist", "1701234", false, kAllowAll, BlockReasonNone,
       RuleKind::kAllowlist, "*", "", ""},
      {"allow beats a keyword", "13800138000", false, kAllowAll, BlockReasonNone,
       RuleKind::kAllowlist, "*", "", ""},
      {"allow beats the unknown-number rule", "", false, kAllowAll, BlockReasonNone,
       RuleKind::kAllowlist, "*", "", ""},
      {"system-blocked beats allow", "13912345678", true, kAllowAll, BlockReasonSystem,
       RuleKind::kSystemBlocked, "", "", ""},
      {"allow after +86 and prefix removal", "+861258311701234", false,
       R"({"allowlist": [["1701234", "^1701234$", ""]]})", BlockReasonNone, RuleKind::kAllowlist,
       "1701234", "", "12583?"},
      {"allow of the number as dialled", "125831170555", false,
       R"({"allowlist": [["12583*", "^12583\\d*$", ""]]})", BlockReasonNone, RuleKind::kAllowlist,
       "12583*", "", ""},
      {"the first allow entry in list order is named", "1701234", false,
       R"({"allowlist": [["1?01234", "^1\\d01234$", ""], ["170*", "^170\\d*$", ""]]})",
       BlockReasonNone, RuleKind::kAllowlist, "1?01234", "", ""},
      {"an allow entry that does not compile is skipped", "1701234", false,
       R"({"allowlist": [["x", "^(", ""]]})", BlockReasonBlacklist, RuleKind::kBlacklist, "170*",
       "", ""},
      {"area code with its place", "075512345678", false, "{}", BlockReasonLandline,
       RuleKind::kAreaCode, "0755", "深圳", ""},
      {"mobile region", "13912345678", false, "{}", BlockReasonMobile, RuleKind::kMobileRegion,
       "0571", "", ""},
      {"blacklist entry after the cut prefix", "125831400123", false, "{}", BlockReasonBlacklist,
       RuleKind::kBlacklist, "400*", "", "12583?"},
      {"keyword", "13800138000", false, "{}", BlockReasonKeyword, RuleKind::kKeyword, "广告", "",
       ""},
      {"unknown number", "", false, "{}", BlockReasonUnknownNumber, RuleKind::kUnknownNumber, "",
       "", ""},
      {"nothing decided", "13700000000", false, "{}", BlockReasonNone, RuleKind::kNone, "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Judge judge;
    const ScreeningResult result =
        judge.screen(call(c.number, c.systemBlocked), rulesWith(c.patch));
    EXPECT_EQ(result.reason, c.reason);
    EXPECT_EQ(result.rule, (FiredRule{c.kind, c.value, c.place, c.cutPrefix}));
  }
}

// The rule an explanation names is enough: a document with only that rule
// (and the switches) gives the same verdict.
TEST(OptionalRulesTest, NamedRuleAloneReproducesTheVerdict) {
  const char* numbers[] = {"075512345678", "13912345678", "1701234",    "125831400123",
                           "13800138000",  "01012345678", "13700000000"};
  for (const char* number : numbers) {
    SCOPED_TRACE(number);
    Judge judge;
    const Json full = rulesWith("{}");
    const ScreeningResult result = judge.screen(call(number), full);
    Json alone = rulesWith(
        R"({"blocked-cities-flattened": [], "mobile-blocked-cities-flattened": [],
            "blacklist": [], "keywords": []})");
    switch (result.rule.kind) {
      case RuleKind::kAreaCode:
        alone["blocked-cities-flattened"] = {result.rule.value};
        break;
      case RuleKind::kMobileRegion:
        alone["mobile-blocked-cities-flattened"] = {result.rule.value};
        break;
      case RuleKind::kKeyword:
        alone["keywords"] = {result.rule.value};
        break;
      case RuleKind::kBlacklist:
        for (const Json& entry : full["blacklist"]) {
          if (entry[0] == result.rule.value) alone["blacklist"] = Json::array({entry});
        }
        break;
      default:
        break;
    }
    EXPECT_EQ(judge.screen(call(number), alone).reason, result.reason);
  }
}

TEST(OptionalRulesTest, RepeatedCallAllowance) {
  constexpr char kOn[] = R"({"repeated-call-enabled": true, "repeated-call-minutes": 3})";
  struct Case {
    const char* name;
    const char* number;
    const char* patch;
    std::optional<int64_t> secondsSinceBlock;
    BlockReason reason;
    BlockReason overruled;
  };
  const Case cases[] = {
      {"region call again within the minutes passes", "13912345678", kOn, 60, BlockReasonNone,
       BlockReasonMobile},
      {"exactly at the edge passes", "13912345678", kOn, 180, BlockReasonNone, BlockReasonMobile},
      {"one second past the edge is blocked", "13912345678", kOn, 181, BlockReasonMobile,
       BlockReasonNone},
      {"no earlier block", "13912345678", kOn, std::nullopt, BlockReasonMobile, BlockReasonNone},
      {"a block dated after the call does not count", "13912345678", kOn, -5, BlockReasonMobile,
       BlockReasonNone},
      {"keyword call again passes", "13800138000", kOn, 10, BlockReasonNone, BlockReasonKeyword},
      {"landline call again passes", "075512345678", kOn, 10, BlockReasonNone, BlockReasonLandline},
      {"the blacklist stays absolute", "1701234", kOn, 10, BlockReasonBlacklist, BlockReasonNone},
      {"an unknown number stays blocked", "", kOn, 10, BlockReasonUnknownNumber, BlockReasonNone},
      {"switched off", "13912345678", R"({"repeated-call-minutes": 3})", 10, BlockReasonMobile,
       BlockReasonNone},
      {"absent minutes mean 3", "13912345678", R"({"repeated-call-enabled": true})", 170,
       BlockReasonNone, BlockReasonMobile},
      {"minutes out of range read as off", "13912345678",
       R"({"repeated-call-enabled": true, "repeated-call-minutes": 61})", 10, BlockReasonMobile,
       BlockReasonNone},
      {"minutes of the wrong type read as off", "13912345678",
       R"({"repeated-call-enabled": true, "repeated-call-minutes": "3"})", 10, BlockReasonMobile,
       BlockReasonNone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Judge judge;
    if (c.secondsSinceBlock) judge.lastBlocks[c.number] = judge.moment.date - *c.secondsSinceBlock;
    const ScreeningResult result = judge.screen(call(c.number), rulesWith(c.patch));
    EXPECT_EQ(result.reason, c.reason);
    EXPECT_EQ(result.overruledReason, c.overruled);
    if (c.overruled != BlockReasonNone) {
      EXPECT_EQ(result.rule.kind, RuleKind::kRepeatedCall);
    }
  }
}

TEST(OptionalRulesTest, QuietHours) {
  struct Case {
    const char* name;
    const char* window;  // merged into the rules
    int weekday;
    int minute;
    bool screened;
  };
  constexpr char kNight[] =
      R"({"quiet-hours-enabled": true, "quiet-hours-start": "22:00", "quiet-hours-end": "07:00",
          "quiet-hours-days": [5]})";
  const Case cases[] = {
      {"inside, before midnight", kNight, 5, 23 * 60, true},
      {"inside, after midnight on the next day", kNight, 6, 6 * 60 + 59, true},
      {"the end is outside", kNight, 6, 7 * 60, false},
      {"the start is inside", kNight, 5, 22 * 60, true},
      {"a day the window does not begin", kNight, 4, 23 * 60, false},
      {"after midnight following an unlisted day", kNight, 5, 60, false},
      {"a daytime window", R"({"quiet-hours-enabled": true, "quiet-hours-start": "09:00",
          "quiet-hours-end": "18:00"})",
       3, 12 * 60, true},
      {"outside a daytime window", R"({"quiet-hours-enabled": true,
          "quiet-hours-start": "09:00", "quiet-hours-end": "18:00"})",
       3, 18 * 60, false},
      {"start equal to end is the whole day", R"({"quiet-hours-enabled": true,
          "quiet-hours-start": "08:00", "quiet-hours-end": "08:00"})",
       2, 3, true},
      {"a bad time reads as off", R"({"quiet-hours-enabled": true, "quiet-hours-start": "24:00",
          "quiet-hours-end": "07:00"})",
       3, 12 * 60, true},
      {"bad days read as off", R"({"quiet-hours-enabled": true, "quiet-hours-start": "22:00",
          "quiet-hours-end": "07:00", "quiet-hours-days": [0]})",
       3, 12 * 60, true},
      {"switched off", R"({"quiet-hours-start": "22:00", "quiet-hours-end": "07:00"})", 3, 12 * 60,
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Judge judge;
    judge.moment.weekday = c.weekday;
    judge.moment.minuteOfDay = c.minute;
    const ScreeningResult result = judge.screen(call("1701234"), rulesWith(c.window));
    EXPECT_EQ(result.reason, c.screened ? BlockReasonBlacklist : BlockReasonNone);
    if (!c.screened) {
      EXPECT_EQ(result.rule.kind, RuleKind::kOutsideQuietHours);
    }
  }
}

}  // namespace
