// The history viewer's widget on a real history file: the rows' texts, the
// delete action of a row and the confirmed clear-all, with the file read
// back from disk.
#include "hushgate-gui/qt/history_screen.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "hushgate-gui/core/kit/notification_center.h"
#include "hushgate-gui/core/models/history_reader.h"
#include "hushgate-gui/core/screens/HistoryVC.h"
#include "hushgate-gui/qt/qt_text.h"
#include "hushgate-gui/qt/table_rows.h"
#include "row_table_driver.h"
#include "statics/atomic_file.h"
#include "statics/contracts/block_record.h"
#include "statics/history_file.h"
#include "support/qt_gui_test.h"

namespace {

using gui_qt::toQString;
using nlohmann::json;
using qt_testing::localized;

constexpr char kFileChanged[] = "com.tevrin.hushgate.mp-history-file-changed";

// The screen beneath the viewer, so that the viewer can be popped.
class BaseScreen : public gui::Screen {
 public:
  std::string sceneIdentifier() const override { return "test.base"; }
};

// Oldest first, as the screening appends them.
const std::vector<BlockRecord> kRecords = {
    {"a", "+8613912345678", 1700000100, 5, "广告推销"},
    {"b", "02088886666", 1700000200, 2, ""},
    {"c", "95555", 1700000250, 99, ""},
    {"d", "", 1700000260, 7, ""},
    {"e", "13800138000", 1700000300, 4, ""},
};

void writeHistory(const std::vector<BlockRecord>& records) {
  const std::string path = mpHistoryFilePathFromOutside();
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (const BlockRecord& record : records) out << blockRecordLine(record);
}

std::string historyFileText() {
  return readWholeFile(mpHistoryFilePathFromOutside()).value_or("");
}

// The unique ids of the records in the file, in file order; the text must
// end each record with a new line.
std::vector<std::string> idsInFile() {
  const std::string text = historyFileText();
  if (!text.empty() && text.back() != '\n') return {"<no final new line>"};
  std::vector<std::string> ids;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    const std::optional<BlockRecord> record = parseBlockRecordLine(line);
    ids.push_back(record ? record->uniqueId : "<not a record>");
  }
  return ids;
}

// The viewer pushed over a base screen, on the records of the file (loaded
// as the main screen loads them).
struct Viewer {
  std::shared_ptr<gui::HistoryList> history;
  std::shared_ptr<gui::HistoryVC> model;
  gui_qt::HistoryScreen* screen = nullptr;
  gui_qt::RowTable* table = nullptr;
  QPushButton* trashButton = nullptr;

  QStringList phones() const {
    QStringList shown;
    for (int row = 0; row < qt_testing::rowCount(table); ++row) {
      shown << qt_testing::rowText(table, row);
    }
    return shown;
  }
};

Viewer open(qt_testing::GuiSession& session, const std::vector<BlockRecord>& records) {
  writeHistory(records);
  Viewer viewer;
  viewer.history =
      std::make_shared<gui::HistoryList>(gui::readHistoryFile(mpHistoryFilePathFromOutside()));
  viewer.model = std::make_shared<gui::HistoryVC>();
  viewer.model->setHistory(viewer.history);
  session.push(std::make_shared<BaseScreen>());
  viewer.screen = qobject_cast<gui_qt::HistoryScreen*>(session.push(viewer.model));
  if (viewer.screen == nullptr) qFatal("the history viewer has no HistoryScreen");
  viewer.table = viewer.screen->findChild<gui_qt::RowTable*>("table");
  viewer.trashButton = session.window().findChild<QPushButton*>("trashButton");
  if (!viewer.table || !viewer.trashButton) qFatal("controls missing");
  return viewer;
}

}  // namespace

class HistoryScreenTest : public QObject {
  Q_OBJECT

 private slots:
  void rowsShowNumberTimeAndReason();
  void aRowIsDeletedThroughItsAction();
  void clearAllAsksThenClosesAfterFourTenths();
  void newBlocksShowWhileOpen();
  void headerCountsRecentBlocksAndFollowsDeletions();
};

