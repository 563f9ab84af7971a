// Support for the front end's tests on Qt's offscreen platform.
//
// Every test file registers its test class (HUSHGATE_QT_TEST_MAIN); the one
// test program runs the class of the file it is named (`qt_tests NAME` for
// NAME.cc, every class without a name) after it has made the
// application, installed the Qt main queue as the platform's and chosen the
// Chinese texts.
// Each test function makes a GuiSession: a fresh device root and preference
// store, a navigation window with its presenter, and helpers to type into
// widgets and answer the dialogs that the screens present.
#pragma once

#include <QApplication>
#include <QString>
#include <QTest>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "hushgate-gui/core/kit/localization.h"
#include "hushgate-gui/core/kit/ui.h"
#include "hushgate-gui/qt/alert_dialog.h"
#include "hushgate-gui/qt/navigation_window.h"
#include "hushgate-gui/qt/qt_main_queue.h"
#include "hushgate-gui/qt/qt_presenter.h"
#include "support/temp_root.h"
#include "support/widget_driver.h"

// Readable failures for QCOMPARE of texts.
namespace QTest {
template <>
char* toString(const std::string& text);
}  // namespace QTest

namespace qt_testing {

// The localised text of key, as a QString.
QString localized(const char* key);

// A fresh device and a shown window for one test function.
class GuiSession {
 public:
  GuiSession();
  ~GuiSession();
  GuiSession(const GuiSession&) = delete;
  GuiSession& operator=(const GuiSession&) = delete;

  const testing_support::TempDeviceRoot& root() const { return root_; }
  gui_qt::NavigationWindow& window() { return *window_; }

  // Pushes the widget of a screen model through the presenter (as the
  // screens do) and returns the widget now on top.
  gui_qt::ScreenWidget* push(std::shared_ptr<gui::Screen> screen);

  // The main document (the shared preference store, reloaded from disk).
  std::string mainDocumentOnDisk() const;

 private:
  testing_support::TempDeviceRoot root_;
  std::unique_ptr<gui_qt::NavigationWindow> window_;
  std::unique_ptr<gui_qt::QtPresenter> presenter_;
  std::unique_ptr<gui::ScopedPresenter> scopedPresenter_;
};

// Counts the posts of a Darwin notification seen by this process's main
// queue (the Qt loop) while the object lives.
class NotificationCounter {
 public:
  explicit NotificationCounter(const std::string& name);
  ~NotificationCounter();
  NotificationCounter(const NotificationCounter&) = delete;
  NotificationCounter& operator=(const NotificationCounter&) = delete;

  int count() const { return *count_; }
  // Waits until at least n posts were seen.
  bool waitFor(int n, int timeoutMs = 5000) const;

 private:
  std::shared_ptr<int> count_ = std::make_shared<int>(0);
  int token_ = -1;
};

// Runs the Qt loop until every task posted to the main queue so far has
// run, and every task that those post (delayed ones once their time has
// come). False when that takes longer than the timeout.
bool drainMainQueue(int timeoutMs = 5000);

// Runs the Qt loop until every notification posted so far has reached this
// process's main queue and the queue is drained: afterwards a
// NotificationCounter has counted every post that it will ever see from what
// the test did, so a count of 0 shows that nothing was posted.
bool deliverEarlierPosts(int timeoutMs = 5000);

using TestFactory = std::function<std::unique_ptr<QObject>()>;

// Registers the test class of a test file under the file's name without its
// folder and ".cc" (history_screen_test); used by the macro.
bool registerTests(const char* file, TestFactory makeTests);

// Makes the application, installs the Qt main queue, chooses the Chinese
// texts, then runs the test class registered under argv[1] (with the other
// arguments for Qt Test), or every class in turn when there is no name.
int runTests(int argc, char** argv);

}  // namespace qt_testing

#define HUSHGATE_QT_TEST_MAIN(TestClass)                                                   \
  [[maybe_unused]] static const bool hushgateQtTestRegistered = qt_testing::registerTests( \
      __FILE__, [] { return std::unique_ptr<QObject>(std::make_unique<TestClass>()); });
