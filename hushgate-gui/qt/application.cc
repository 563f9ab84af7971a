#include "hushgate-gui/qt/application.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <cstdio>

#include "hushgate-gui/core/kit/resources.h"
#include "hushgate-gui/core/models/url_command.h"
#include "hushgate-gui/core/screens/AppDelegate.h"
#include "hushgate-gui/core/screens/RootVC.h"
#include "hushgate-gui/qt/navigation_window.h"
#include "hushgate-gui/qt/qt_main_queue.h"
#include "hushgate-gui/qt/qt_presenter.h"
#include "hushgate-gui/qt/qt_text.h"
#include "hushgate-gui/qt/root_screen.h"
#include "hushgate-gui/qt/single_instance.h"
#include "hushgate-gui/qt/style.h"
#include "platform/command_line.h"
#include "platform/url_opener.h"
#include "statics/contracts/names.h"

namespace gui_qt {

namespace {

// The longest a command may take to reach its return step before the
// headless run gives up.
constexpr int kReturnStepTimeoutMs = 10000;

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
         "without a window and ends once it has returned to the calling application.\n"
         "\n"
         "Options:\n"
         "  -h, --help     print this text\n"
         "  --version      print the version\n"
         "\n" +
         std::string(platform::kDeviceRootHelp) +
         "  LC_ALL, LC_MESSAGES, LANG\n"
         "                 the language of the window: Chinese (zh*) or English\n"
         "  DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM\n"
         "                 where the window is shown (QT_QPA_PLATFORM=offscreen for none)\n"
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
    // Another instance started meanwhile: it takes the URL.
    if (sendToRunningInstance(QString::fromStdString(url))) return 0;
    std::fprintf(stderr, "hushgate-gui: cannot listen for other starts: %s\n",
                 qPrintable(instanceServerName()));
  }

  ScopedQtMainQueue mainQueue;
  NavigationWindow window;
  QtPresenter presenter(&window);
  gui::ScopedPresenter scopedPresenter(presenter);
  gui::AppDelegate delegate;
  delegate.didFinishLaunchingWithOptions(nlohmann::json::object());

  window.push(new RootScreen(std::make_shared<gui::RootVC>()));
  window.show();

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
  const bool added = gui::addToBlacklist(*request);
  std::printf("%s\n", added ? "added to the blacklist" : "already in the blacklist");
  std::fflush(stdout);
  if (request->from.empty()) return 0;

  QTimer::singleShot(kReturnStepTimeoutMs, [] { QCoreApplication::exit(1); });
  const int status = QCoreApplication::exec();
  return presenter.returned() ? 0 : status;
}

}  // namespace gui_qt