// The header counts the blocks of the last 7 and 30 days by reason, and
// counts again when a row goes.
void HistoryScreenTest::headerCountsRecentBlocksAndFollowsDeletions() {
  const int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                          std::chrono::system_clock::now().time_since_epoch())
                          .count();
  qt_testing::GuiSession session;
  Viewer viewer = open(session, {{"old", "13800138000", now - 10 * 86400, 4, ""},
                                 {"new", "02088886666", now - 60, 2, ""}});
  QLabel* header = viewer.screen->summary();
  QVERIFY(header && header->isVisible());
  QCOMPARE(header->text(), QString("近 7 天拦截 1 次：固话地区拦截 1\n"
                                   "近 30 天拦截 2 次：固话地区拦截 1，黑名单 1"));
  QVERIFY(qt_testing::pressPopupButton(qt_testing::clickActionsButton(viewer.table, 0),
                                       localized("delete")));
  QTRY_COMPARE(header->text(), QString("近 7 天拦截 0 次\n近 30 天拦截 1 次：黑名单 1"));
}

void HistoryScreenTest::rowsShowNumberTimeAndReason() {
  qt_testing::GuiSession session;
  const Viewer viewer = open(session, kRecords);
  QCOMPARE(viewer.screen->objectName(), QString("sb.history"));
  QCOMPARE(viewer.trashButton->text(), localized("trash"));
  QVERIFY(viewer.trashButton->isEnabled());

  struct Row {
    QString phone, date, reason;
  };
  // Newest first; times in Asia/Shanghai (UTC+8).
  const std::vector<Row> expected = {
      {"13800138000", "2023-11-15 06:18:20", localized("block-reason-blacklist")},
      {localized("history-no-number"), "2023-11-15 06:17:40", localized("block-reason-unknown")},
      {"95555", "2023-11-15 06:17:30", localized("block-reason-system")},
      {"02088886666", "2023-11-15 06:16:40", localized("block-reason-landline")},
      {"+8613912345678", "2023-11-15 06:15:00", "广告推销"},
  };
  QCOMPARE(qt_testing::rowCount(viewer.table), static_cast<int>(expected.size()));
  for (size_t i = 0; i < expected.size(); ++i) {
    const int row = static_cast<int>(i);
    QCOMPARE(qt_testing::rowText(viewer.table, row), expected[i].phone);
    QCOMPARE(qt_testing::rowDetails(viewer.table, row),
             (QStringList{expected[i].date, expected[i].reason}));
  }
  QVERIFY(localized("block-reason-unknown") != "block-reason-unknown");
  QCOMPARE(localized("history-no-number"), QString("未知号码"));
  QVERIFY(!viewer.table->showsEmptyText());
}

// The row's last action, "delete" in red, rewrites the file without the
// record and announces it; the screen stays open also when nothing is left.
void HistoryScreenTest::aRowIsDeletedThroughItsAction() {
  qt_testing::GuiSession session;
  const std::vector<BlockRecord> three(kRecords.begin(), kRecords.begin() + 3);
  Viewer viewer = open(session, three);
  QCOMPARE(viewer.phones(), (QStringList{"95555", "02088886666", "+8613912345678"}));
  const qt_testing::NotificationCounter changes(kFileChanged);

  gui_qt::RowActionsPopup* popup = qt_testing::clickActionsButton(viewer.table, 1);
  QVERIFY(popup != nullptr);
  QCOMPARE(
      qt_testing::buttonTitles(popup),
      (QStringList{localized("history-add-to-blacklist"), localized("history-add-to-allowlist"),
                   localized("history-copy-number"), localized("delete")}));
  QVERIFY(!qt_testing::drawnInRed(popup->button(localized("history-copy-number"))));
  QVERIFY(qt_testing::drawnInRed(popup->button(localized("delete"))));
  QVERIFY(qt_testing::pressPopupButton(popup, localized("delete")));
  QVERIFY(changes.waitFor(1));
  QCOMPARE(idsInFile(), (std::vector<std::string>{"a", "c"}));
  QCOMPARE(viewer.phones(), (QStringList{"95555", "+8613912345678"}));
  QCOMPARE(viewer.history->size(), size_t(2));

  QVERIFY(qt_testing::pressPopupButton(qt_testing::rightClickRow(viewer.table, 0),
                                       localized("delete")));
  QVERIFY(qt_testing::pressPopupButton(qt_testing::clickActionsButton(viewer.table, 0),
                                       localized("delete")));
  QVERIFY(changes.waitFor(3));
  QVERIFY(std::filesystem::exists(mpHistoryFilePathFromOutside()));
  QCOMPARE(historyFileText(), std::string());
  QCOMPARE(qt_testing::rowCount(viewer.table), 0);
  QVERIFY(viewer.table->showsEmptyText());
  // A close would be queued with its delay; it would have run by now.
  QVERIFY(qt_testing::drainMainQueue());
  QCOMPARE(session.window().depth(), size_t(2));
  QCOMPARE(session.window().topScreen(), viewer.screen);
}

