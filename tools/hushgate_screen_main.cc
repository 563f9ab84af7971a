// hushgate-screen: judges calls against a preference document, the way the
// screening tweak would judge them on the phone.
//
//   hushgate-screen [--pref FILE] [--table] [NUMBER...]
//
// Numbers come from the arguments or, without any, as JSON lines on standard
// input with the optional members "number", "contact", "system_blocked" and
// "unique_id". One JSON line per call is printed:
//   {"number": ..., "reason": CODE, "detail": TEXT}
// --table prints a readable table instead.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "hushgate/screening/caller_label_db.h"
#include "platform/command_line.h"
#include "statics/Preference.h"
#include "statics/atomic_file.h"
#include "statics/contracts/names.h"
#include "statics/json_document.h"
#include "statics/screening/screening.h"
#include "tools/screen_input.h"

namespace {

const std::string kUsage =
    "usage: hushgate-screen [--pref FILE] [--table | --explain] [NUMBER...]\n"
    "       hushgate-screen --help | --version\n"
    "Judges calls against the preference document of the device root (or FILE).\n"
    "Without NUMBER arguments, reads JSON lines from standard input with the\n"
    "optional members \"number\", \"contact\", \"system_blocked\", \"unique_id\".\n"
    "Prints one JSON line per call: {\"number\":...,\"reason\":CODE,\"detail\":TEXT}\n"
    "--explain adds the number after prefix removal (\"judged\") and the rule that\n"
    "decided (\"rule\": kind, value, place, prefix).\n"
    "A bad input line (not such an object, or longer than 1 MiB) is reported on\n"
    "standard error, the others are still judged, and the exit status is 1.\n"
    "\n"
    "\n"
    "Files (under the device root):\n"
    "  " +
    std::string(kPrefFilePath) +
    "  the preference document\n"
    "  " +
    kDataDirectoryPath + "/" + kPhoneDataFilePrefix + "*" + kPhoneDataFileSuffix +
    "  the number-location database\n"
    "  " +
    kCallDirectoryDatabasePath +
    "  the caller-identification database\n"
    "\n" +
    platform::kDeviceRootHelp;

struct Options {
  std::optional<std::string> prefFile;
  bool table = false;
  bool explain = false;
  std::vector<std::string> numbers;
};

// Parses the arguments; nullopt (after a message) on bad usage.
std::optional<Options> parseArguments(int argc, char** argv) {
  Options options;
  bool onlyNumbers = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (onlyNumbers) {
      options.numbers.push_back(arg);
    } else if (arg == "--") {
      onlyNumbers = true;
    } else if (arg == "--pref") {
      if (i + 1 >= argc) {
        std::fputs("hushgate-screen: --pref needs a file\n", stderr);
        return std::nullopt;
      }
      options.prefFile = argv[++i];
    } else if (arg == "--table") {
      options.table = true;
    } else if (arg == "--explain") {
      options.explain = true;
    } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
      std::fprintf(stderr, "hushgate-screen: unknown option %s\n", arg.c_str());
      return std::nullopt;
    } else {
      options.numbers.push_back(arg);
    }
  }
  if (options.table && options.explain) {
    std::fputs("hushgate-screen: --table and --explain do not go together\n", stderr);
    return std::nullopt;
  }
  return options;
}

// The document to judge against; nullopt (after a message) when --pref names
// a file that cannot be read or is not JSON.
std::optional<Json> loadDocument(const Options& options) {
  if (!options.prefFile) return Preference::load();
  const std::optional<std::string> bytes = readWholeFile(*options.prefFile);
  if (!bytes) {
    std::fprintf(stderr, "hushgate-screen: cannot read %s\n", options.prefFile->c_str());
    return std::nullopt;
  }
  // The project's parser: a depth limit, so no document can exhaust the stack.
  std::optional<Json> doc = parseJsonDocument(*bytes);
  if (!doc) {
    std::fprintf(stderr, "hushgate-screen: %s is not a JSON document\n", options.prefFile->c_str());
  }
  return doc;
}

}  // namespace

int main(int argc, char** argv) {
  if (const std::optional<int> answered = platform::answerHelpOrVersion(
          std::vector<std::string>(argv + 1, argv + argc), "hushgate-screen", kUsage)) {
    return *answered;
  }
  const std::optional<Options> options = parseArguments(argc, argv);
  if (!options) return platform::usageError(kUsage);
  const std::optional<Json> doc = loadDocument(*options);
  if (!doc) return 2;
  if (!doc->is_object()) {
    std::fputs("hushgate-screen: warning: the preference document is not a JSON object\n", stderr);
  }
  if (!prefBool(*doc, kEnabledKey)) {
    std::fputs(
        "hushgate-screen: note: \"enabled\" is not true in this document; the phone would let "
        "every call through. Calls are judged as if it were on.\n",
        stderr);
  }

  const ScreeningRules rules(*doc);
  CallerLabelDatabase labels(CallerLabelDatabase::defaultPath());
  const ScreeningContext context = screenContext(
      [&labels](const std::string& number) { return labels.lookupCallerLabel(number); });

  ScreenOutput output(std::cout, options->table, options->explain);
  bool badInput = false;
  auto judge = [&](const IncomingCallInfo& call) {
    output.add(call.number, screenIncomingCall(call, rules, context));
  };

  if (!options->numbers.empty()) {
    for (const std::string& number : options->numbers) {
      IncomingCallInfo call;
      call.number = number;
      judge(call);
    }
  } else {
    std::string line;
    for (size_t lineNumber = 1;; ++lineNumber) {
      const InputLine read = readInputLine(std::cin, line);
      if (read == InputLine::kEnd) break;
      if (read == InputLine::kTooLong) {
        std::fprintf(stderr, "hushgate-screen: line %zu: longer than %zu bytes\n", lineNumber,
                     kMaxScreenInputLineLength);
        badInput = true;
        continue;
      }
      if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
      const Result<IncomingCallInfo> call = parseScreenInputLine(line);
      if (!call) {
        std::fprintf(stderr, "hushgate-screen: line %zu: %s\n", lineNumber, call.error().c_str());
        badInput = true;
        continue;
      }
      judge(*call);
    }
  }
  output.finish();
  return badInput ? 1 : 0;
}
