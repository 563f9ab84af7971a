// hushgate-notify: posts a notification, or waits for one, from a shell.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/command_line.h"
#include "platform/dispatch.h"
#include "platform/notify.h"

namespace {

constexpr char kUsage[] =
    "usage: hushgate-notify post NAME\n"
    "       hushgate-notify wait NAME [SECONDS]\n"
    "\n"
    "post  posts the notification NAME to every process registered for it.\n"
    "wait  registers for NAME, prints the line \"ready\" on standard output once\n"
    "      the registration is in force, and exits after the first delivery.\n"
    "      It gives up after SECONDS (a decimal number; default: never).\n"
    "\n"
    "A script that starts wait in the background should read its \"ready\" line\n"
    "before posting; a post made after that line is never missed.\n"
    "\n"
    "Files: one per notification name under <device root>/run/notify/.\n"
    "\n"
    "Exit status: 0 posted or delivered, 1 failure or time-out, 2 bad arguments.\n";
const std::string kHelp = std::string(kUsage) + "\n" + platform::kDeviceRootHelp;

// Caps a wait well inside what a millisecond count can hold.
constexpr double kMaxSeconds = 1e9;

int usageError() {
  return platform::usageError(kUsage);
}

std::optional<double> parseSeconds(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  const double seconds = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(seconds) || seconds < 0) {
    return std::nullopt;
  }
  return seconds;
}

int postNamed(const std::string& name) {
  if (platform::notify_post(name.c_str()) != platform::NOTIFY_STATUS_OK) {
    std::fprintf(stderr, "hushgate-notify: could not post \"%s\"\n", name.c_str());
    return 1;
  }
  return 0;
}

int waitFor(const std::string& name, std::chrono::milliseconds timeout) {
  bool delivered = false;
  int token = 0;
  if (platform::notify_register_dispatch(name.c_str(), &token, platform::mainQueue(),
                                         [&delivered](int) { delivered = true; }) !=
      platform::NOTIFY_STATUS_OK) {
    std::fprintf(stderr, "hushgate-notify: could not register for \"%s\"\n", name.c_str());
    return 1;
  }
  std::fputs("ready\n", stdout);
  std::fflush(stdout);
  const bool ok = platform::runMainLoopUntil([&delivered] { return delivered; }, timeout);
  platform::notify_cancel(token);
  if (!ok) {
    std::fprintf(stderr, "hushgate-notify: timed out waiting for \"%s\"\n", name.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (const std::optional<int> answered =
          platform::answerHelpOrVersion(args, "hushgate-notify", kHelp)) {
    return *answered;
  }
  if (args.size() == 2 && args[0] == "post") return postNamed(args[1]);
  if ((args.size() == 2 || args.size() == 3) && args[0] == "wait") {
    double seconds = kMaxSeconds;
    if (args.size() == 3) {
      const std::optional<double> parsed = parseSeconds(args[2]);
      if (!parsed) return usageError();
      seconds = std::min(*parsed, kMaxSeconds);
    }
    return waitFor(args[1], std::chrono::milliseconds(static_cast<int64_t>(seconds * 1000)));
  }
  return usageError();
}
