#include <QApplication>
#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hushgate-gui/qt/application.h"
#include "hushgate-gui/qt/single_instance.h"
#include "platform/command_line.h"

namespace {

// Whether Qt has somewhere to show a window.
bool haveDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

// While the window's application starts, Qt ends the process with abort()
// when its platform plugin cannot reach the display (a DISPLAY nobody
// answers): say so in one sentence and end with status 1 instead.
void reportDisplayFailure(QtMsgType type, const QMessageLogContext& context,
                          const QString& message) {
  if (type != QtFatalMsg) {
    // The platform plugin's own complaints about the display would only
    // repeat the sentence below.
    const bool aboutTheDisplay =
        context.category != nullptr && std::string_view(context.category).starts_with("qt.qpa");
    if (!aboutTheDisplay) {
      std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }
    return;
  }
  const char* display = std::getenv("WAYLAND_DISPLAY");
  if (display == nullptr || *display == '\0') display = std::getenv("DISPLAY");
  std::fprintf(stderr,
               "hushgate-gui: cannot open the display %s; start it, set DISPLAY or "
               "WAYLAND_DISPLAY to one that runs, or QT_QPA_PLATFORM=offscreen\n",
               display != nullptr ? display : "");
  std::fflush(stderr);
  std::_Exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  // A write past a file-size limit fails (and is reported) rather than
  // ending the program unseen.
  std::signal(SIGXFSZ, SIG_IGN);
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (const std::optional<int> status =
          platform::answerHelpOrVersion(arguments, "hushgate-gui", gui_qt::usage())) {
    return *status;
  }
  const auto line = gui_qt::parseCommandLine(arguments);
  if (!line) {
    std::fprintf(stderr, "hushgate-gui: %s\n", line.error().c_str());
    return platform::usageError(gui_qt::usage());
  }
  switch (line->mode) {
    case gui_qt::CommandLine::Mode::Help:
      std::fputs(gui_qt::usage().c_str(), stdout);
      return 0;
    case gui_qt::CommandLine::Mode::HandleUrl: {
      QCoreApplication app(argc, argv);
      return gui_qt::runHandleUrl(line->url);
    }
    case gui_qt::CommandLine::Mode::Window:
      break;
  }
  {
    // A running instance takes the URL; no display is needed for that.
    QCoreApplication app(argc, argv);
    if (gui_qt::sendToRunningInstance(QString::fromStdString(line->url))) return 0;
    // Without a display a URL handed over by the desktop is still handled.
    if (!haveDisplay() && !line->url.empty()) return gui_qt::runHandleUrl(line->url);
  }
  if (!haveDisplay()) {
    std::fprintf(stderr,
                 "hushgate-gui: no display; set DISPLAY or WAYLAND_DISPLAY, or "
                 "QT_QPA_PLATFORM=offscreen\n");
    return 1;
  }
  const QtMessageHandler previous = qInstallMessageHandler(reportDisplayFailure);
  QApplication app(argc, argv);
  qInstallMessageHandler(previous);
  return gui_qt::runWindow(line->url);
}
