// The program hushgate-gui:
//   hushgate-gui                    the settings window (one per user and device)
//   hushgate-gui URL                the window, handling URL; a running instance
//                                   takes the URL instead of a second window
//   hushgate-gui --handle-url URL   runs the URL's command without a window and
//                                   ends once its return step has run
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "statics/result.h"

namespace gui_qt {

struct CommandLine {
  enum class Mode { Window, HandleUrl, Help };
  Mode mode = Mode::Window;
  std::string url;  // empty: none
};

// The command line without the program name, or what is wrong with it when
// it is not one of the forms above.
Result<CommandLine> parseCommandLine(const std::vector<std::string>& arguments);

// The usage text.
std::string usage();

// Each runs the application of its mode to its end and returns the exit
// status. The application object (QApplication for the window,
// QCoreApplication for the others) must exist.
int runWindow(const std::string& url);
int runHandleUrl(const std::string& url);

}  // namespace gui_qt
