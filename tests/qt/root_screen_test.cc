// The main window on the offscreen platform: the switches write their
// documents and announce them, the rows open their screens and the counts
// follow the documents, the number lookup answers through its dialog.
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "hushgate-gui/core/screens/RootVC.h"
#include "hushgate-gui/core/screens/screen_texts.h"
#include "hushgate-gui/qt/qt_text.h"
#include "hushgate-gui/qt/root_screen.h"
#include "hushgate-gui/qt/switch_button.h"
#include "hushgate-gui/qt/tappable_row.h"
#include "statics/MobileRegionDetector.h"
#include "statics/Preference.h"
#include "statics/atomic_file.h"
#include "statics/format.h"
#include "statics/json_document.h"
#include "support/qt_gui_test.h"

namespace {

using qt_testing::localized;

Json documentAt(const std::string& path) {
  return parseJsonDocument(readWholeFile(path).value_or("")).value_or(Json());
}

class RootScreenTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<qt_testing::GuiSession> session_;
  gui_qt::RootScreen* root_ = nullptr;

  template <typename T>
  T* child(const char* name) {
    T* widget = session_->window().findChild<T*>(name);
    if (!widget) qWarning("no widget named %s", name);
    return widget;
  }

  QString labelText(const char* name) {
    auto* label = child<QLabel>(name);
    return label ? label->text() : QString();
  }

  void tapRow(const char* cellIdentifier) {
    auto* row = child<gui_qt::TappableRow>(cellIdentifier);
    QVERIFY(row);
    QTest::mouseClick(row, Qt::LeftButton, Qt::NoModifier, QPoint(20, row->height() / 2));
  }

 private slots:
  void init() {
    session_ = std::make_unique<qt_testing::GuiSession>();
    gui::RootVC::Environment environment;
    static const MobileRegionDetector detector(HUSHGATE_PHONEDATA_DIR);
    environment.regionDetector = &detector;
    root_ = static_cast<gui_qt::RootScreen*>(
        session_->push(std::make_shared<gui::RootVC>(environment)));
  }

  void cleanup() { session_.reset(); }

