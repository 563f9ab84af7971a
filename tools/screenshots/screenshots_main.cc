// Takes a picture of every screen of the settings application on the device
// that HUSHGATE_ROOT names, driving the real widgets as a user would:
//   hushgate-gui-screenshots OUTPUT_DIR
// Run on the offscreen platform (QT_QPA_PLATFORM=offscreen). A dialog is
// drawn over the dimmed window, where the platform would show it.
#include <QApplication>
#include <QDBusArgument>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "hushgate-gui/core/kit/localization.h"
#include "hushgate-gui/core/screens/RootVC.h"
#include "hushgate-gui/qt/alert_dialog.h"
#include "hushgate-gui/qt/blocked_call_notifications.h"
#include "hushgate-gui/qt/navigation_window.h"
#include "hushgate-gui/qt/qt_main_queue.h"
#include "hushgate-gui/qt/qt_presenter.h"
#include "hushgate-gui/qt/root_screen.h"
#include "hushgate-gui/qt/style.h"
#include "hushgate-gui/qt/table_rows.h"
#include "hushgate-gui/qt/tappable_row.h"
#include "platform/notify.h"
#include "platform/paths.h"
#include "row_table_driver.h"
#include "statics/Preference.h"
#include "statics/atomic_file.h"
#include "statics/contracts/blacklist_pattern.h"
#include "statics/contracts/block_record.h"
#include "statics/contracts/fired_rule.h"
#include "statics/contracts/names.h"
#include "statics/history_file.h"
#include "statics/rules_transfer.h"
#include "support/notification_mock.h"
#include "support/widget_driver.h"

namespace {

class Camera {
 public:
  Camera(gui_qt::NavigationWindow& window, QString directory)
      : window_(window), directory_(std::move(directory)) {}

  // The window, with an open row-actions popup drawn where it stands and the
  // open dialog (if any) drawn over it dimmed.
  bool take(const QString& fileName) {
    QTest::qWait(150);  // layouts and the last repaint settle
    QImage picture = window_.grab().toImage();
    for (gui_qt::RowActionsPopup* popup : popups()) {
      QPainter painter(&picture);
      painter.drawPixmap(window_.mapFromGlobal(popup->mapToGlobal(QPoint(0, 0))), popup->grab());
    }
    if (gui_qt::AlertDialog* dialog = qt_testing::waitForAlert(0)) {
      dialog->adjustSize();
      QPainter painter(&picture);
      painter.fillRect(picture.rect(), QColor(0, 0, 0, 90));
      const QPixmap card = dialog->grab();
      const QPoint at((picture.width() - card.width()) / 2, (picture.height() - card.height()) / 2);
      QPainterPath path;
      path.addRoundedRect(QRectF(at, card.size()), 14, 14);
      painter.setRenderHint(QPainter::Antialiasing);
      painter.setClipPath(path);
      painter.drawPixmap(at, card);
    }
    const QString path = directory_ + "/" + fileName;
    if (!picture.save(path)) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
      return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
  }

 private:
  static QList<gui_qt::RowActionsPopup*> popups() {
    QList<gui_qt::RowActionsPopup*> open;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* popup = qobject_cast<gui_qt::RowActionsPopup*>(widget);
      if (popup && popup->isVisible()) open.push_back(popup);
    }
    return open;
  }

  gui_qt::NavigationWindow& window_;
  QString directory_;
};

template <typename T>
T* find(QWidget& window, const char* name) {
  T* widget = window.findChild<T*>(name);
  if (!widget) std::fprintf(stderr, "no widget %s\n", name);
  return widget;
}

void tapRow(QWidget& window, const char* cell) {
  if (auto* row = find<gui_qt::TappableRow>(window, cell)) {
    QTest::mouseClick(row, Qt::LeftButton, Qt::NoModifier, QPoint(20, row->height() / 2));
  }
}

