// mobilephone: the Phone application host. Loads the injected libraries,
// launches, and shows a recent-calls list, reporting how each row looks and
// what a swipe over it offers.

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "hosts/common/stop_signals.h"
#include "hosts/mobilephone/mobilephone_host.h"
#include "platform/bundle.h"
#include "platform/command_line.h"
#include "platform/dispatch.h"
#include "platform/injection.h"
#include "platform/ui_graphics.h"

namespace {

constexpr char kUsage[] =
    "usage: mobilephone [--screen-scale N] [--watch]\n"
    "                   [--add-to-blacklist ROW LABEL | --delete ROW] RECENTS\n"
    "       mobilephone --help | --version\n"
    "\n"
    "The Phone application host. Loads the libraries of the injection folder\n"
    "(<device root>/Library/MobileSubstrate/DynamicLibraries), launches, and\n"
    "shows the recent calls of the JSON file RECENTS: an array of objects with\n"
    "\"callStatus\", \"uniqueId\", \"callerId\", \"callOccurrences\" (objects with\n"
    "\"kCHCallOccurrenceUniqueIdKey\") and \"callerLabel\".\n"
    "\n"
    "For each row it prints {\"row\": I, \"marked\": BOOL, \"actions\": [TITLE...]}:\n"
    "whether the row shows another call-type icon than the application's own,\n"
    "and what a swipe over it offers.\n"
    "\n"
    "  --screen-scale N     the main screen's scale (default 2)\n"
    "  --add-to-blacklist ROW LABEL\n"
    "                       runs the row's \"\xF0\x9F\x9A\xAB\" action, types LABEL into its\n"
    "                       alert and taps \"OK\"; prints {\"url\": URL} for the URL\n"
    "                       it opens, then opens it\n"
    "  --delete ROW         runs the row's delete action, then prints the rows\n"
    "  --watch              prints the rows again after each block history\n"
    "                       notification, until SIGINT or SIGTERM\n"
    "\n"
    "Exit status: 0 done, 1 RECENTS unreadable, an entry of it skipped or a\n"
    "gesture failed (reported on standard error), 2 bad arguments.\n";
const std::string kHelp = std::string(kUsage) + "\n" + platform::kDeviceRootHelp;

struct Options {
  double screenScale = 2;
  bool watch = false;
  std::optional<size_t> addToBlacklistRow;
  std::string label;
  std::optional<size_t> deleteRow;
  std::string recentsPath;
};

// Reports a usage error; the program then exits with status 2.
std::nullopt_t usageError(const std::string& message) {
  std::fprintf(stderr, "mobilephone: %s\n%s", message.c_str(), kUsage);
  return std::nullopt;
}

std::optional<size_t> parseRow(const std::string& text) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
  if (errno != 0 || end != text.c_str() + text.size()) return std::nullopt;
  return static_cast<size_t>(value);
}

std::optional<double> parseScale(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(value) || value <= 0) {
    return std::nullopt;
  }
  return value;
}

// Options from the arguments; nullopt, with the exit status in *status, after
// printing the help or a usage error.
std::optional<Options> parseOptions(const std::vector<std::string>& args, int* status) {
  Options options;
  std::vector<std::string> positional;
  *status = 2;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const size_t left = args.size() - i - 1;
    if (const std::optional<int> answered =
            platform::answerHelpOrVersion({arg}, "mobilephone", kHelp)) {
      *status = *answered;
      return std::nullopt;
    } else if (arg == "--watch") {
      options.watch = true;
    } else if (arg == "--screen-scale" && left >= 1) {
      const std::optional<double> scale = parseScale(args[++i]);
      if (!scale) return usageError("bad screen scale: " + args[i]);
      options.screenScale = *scale;
    } else if (arg == "--delete" && left >= 1) {
      options.deleteRow = parseRow(args[++i]);
      if (!options.deleteRow) return usageError("bad row: " + args[i]);
    } else if (arg == "--add-to-blacklist" && left >= 2) {
      options.addToBlacklistRow = parseRow(args[++i]);
      if (!options.addToBlacklistRow) return usageError("bad row: " + args[i]);
      options.label = args[++i];
    } else if (arg.size() > 1 && arg[0] == '-') {
      return usageError("unknown option or missing value: " + arg);
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 1) return usageError("one RECENTS file is needed");
  if (options.deleteRow && options.addToBlacklistRow) {
    return usageError("--delete and --add-to-blacklist exclude each other");
  }
  options.recentsPath = positional[0];
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  hosts::StopSignals stopSignals;
  int status = 0;
  const std::optional<Options> options =
      parseOptions(std::vector<std::string>(argv + 1, argv + argc), &status);
  if (!options) return status;

  std::vector<std::string> skipped;
  Result<std::vector<mobilephone::RecentsEntry>> entries =
      mobilephone::readRecentsFile(options->recentsPath, &skipped);
  if (!entries) {
    std::fprintf(stderr, "mobilephone: %s\n", entries.error().c_str());
    return 1;
  }
  for (const std::string& message : skipped) {
    std::fprintf(stderr, "mobilephone: %s: %s; skipped\n", options->recentsPath.c_str(),
                 message.c_str());
  }

  platform::setMainBundleIdentifier(mobilephone::kBundleIdentifier,
                                    platform::HomeDirectory::kDataContainer);
  platform::UIScreen::mainScreen().setScale(options->screenScale);
  mobilephone::MobilePhoneHost host(stdout, std::move(*entries));
  host.registerClasses();
  platform::loadInjectedLibraries();
  host.finishLaunching();

  // The list appears once the launch's own queued work has run.
  bool started = false;
  platform::mainQueue().async([&] {
    if (options->watch) host.watchHistory();
    host.printRows();
    if (options->deleteRow) host.deleteRow(*options->deleteRow);
    if (options->addToBlacklistRow)
      host.addToBlacklist(*options->addToBlacklistRow, options->label);
    started = true;
  });
  platform::runMainLoopUntil(
      [&] {
        if (stopSignals.received() || host.failed()) return true;
        return started && host.idle() && !options->watch;
      },
      std::chrono::milliseconds::max());
  return host.failed() || !skipped.empty() ? 1 : 0;
}