// Clear-all asks with the history's title and message; cancelling keeps
// everything; confirming empties the file at once, stops the table and
// closes the screen 0.4 s later.
void HistoryScreenTest::clearAllAsksThenClosesAfterFourTenths() {
  qt_testing::GuiSession session;
  Viewer viewer = open(session, kRecords);
  const std::string fileBefore = historyFileText();
  const qt_testing::NotificationCounter changes(kFileChanged);

  QTest::mouseClick(viewer.trashButton, Qt::LeftButton);
  gui_qt::AlertDialog* dialog = qt_testing::waitForAlert();
  QVERIFY(dialog != nullptr);
  QCOMPARE(dialog->alert().title.value_or(""), gui::localizedString("trash-history-alert-title"));
  QCOMPARE(dialog->alert().message.value_or(""),
           gui::localizedString("trash-history-alert-content"));
  QCOMPARE(dialog->buttons().size(), size_t(2));
  QCOMPARE(dialog->buttons()[0]->text(), QString("取消"));
  QCOMPARE(dialog->buttons()[1]->text(), QString("确定"));
  QVERIFY(!qt_testing::drawnInRed(dialog->buttons()[0]));
  QVERIFY(qt_testing::drawnInRed(dialog->buttons()[1]));
  QVERIFY(qt_testing::pressAlertButton(dialog, "取消"));
  QVERIFY(qt_testing::deliverEarlierPosts());
  QCOMPARE(changes.count(), 0);
  QCOMPARE(historyFileText(), fileBefore);
  QCOMPARE(qt_testing::rowCount(viewer.table), static_cast<int>(kRecords.size()));

  QTest::mouseClick(viewer.trashButton, Qt::LeftButton);
  dialog = qt_testing::waitForAlert();
  QElapsedTimer sinceConfirmed;
  sinceConfirmed.start();
  QVERIFY(qt_testing::pressAlertButton(dialog, "确定"));
  QVERIFY(std::filesystem::exists(mpHistoryFilePathFromOutside()));
  QCOMPARE(historyFileText(), std::string());
  QVERIFY(viewer.history->empty());
  QCOMPARE(qt_testing::rowCount(viewer.table), 0);
  QVERIFY(!viewer.table->isEnabled());
  QVERIFY(!viewer.trashButton->isEnabled());
  QCOMPARE(session.window().depth(), size_t(2));

  QVERIFY(qt_testing::waitUntil([&] { return session.window().depth() == 1; }));
  QVERIFY2(sinceConfirmed.elapsed() >= 380, "closed before 0.4 s");
  QVERIFY(changes.waitFor(1));
  QCOMPARE(session.window().topScreen()->screen()->sceneIdentifier(), std::string("test.base"));
}

// While the viewer is shown, the main screen's "mp-history-added" makes the
// table follow the shared list; a row's open actions close, since the rows
// moved under them. The keyboard opens the current row's actions.
void HistoryScreenTest::newBlocksShowWhileOpen() {
  qt_testing::GuiSession session;
  Viewer viewer = open(session, {kRecords[0]});
  QCOMPARE(viewer.phones(), QStringList{"+8613912345678"});
  QVERIFY(qt_testing::clickActionsButton(viewer.table, 0) != nullptr);

  // The screening appends a record and the main screen reads it.
  const BlockRecord added{"z", "17000000000", 1700000400, BlockReasonMobile, ""};
  std::ofstream(mpHistoryFilePathFromOutside(), std::ios::binary | std::ios::app)
      << blockRecordLine(added);
  viewer.history->insert(viewer.history->begin(), added);
  gui::NotificationCenter::defaultCenter().postNotificationName(kMPHistoryAddedNotification);
  QVERIFY(qt_testing::waitUntil([&] { return qt_testing::rowCount(viewer.table) == 2; }));
  QCOMPARE(viewer.phones(), (QStringList{"17000000000", "+8613912345678"}));
  QCOMPARE(qt_testing::rowDetails(viewer.table, 0),
           (QStringList{"2023-11-15 06:20:00", localized("block-reason-mobile")}));
  QVERIFY(viewer.table->actionsPopup() == nullptr);

  viewer.table->setCurrentIndex(viewer.table->model()->index(1, 0));
  QTest::keyClick(viewer.table, Qt::Key_Return);
  QVERIFY(qt_testing::pressPopupButton(viewer.table->actionsPopup(), localized("delete")));
  QCOMPARE(viewer.phones(), QStringList{"17000000000"});
  QCOMPARE(idsInFile(), std::vector<std::string>{"z"});
}

HUSHGATE_QT_TEST_MAIN(HistoryScreenTest)
#include "history_screen_test.moc"
