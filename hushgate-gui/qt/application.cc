#include "hushgate-gui/qt/application.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <cstdio>

#include "hushgate-gui/core/kit/resources.h"
#include "hushgate-gui/core/models/url_command.h"
#include "hushgate-gui/core/screens/AppDelegate.h"
#include "hushgate-gui/core/screens/RootVC.h"
#include "hushgate-gui/qt/blocked_call_notifications.h"
#include "hushgate-gui/qt/navigation_window.h"
#include "hushgate-gui/qt/qt_main_queue.h"
#include "hushgate-gui/qt/qt_presenter.h"
#include "hushgate-gui/qt/qt_text.h"
#include "hushgate-gui/qt/root_screen.h"
#include "hushgate-gui/qt/single_instance.h"
#include "hushgate-gui/qt/style.h"
#include "platform/command_line.h"
#include "platform/url_opener.h"
#include "statics/contracts/block_record.h"
#include "statics/contracts/names.h"

namespace gui_qt {

namespace {

// The longest a command may take to reach its return step before the
// headless run gives up.
constexpr int kReturnStepTimeoutMs = 10000;
// The longest a start waits for another instance that holds the device to
// take its message.
constexpr int kOtherInstanceWaitMs = 10000;

// The presenter of a run without a window: the URL command shows nothing,
// and its return to the calling application ends the run.
class HeadlessPresenter : public gui::Presenter {
 public:
  bool returned() const { return returned_; }

  void presentAlert(std::shared_ptr<gui::Alert> alert) override {
    std::fprintf(stderr, "hushgate-gui: %s\n", alert->title.value_or("").c_str());
  }
  void showHud(const gui::Hud&) override {}
  void updateHud(const gui::Hud&) override {}
  void hideHud() override {}
  void pushScreen(std::shared_ptr<gui::Screen>) override {}
  void popScreen(bool) override {}
  void openApplication(const std::string& bundleIdentifier) override {
    platform::openApplicationWithBundleID(bundleIdentifier);
    returned_ = true;
    QCoreApplication::quit();
  }
  bool canOpenURL(const std::string& url) override { return platform::canOpenURL(url); }
  void openURL(const std::string& url) override { platform::openURL(url); }
  void setPasteboardString(const std::string&) override {}
  void suspend() override {}
  void terminate() override { QCoreApplication::quit(); }

 private:
  bool returned_ = false;
};

// Prints what the command did (one line on standard output, details on
// standard error) and returns the exit status: 0 when the number is in the
// saved blacklist and the screening was told, 1 when nothing could be saved,
// 3 when it was saved but the running screening may not have it yet.
int reportHandledUrl(const gui::AddToBlacklistResult& result) {
  using Outcome = gui::AddToBlacklistResult::Outcome;
  if (!result.update) {
    std::printf("not added to the blacklist\n");
    std::fflush(stdout);
    std::fprintf(stderr, "hushgate-gui: the blacklist could not be saved: %s\n",
                 result.update.error().c_str());
    return 1;
  }
  if (!result.update->setAsidePath.empty()) {
    std::fprintf(stderr,
                 "hushgate-gui: the preference document could not be read; it was kept as %s\n",
                 result.update->setAsidePath.c_str());
  }
  std::printf("%s\n", result.outcome == Outcome::kAdded ? "added to the blacklist"
                                                        : "already in the blacklist");
  std::fflush(stdout);
  if (!result.update->announced) {
    std::fprintf(stderr,
                 "hushgate-gui: saved, but the running screening may not have the change yet: "
                 "%s\n",
                 result.update->announced.error().c_str());
    return 3;
  }
  return 0;
}

}  // namespace

Result<CommandLine> parseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  if (arguments.empty()) return line;
  const std::string& first = arguments[0];
  if (first == "-h" || first == "--help") {
    line.mode = CommandLine::Mode::Help;
    return line;
  }
  if (first == "--handle-url") {
    if (arguments.size() != 2 || arguments[1].empty()) {
      return fail("--handle-url takes exactly one URL");
    }
    line.mode = CommandLine::Mode::HandleUrl;
    line.url = arguments[1];
    return line;
  }
  if (first.starts_with("-")) {
    return fail("unknown option " + first);
  }
  if (arguments.size() != 1) {
    return fail("expected at most one URL");
  }
  line.url = first;
  return line;
}

