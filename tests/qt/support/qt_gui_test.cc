#include "support/qt_gui_test.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPushButton>
#include <fstream>
#include <sstream>

#include "hushgate-gui/qt/qt_text.h"
#include "hushgate-gui/qt/screen_factory.h"
#include "hushgate-gui/qt/style.h"
#include "platform/dispatch.h"
#include "platform/notify.h"
#include "statics/Preference.h"

namespace qt_testing {

bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeoutMs) return done();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QTest::qWait(5);
  }
  return true;
}

void typeText(QWidget* widget, const QString& text) {
  // One event per code point; a surrogate pair travels as one text.
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    const QString character = text.mid(i, length);
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, character);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, character);
    QCoreApplication::sendEvent(widget, &press);
    QCoreApplication::sendEvent(widget, &release);
    i += length;
  }
}

void pressBackspace(QWidget* widget, int times) {
  for (int i = 0; i < times; ++i) QTest::keyClick(widget, Qt::Key_Backspace);
}

gui_qt::AlertDialog* waitForAlert(int timeoutMs) {
  gui_qt::AlertDialog* found = nullptr;
  waitUntil(
      [&] {
        found = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
          auto* dialog = qobject_cast<gui_qt::AlertDialog*>(widget);
          if (dialog && dialog->isVisible()) found = dialog;
        }
        return found != nullptr;
      },
      timeoutMs);
  return found;
}

bool pressAlertButton(gui_qt::AlertDialog* dialog, const QString& title) {
  if (!dialog) return false;
  QPushButton* button = dialog->button(title);
  if (!button || !button->isEnabled()) return false;
  QTest::mouseClick(button, Qt::LeftButton);
  return true;
}

QString localized(const char* key) {
  return gui_qt::toQString(gui::localizedString(key));
}

GuiSession::GuiSession() {
  Preference::resetSharedInstanceForTesting();
  window_ = std::make_unique<gui_qt::NavigationWindow>();
  presenter_ = std::make_unique<gui_qt::QtPresenter>(window_.get());
  scopedPresenter_ = std::make_unique<gui_qt::ScopedPresenter>(presenter_.get());
  window_->show();
}

GuiSession::~GuiSession() {
  // Dialogs left open by a failed test go before the next one starts.
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (qobject_cast<gui_qt::AlertDialog*>(widget)) delete widget;
  }
  scopedPresenter_.reset();
  presenter_.reset();
  window_.reset();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  Preference::resetSharedInstanceForTesting();
}

gui_qt::ScreenWidget* GuiSession::push(std::shared_ptr<gui::Screen> screen) {
  gui::presenter().pushScreen(std::move(screen));
  return window_->topScreen();
}

std::string GuiSession::mainDocumentOnDisk() const {
  std::ifstream in(Preference::prefFilePath(), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

NotificationCounter::NotificationCounter(const std::string& name) {
  std::weak_ptr<int> count = count_;
  platform::notify_register_dispatch(name.c_str(), &token_, platform::mainQueue(), [count](int) {
    if (auto alive = count.lock()) ++*alive;
  });
}

NotificationCounter::~NotificationCounter() {
  if (token_ >= 0) platform::notify_cancel(token_);
}

bool NotificationCounter::waitFor(int n, int timeoutMs) const {
  return waitUntil([&] { return *count_ >= n; }, timeoutMs);
}

int runTests(int argc, char** argv, const std::function<std::unique_ptr<QObject>()>& makeTests) {
  QApplication app(argc, argv);
  app.setStyleSheet(gui_qt::applicationStyleSheet());
  gui_qt::ScopedQtMainQueue mainQueue;
  gui::setLanguage("zh_CN");
  int status;
  {
    // Every test function gets its own device root through its GuiSession;
    // this one keeps the process off the real home directory in between.
    testing_support::TempDeviceRoot root;
    std::unique_ptr<QObject> tests = makeTests();
    status = QTest::qExec(tests.get(), argc, argv);
  }
  return status;
}

}  // namespace qt_testing
