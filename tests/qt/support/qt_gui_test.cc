#include "support/qt_gui_test.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <utility>
#include <vector>

#include "hushgate-gui/qt/qt_text.h"
#include "hushgate-gui/qt/screen_factory.h"
#include "hushgate-gui/qt/style.h"
#include "platform/dispatch.h"
#include "platform/notify.h"
#include "statics/Preference.h"
#include "statics/atomic_file.h"
#include "support/notification_marker.h"

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

namespace {

// The platform's main queue in the tests: the Qt main queue, counting the
// tasks posted to it that have not run yet.
class CountingMainQueue : public platform::DispatchQueue {
 public:
  void async(platform::Task task) override {
    if (!task) return;
    ++pending_;
    queue_.async(counted(std::move(task)));
  }
  void after(std::chrono::nanoseconds delay, platform::Task task) override {
    if (!task) return;
    ++pending_;
    queue_.after(delay, counted(std::move(task)));
  }
  int pending() const { return pending_.load(); }

 private:
  platform::Task counted(platform::Task task) {
    return [this, task = std::move(task)] {
      platform::runTask(task);
      --pending_;
    };
  }

  gui_qt::QtMainQueue queue_;
  std::atomic<int> pending_{0};
};

CountingMainQueue* countingMainQueue = nullptr;

// The registered test classes by name, in name order.
std::map<std::string, TestFactory>& registeredTests() {
  static std::map<std::string, TestFactory> tests;
  return tests;
}

}  // namespace

bool drainMainQueue(int timeoutMs) {
  return waitUntil([] { return countingMainQueue->pending() == 0; }, timeoutMs);
}

bool deliverEarlierPosts(int timeoutMs) {
  // Work still queued may post; the marker goes after it.
  if (!drainMainQueue(timeoutMs)) return false;
  testing_support::NotificationMarker marker(platform::mainQueue());
  return marker.post() && waitUntil([&] { return marker.seen(); }, timeoutMs) &&
         drainMainQueue(timeoutMs);
}

bool registerTests(const char* file, TestFactory makeTests) {
  std::string name = std::filesystem::path(file).stem().string();
  return registeredTests().emplace(std::move(name), std::move(makeTests)).second;
}

int runTests(int argc, char** argv) {
  QApplication app(argc, argv);
  app.setStyleSheet(gui_qt::applicationStyleSheet());
  CountingMainQueue mainQueue;
  countingMainQueue = &mainQueue;
  platform::installMainQueue(&mainQueue);
  gui::setLanguage("zh_CN");

  // argv[1] names the class unless it is an option of Qt Test; Qt Test gets
  // the program name and the arguments after the class name.
  std::vector<char*> arguments(argv, argv + argc);
  std::vector<std::pair<std::string, TestFactory>> chosen;
  if (argc > 1 && argv[1][0] != '-') {
    const auto found = registeredTests().find(argv[1]);
    if (found == registeredTests().end()) {
      std::fprintf(stderr, "%s: no test class %s; there are:\n", argv[0], argv[1]);
      for (const auto& [name, make] : registeredTests())
        std::fprintf(stderr, "  %s\n", name.c_str());
      return 2;
    }
    chosen.emplace_back(*found);
    arguments.erase(arguments.begin() + 1);
  } else {
    chosen.assign(registeredTests().begin(), registeredTests().end());
  }

  int status = 0;
  for (const auto& [name, makeTests] : chosen) {
    // Every test function gets its own device root through its GuiSession;
    // this one keeps the process off the real home directory in between.
    testing_support::TempDeviceRoot root;
    std::unique_ptr<QObject> tests = makeTests();
    if (QTest::qExec(tests.get(), static_cast<int>(arguments.size()), arguments.data()) != 0) {
      status = 1;
    }
  }
  platform::installMainQueue(nullptr);
  countingMainQueue = nullptr;
  return status;
}

}  // namespace qt_testing

namespace QTest {
template <>
char* toString(const std::string& text) {
  return qstrdup(text.c_str());
}
}  // namespace QTest