// Back to the screen below; the screen that was on top is gone at once, so
// that no widget of it is found by name afterwards.
void popScreen(gui_qt::NavigationWindow& window) {
  window.pop();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void click(QWidget* widget) {
  if (widget) QTest::mouseClick(widget, Qt::LeftButton);
}

void closeAlert() {
  if (gui_qt::AlertDialog* dialog = qt_testing::waitForAlert()) click(dialog->buttons().front());
}

// A rules file as another phone exported it, with one entry this phone
// cannot take.
std::string importedRules() {
  const auto entry = [](const std::string& pattern, const std::string& comment) {
    return patternEntryJson({pattern, blacklistExpression(pattern), comment});
  };
  Json pref = Json::object();
  pref[kBlacklistKey] = Json::array(
      {entry("170*", "虚拟运营商号段"), entry("95555????", "客服外呼"), entry("400-abc", "")});
  pref[kAllowlistKey] = Json::array({entry("075526888888", "快递驿站")});
  pref[kKeywordsKey] = Json::array({"响一声", "贷款"});
  return exportRules(pref);
}

// Appends two blocked calls to the history as the home screen does and
// tells the window; true once its history list holds them.
bool blockTwoCalls(const gui::RootVC& root) {
  const size_t before = root.history()->size();
  int64_t now = blockRecordDate(std::chrono::system_clock::now());
  for (const BlockRecord& record : *root.history()) now = std::max(now, record.date + 1);
  BlockRecord first{"shot-1", "17012345678", now, BlockReasonBlacklist, ""};
  setBlockRecordRule(first, {RuleKind::kBlacklist, "170*"}, false);
  BlockRecord second{"shot-2", "075566668888", now, BlockReasonLandline, ""};
  setBlockRecordRule(second, {RuleKind::kAreaCode, "0755", "深圳"}, false);
  const std::string path = mpHistoryFilePathFromOutside();
  std::string text = readWholeFile(path).value_or("");
  text += blockRecordLine(first);
  text += blockRecordLine(second);
  if (!writeFileAtomically(path, text)) return false;
  platform::notify_post(kMPBlockHistoryAddedNotification);
  return qt_testing::waitUntil([&] { return root.history()->size() >= before + 2; });
}

// The last notification the stand-in was sent (its summary, body and action
// labels), drawn as a desktop shows one, over the top of the window.
bool takeNotification(gui_qt::NavigationWindow& window, const QString& path) {
  QString summary, body;
  QStringList actions;
  const bool recorded = qt_testing::waitUntil([&] {
    const std::vector<qt_testing::MockCall> notify =
        qt_testing::notificationMockNotifyCalls(QDBusConnection::sessionBus());
    if (notify.empty() || notify.back().args.size() < 6) return false;
    const QVariantList& args = notify.back().args;
    summary = args[3].toString();
    body = args[4].toString();
    const QStringList pairs = args[5].canConvert<QDBusArgument>() ? qdbus_cast<QStringList>(args[5])
                                                                  : args[5].toStringList();
    actions.clear();
    for (int i = 1; i < pairs.size(); i += 2) actions << pairs[i];
    return true;
  });
  if (!recorded) {
    std::fprintf(stderr, "the notification service recorded no notification\n");
    return false;
  }
  QFrame card;
  card.setObjectName("notificationCard");
  card.setStyleSheet(QStringLiteral(
      "#notificationCard { background: #fdfdfd; border: 1px solid #d0d0d5; border-radius: 12px; }"
      "QLabel#summary { font-weight: bold; font-size: 15px; }"
      "QLabel#body { color: #333; font-size: 13px; }"
      "QPushButton { border: none; color: #2c6bed; font-size: 13px; padding: 6px 10px; }"));
  auto* layout = new QVBoxLayout(&card);
  auto* title = new QLabel(summary, &card);
  title->setObjectName("summary");
  auto* text = new QLabel(body, &card);
  text->setObjectName("body");
  text->setWordWrap(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (const QString& action : actions) buttons->addWidget(new QPushButton(action, &card));
  layout->addWidget(title);
  layout->addWidget(text);
  layout->addLayout(buttons);
  card.setFixedWidth(window.width() - 24);
  card.adjustSize();
  QImage picture = window.grab().toImage();
  QPainter painter(&picture);
  painter.fillRect(picture.rect(), QColor(0, 0, 0, 60));
  painter.drawPixmap(12, 12, card.grab());
  painter.end();
  if (!picture.save(path)) return false;
  std::printf("%s\n", qPrintable(path));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: hushgate-gui-screenshots OUTPUT_DIR\n");
    return 2;
  }
  QApplication app(argc, argv);
  app.setStyleSheet(gui_qt::applicationStyleSheet());
  const QString directory = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(directory);

  gui_qt::ScopedQtMainQueue mainQueue;
  gui_qt::NavigationWindow window;
  gui_qt::QtPresenter presenter(&window);
  gui::ScopedPresenter scopedPresenter(presenter);
  auto root = std::make_shared<gui::RootVC>();
  window.push(new gui_qt::RootScreen(root));
  window.show();
  Camera camera(window, directory);
  bool ok = qt_testing::waitUntil([&] { return !root->isLoadingHistory(); });
  // The example calls were blocked just before the window started, maybe in
  // the same second: they are not news.
  int64_t startedAt = blockRecordDate(std::chrono::system_clock::now());
  for (const BlockRecord& record : *root->history())
    startedAt = std::max(startedAt, record.date + 1);
  gui_qt::BlockedCallNotifications notifications(window, root, startedAt);

  ok &= camera.take("main.png");

  tapRow(window, "cell.zone");
  if (auto* search = find<QLineEdit>(window, "searchBar")) {
    search->setFocus();
    qt_testing::typeText(search, QStringLiteral("广"));
  }
  ok &= camera.take("zones-search.png");
  popScreen(window);

  tapRow(window, "cell.zone");
  if (auto* search = find<QLineEdit>(window, "searchBar")) {
    search->setFocus();
    qt_testing::typeText(search, QStringLiteral("shenzhen"));
  }
  ok &= camera.take("zones-pinyin.png");
  popScreen(window);

  tapRow(window, "cell.mobilezone");
  ok &= camera.take("mobile-zones.png");
  popScreen(window);

  tapRow(window, "cell.blacklist");
  ok &= camera.take("blacklist.png");
  click(find<QPushButton>(window, "addButton"));
  if (gui_qt::AlertDialog* dialog = qt_testing::waitForAlert()) {
    qt_testing::typeText(dialog->fields()[0], "0755 8888 *");
    if (dialog->fields().size() > 1)
      qt_testing::typeText(dialog->fields()[1], QStringLiteral("推销电话"));
  }
  ok &= camera.take("blacklist-add.png");
  closeAlert();
  popScreen(window);

  // The allow-list, filled through its add dialog: a courier's number
  // inside the blocked 0755 region.
  tapRow(window, "cell.allowlist");
  ok &= camera.take("allowlist-empty.png");
  click(find<QPushButton>(window, "addButton"));
  if (gui_qt::AlertDialog* dialog = qt_testing::waitForAlert()) {
    qt_testing::typeText(dialog->fields()[0], "0755 2688 ????");
    if (dialog->fields().size() > 1)
      qt_testing::typeText(dialog->fields()[1], QStringLiteral("快递驿站"));
    click(dialog->button(QString::fromStdString(gui::localizedString("ok"))));
  }
  ok &= camera.take("allowlist.png");
  popScreen(window);

  tapRow(window, "cell.ignored-prefix");
  ok &= camera.take("ignored-prefixes.png");
  popScreen(window);

  tapRow(window, "cell.keywords");
  ok &= camera.take("keywords.png");
  popScreen(window);

  tapRow(window, "cell.opensource");
  ok &= camera.take("opensource.png");
  if (auto* toggle = find<QPushButton>(window, "license-json-toggle")) {
    click(toggle);
    if (auto* scroll = window.topScreen()->findChild<QScrollArea*>()) {
      scroll->ensureWidgetVisible(toggle, 0, 0);
    }
  }
  ok &= camera.take("opensource-licence.png");
  popScreen(window);

  // Under an English locale the buttons of a question are English too.
  gui::setLanguage("en");
  tapRow(window, "cell.blacklist");
  click(find<QPushButton>(window, "trashButton"));
  ok &= camera.take("alert-english.png");
  if (gui_qt::AlertDialog* dialog = qt_testing::waitForAlert()) click(dialog->button("Cancel"));
  popScreen(window);
  gui::setLanguage("zh_CN");

  tapRow(window, "cell.history");
  ok &= camera.take("history.png");
  if (auto* table = window.topScreen()->findChild<gui_qt::RowTable*>("table")) {
    gui_qt::RowActionsPopup* popup = qt_testing::clickActionsButton(table, 1);
    ok &= camera.take("history-actions.png");
    if (popup) popup->close();
  }
  popScreen(window);

  tapRow(window, "cell.mobiletest");
  if (gui_qt::AlertDialog* dialog = qt_testing::waitForAlert()) {
    qt_testing::typeText(dialog->fields()[0], "13800138000");
    click(dialog->button(QString::fromStdString(gui::localizedString("ok"))));
  }
  QTest::qWait(100);
  ok &= camera.take("lookup.png");
  closeAlert();

  // The exceptions, switched on, with their minutes and window.
  click(find<QWidget>(window, "repeatedCallSwitch"));
  tapRow(window, "cell.quiet-hours-window");
  if (gui_qt::AlertDialog* dialog = qt_testing::waitForAlert()) {
    const QString texts[] = {"08:00", "22:00", "123456"};
    for (int i = 0; i < 3 && i < static_cast<int>(dialog->fields().size()); ++i) {
      dialog->fields()[i]->clear();
      qt_testing::typeText(dialog->fields()[i], texts[i]);
    }
    click(dialog->button(QString::fromStdString(gui::localizedString("ok"))));
  }
  click(find<QWidget>(window, "quietHoursSwitch"));
  if (auto* scroll = find<QScrollArea>(window, "rootScroll")) {
    if (auto* row = find<QWidget>(window, "cell.tester")) scroll->ensureWidgetVisible(row, 0, 0);
  }
  ok &= camera.take("main-exceptions.png");

  tapRow(window, "cell.tester");
  if (gui_qt::AlertDialog* dialog = qt_testing::waitForAlert()) {
    qt_testing::typeText(dialog->fields()[0], "+86 170 1234 5678");
    click(dialog->button(QString::fromStdString(gui::localizedString("ok"))));
  }
  QTest::qWait(100);
  ok &= camera.take("tester.png");
  closeAlert();

  // Importing a rules file from another phone, through the file dialog.
  const std::string rulesPath = platform::devicePath("/rules-from-another-phone.json");
  ok &= static_cast<bool>(writeFileAtomically(rulesPath, importedRules()));
  tapRow(window, "cell.import-rules");
  QFileDialog* fileDialog = nullptr;
  qt_testing::waitUntil(
      [&] { return (fileDialog = window.findChild<QFileDialog*>("fileDialog")) != nullptr; });
  if (auto* dialog = fileDialog) {
    dialog->selectFile(QString::fromStdString(rulesPath));
    static_cast<QDialog*>(dialog)->accept();
  }
  ok &= camera.take("import-preview.png");
  closeAlert();

  // Two calls blocked while the window is open: the notification service's
  // stand-in records what the window sent.
  ok &= blockTwoCalls(*root);
  ok &= takeNotification(window, directory + "/notification.png");
  return ok ? 0 : 1;
}
