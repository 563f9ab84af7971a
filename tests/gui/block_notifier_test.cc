// The notifications of blocked calls: which loads of the history show what,
// how blocks close together share one notification, and what the actions do.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "gui/support/gui_test.h"
#include "gui/support/notify_waiter.h"
#include "hushgate-gui/core/models/block_notifications.h"
#include "statics/Preference.h"
#include "statics/contracts/blacklist_pattern.h"
#include "statics/contracts/fired_rule.h"
#include "statics/contracts/names.h"
#include "statics/contracts/pref_document.h"

namespace {

using gui::HistoryList;
using gui::HistoryRecord;

constexpr int64_t kStart = 10000;

struct Shown {
  uint32_t replacesId;
  std::string title;
  std::string body;
  std::vector<std::string> actionKeys;
};

// Gives ids as a notification service does: a new one, or the one replaced.
class RecordingSink : public gui::NotificationSink {
 public:
  std::optional<uint32_t> show(uint32_t replacesId, const std::string& title,
                               const std::string& body,
                               const gui::NotificationActions& actions) override {
    Shown call{replacesId, title, body, {}};
    for (const auto& action : actions) call.actionKeys.push_back(action.first);
    shown.push_back(call);
    return replacesId != 0 ? replacesId : nextId_++;
  }
  std::vector<Shown> shown;

 private:
  uint32_t nextId_ = 1;
};

HistoryRecord block(const std::string& id, const std::string& number, int64_t date,
                    const std::string& pattern = "138*") {
  HistoryRecord record{id, number, date, BlockReasonBlacklist, ""};
  setBlockRecordRule(record, {RuleKind::kBlacklist, pattern, "", ""}, /*passed=*/false);
  return record;
}

HistoryRecord passed(const std::string& id, int64_t date) {
  HistoryRecord record{id, "13812345678", date, BlockReasonMobile, ""};
  setBlockRecordRule(record, {RuleKind::kMobileRegion, "1381234", "", ""}, /*passed=*/true);
  return record;
}

const HistoryRecord kOld = block("old", "13800000000", kStart - 10);
const HistoryRecord kFirst = block("b1", "13800138000", kStart + 10);
const HistoryRecord kSecond = block("b2", "13900139000", kStart + 50, "139*");
const HistoryRecord kThird = block("b3", "13700137000", kStart + 100, "137*");
const HistoryRecord kLate = block("late", "13600136000", kStart + 10 + 120, "136*");
const HistoryRecord kNoNumber{"n", "", kStart + 10, BlockReasonUnknownNumber, ""};

const std::vector<std::string> kBothActions = {"allow", "open-history"};
const std::vector<std::string> kHistoryOnly = {"open-history"};

class BlockNotifierTest : public gui_testing::GuiTest {
 protected:
  gui::BlockNotifier makeNotifier(RecordingSink& sink) {
    return gui::BlockNotifier({.sink = &sink,
                               .places = {},
                               .openHistory = [this] { ++historyOpened_; },
                               .startedAt = kStart});
  }
  void writePref(const Json& pref) {
    root_.write(kPrefFilePath, pref.dump());
    Preference::sharedInstance().reload();
  }
  size_t allowlistSize() {
    Preference::sharedInstance().reload();
    return prefArray(Preference::sharedInstance().pref(), kAllowlistKey).size();
  }

