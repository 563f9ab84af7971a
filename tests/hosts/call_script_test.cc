#include "hosts/springboard/call_script.h"

#include <gtest/gtest.h>

#include <string>

namespace springboard {
namespace {

CallEvent event(const std::string& line) {
  const Result<ScriptLine> parsed = parseScriptLine(line);
  EXPECT_TRUE(parsed && std::holds_alternative<CallEvent>(*parsed))
      << line << ": " << parsed.error();
  return parsed ? std::get<CallEvent>(*parsed) : CallEvent{};
}

TEST(CallScriptTest, LinesAreEventsPausesOrBlank) {
  EXPECT_TRUE(std::holds_alternative<BlankLine>(*parseScriptLine(" \t")));
  const auto sleep = parseScriptLine(R"({"sleep": 2.6})");
  ASSERT_TRUE(sleep && std::holds_alternative<Sleep>(*sleep));
  EXPECT_EQ(std::get<Sleep>(*sleep).duration, std::chrono::milliseconds(3));
  EXPECT_EQ(callKey(event(R"({"call": 1, "status": 4})")), "1");
  EXPECT_EQ(callKey(event(R"({"call": "1", "status": 4})")), "\"1\"");
  // Nested deeper than any document is read: refused, not recursed into.
  const std::string deep = std::string(600, '[') + std::string(600, ']');
  const auto tooDeep = parseScriptLine(R"({"call": 1, "status": 4, "x": )" + deep + "}");
  EXPECT_FALSE(tooDeep);
  EXPECT_EQ(tooDeep.error(), "not a JSON object");
}

TEST(CallScriptTest, NewCallsGetDefaultsAndLaterEventsKeepFields) {
  platform::TUCall call;
  applyCallEvent(event(R"({"call": 5, "status": 4, "number": "+8617012345678", "contact": "C",
                           "label": "L", "display_name": "D", "caller_name": "N",
                           "system_blocked": true})"),
                 true, call);
  EXPECT_TRUE(call.isIncoming);
  EXPECT_EQ(call.uniqueProxyIdentifier, "5");
  ASSERT_TRUE(call.handle);
  EXPECT_EQ(call.handle->value, "+8617012345678");
  EXPECT_EQ(call.contactIdentifier, "C");
  EXPECT_EQ(call.localizedLabel, "L");
  EXPECT_EQ(call.displayName, "D");
  EXPECT_EQ(call.callerNameFromNetwork, "N");
  EXPECT_TRUE(call.isBlocked);

  // A later event changes only what it names; null clears a text.
  applyCallEvent(event(R"({"call": 5, "status": 1, "number": null, "label": "M"})"), false, call);
  EXPECT_EQ(call.status, 1);
  EXPECT_TRUE(call.isIncoming);
  EXPECT_FALSE(call.handle);
  EXPECT_EQ(call.localizedLabel, "M");
  EXPECT_EQ(call.contactIdentifier, "C");

  platform::TUCall outgoing;
  applyCallEvent(event(R"({"call": "out", "status": 3, "unique_id": "U"})"), true, outgoing);
  EXPECT_FALSE(outgoing.isIncoming);
  EXPECT_EQ(outgoing.uniqueProxyIdentifier, "U");
  EXPECT_FALSE(outgoing.handle);
}

}  // namespace
}  // namespace springboard
