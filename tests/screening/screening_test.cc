#include "statics/screening/screening.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "tests/screening/reference_screening.h"
#include "tests/screening/screening_fakes.h"

namespace {

struct Outcome {
  ScreeningResult result;
  std::vector<std::string> regionQueries;
  std::vector<std::string> labelKeys;
};

// Screens with rules compiled once and with rules compiled for the call; both
// must give the same answer and ask the same questions.
Outcome screen(const IncomingCallInfo& call, const Json& pref, const RecordingLookups& setup) {
  RecordingLookups once = setup;
  RecordingLookups perCall = setup;
  const ScreeningRules rules(pref);
  const ScreeningResult compiled = screenIncomingCall(call, rules, once.region(), once.label());
  const ScreeningResult direct =
      referenceScreenIncomingCall(call, pref, perCall.region(), perCall.label());
  EXPECT_EQ(compiled.reason, direct.reason) << call.number;
  EXPECT_EQ(compiled.detail, direct.detail) << call.number;
  EXPECT_EQ(once.regionQueries, perCall.regionQueries) << call.number;
  EXPECT_EQ(once.labelKeys, perCall.labelKeys) << call.number;
  return {compiled, once.regionQueries, once.labelKeys};
}

IncomingCallInfo callFrom(std::string number) {
  IncomingCallInfo call;
  call.number = std::move(number);
  call.uniqueId = "call-1";
  return call;
}

Json baseRules() {
  return Json::parse(R"({
    "enabled": true,
    "bypass-contacts-enabled": true,
    "block-unknown-enabled": true,
    "ignored-prefixes": [["12583?", "^12583\\d\\d+", "中国移动和多号"]],
    "blocked-cities-flattened": ["010", "0755"],
    "mobile-blocked-cities-flattened": ["0571"],
    "blacklist": [["400*", "^400\\d*$", ""], ["95555", "^95555$", ""]],
    "keywords": ["广告", "诈骗"]
  })");
}

RecordingLookups baseLookups() {
  RecordingLookups lookups;
  lookups.regions = {{"13912345678", "0571"}, {"13800138000", "010"}};
  lookups.labels = {{"8613800138000", "快递"},
                    {"862012345678", "广告推销"},
                    {"8675512345678", "诈骗电话"},
                    {"10086", "中国移动"}};
  return lookups;
}

enum class Caller { kStranger, kContact, kSystemBlockedContact, kOtherFieldsSayAd };

IncomingCallInfo makeCall(Caller caller, const char* number) {
  IncomingCallInfo call = callFrom(number);
  if (caller == Caller::kContact || caller == Caller::kSystemBlockedContact) {
    call.contactIdentifier = "contact-7";
  }
  call.systemBlocked = caller == Caller::kSystemBlockedContact;
  if (caller == Caller::kOtherFieldsSayAd) {
    call.displayName = "广告";
    call.localizedLabel = "广告";
    call.callerNameFromNetwork = "诈骗";
  }
  return call;
}

struct RuleCase {
  const char* name;
  Caller caller;
  const char* number;
  const char* patch;  // changes to baseRules(), a JSON merge patch
  BlockReason reason;
  const char* detail;
  const char* regionAsked;  // the number given to the region lookup, or null
  const char* labelKey;     // the key of the label lookup, or null
};