  void switchesWriteTheirDocumentAndAnnounceIt_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("phoneSide");
    QTest::newRow("enabled") << "enableSwitch"
                             << "enabled" << false;
    QTest::newRow("unknown") << "blockingUnknownSwitch"
                             << "block-unknown-enabled" << false;
    QTest::newRow("contacts") << "contactBypassSwitch"
                              << "bypass-contacts-enabled" << false;
    QTest::newRow("phone") << "MPSwitch"
                           << "mp-injection-enabled" << true;
    QTest::newRow("repeated calls") << "repeatedCallSwitch"
                                    << "repeated-call-enabled" << false;
    QTest::newRow("quiet hours") << "quietHoursSwitch"
                                 << "quiet-hours-enabled" << false;
    QTest::newRow("notifications") << "notifySwitch"
                                   << "notify-blocked-calls" << false;
  }

  void switchesWriteTheirDocumentAndAnnounceIt() {
    QFETCH(QString, name);
    QFETCH(QString, key);
    QFETCH(bool, phoneSide);
    const std::string path = phoneSide ? Preference::mpPrefFilePath() : Preference::prefFilePath();
    const std::string k = gui_qt::toStdString(key);
    qt_testing::NotificationCounter updates(kPreferenceUpdatedNotification);

    auto* toggle = child<gui_qt::SwitchButton>(qPrintable(name));
    QVERIFY(toggle);
    const bool before = toggle->isChecked();
    QTest::mouseClick(toggle, Qt::LeftButton);
    QCOMPARE(toggle->isChecked(), !before);
    const Json written = documentAt(path);
    QVERIFY2(written.is_object() && written.contains(k), written.dump().c_str());
    QVERIFY(written[k] == Json(!before));

    if (phoneSide) {
      // The Phone side reads it at its next start: the user is told so, and
      // nothing is announced to the screening.
      gui_qt::AlertDialog* alert = qt_testing::waitForAlert();
      QVERIFY(alert);
      QCOMPARE(gui_qt::toQString(alert->alert().title.value_or("")),
               localized("restart-mp-prompt"));
      QVERIFY(qt_testing::pressAlertButton(alert, "确定"));
      QVERIFY(qt_testing::deliverEarlierPosts());
      QCOMPARE(updates.count(), 0);
      QVERIFY(!documentAt(Preference::prefFilePath()).contains(k));
    } else {
      QVERIFY(updates.waitFor(1));
      QVERIFY(qt_testing::drainMainQueue());
      QVERIFY(!qt_testing::waitForAlert(0));
    }
    // And back.
    QTest::mouseClick(toggle, Qt::LeftButton);
    QVERIFY(documentAt(path)[k] == Json(before));
    if (phoneSide) QVERIFY(qt_testing::pressAlertButton(qt_testing::waitForAlert(), "确定"));
  }

  void statusFollowsTheMasterSwitch() {
    auto* toggle = child<gui_qt::SwitchButton>("enableSwitch");
    QVERIFY(toggle);
    const QString before = labelText("statusLabel");
    QCOMPARE(before, toggle->isChecked() ? localized("enabled") : localized("disabled"));
    QTest::mouseClick(toggle, Qt::LeftButton);
    QCOMPARE(labelText("statusLabel"),
             toggle->isChecked() ? localized("enabled") : localized("disabled"));
    QVERIFY(labelText("statusLabel") != before);
  }

  void rowsOpenTheirScreensAndCountsFollowOnReturn_data() {
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("scene");
    QTest::newRow("zones") << "cell.zone"
                           << "sb.zones";
    QTest::newRow("mobile zones") << "cell.mobilezone"
                                  << "sb.mobilezones";
    QTest::newRow("blacklist") << "cell.blacklist"
                               << "sb.blacklist";
    QTest::newRow("allow-list") << "cell.allowlist"
                                << "sb.allowlist";
    QTest::newRow("prefixes") << "cell.ignored-prefix"
                              << "sb.ignored-prefix";
    QTest::newRow("keywords") << "cell.keywords"
                              << "sb.blackkeywords";
    QTest::newRow("notices") << "cell.opensource"
                             << "sb.opensource";
  }

  void rowsOpenTheirScreensAndCountsFollowOnReturn() {
    QFETCH(QString, cell);
    QFETCH(QString, scene);
    QCOMPARE(labelText("blackListCountLabel"), localized("no-config"));
    tapRow(qPrintable(cell));
    QCOMPARE(session_->window().depth(), size_t{2});
    QCOMPARE(gui_qt::toQString(session_->window().topScreen()->screen()->sceneIdentifier()), scene);
    auto* title = child<QLabel>("navigationTitle");
    QCOMPARE(title->text(), gui_qt::toQString(gui::sceneTitle(gui_qt::toStdString(scene))));

    // A change made meanwhile shows when the main screen is back.
    Json& pref = Preference::sharedInstance().pref();
    pref["blacklist"] = Json::array({Json::array({"110", "^110$", ""})});
    Preference::sharedInstance().saveOnly();
    auto* back = child<QPushButton>("backButton");
    QVERIFY(back && back->isVisible());
    QTest::mouseClick(back, Qt::LeftButton);
    QCOMPARE(session_->window().depth(), size_t{1});
    QCOMPARE(labelText("blackListCountLabel"),
             gui_qt::toQString(stringWithFormat(gui::localizedString("record-count-fmt"), 1)));
    QVERIFY(!back->isVisible());
    QVERIFY(!child<gui_qt::TappableRow>(qPrintable(cell))->isSelected());
  }

  void anEmptyHistoryRowShowsNoDisclosureMark() {
    auto* mark = child<QLabel>("historyDisclosure");
    QVERIFY(mark);
    QTRY_COMPARE(labelText("historyCount"), localized("no-records"));
    QVERIFY(mark->isHidden());
  }

  void altLeftAndEscapeGoBack() {
    session_->window().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&session_->window()));
    for (const auto& [key, modifiers] :
         {std::pair{Qt::Key_Left, Qt::AltModifier}, std::pair{Qt::Key_Escape, Qt::NoModifier}}) {
      tapRow("cell.blacklist");
      QCOMPARE(session_->window().depth(), size_t{2});
      QTest::keyClick(&session_->window(), key, modifiers);
      QCOMPARE(session_->window().depth(), size_t{1});
      QTest::keyClick(&session_->window(), key, modifiers);  // nothing below the main screen
      QCOMPARE(session_->window().depth(), size_t{1});
    }
  }

  void ctrlQQuits() {
    session_->window().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&session_->window()));
    QShortcut* quit = nullptr;
    for (QShortcut* shortcut : session_->window().findChildren<QShortcut*>()) {
      if (shortcut->key() == QKeySequence(Qt::CTRL | Qt::Key_Q)) quit = shortcut;
    }
    QVERIFY(quit);
    QSignalSpy activated(quit, &QShortcut::activated);
    QTest::keyClick(&session_->window(), Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(activated.count(), 1);
  }

  void numberLookupAnswersThroughItsDialog_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("messagePart");
    QTest::newRow("grouped") << "138 0013 8000"
                             << "13800138000"
                             << "北京";
    QTest::newRow("province") << "13309881234"
                              << "13309881234"
                              << "辽宁 - 沈阳";
    QTest::newRow("short") << "1380013" << localized("invalid-mobile-format") << "";
  }

  void numberLookupAnswersThroughItsDialog() {
    QFETCH(QString, typed);
    QFETCH(QString, title);
    QFETCH(QString, messagePart);
    tapRow("cell.mobiletest");
    gui_qt::AlertDialog* dialog = qt_testing::waitForAlert();
    QVERIFY(dialog);
    QCOMPARE(dialog->fields().size(), size_t{1});
    QCOMPARE(dialog->fields()[0]->placeholderText(), localized("mobile-query-placeholer"));
    qt_testing::typeText(dialog->fields()[0], typed);
    QCOMPARE(dialog->fields()[0]->text(), typed);
    // Cancel first, then ok, as the dialog lists them.
    QCOMPARE(dialog->buttons()[0]->text(), localized("cancel"));
    QVERIFY(qt_testing::pressAlertButton(dialog, localized("ok")));
    gui_qt::AlertDialog* answer = qt_testing::waitForAlert();
    QVERIFY(answer && answer != dialog);
    QCOMPARE(gui_qt::toQString(answer->alert().title.value_or("")), title);
    const QString message = gui_qt::toQString(answer->alert().message.value_or(""));
    QVERIFY2(message.contains(messagePart), qPrintable(message));
    QVERIFY(qt_testing::pressAlertButton(answer, "确定"));
  }

  void numberTesterNamesTheRule_data() {
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("messagePart");
    QTest::newRow("blacklist") << "170 1234 5678"
                               << ""
                               << "17012345678"
                               << "规则：黑名单 170*";
    QTest::newRow("allowed") << "17000000001"
                             << ""
                             << "17000000001"
                             << "规则：白名单 17000000001";
    QTest::newRow("keyword") << "13912345678"
                             << "快递推销"
                             << "13912345678"
                             << "规则：关键词 推销";
    QTest::newRow("empty") << " "
                           << "" << localized("tester-empty-number") << "";
  }

  void numberTesterNamesTheRule() {
    QFETCH(QString, number);
    QFETCH(QString, label);
    QFETCH(QString, title);
    QFETCH(QString, messagePart);
    Json& pref = Preference::sharedInstance().pref();
    pref["blacklist"] = Json::array({Json::array({"170*", "^170\\d*$", ""})});
    pref["allowlist"] = Json::array({Json::array({"17000000001", "^17000000001$", ""})});
    pref["keywords"] = Json::array({"推销"});
    Preference::sharedInstance().saveOnly();
    const std::string saved = readWholeFile(Preference::prefFilePath()).value_or("");
    tapRow("cell.tester");
    gui_qt::AlertDialog* dialog = qt_testing::waitForAlert();
    QVERIFY(dialog);
    QCOMPARE(dialog->fields().size(), size_t{2});
    qt_testing::typeText(dialog->fields()[0], number);
    qt_testing::typeText(dialog->fields()[1], label);
    QVERIFY(qt_testing::pressAlertButton(dialog, localized("ok")));
    gui_qt::AlertDialog* answer = qt_testing::waitForAlert();
    QVERIFY(answer && answer != dialog);
    QCOMPARE(gui_qt::toQString(answer->alert().title.value_or("")), title);
    const QString message = gui_qt::toQString(answer->alert().message.value_or(""));
    QVERIFY2(message.contains(messagePart), qPrintable(message));
    QVERIFY(qt_testing::pressAlertButton(answer, "确定"));
    QCOMPARE(readWholeFile(Preference::prefFilePath()).value_or(""), saved);
  }

  // The export asks for a file with Qt's file dialog and writes the rules
  // there.
  void exportAsksForAFileAndWritesIt() {
    tapRow("cell.export-rules");
    QFileDialog* dialog = nullptr;
    QTRY_VERIFY((dialog = session_->window().findChild<QFileDialog*>("fileDialog")) != nullptr);
    QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
    const QString path =
        QFileInfo(QString::fromStdString(Preference::prefFilePath())).absolutePath() +
        "/exported-rules.json";
    dialog->selectFile(path);
    static_cast<QDialog*>(dialog)->accept();  // as the dialog's own button does
    gui_qt::AlertDialog* done = qt_testing::waitForAlert();
    QVERIFY(done);
    QVERIFY(QFile::exists(path));
    QVERIFY(readWholeFile(gui_qt::toStdString(path)).value_or("").find("hushgate-rules") !=
            std::string::npos);
    QVERIFY(qt_testing::pressAlertButton(done, "确定"));
  }

  void exitHidesTheWindow() {
    auto* exit = child<QPushButton>("exitButton");
    QVERIFY(exit);
    QTest::mouseClick(exit, Qt::LeftButton);
    QVERIFY(session_->window().isMinimized());
  }
};

}  // namespace

HUSHGATE_QT_TEST_MAIN(RootScreenTest)
#include "root_screen_test.moc"