  int historyOpened_ = 0;
};

TEST_F(BlockNotifierTest, ShowsTheNewBlocksOfEachLoad) {
  struct Row {
    const char* name;
    Json pref;
    std::vector<HistoryList> loads;  // in order, each newest first
    std::vector<Shown> expected;
  };
  const std::vector<Row> rows = {
      {"the first load's old records are no news", Json::object(), {{kOld}}, {}},
      {"a block after the start is news also in the first load",
       Json::object(),
       {{kFirst, kOld}},
       {{0, "Blocked call: 13800138000", "blacklist 138*", kBothActions}}},
      {"one new block",
       Json::object(),
       {{kOld}, {kFirst, kOld}},
       {{0, "Blocked call: 13800138000", "blacklist 138*", kBothActions}}},
      {"the same list again is no news",
       Json::object(),
       {{kOld}, {kFirst}, {kFirst}},
       {{0, "Blocked call: 13800138000", "blacklist 138*", kBothActions}}},
      {"a call let through", Json::object(), {{kOld}, {passed("p", kStart + 10), kOld}}, {}},
      {"switched off", {{kNotifyBlockedCallsKey, false}}, {{kOld}, {kFirst, kOld}}, {}},
      {"switched on",
       {{kNotifyBlockedCallsKey, true}},
       {{kOld}, {kFirst, kOld}},
       {{0, "Blocked call: 13800138000", "blacklist 138*", kBothActions}}},
      {"three blocks within the window update one notification",
       Json::object(),
       {{kOld}, {kFirst, kOld}, {kSecond, kFirst, kOld}, {kThird, kSecond, kFirst, kOld}},
       {{0, "Blocked call: 13800138000", "blacklist 138*", kBothActions},
        {1, "2 calls blocked", "13900139000: blacklist 139*\n13800138000: blacklist 138*",
         kHistoryOnly},
        {1, "3 calls blocked",
         "13700137000: blacklist 137*\n13900139000: blacklist 139*\n13800138000: blacklist "
         "138*",
         kHistoryOnly}}},
      {"a block after the window begins a new notification",
       Json::object(),
       {{kOld}, {kFirst, kOld}, {kLate, kFirst, kOld}},
       {{0, "Blocked call: 13800138000", "blacklist 138*", kBothActions},
        {0, "Blocked call: 13600136000", "blacklist 136*", kBothActions}}},
      {"blocks of one load past the window: one notification each",
       Json::object(),
       {{kOld}, {kLate, kFirst, kOld}},
       {{0, "Blocked call: 13800138000", "blacklist 138*", kBothActions},
        {0, "Blocked call: 13600136000", "blacklist 136*", kBothActions}}},
      {"a group lists the latest three and counts the rest",
       Json::object(),
       {{kOld}, {block("x", "13500135000", kStart + 60, "135*"), kThird, kSecond, kFirst, kOld}},
       {{0, "4 calls blocked",
         "13500135000: blacklist 135*\n13700137000: blacklist 137*\n"
         "13900139000: blacklist 139*\nand 1 more call",
         kHistoryOnly}}},
      {"a call without a number cannot be allowed",
       Json::object(),
       {{kOld}, {kNoNumber, kOld}},
       {{0, "Blocked call: No number", "Unknown number", kHistoryOnly}}},
      {"a group names a call without a number once",
       Json::object(),
       {{kOld}, {kSecond, kNoNumber, kOld}},
       {{0, "2 calls blocked", "13900139000: blacklist 139*\nNo number", kHistoryOnly}}},
      {"the newest record seen was deleted: later dates are news",
       Json::object(),
       {{kFirst, kOld}, {kSecond, kOld}},
       {{0, "Blocked call: 13800138000", "blacklist 138*", kBothActions},
        {1, "2 calls blocked", "13900139000: blacklist 139*\n13800138000: blacklist 138*",
         kHistoryOnly}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    writePref(row.pref);
    RecordingSink sink;
    gui::BlockNotifier notifier = makeNotifier(sink);
    for (const HistoryList& load : row.loads) notifier.historyLoaded(load);
    ASSERT_EQ(sink.shown.size(), row.expected.size());
    for (size_t i = 0; i < row.expected.size(); ++i) {
      EXPECT_EQ(sink.shown[i].replacesId, row.expected[i].replacesId) << i;
      EXPECT_EQ(sink.shown[i].title, row.expected[i].title) << i;
      EXPECT_EQ(sink.shown[i].body, row.expected[i].body) << i;
      EXPECT_EQ(sink.shown[i].actionKeys, row.expected[i].actionKeys) << i;
    }
  }
}

TEST_F(BlockNotifierTest, AClosedNotificationEndsItsGroup) {
  RecordingSink sink;
  gui::BlockNotifier notifier = makeNotifier(sink);
  notifier.historyLoaded({kFirst});
  notifier.notificationClosed(1);
  notifier.historyLoaded({kSecond, kFirst});
  ASSERT_EQ(sink.shown.size(), 2u);
  EXPECT_EQ(sink.shown[1].replacesId, 0u);
  EXPECT_EQ(sink.shown[1].title, "Blocked call: 13900139000");
}

TEST_F(BlockNotifierTest, ActionsAllowTheNumberOnceAndOpenTheHistory) {
  struct Row {
    const char* name;
    HistoryList load;  // after a first load of kOld
    uint32_t id;
    std::vector<std::string> keys;  // chosen in turn
    size_t allowlistSize;
    int historyOpened;
  };
  const std::vector<Row> rows = {
      {"allow adds the number", {kFirst, kOld}, 1, {"allow"}, 1, 0},
      {"allow twice adds it once", {kFirst, kOld}, 1, {"allow", "allow"}, 1, 0},
      {"open history", {kFirst, kOld}, 1, {"open-history"}, 0, 1},
      {"a group offers no allowing", {kSecond, kFirst, kOld}, 1, {"allow"}, 0, 0},
      {"no number, no allowing", {kNoNumber, kOld}, 1, {"allow"}, 0, 0},
      {"another application's notification", {kFirst, kOld}, 7, {"allow", "open-history"}, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    writePref(Json::object());
    historyOpened_ = 0;
    RecordingSink sink;
    gui::BlockNotifier notifier = makeNotifier(sink);
    notifier.historyLoaded({kOld});
    notifier.historyLoaded(row.load);
    for (const std::string& key : row.keys) notifier.actionInvoked(row.id, key);
    EXPECT_EQ(allowlistSize(), row.allowlistSize);
    EXPECT_EQ(historyOpened_, row.historyOpened);
  }
}

TEST_F(BlockNotifierTest, AnAllowedNumberIsTheEditorsEntryAndAnnounced) {
  RecordingSink sink;
  gui::BlockNotifier notifier = makeNotifier(sink);
  notifier.historyLoaded({kFirst});
  std::string error;
  auto waiter = gui_testing::NotifyWaiter::start(kPreferenceUpdatedNotification, 10, &error);
  ASSERT_NE(waiter, nullptr) << error;
  notifier.actionInvoked(1, "allow");
  EXPECT_EQ(waiter->exitStatus(), 0);
  Preference::sharedInstance().reload();
  EXPECT_EQ(prefArray(Preference::sharedInstance().pref(), kAllowlistKey),
            Json::array({Json::array({"13800138000", blacklistExpression("13800138000"), ""})}));
}

}  // namespace