TEST(ScreenIncomingCallTest, RuleOrder) {
  using enum Caller;
  const RuleCase cases[] = {
      {"system-blocked contact with bypass on", kSystemBlockedContact, "13800138000", "{}",
       BlockReasonSystem, "", nullptr, nullptr},
      {"contact with bypass on skips every number rule", kContact, "4001234567", "{}",
       BlockReasonNone, "", nullptr, nullptr},
      {"contact with bypass off is judged by the number", kContact, "4001234567",
       R"({"bypass-contacts-enabled": false})", BlockReasonBlacklist, "", nullptr, nullptr},
      {"empty number with block-unknown on", kStranger, "", "{}", BlockReasonUnknownNumber, "",
       nullptr, nullptr},
      {"empty number with block-unknown off and a lone star entry", kStranger, "",
       R"({"block-unknown-enabled": false, "blacklist": [["*", "^\\d*$", ""]]})",
       BlockReasonBlacklist, "", nullptr, nullptr},
      {"empty number with block-unknown off reaches the label rule", kStranger, "",
       R"({"block-unknown-enabled": false})", BlockReasonNone, "", nullptr, ""},
      {"+86 is removed before the mobile rule", kStranger, "+8613912345678", "{}",
       BlockReasonMobile, "", "13912345678", nullptr},
      {"+86 removed: label key of a mobile number", kStranger, "+8613800138000", "{}",
       BlockReasonNone, "", "13800138000", "8613800138000"},
      {"86 without + stays", kStranger, "8613912345678", "{}", BlockReasonNone, "", nullptr,
       "868613912345678"},
      {"12583? prefix is removed", kStranger, "12583113912345678", "{}", BlockReasonMobile, "",
       "13912345678", nullptr},
      {"12583 followed by one digit only is not a prefix", kStranger, "125831", "{}",
       BlockReasonNone, "", nullptr, "125831"},
      {"only the first matching prefix is removed", kStranger, "999913912345678",
       R"({"ignored-prefixes": [["99", "^99\\d+", ""], ["88", "^88\\d+", ""]]})", BlockReasonNone,
       "", nullptr, "869913912345678"},
      {"the next prefix is not tried after a removal", kStranger, "998813912345678",
       R"({"ignored-prefixes": [["99", "^99\\d+", ""], ["88", "^88\\d+", ""]]})", BlockReasonNone,
       "", nullptr, "868813912345678"},
      {"prefixes are tried in list order", kStranger, "12583113912345678",
       R"({"ignored-prefixes": [["1", "^1\\d+", ""], ["12583?", "^12583\\d\\d+", ""]]})",
       BlockReasonNone, "", nullptr, "862583113912345678"},
      {"a prefix that does not compile is skipped", kStranger, "9913912345678",
       R"({"ignored-prefixes": [["9", "^9(", ""], ["99", "^99\\d+", ""]]})", BlockReasonMobile, "",
       "13912345678", nullptr},
      {"prefix text longer than the number leaves it empty", kStranger, "12345",
       R"({"ignored-prefixes": [["123456789", "^12\\d+", ""]],
           "blacklist": [["*", "^\\d*$", ""]]})",
       BlockReasonBlacklist, "", nullptr, nullptr},
      {"010 landline", kStranger, "01012345678", "{}", BlockReasonLandline, "", nullptr, nullptr},
      {"0755 landline", kStranger, "075512345678", "{}", BlockReasonLandline, "", nullptr, nullptr},
      {"0-number never reaches the mobile rule", kStranger, "01391234567",
       R"({"blocked-cities-flattened": []})", BlockReasonNone, "", nullptr, "861391234567"},
      {"area code without its 0 never matches", kStranger, "01012345678",
       R"({"blocked-cities-flattened": ["10", ""]})", BlockReasonNone, "", nullptr, "861012345678"},
      {"landline label key drops the 0", kStranger, "075512345678",
       R"({"blocked-cities-flattened": ["010"]})", BlockReasonKeyword, "诈骗电话", nullptr,
       "8675512345678"},
      {"mobile region not blocked", kStranger, "13800138000", "{}", BlockReasonNone, "",
       "13800138000", "8613800138000"},
      {"mobile region without a database", kStranger, "13700000000",
       R"({"mobile-blocked-cities-flattened": [""]})", BlockReasonNone, "", "13700000000",
       "8613700000000"},
      {"11-digit 14 number is not mobile", kStranger, "14712345678", "{}", BlockReasonNone, "",
       nullptr, "8614712345678"},
      {"11-digit 16 number is not mobile", kStranger, "16612345678", "{}", BlockReasonNone, "",
       nullptr, "8616612345678"},
      {"12 digits with a mobile prefix are not mobile", kStranger, "139123456789", "{}",
       BlockReasonNone, "", nullptr, "86139123456789"},
      {"11 code points but 12 UTF-16 units are not mobile", kStranger, "1391234567\U0001D7D6", "{}",
       BlockReasonNone, "", nullptr, "861391234567\U0001D7D6"},
      {"region rule comes before the blacklist", kStranger, "13912345678",
       R"({"blacklist": [["139*", "^139\\d*$", ""]]})", BlockReasonMobile, "", "13912345678",
       nullptr},
      {"blacklist after an unblocked region", kStranger, "13800138000",
       R"({"blacklist": [["138*", "^138\\d*$", ""]]})", BlockReasonBlacklist, "", "13800138000",
       nullptr},
      {"blacklist entry that does not compile is skipped", kStranger, "4001234567",
       R"({"blacklist": [["(", "(", ""], ["400*", "^400\\d*$", ""]]})", BlockReasonBlacklist, "",
       nullptr, nullptr},
      {"short number 95555 on the blacklist", kStranger, "95555", "{}", BlockReasonBlacklist, "",
       nullptr, nullptr},
      {"short number 95555 label key unchanged", kStranger, "95555", R"({"blacklist": null})",
       BlockReasonNone, "", nullptr, "95555"},
      {"short number 10086 label key unchanged", kStranger, "10086", "{}", BlockReasonNone, "",
       nullptr, "10086"},
      {"keyword in the label", kStranger, "02012345678", "{}", BlockReasonKeyword, "广告推销",
       nullptr, "862012345678"},
      {"keywords only look at the label", kOtherFieldsSayAd, "13800138000", "{}", BlockReasonNone,
       "", "13800138000", "8613800138000"},
      {"a keyword is found inside the label", kStranger, "10086", R"({"keywords": ["移动", "x"]})",
       BlockReasonKeyword, "中国移动", nullptr, "10086"},
      {"empty keyword never matches", kStranger, "10086", R"({"keywords": [""]})", BlockReasonNone,
       "", nullptr, "10086"},
  };
  const auto asked = [](const char* query) {
    return query ? std::vector<std::string>{query} : std::vector<std::string>{};
  };
  for (const RuleCase& c : cases) {
    SCOPED_TRACE(c.name);
    Json pref = baseRules();
    pref.merge_patch(Json::parse(c.patch));
    const Outcome outcome = screen(makeCall(c.caller, c.number), pref, baseLookups());
    EXPECT_EQ(outcome.result.reason, c.reason);
    EXPECT_EQ(outcome.result.detail, c.detail);
    EXPECT_EQ(outcome.regionQueries, asked(c.regionAsked));
    EXPECT_EQ(outcome.labelKeys, asked(c.labelKey));
  }
}

TEST(ScreenIncomingCallTest, KeywordMatchIsCaseSensitive) {
  const Json pref = {{"keywords", {"Spam"}}};
  RecordingLookups lookups;
  lookups.labels = {{"10010", "spam call"}, {"10000", "Spam call"}};
  EXPECT_EQ(screen(callFrom("10010"), pref, lookups).result.reason, BlockReasonNone);
  const Outcome hit = screen(callFrom("10000"), pref, lookups);
  EXPECT_EQ(hit.result.reason, BlockReasonKeyword);
  EXPECT_EQ(hit.result.detail, "Spam call");
}

TEST(ScreenIncomingCallTest, MissingLookupsFindNothing) {
  const Json pref = {{"mobile-blocked-cities-flattened", {"0571"}}, {"keywords", {"a"}}};
  const ScreeningRules rules(pref);
  EXPECT_EQ(screenIncomingCall(callFrom("13912345678"), rules, nullptr, nullptr).reason,
            BlockReasonNone);
  EXPECT_EQ(referenceScreenIncomingCall(callFrom("13912345678"), pref, nullptr, nullptr).reason,
            BlockReasonNone);
}

TEST(ScreeningRulesTest, Enabled) {
  EXPECT_TRUE(ScreeningRules(Json{{"enabled", true}}).enabled());
  EXPECT_FALSE(ScreeningRules(Json{{"enabled", false}}).enabled());
  EXPECT_FALSE(ScreeningRules(Json{{"enabled", 1}}).enabled());
  EXPECT_FALSE(ScreeningRules(Json{{"enabled", "true"}}).enabled());
  EXPECT_FALSE(ScreeningRules(Json::object()).enabled());
  EXPECT_FALSE(ScreeningRules(Json::array({true})).enabled());
}

TEST(ScreenIncomingCallTest, DocumentsOfAnyShape) {
  const std::vector<const char*> documents = {
      "{}",
      "[]",
      "null",
      "42",
      R"("enabled")",
      R"([{"enabled": true, "blacklist": [["1", "^1$", ""]]}])",
      R"({"enabled": "yes", "bypass-contacts-enabled": 1, "block-unknown-enabled": "true",
          "ignored-prefixes": {"a": 1}, "blacklist": "^1$", "keywords": 5,
          "blocked-cities-flattened": "010", "mobile-blocked-cities-flattened": {"x": "0571"}})",
      R"({"blacklist": [1, null, [], ["1"], ["1", "^1$"], ["1", 2, ""], ["1", "^1$", "", ""],
          {"x": "^1$"}, [["1"], "^1$", ""], ["1", "^1$", null], ["(", "(", ""],
          ["[", "[a-", ""], ["?", "a{2,1}", ""]]})",
      R"({"ignored-prefixes": [[1, 2, 3], ["1", "(", ""], ["1", 5, ""], null, "12583",
          ["", "", ""], ["1", "^1", {}]]})",
      R"({"keywords": [1, null, ["广告"], {"k": "广告"}, true, ""],
          "blocked-cities-flattened": [1, null, "", [], {}],
          "mobile-blocked-cities-flattened": [null, 571, "", ["0571"]]})",
  };
  const std::vector<std::string> numbers = {"",
                                            "1",
                                            "+86",
                                            "0",
                                            "010",
                                            "13912345678",
                                            "+8613912345678",
                                            "12583113912345678",
                                            "10086",
                                            "广告",
                                            "\xff\xfe",
                                            "1\n",
                                            "🙂"};
  RecordingLookups lookups;
  lookups.regions = {{"13912345678", "0571"}};
  lookups.labels = {{"10086", "广告"}, {"1", "广告"}};
  for (const char* text : documents) {
    SCOPED_TRACE(text);
    const Json pref = Json::parse(text);
    for (const std::string& number : numbers) {
      SCOPED_TRACE(number);
      IncomingCallInfo call = callFrom(number);
      call.contactIdentifier = "c";
      Outcome outcome;
      EXPECT_NO_THROW(outcome = screen(call, pref, lookups));
      // Values of the wrong type read as false or empty: nothing is blocked.
      EXPECT_EQ(outcome.result.reason, BlockReasonNone);
    }
  }
}

