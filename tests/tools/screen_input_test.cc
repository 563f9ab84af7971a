#include "tools/screen_input.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

TEST(ParseScreenInputLine, ReadsTheKnownMembers) {
  auto call = parseScreenInputLine(
      R"({"number":"+8613800138000","contact":"c1","system_blocked":true,"unique_id":"u1","x":3})");
  ASSERT_TRUE(call) << call.error();
  EXPECT_EQ(call->number, "+8613800138000");
  EXPECT_EQ(call->contactIdentifier, "c1");
  EXPECT_TRUE(call->systemBlocked);
  EXPECT_EQ(call->uniqueId, "u1");

  call = parseScreenInputLine("{}");
  ASSERT_TRUE(call);
  EXPECT_EQ(call->number, "");
  EXPECT_FALSE(call->contactIdentifier);
  EXPECT_FALSE(call->systemBlocked);
}

TEST(ParseScreenInputLine, RefusesBadLinesWithAMessage) {
  const struct {
    const char* line;
    const char* message;
  } cases[] = {
      {"not json", "not a JSON object"},
      {"[1,2]", "not a JSON object"},
      {R"({"number":"1)", "not a JSON object"},
      {R"({"number":13800138000})", "\"number\" must be a string"},
      {R"({"contact":true})", "\"contact\" must be a string"},
      {R"({"system_blocked":"yes"})", "\"system_blocked\" must be true or false"},
  };
  for (const auto& c : cases) {
    const Result<IncomingCallInfo> call = parseScreenInputLine(c.line);
    EXPECT_FALSE(call) << c.line;
    EXPECT_EQ(call.error(), c.message) << c.line;
  }
}

TEST(ScreenOutput, WritesJsonLinesOrATable) {
  std::ostringstream json;
  ScreenOutput lines(json, false);
  lines.add("10086", {BlockReasonNone, ""});
  lines.add("4001234567", {BlockReasonKeyword, "广告推销"});
  lines.finish();
  EXPECT_EQ(json.str(),
            "{\"number\":\"10086\",\"reason\":0,\"detail\":\"\"}\n"
            "{\"number\":\"4001234567\",\"reason\":5,\"detail\":\"广告推销\"}\n");

  std::ostringstream table;
  ScreenOutput rows(table, true);
  rows.add("", {BlockReasonUnknownNumber, ""});
  rows.add("4001234567", {BlockReasonKeyword, "广告推销"});
  EXPECT_EQ(table.str(), "");  // nothing before finish
  rows.finish();
  EXPECT_EQ(table.str(),
            "number      reason  what\n"
            "(none)      1       blocked: no caller number\n"
            "4001234567  5       blocked: caller label keyword (广告推销)\n");
}

TEST(ScreenOutput, ExplainNamesTheRuleAndWhatItOverruled) {
  std::ostringstream json;
  ScreenOutput lines(json, false, /*explain=*/true);
  ScreeningResult blocked{
      BlockReasonLandline, "", {RuleKind::kAreaCode, "0755", "深圳", "12583?"}, "075512345678"};
  ScreeningResult passed{BlockReasonNone,
                         "",
                         {RuleKind::kRepeatedCall, "3"},
                         "13912345678",
                         BlockReasonMobile,
                         {RuleKind::kMobileRegion, "0571"}};
  lines.add("125831075512345678", blocked);
  lines.add("13912345678", passed);
  EXPECT_EQ(json.str(),
            "{\"number\":\"125831075512345678\",\"reason\":2,\"detail\":\"\",\"judged\":"
            "\"075512345678\",\"rule\":{\"kind\":\"area-code\",\"value\":\"0755\",\"place\":"
            "\"深圳\",\"prefix\":\"12583?\"}}\n"
            "{\"number\":\"13912345678\",\"reason\":0,\"detail\":\"\",\"judged\":"
            "\"13912345678\",\"rule\":{\"kind\":\"repeated-call\",\"value\":\"3\",\"place\":"
            "\"\",\"prefix\":\"\"},\"overruled_reason\":3,\"overruled_rule\":{\"kind\":"
            "\"mobile-region\",\"value\":\"0571\",\"place\":\"\",\"prefix\":\"\"}}\n");
}

}  // namespace
