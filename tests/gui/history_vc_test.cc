#include "hushgate-gui/core/screens/HistoryVC.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "gui/support/gui_test.h"
#include "gui/support/manual_queue.h"
#include "gui/support/notify_waiter.h"
#include "gui/support/scoped_time_zone.h"
#include "hushgate-gui/core/kit/AlertUtil.h"
#include "hushgate-gui/core/kit/localization.h"
#include "hushgate-gui/core/kit/notification_center.h"
#include "hushgate-gui/core/models/history_reader.h"
#include "platform/notify.h"
#include "statics/Preference.h"
#include "statics/history_file.h"
#include "support/notification_marker.h"

namespace {

using gui::historyFileText;
using gui::HistoryList;
using gui::HistoryVC;
using nlohmann::json;

constexpr char kHistoryPath[] =
    "/var/mobile/Containers/Data/Application/com.apple.mobilephone/Documents/"
    "hushgate-history.txt";
constexpr char kPrefPath[] = "/var/mobile/hushgate/hushgate-pref.json";
constexpr char kFileChanged[] = "com.tevrin.hushgate.mp-history-file-changed";
constexpr char kDeletedByUser[] = "mp-history-deleted-by-user";

class RecordingView : public HistoryVC::View {
 public:
  void reloadData() override { ++reloads; }
  void deleteRow(size_t row) override { deletedRows.push_back(row); }
  void setUserInteractionEnabled(bool enabled) override { interaction.push_back(enabled); }

  int reloads = 0;
  std::vector<size_t> deletedRows;
  std::vector<bool> interaction;
};

json recordJson(const std::string& id, const std::string& number, long long date, int reason,
                const std::string& detail = "") {
  return {{"u", id}, {"p", number}, {"d", date}, {"r", reason}, {"rd", detail}};
}

// The record of a line holding this object, as the main screen reads it.
gui::HistoryRecord fromJson(const json& object) {
  return parseBlockRecordLine(object.dump(-1, ' ', false, json::error_handler_t::replace))
      .value_or(gui::HistoryRecord{});
}

gui::HistoryRecord record(const std::string& id, const std::string& number, long long date,
                          int reason, const std::string& detail = "") {
  return fromJson(recordJson(id, number, date, reason, detail));
}

std::string line(const gui::HistoryRecord& record) {
  return blockRecordLine(record);
}

class HistoryVCTest : public gui_testing::GuiTest {
 protected:
  HistoryVCTest() {
    std::filesystem::create_directories(
        std::filesystem::path(root_.at(kHistoryPath)).parent_path());
    // Oldest first in the file, newest first in the list.
    *history_ = {newest_, middle_, oldest_};
    root_.write(kHistoryPath, line(oldest_) + line(middle_) + line(newest_));
    deletedToken_ = gui::NotificationCenter::defaultCenter().addObserverForName(
        kDeletedByUser, [this](const gui::UserInfo&) { ++deletedByUser_; });
    EXPECT_EQ(platform::notify_register_dispatch(kFileChanged, &notifyToken_, notifyQueue_,
                                                 [this](int) { ++fileChanged_; }),
              platform::NOTIFY_STATUS_OK);
    screen_->setHistory(history_);
    screen_->setView(&view_);
    screen_->viewDidLoad();
  }
  ~HistoryVCTest() override {
    gui::NotificationCenter::defaultCenter().removeObserver(deletedToken_);
    platform::notify_cancel(notifyToken_);
  }

  // Deliveries of the system-wide notification for every post made so far:
  // runs the deliveries until a marker posted now has come.
  int fileChangedDeliveries() {
    testing_support::NotificationMarker marker(notifyQueue_);
    EXPECT_TRUE(marker.post());
    while (!marker.seen() && notifyQueue_.waitForTasks(1, std::chrono::seconds(5))) {
      notifyQueue_.runAll();
    }
    EXPECT_TRUE(marker.seen()) << "the marker was not delivered";
    return fileChanged_;
  }

  std::string historyFile() const { return root_.read(kHistoryPath); }