TEST(ScreenIncomingCallTest, WrongShapedEntriesDoNotHideGoodOnes) {
  const Json pref = Json::parse(R"({
    "ignored-prefixes": [[1, 2, 3], ["9", "(", ""], ["99", "^99\\d+"], ["99", "^99\\d+", ""]],
    "blacklist": [null, ["1"], ["", "[", ""], ["139*", "^139\\d*$", 0], ["139*", "^139\\d*$", ""]],
    "blocked-cities-flattened": [10, null, "010"],
    "keywords": [null, 3, ["推销"], "推销"]
  })");
  RecordingLookups lookups;
  lookups.labels = {{"10000", "推销"}};
  EXPECT_EQ(screen(callFrom("9913912345678"), pref, lookups).result.reason, BlockReasonBlacklist);
  EXPECT_EQ(screen(callFrom("01088888888"), pref, lookups).result.reason, BlockReasonLandline);
  EXPECT_EQ(screen(callFrom("10000"), pref, lookups).result.reason, BlockReasonKeyword);
  EXPECT_EQ(screen(callFrom("13812345678"), pref, lookups).result.reason, BlockReasonNone);
}

// Hand-written expressions that backtrack without end are cut off and count
// as no match; the entries after them still decide.
TEST(ScreenIncomingCallTest, ExpressionsThatRunForEverAreNoMatch) {
  const std::string number = std::string(40, '1') + "x";
  const struct {
    const char* key;
    BlockReason reason;
  } cases[] = {
      {"blacklist", BlockReasonBlacklist},
      {"ignored-prefixes", BlockReasonNone},
  };
  for (const auto& c : cases) {
    Json pref = Json::object();
    pref[c.key] = {{"x", "^(\\d+)+$", ""}, {"y", "^(1|11)*$", ""}, {"z", "^1+x$", ""}};
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(screenIncomingCall(callFrom(number), ScreeningRules(pref), nullptr, nullptr).reason,
              c.reason)
        << c.key;
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10)) << c.key;
  }
}