std::string usage() {
  return "usage: hushgate-gui [URL]\n"
         "       hushgate-gui --handle-url URL\n"
         "\n"
         "Opens the settings window; a URL such as\n"
         "hushgate://add_to_blacklist/?number=N&label=L is handled by the window,\n"
         "or by the window already running. --handle-url runs the URL's command\n"
         "without a window and ends once it has returned to the calling application;\n"
         "its exit status is 0 when the number is in the saved blacklist, 1 when\n"
         "nothing could be saved, 3 when it was saved but the running screening\n"
         "could not be told.\n"
         "\n"
         "Options:\n"
         "  -h, --help     print this text\n"
         "  --version      print the version\n"
         "\n" +
         std::string(platform::kDeviceRootHelp) +
         "  LC_ALL, LC_MESSAGES, LANG, LANGUAGE\n"
         "                 the language of the window: Chinese (zh*) or English\n"
         "  DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM\n"
         "                 where the window is shown (QT_QPA_PLATFORM=offscreen for none)\n"
         "  DBUS_SESSION_BUS_ADDRESS\n"
         "                 the session bus, whose notification service shows blocked calls\n"
         "\n"
         "Files (under the device root):\n"
         "  " +
         std::string(kPrefFilePath) + "  the rules\n" + "  " + kDocumentsFolderName + "/" +
         kMPHistoryFileName +
         " of the Phone application's container\n"
         "                 the block history\n";
}

int runWindow(const std::string& url) {
  QApplication::setApplicationName("hushgate-gui");
  QApplication::setDesktopFileName("hushgate-gui");
  // The theme's icon where the desktop installed one, else the one shipped
  // among the resources.
  QApplication::setWindowIcon(QIcon::fromTheme(
      "hushgate-gui", QIcon(QString::fromStdString(gui::pathForResource("hushgate-gui", "svg")))));
  qApp->setStyleSheet(applicationStyleSheet());

  InstanceServer server;
  if (!server.listen()) {
    // Another instance started meanwhile: it takes the URL once it listens.
    if (server.anotherInstanceRuns()) {
      QElapsedTimer waited;
      waited.start();
      while (waited.elapsed() < kOtherInstanceWaitMs) {
        if (sendToRunningInstance(QString::fromStdString(url), 1000)) return 0;
        if (server.listen()) break;  // it ended before it listened
        QThread::msleep(50);
      }
    }
    if (!server.anotherInstanceRuns() && !server.listen()) {
      std::fprintf(stderr, "hushgate-gui: cannot listen for other starts: %s\n",
                   qPrintable(instanceServerName()));
    } else if (server.anotherInstanceRuns()) {
      std::fprintf(stderr, "hushgate-gui: another window of this device does not answer\n");
      return 1;
    }
  }

  ScopedQtMainQueue mainQueue;
  NavigationWindow window;
  QtPresenter presenter(&window);
  gui::ScopedPresenter scopedPresenter(presenter);
  gui::AppDelegate delegate;
  delegate.didFinishLaunchingWithOptions(nlohmann::json::object());

  // Blocks recorded before this start are not news.
  const int64_t startedAt = blockRecordDate(std::chrono::system_clock::now());
  const auto root = std::make_shared<gui::RootVC>();
  window.push(new RootScreen(root));
  window.show();
  BlockedCallNotifications notifications(window, root, startedAt);

  QObject::connect(&server, &InstanceServer::messageReceived, &window, [&](const QString& message) {
    window.showNormal();
    window.raise();
    window.activateWindow();
    if (!message.isEmpty()) {
      delegate.openURL(toStdString(message), nlohmann::json::object());
    }
  });
  if (!url.empty()) delegate.openURL(url, nlohmann::json::object());
  return QApplication::exec();
}

int runHandleUrl(const std::string& url) {
  const auto request = parseAddToBlacklistURL(url);
  if (!request) {
    std::fprintf(stderr, "hushgate-gui: not a command URL: %s\n", url.c_str());
    return 2;
  }
  ScopedQtMainQueue mainQueue;
  HeadlessPresenter presenter;
  gui::ScopedPresenter scopedPresenter(presenter);
  const gui::AddToBlacklistResult result = gui::addToBlacklist(*request);
  const int outcome = reportHandledUrl(result);
  if (request->from.empty()) return outcome;

  QTimer::singleShot(kReturnStepTimeoutMs, [] { QCoreApplication::exit(1); });
  const int status = QCoreApplication::exec();
  return presenter.returned() ? outcome : status;
}

}  // namespace gui_qt
