// Takes a picture of every screen of the settings application on the device
// that HUSHGATE_ROOT names, driving the real widgets as a user would:
//   hushgate-gui-screenshots OUTPUT_DIR
// Run on the offscreen platform (QT_QPA_PLATFORM=offscreen). A dialog is
// drawn over the dimmed window, where the platform would show it.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>
#include <cstdio>

#include "hushgate-gui/core/kit/localization.h"
#include "hushgate-gui/core/screens/RootVC.h"
#include "hushgate-gui/qt/alert_dialog.h"
#include "hushgate-gui/qt/navigation_window.h"
#include "hushgate-gui/qt/qt_main_queue.h"
#include "hushgate-gui/qt/qt_presenter.h"
#include "hushgate-gui/qt/root_screen.h"
#include "hushgate-gui/qt/style.h"
#include "hushgate-gui/qt/table_rows.h"
#include "hushgate-gui/qt/tappable_row.h"
#include "row_table_driver.h"
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
  return ok ? 0 : 1;
}
