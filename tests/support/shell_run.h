// A command line run through the shell, as a user types it: its exit status
// and what it wrote on standard output.
#pragma once

#include <string>

namespace testing_support {

struct ShellRun {
  int status = -1;  // the exit status; -1 when it did not exit (or could not start)
  std::string out;
};

ShellRun runShell(const std::string& commandLine);

}  // namespace testing_support