  const gui::HistoryRecord newest_ = record("c", "13800138000", 1700000300, 4);
  const gui::HistoryRecord middle_ = record("b", "02088886666", 1700000200, 2);
  const gui::HistoryRecord oldest_ = record("a", "+8613912345678", 1700000100, 5, "广告推销");
  std::shared_ptr<HistoryList> history_ = std::make_shared<HistoryList>();
  std::shared_ptr<HistoryVC> screen_ = std::make_shared<HistoryVC>();
  RecordingView view_;
  gui_testing::ManualQueue notifyQueue_;
  int notifyToken_ = 0;
  int fileChanged_ = 0;
  gui::ObserverToken deletedToken_ = 0;
  int deletedByUser_ = 0;
};

TEST_F(HistoryVCTest, RowsShowTheNewestFirst) {
  EXPECT_EQ(screen_->sceneIdentifier(), "sb.history");
  EXPECT_EQ(screen_->numberOfSections(), 1u);
  ASSERT_EQ(screen_->numberOfRows(), 3u);
  EXPECT_EQ(screen_->cellForRow(0).phone, "13800138000");
  EXPECT_EQ(screen_->cellForRow(1).phone, "02088886666");
  EXPECT_EQ(screen_->cellForRow(2).phone, "+8613912345678");
  EXPECT_EQ(screen_->cellForRow(2).reason, "广告推销");
  EXPECT_EQ(screen_->cellForRow(3).phone, "");  // past the end: an empty cell
}

// A row's actions turn its number into a rule, copy it or delete the row.
TEST_F(HistoryVCTest, RowActionsActOnTheRecordsNumber) {
  Preference::sharedInstance().pref() = Json::object();
  Preference::sharedInstance().saveOnly();
  const auto titles = [](const std::vector<gui::HistoryRowAction>& actions) {
    std::vector<std::string> shown;
    for (const auto& action : actions) shown.push_back(action.title);
    return shown;
  };
  const auto tapAction = [this](size_t row, const std::string& key) {
    for (const gui::HistoryRowAction& action : screen_->editActionsForRow(row)) {
      if (action.title == gui::localizedString(key)) return action.handler(), true;
    }
    return false;
  };
  EXPECT_EQ(
      titles(screen_->editActionsForRow(0)),
      (std::vector<std::string>{"Add to Blacklist", "Add to Allow-list", "Copy Number", "Delete"}));
  EXPECT_EQ(screen_->editActionsForRow(0).back().style, gui::AlertActionStyle::Destructive);
  *history_ = {newest_, record("n", "", 1700000000, 1)};
  EXPECT_EQ(titles(screen_->editActionsForRow(1)), std::vector<std::string>{"Delete"});
  EXPECT_TRUE(screen_->editActionsForRow(2).empty());
  *history_ = {newest_, middle_, oldest_};  // as the file holds them

  struct Case {
    const char* action;
    const char* list;  // the list that gains the number, or nullptr
    const char* info;  // the alert then shown
  };
  const Case cases[] = {
      {"history-add-to-blacklist", "blacklist", "history-added-to-blacklist"},
      {"history-add-to-blacklist", nullptr, "history-already-in-blacklist"},
      {"history-add-to-allowlist", "allowlist", "history-added-to-allowlist"},
      {"history-add-to-allowlist", nullptr, "history-already-in-allowlist"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.action);
    const Json before = json::parse(root_.read(kPrefPath));
    ASSERT_TRUE(tapAction(0, c.action));
    const Json after = json::parse(root_.read(kPrefPath));
    if (c.list == nullptr) {
      EXPECT_EQ(after, before);
    } else {
      EXPECT_EQ(after[c.list].back(), json::array({"13800138000", "^13800138000$", ""}));
      EXPECT_EQ(after[c.list].size(), before.value(c.list, json::array()).size() + 1);
    }
    ASSERT_NE(presenter_.openAlert(), nullptr);
    EXPECT_EQ(presenter_.openAlert()->title, gui::localizedString(c.info));
    ASSERT_TRUE(presenter_.tap(gui::localizedString("ok")));
  }
  ASSERT_TRUE(tapAction(0, "history-copy-number"));
  EXPECT_EQ(presenter_.pasteboardStrings, std::vector<std::string>{"13800138000"});
  ASSERT_TRUE(tapAction(0, "delete"));
  ASSERT_EQ(history_->size(), 2u);
  EXPECT_EQ(history_->front(), middle_);
}

TEST_F(HistoryVCTest, SummaryCountsBlocksOfTheLastSevenAndThirtyDays) {
  const long long now = 1700000000;
  const long long day = 86400;
  json passed = recordJson("p", "15800001111", now - day, 3);
  passed["pass"] = "repeated-call";
  *history_ = {record("future", "1", now + 10, 4),
               record("a", "1", now - 1, 4),
               record("b", "2", now - 2 * day, 4),
               record("c", "3", now - 3 * day, 5, "推销"),
               fromJson(passed),
               record("d", "4", now - 7 * day - 1, 2),
               record("e", "5", now - 30 * day, 1),
               record("f", "6", now - 31 * day, 4)};
  EXPECT_EQ(screen_->summaryText(now),
            "Last 7 days: 3 blocked: Blacklist 2, Keyword 1\n"
            "Last 30 days: 5 blocked: Blacklist 2, Blocked landline region 1, Keyword 1, "
            "Unknown number 1");
  history_->clear();
  EXPECT_EQ(screen_->summaryText(now), "Last 7 days: 0 blocked\nLast 30 days: 0 blocked");
}

TEST_F(HistoryVCTest, DeletingTheMiddleRecordRewritesTheOtherTwoOldestFirst) {
  screen_->onDeleteRow(1);
  EXPECT_EQ(*history_, (HistoryList{newest_, oldest_}));
  EXPECT_EQ(historyFile(), line(oldest_) + line(newest_));
  EXPECT_EQ(view_.deletedRows, std::vector<size_t>{1});
  EXPECT_EQ(deletedByUser_, 1);
  EXPECT_EQ(fileChangedDeliveries(), 1);
  EXPECT_TRUE(presenter_.pops.empty());
}

TEST_F(HistoryVCTest, DeletingTheLastRecordLeavesAnEmptyFileAndTheScreenOpen) {
  *history_ = {newest_};
  root_.write(kHistoryPath, line(newest_));
  screen_->onDeleteRow(0);
  EXPECT_EQ(screen_->numberOfRows(), 0u);
  EXPECT_TRUE(root_.exists(kHistoryPath));
  EXPECT_EQ(std::filesystem::file_size(root_.at(kHistoryPath)), 0u);
  mainQueue().runAll();
  EXPECT_TRUE(presenter_.pops.empty());
  screen_->onDeleteRow(0);  // nothing left to delete: nothing happens
  EXPECT_EQ(view_.deletedRows, std::vector<size_t>{0});
  EXPECT_EQ(deletedByUser_, 1);
}

TEST_F(HistoryVCTest, DeleteAllConfirmedEmptiesTheFileAndClosesAfterFourTenths) {
  screen_->onTrash();
  const auto alert = presenter_.openAlert();
  ASSERT_NE(alert, nullptr);
  EXPECT_EQ(alert->title, gui::localizedString("trash-history-alert-title"));
  EXPECT_EQ(alert->message, gui::localizedString("trash-history-alert-content"));
  EXPECT_EQ(alert->actions.at(1)->style, gui::AlertActionStyle::Destructive);
  EXPECT_EQ(deletedByUser_, 0);

  ASSERT_TRUE(presenter_.tap(gui::alertConfirmTitle()));
  EXPECT_TRUE(history_->empty());
  EXPECT_EQ(std::filesystem::file_size(root_.at(kHistoryPath)), 0u);
  EXPECT_EQ(view_.reloads, 1);
  EXPECT_EQ(view_.interaction, std::vector<bool>{false});
  EXPECT_EQ(mainQueue().pendingDelays(), std::vector<double>{0.4});
  mainQueue().advanceBy(0.39);
  EXPECT_TRUE(presenter_.pops.empty());
  mainQueue().advanceBy(0.01);
  EXPECT_EQ(presenter_.pops, std::vector<bool>{true});
  EXPECT_EQ(deletedByUser_, 1);
  EXPECT_EQ(fileChangedDeliveries(), 1);
}

TEST_F(HistoryVCTest, DeleteAllCancelledChangesNothing) {
  const std::string before = historyFile();
  screen_->onTrash();
  ASSERT_TRUE(presenter_.tap(gui::alertCancelTitle()));
  EXPECT_EQ(history_->size(), 3u);
  EXPECT_EQ(historyFile(), before);
  EXPECT_EQ(mainQueue().pendingCount(), 0u);
  EXPECT_EQ(view_.reloads, 0);
  EXPECT_EQ(deletedByUser_, 0);
  EXPECT_EQ(fileChangedDeliveries(), 0);
}

TEST_F(HistoryVCTest, TheRewriteReachesAnotherProcess) {
  std::string error;
  const auto waiter = gui_testing::NotifyWaiter::start(kFileChanged, 10, &error);
  ASSERT_NE(waiter, nullptr) << error;
  screen_->onDeleteRow(0);
  EXPECT_EQ(waiter->exitStatus(), 0);
}

TEST_F(HistoryVCTest, ReasonTexts) {
  struct Case {
    json r;
    const char* key;  // nullptr: the "rd" text
  };
  const Case cases[] = {
      {1, "block-reason-unknown-number"},
      {2, "block-reason-landline"},
      {3, "block-reason-mobile"},
      {4, "block-reason-blacklist"},
      {5, nullptr},
      {99, "block-reason-system"},
      {0, "block-reason-unknown"},
      {7, "block-reason-unknown"},
      {-4, "block-reason-unknown"},
      {4.9, "block-reason-blacklist"},
      {"99", "block-reason-system"},
      {json::array(), "block-reason-unknown"},
      {nullptr, "block-reason-unknown"},
  };
  for (const std::string language : {"en", "zh_CN"}) {
    gui::setLanguage(language);
    for (const Case& c : cases) {
      json r = recordJson("u", "1", 0, 0, "响一声");
      r["r"] = c.r;
      const std::string text = HistoryVC::reasonText(fromJson(r));
      if (c.key == nullptr) {
        EXPECT_EQ(text, "响一声");
      } else {
        EXPECT_EQ(text, gui::localizedString(c.key)) << c.r.dump();
        EXPECT_NE(text, c.key) << "no " << language << " text for " << c.key;
      }
    }
  }
  EXPECT_EQ(HistoryVC::reasonText({}), gui::localizedString("block-reason-unknown"));
}

// Each row names the rule its record stored, with the place from the lookup
// the main screen hands over, and says when the call was let through.
TEST_F(HistoryVCTest, RowsNameTheRuleThatDecided) {
  json areaCode = recordJson("x", "075512345678", 1700000400, 2);
  areaCode["rule"] = {{"kind", "area-code"}, {"value", "0755"}};
  json passed = recordJson("y", "15800001111", 1700000500, 3);
  passed["rule"] = {{"kind", "mobile-region"}, {"value", "020"}};
  passed["pass"] = "repeated-call";
  *history_ = {fromJson(passed), fromJson(areaCode), newest_};
  screen_->setPlaceLookup(
      [](const std::string& code) { return code == "0755" ? std::string("深圳") : std::string(); });
  EXPECT_EQ(screen_->cellForRow(0).rule, "let through: called again (blocked by 020)");
  EXPECT_EQ(screen_->cellForRow(1).rule, "blocked by 0755 深圳");
  EXPECT_EQ(screen_->cellForRow(2).rule, "");  // a record from before rules were kept
  EXPECT_EQ(screen_->cellForRow(2).title, "13800138000");
  *history_ = {record("z", "", 1700000600, 1)};
  EXPECT_EQ(screen_->cellForRow(0).phone, "");
  EXPECT_EQ(screen_->cellForRow(0).title, "No number");
}

// Times are shown in Asia/Shanghai whatever zone the machine is in.
TEST_F(HistoryVCTest, TimesInShanghai) {
  gui_testing::ScopedTimeZone zone("America/Los_Angeles");
  auto screen = std::make_shared<HistoryVC>();
  screen->setHistory(history_);
  screen->viewDidLoad();
  struct Case {
    json d;
    const char* shown;
  };
  const Case cases[] = {
      {0, "1970-01-01 08:00:00"},
      {1700000000, "2023-11-15 06:13:20"},
      {1700000000.9, "2023-11-15 06:13:20"},
      {"1700000000", "2023-11-15 06:13:20"},
      {1704067199, "2024-01-01 07:59:59"},  // still 2023 in UTC and in Los Angeles
      {-1, "1970-01-01 07:59:59"},
  };
  for (const Case& c : cases) {
    json r = recordJson("u", "1", 0, 1);
    r["d"] = c.d;
    *history_ = {fromJson(r)};
    EXPECT_EQ(screen->cellForRow(0).date, c.shown) << c.d.dump();
  }
  // Out of every calendar's range: shown somehow, never a crash.
  for (const json& d : {json(std::numeric_limits<int64_t>::max()),
                        json(std::numeric_limits<int64_t>::min()), json(1e300), json("x")}) {
    json r = recordJson("u", "1", 0, 1);
    r["d"] = d;
    *history_ = {fromJson(r)};
    const gui::HistoryCell cell = screen->cellForRow(0);
    // The rest of the row is shown as for any other record.
    EXPECT_EQ(cell.phone, "1") << d.dump();
    EXPECT_EQ(cell.reason, gui::HistoryVC::reasonText(fromJson(r))) << d.dump();
  }
}

TEST_F(HistoryVCTest, FollowsNewRecordsOnlyWhileVisible) {
  auto& center = gui::NotificationCenter::defaultCenter();
  center.postNotificationName("mp-history-added");
  EXPECT_EQ(view_.reloads, 0);
  screen_->viewDidAppear();
  screen_->viewDidAppear();  // a second appearance does not observe twice
  history_->insert(history_->begin(), record("d", "10086", 1700000400, 1));
  center.postNotificationName("mp-history-added");
  EXPECT_EQ(view_.reloads, 1);
  EXPECT_EQ(screen_->cellForRow(0).phone, "10086");
  screen_->viewDidDisappear();
  center.postNotificationName("mp-history-added");
  EXPECT_EQ(view_.reloads, 1);
  screen_->viewDidAppear();
  screen_.reset();  // gone while visible: its observer goes with it
  center.postNotificationName("mp-history-added");
  EXPECT_EQ(center.observerCount("mp-history-added"), 0u);
}

TEST_F(HistoryVCTest, AListThatIsGoneIsNeverWrittenOver) {
  const std::string before = historyFile();
  history_.reset();
  EXPECT_EQ(screen_->numberOfRows(), 0u);
  screen_->onDeleteRow(0);
  screen_->syncMPHistoryFile({oldest_});
  screen_->onTrash();
  ASSERT_TRUE(presenter_.tap(gui::alertConfirmTitle()));
  EXPECT_EQ(historyFile(), before);
  EXPECT_EQ(deletedByUser_, 0);
}

TEST_F(HistoryVCTest, KeptRecordsKeepTheirLinesAsTheyWere) {
  json odd = recordJson("e", "95555", 1700000500, 5, "诈骗\n\"引号\"");
  odd["extra"] = json::object({{"kept", true}});
  odd["p"] = 95555;  // a number where text belongs is shown
  const std::string oddLine = "{ \"z\": 1.50, " + odd.dump().substr(1) + "\n";
  const std::string notUtf8 = "{\"u\":\"f\",\"rd\":\"\xFF\xFE\"}\n";  // no record
  root_.write(kHistoryPath, line(oldest_) + oddLine + notUtf8);
  *history_ = gui::readHistoryFile(root_.at(kHistoryPath));
  ASSERT_EQ(history_->size(), 2u);
  EXPECT_EQ(screen_->cellForRow(0).phone, "95555");
  screen_->onDeleteRow(1);
  EXPECT_EQ(historyFile(), oddLine);
}

// A record the screening appends after the list was read and before a
// deletion stays in the file, and the list shows it from then on.
TEST_F(HistoryVCTest, ARecordAppendedSinceTheListWasReadIsNeverLost) {
  const gui::HistoryRecord appended = record("d", "10086", 1700000400, 1);
  const struct {
    const char* name;
    std::function<void(HistoryVC&)> remove;
    HistoryList left;
  } cases[] = {
      {"delete one", [](HistoryVC& s) { s.onDeleteRow(1); }, {appended, newest_, oldest_}},
      {"delete all",
       [this](HistoryVC& s) {
         s.onTrash();
         ASSERT_TRUE(presenter_.tap(gui::alertConfirmTitle()));
       },
       {appended}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    *history_ = {newest_, middle_, oldest_};
    root_.write(kHistoryPath, line(oldest_) + line(middle_) + line(newest_));
    std::ofstream(root_.at(kHistoryPath), std::ios::app) << line(appended);
    const int reloads = view_.reloads;
    c.remove(*screen_);
    EXPECT_EQ(historyFile(), historyFileText(c.left));
    EXPECT_EQ(*history_, c.left);
    EXPECT_EQ(view_.reloads, reloads + 1) << "the rows moved: the table is reloaded";
  }
}

// Records are removed by identity: one line per chosen record, whichever
// lines share its unique id.
TEST_F(HistoryVCTest, RemovesExactlyTheChosenRecords) {
  const gui::HistoryRecord again = record("c", "13800138000", 1700000999, 4);  // "u" of newest_
  const struct {
    const char* name;
    HistoryList file;  // newest first
    size_t row;
    HistoryList left;
  } cases[] = {
      {"same id, other time", {again, newest_, oldest_}, 1, {again, oldest_}},
      {"same id, the other one", {again, newest_, oldest_}, 0, {newest_, oldest_}},
      {"the same record twice", {newest_, newest_, oldest_}, 0, {newest_, oldest_}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    *history_ = c.file;
    root_.write(kHistoryPath, historyFileText(c.file));
    screen_->onDeleteRow(c.row);
    EXPECT_EQ(historyFile(), historyFileText(c.left));
    EXPECT_EQ(*history_, c.left);
  }
}

}  // namespace
