// Alerts, questions and the progress overlay over the window: button order
// and styles, Escape, text-field delegates counted in UTF-16 units, one
// overlay at a time; the donation rows with their overlay, list alert and the
// payment application opened through the device's URL handlers.
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <vector>

#include "gui/support/http_test_server.h"
#include "hushgate-gui/core/kit/AlertUtil.h"
#include "hushgate-gui/core/models/donation.h"
#include "hushgate-gui/core/screens/RootVC.h"
#include "hushgate-gui/qt/hud_overlay.h"
#include "hushgate-gui/qt/qt_text.h"
#include "hushgate-gui/qt/style.h"
#include "hushgate-gui/qt/tappable_row.h"
#include "support/qt_gui_test.h"

namespace {

using qt_testing::localized;

gui::AlertActionStyle styleOf(QPushButton* button) {
  return static_cast<gui::AlertActionStyle>(button->property("actionStyle").toInt());
}

int hudCount(QWidget& window) {
  int shown = 0;
  for (auto* hud : window.findChildren<gui_qt::HudOverlay*>()) shown += hud->isVisible() ? 1 : 0;
  return shown;
}

class AlertsAndOverlayTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<qt_testing::GuiSession> session_;

  void tapRow(const char* cell) {
    auto* row = session_->window().findChild<gui_qt::TappableRow*>(cell);
    QVERIFY(row);
    QTest::mouseClick(row, Qt::LeftButton, Qt::NoModifier, QPoint(20, row->height() / 2));
  }

 private slots:
  void init() { session_ = std::make_unique<qt_testing::GuiSession>(); }
  void cleanup() {
    session_.reset();
    gui::setDonationServerForTesting("");
  }

  void questionsListCancelThenConfirm() {
    int confirmed = 0;
    gui::AlertUtil::showQuery("清空", "确定吗？", true, [&] { ++confirmed; });
    gui_qt::AlertDialog* dialog = qt_testing::waitForAlert();
    QVERIFY(dialog);
    QCOMPARE(dialog->buttons().size(), size_t{2});
    QCOMPARE(dialog->buttons()[0]->text(), QStringLiteral("取消"));
    QCOMPARE(styleOf(dialog->buttons()[0]), gui::AlertActionStyle::Cancel);
    QCOMPARE(dialog->buttons()[1]->text(), QStringLiteral("确定"));
    QCOMPARE(styleOf(dialog->buttons()[1]), gui::AlertActionStyle::Destructive);
    // Destructive is drawn in red, the others are not.
    QVERIFY(dialog->buttons()[1]->styleSheet().contains(gui_qt::kDestructiveColor.name()));
    QVERIFY(!dialog->buttons()[0]->styleSheet().contains(gui_qt::kDestructiveColor.name()));
    QCOMPARE(dialog->findChild<QLabel*>("alertTitle")->text(), QStringLiteral("清空"));
    QCOMPARE(dialog->findChild<QLabel*>("alertMessage")->text(), QStringLiteral("确定吗？"));

    // Escape is the cancel button: closed, nothing confirmed.
    QTest::keyClick(dialog, Qt::Key_Escape);
    QVERIFY(qt_testing::waitUntil([&] { return !qt_testing::waitForAlert(0); }));
    QCOMPARE(confirmed, 0);

    gui::AlertUtil::showQuery(std::nullopt, "m", false, [&] { ++confirmed; });
    dialog = qt_testing::waitForAlert();
    QCOMPARE(styleOf(dialog->buttons()[1]), gui::AlertActionStyle::Default);
    QVERIFY(qt_testing::pressAlertButton(dialog, "确定"));
    QCOMPARE(confirmed, 1);
    QVERIFY(!dialog->isVisible());
  }