TEST(ScreenIncomingCallTest, PrefixLengthCountsUtf16Units) {
  // "𝟗" is one character of two UTF-16 units; the expression matches a
  // number that begins with it, and the cut takes two units.
  const Json pref = {{"ignored-prefixes", {{"\U0001D7D7", "^\U0001D7D7\\d+", ""}}},
                     {"mobile-blocked-cities-flattened", {"0571"}}};
  RecordingLookups lookups;
  lookups.regions = {{"13912345678", "0571"}};
  const Outcome outcome = screen(callFrom("\U0001D7D713912345678"), pref, lookups);
  EXPECT_EQ(outcome.result.reason, BlockReasonMobile);
  EXPECT_EQ(outcome.regionQueries, std::vector<std::string>{"13912345678"});
}

TEST(ScreenIncomingCallTest, CompiledRulesAreReusedAcrossCalls) {
  const ScreeningRules rules(baseRules());
  RecordingLookups lookups = baseLookups();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(
        screenIncomingCall(callFrom("4001234567"), rules, lookups.region(), lookups.label()).reason,
        BlockReasonBlacklist);
    EXPECT_EQ(
        screenIncomingCall(callFrom("4011234567"), rules, lookups.region(), lookups.label()).reason,
        BlockReasonNone);
  }
}

}  // namespace
