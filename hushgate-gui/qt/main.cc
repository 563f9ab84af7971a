#include <QApplication>
#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "hushgate-gui/qt/application.h"
#include "hushgate-gui/qt/single_instance.h"

namespace {

// Whether Qt has somewhere to show a window.
bool haveDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  // A write past a file-size limit fails (and is reported) rather than
  // ending the program unseen.
  std::signal(SIGXFSZ, SIG_IGN);
  std::vector<std::string> arguments(argv + 1, argv + argc);
  const auto line = gui_qt::parseCommandLine(arguments);
  if (!line) {
    std::fprintf(stderr, "hushgate-gui: %s\n%s", line.error().c_str(), gui_qt::usage().c_str());
    return 2;
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
  QApplication app(argc, argv);
  return gui_qt::runWindow(line->url);
}