  void anInfoAlertClosesWithItsButtonOrEscape() {
    int confirmed = 0;
    gui::AlertUtil::showInfo("t", std::nullopt, [&] { ++confirmed; });
    gui_qt::AlertDialog* dialog = qt_testing::waitForAlert();
    QVERIFY(dialog);
    QVERIFY(!dialog->findChild<QLabel*>("alertMessage"));
    QVERIFY(qt_testing::pressAlertButton(dialog, "确定"));
    QCOMPARE(confirmed, 1);
    gui::AlertUtil::showInfo("t", std::nullopt, [&] { ++confirmed; });
    dialog = qt_testing::waitForAlert();
    QTest::keyClick(dialog, Qt::Key_Escape);
    QVERIFY(qt_testing::waitUntil([&] { return !qt_testing::waitForAlert(0); }));
    QCOMPARE(confirmed, 2);
  }

  void returnPressesTheDefaultButtonNeverADestructiveOne() {
    struct Case {
      bool danger;
      int confirmsOnReturn;
    };
    for (const Case c : {Case{false, 1}, Case{true, 0}}) {
      int confirmed = 0;
      gui::AlertUtil::showQuery("t", "m", c.danger, [&] { ++confirmed; });
      gui_qt::AlertDialog* dialog = qt_testing::waitForAlert();
      QVERIFY(dialog);
      QTest::keyClick(dialog, Qt::Key_Return);
      QCoreApplication::processEvents();
      QCOMPARE(confirmed, c.confirmsOnReturn);
      if (qt_testing::waitForAlert(0)) QTest::keyClick(dialog, Qt::Key_Escape);
      QVERIFY(qt_testing::waitUntil([&] { return !qt_testing::waitForAlert(0); }));
    }
  }

  void fieldEditsGoThroughTheDelegateInUtf16Units() {
    struct Edit {
      std::string current;
      size_t location, length;
      std::string replacement;
    };
    std::vector<Edit> edits;
    auto alert = std::make_shared<gui::Alert>();
    auto field = std::make_shared<gui::AlertTextField>();
    auto ok = std::make_shared<gui::AlertAction>();
    ok->title = "ok";
    ok->enabled = false;
    // Takes at most four UTF-16 units and enables "ok" once there are any.
    field->shouldChange = [&](const std::string& current, size_t location, size_t length,
                              const std::string& replacement) {
      edits.push_back({current, location, length, replacement});
      const QString after = gui_qt::toQString(current).replace(static_cast<qsizetype>(location),
                                                               static_cast<qsizetype>(length),
                                                               gui_qt::toQString(replacement));
      if (after.size() > 4) return false;
      ok->enabled = !after.isEmpty();
      return true;
    };
    alert->textFields = {field};
    alert->actions = {ok};
    gui::presenter().presentAlert(alert);
    gui_qt::AlertDialog* dialog = qt_testing::waitForAlert();
    QVERIFY(dialog);
    QLineEdit* line = dialog->fields()[0];
    QVERIFY(!dialog->buttons()[0]->isEnabled());

    qt_testing::typeText(line, QStringLiteral("a😀b号x"));
    QCOMPARE(line->text(), QStringLiteral("a😀b"));
    QCOMPARE(field->text, std::string("a😀b"));
    QVERIFY(dialog->buttons()[0]->isEnabled());
    QCOMPARE(edits.size(), size_t{5});       // a, 😀, b, 号 (refused), x (refused)
    QCOMPARE(edits[2].location, size_t{3});  // after "a" and a surrogate pair
    QCOMPARE(edits[2].replacement, std::string("b"));
    QCOMPARE(edits[3].location, size_t{4});

    // Deleting the emoji is one edit of two units in the middle.
    line->setCursorPosition(3);
    qt_testing::pressBackspace(line);
    QCOMPARE(edits.back().location, size_t{1});
    QCOMPARE(edits.back().length, size_t{2});
    QCOMPARE(edits.back().replacement, std::string());
    QCOMPARE(line->text(), QStringLiteral("ab"));

    line->end(false);
    qt_testing::pressBackspace(line, 3);
    QCOMPARE(line->text(), QString());
    QVERIFY(!dialog->buttons()[0]->isEnabled());
    QVERIFY(!qt_testing::pressAlertButton(dialog, "ok"));
    ok->enabled = true;
    dialog->refreshButtons();
    QVERIFY(qt_testing::pressAlertButton(dialog, "ok"));
  }

