#include "support/qt_gui_test.h"

#include "hushgate-gui/qt/qt_text.h"
#include "hushgate-gui/qt/screen_factory.h"
#include "hushgate-gui/qt/style.h"
#include "platform/dispatch.h"
#include "platform/notify.h"
#include "statics/Preference.h"
#include "statics/atomic_file.h"

namespace qt_testing {

QString localized(const char* key) {
  return gui_qt::toQString(gui::localizedString(key));
}

GuiSession::GuiSession() {
  Preference::resetSharedInstanceForTesting();
  window_ = std::make_unique<gui_qt::NavigationWindow>();
  presenter_ = std::make_unique<gui_qt::QtPresenter>(window_.get());
  scopedPresenter_ = std::make_unique<gui::ScopedPresenter>(*presenter_);
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
  return readWholeFile(Preference::prefFilePath()).value_or("");
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
