// springboard: the home-screen host process. Loads the injected libraries,
// launches, and delivers the call events of a script to the telephony
// manager's callEventHandler:, reporting what became of each.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "hosts/common/line_reader.h"
#include "hosts/common/stop_signals.h"
#include "hosts/springboard/springboard_host.h"
#include "platform/bundle.h"
#include "platform/command_line.h"
#include "platform/dispatch.h"
#include "platform/injection.h"

namespace {

constexpr char kUsage[] =
    "usage: springboard [SCRIPT]\n"
    "       springboard --help | --version\n"
    "\n"
    "The home-screen host. Loads the libraries of the injection folder\n"
    "(<device root>/Library/MobileSubstrate/DynamicLibraries), launches, then\n"
    "reads call events as JSON lines from SCRIPT, or from standard input when\n"
    "SCRIPT is missing or \"-\", and delivers each to SBTelephonyManager\n"
    "callEventHandler:. Standard input may stay open between lines.\n"
    "\n"
    "A line: {\"call\": ID, \"status\": N, \"incoming\": BOOL, \"number\": TEXT,\n"
    "\"contact\": TEXT, \"system_blocked\": BOOL, \"unique_id\": TEXT, \"label\": TEXT,\n"
    "\"display_name\": TEXT, \"caller_name\": TEXT}; only \"call\" and \"status\" are\n"
    "required, and the same ID is the same call. {\"sleep\": MILLISECONDS} pauses.\n"
    "\n"
    "For each delivered event it prints what it saw: {\"call\": ID, \"status\": N,\n"
    "\"outcome\": \"passed\" | \"swallowed\" | \"disconnected\"}: its own handler ran,\n"
    "did not run, or did not run and the call was disconnected. Why a call was\n"
    "disconnected is in the tweak's block history (hushgate-report calls joins\n"
    "the two).\n"
    "\n"
    "Exit status: 0 at the end of the script, 1 if a line was bad (reported on\n"
    "standard error and skipped) or SCRIPT cannot be opened, 2 bad arguments.\n";

const std::string kHelp = std::string(kUsage) + "\n" + platform::kDeviceRootHelp;

int usageError() {
  return platform::usageError(kUsage);
}

}  // namespace

int main(int argc, char** argv) {
  hosts::StopSignals stopSignals;
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (const std::optional<int> answered =
          platform::answerHelpOrVersion(args, "springboard", kHelp)) {
    return *answered;
  }
  if (args.size() > 1 || (args.size() == 1 && args[0].size() > 1 && args[0][0] == '-')) {
    return usageError();
  }

  int input = STDIN_FILENO;
  if (args.size() == 1 && args[0] != "-") {
    input = open(args[0].c_str(), O_RDONLY | O_CLOEXEC);
    if (input < 0) {
      std::fprintf(stderr, "springboard: cannot open %s: %s\n", args[0].c_str(),
                   std::strerror(errno));
      return 1;
    }
  }

  platform::setMainBundleIdentifier(springboard::kBundleIdentifier);
  int status = 0;
  {
    springboard::SpringBoardHost host(stdout);
    host.registerClasses();
    platform::loadInjectedLibraries();
    host.finishLaunching();

    hosts::LineReader reader(
        input, [&host](std::optional<std::string> line) { host.addLine(std::move(line)); },
        [&host] { host.endOfInput(); });
    host.setLineDone([&reader] { reader.release(); });
    platform::runMainLoopUntil([&] { return host.finished() || stopSignals.received(); },
                               std::chrono::milliseconds::max());
    status = host.hadBadLines() ? 1 : 0;
  }
  if (input != STDIN_FILENO) close(input);
  return status;
}