  void oneOverlayAtATimeOverTheWindow() {
    QWidget& window = session_->window();
    gui::AlertUtil::showWaitingHud("加载中");
    auto* hud = session_->window().hud();
    QVERIFY(hud && hud->isVisible());
    QCOMPARE(hud->geometry(), window.rect());
    QCOMPARE(hud->hud().indicator, gui::HudIndicator::Indeterminate);
    QCOMPARE(hud->hud().text.value_or(""), std::string("加载中"));

    gui::AlertUtil::showProgressHud(std::nullopt);
    QCOMPARE(hudCount(window), 1);
    hud = session_->window().hud();
    QCOMPARE(hud->hud().indicator, gui::HudIndicator::Pie);
    gui::AlertUtil::updateHudProgress(0.5f);
    gui::AlertUtil::updateHudText("一半");
    QCOMPARE(session_->window().hud()->hud().progress, 0.5f);
    QCOMPARE(session_->window().hud()->hud().text.value_or(""), std::string("一半"));

    // It follows the window's size and takes its clicks.
    window.resize(500, 900);
    QCOMPARE(session_->window().hud()->geometry(), window.rect());

    gui::AlertUtil::hideHud();
    QVERIFY(!session_->window().hud());
    QCOMPARE(hudCount(window), 0);
    gui::AlertUtil::hideHud();  // nothing to hide
  }

  void donationRowsShowTheListAndOpenThePaymentApplication() {
    // The device has a payment application: a handler for "alipay".
    const std::string opened = session_->root().at("/alipay-opened");
    session_->root().write("/Library/URLHandlers/alipay",
                           "#!/bin/sh\nprintf '%s' \"$1\" > '" + opened + "'\n");
    QVERIFY(QFile::setPermissions(
        QString::fromStdString(session_->root().at("/Library/URLHandlers/alipay")),
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    gui_testing::HttpTestServer server;
    QVERIFY(server.ok());
    server.respondWith({200, "OK", "application/json",
                        R"([{"name":"小明","created_at":"2023-12-31T23:30:00.000Z","amount":5}])"});
    gui::setDonationServerForTesting(server.url());

    session_->push(std::make_shared<gui::RootVC>());
    tapRow("cell.donationlist");
    QVERIFY(session_->window().hud());  // the overlay while the list loads
    gui_qt::AlertDialog* list = qt_testing::waitForAlert();
    QVERIFY(list);
    QVERIFY(!session_->window().hud());
    QCOMPARE(gui_qt::toQString(list->alert().title.value_or("")), localized("donation-list"));
    QVERIFY(list->findChild<QLabel*>("alertMessage")
                ->text()
                .contains(QStringLiteral("小明（2023-12-31）￥5.00")));
    QCOMPARE(list->buttons()[0]->text(), localized("donate-alipay"));
    QCOMPARE(list->buttons()[1]->text(), localized("ok"));

    QVERIFY(qt_testing::pressAlertButton(list, localized("donate-alipay")));
    gui_qt::AlertDialog* copied = qt_testing::waitForAlert();
    QVERIFY(copied && copied != list);
    QCOMPARE(QApplication::clipboard()->text(), QString::fromLatin1(gui::kDonationAccount));
    QCOMPARE(gui_qt::toQString(copied->alert().title.value_or("")),
             localized("donate-alipay-copied"));
    QVERIFY(gui_qt::toQString(copied->alert().message.value_or(""))
                .contains(localized("donate-alert-title-2")));
    QVERIFY(qt_testing::pressAlertButton(copied, "确定"));
    QVERIFY(qt_testing::waitUntil([&] { return session_->root().exists("/alipay-opened"); }));
    QCOMPARE(session_->root().read("/alipay-opened"), std::string(gui::kPaymentURL));
  }
};

}  // namespace

HUSHGATE_QT_TEST_MAIN(AlertsAndOverlayTest)
#include "alerts_and_overlay_test.moc"
