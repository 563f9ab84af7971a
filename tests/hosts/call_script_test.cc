#include "hosts/springboard/call_script.h"

#include <gtest/gtest.h>

#include <string>

#include "hosts/springboard/history_lookup.h"
#include "support/temp_root.h"

namespace springboard {
namespace {

CallEvent event(const std::string& line) {
  std::string error;
  const std::optional<ScriptLine> parsed = parseScriptLine(line, &error);
  EXPECT_TRUE(parsed && std::holds_alternative<CallEvent>(*parsed)) << line << ": " << error;
  return parsed ? std::get<CallEvent>(*parsed) : CallEvent{};
}

TEST(CallScriptTest, LinesAreEventsPausesOrBlank) {
  std::string error;
  EXPECT_TRUE(std::holds_alternative<BlankLine>(*parseScriptLine(" \t", &error)));
  const auto sleep = parseScriptLine(R"({"sleep": 2.6})", &error);
  ASSERT_TRUE(sleep && std::holds_alternative<Sleep>(*sleep));
  EXPECT_EQ(std::get<Sleep>(*sleep).duration, std::chrono::milliseconds(3));
  EXPECT_EQ(callKey(event(R"({"call": 1, "status": 4})")), "1");
  EXPECT_EQ(callKey(event(R"({"call": "1", "status": 4})")), "\"1\"");
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

TEST(HistoryLookupTest, FindsTheFirstRecordAfterTheOffset) {
  testing_support::TempDeviceRoot root;
  const std::string path = root.at("/history.txt");
  const std::string first = R"({"u":"a","r":2,"rd":""})"
                            "\n";
  root.write("/history.txt", first +
                                 "\n"
                                 "not json\n"
                                 R"({"u":"a","r":"4"})"
                                 "\n"
                                 R"({"r":5,"u":"a","rd":"标签","x":1})"
                                 "\n"
                                 R"({"u":"b","r":99})"
                                 "\n"
                                 R"({"u":"a","r":1)");  // torn last line
  EXPECT_EQ(historyFileSize(path), root.read("/history.txt").size());
  EXPECT_EQ(historyFileSize(root.at("/missing")), 0u);

  const auto whole = findHistoryRecord(path, "a", 0);
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->reason, 2);

  // A reason given as text reads as its number, as every reader reads it.
  const auto later = findHistoryRecord(path, "a", first.size());
  ASSERT_TRUE(later);
  EXPECT_EQ(later->reason, 4);
  EXPECT_EQ(later->detail, "");

  // An offset inside a line starts at the next one.
  EXPECT_EQ(findHistoryRecord(path, "a", 3)->reason, 4);
  const auto noDetail = findHistoryRecord(path, "b", 0);
  ASSERT_TRUE(noDetail);
  EXPECT_EQ(noDetail->detail, "");
  EXPECT_FALSE(findHistoryRecord(path, "c", 0));
  EXPECT_FALSE(findHistoryRecord(root.at("/missing"), "a", 0));

  // A file shorter than the offset was replaced: it is read from the start.
  root.write("/history.txt", R"({"u":"c","r":3})"
                             "\n");
  EXPECT_EQ(findHistoryRecord(path, "c", 1000)->reason, 3);
}

}  // namespace
}  // namespace springboard
