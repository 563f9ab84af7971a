// hushgate-rules: writes the screening rules of the device root's main
// preference document to a rules file, and merges a rules file into it.
//
//   hushgate-rules export FILE
//   hushgate-rules import [--dry-run] FILE
//
// The file format: statics/contracts/rules_file.h; what an import adds and
// checks: statics/rules_transfer.h.

#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "platform/command_line.h"
#include "statics/Preference.h"
#include "statics/atomic_file.h"
#include "statics/contracts/names.h"
#include "statics/rules_transfer.h"

namespace {

const std::string kUsage =
    "usage: hushgate-rules export FILE\n"
    "       hushgate-rules import [--dry-run] FILE\n"
    "       hushgate-rules --help | --version\n"
    "Moves the screening rules of the device root's preference document to\n"
    "another phone.\n"
    "export writes the rules (lists, regions, switches and values) to FILE as a\n"
    "rules file (\"-\": standard output).\n"
    "import merges the rules file FILE into the preference document: entries not\n"
    "listed yet are added, switches and values take the file's, nothing is\n"
    "removed; the running screening is told. It prints what it adds to each list\n"
    "and every entry it leaves out, with its line in FILE. --dry-run prints the\n"
    "same and changes nothing.\n"
    "Exit status: 0 done, 1 the file was refused or could not be read or written,\n"
    "2 usage error.\n"
    "\n"
    "Files (under the device root):\n"
    "  " +
    std::string(kPrefFilePath) +
    "  the preference document\n"
    "\n" +
    platform::kDeviceRootHelp;

struct Options {
  bool exporting = false;
  bool dryRun = false;
  std::string file;
};

// Parses the arguments; nullopt (after a message) on bad usage.
std::optional<Options> parseArguments(const std::vector<std::string>& args) {
  Options options;
  if (args.empty() || (args[0] != "export" && args[0] != "import")) {
    std::fputs("hushgate-rules: the first argument is export or import\n", stderr);
    return std::nullopt;
  }
  options.exporting = args[0] == "export";
  std::vector<std::string> files;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--dry-run" && !options.exporting) {
      options.dryRun = true;
    } else if (args[i].size() > 1 && args[i][0] == '-') {
      std::fprintf(stderr, "hushgate-rules: unknown option %s\n", args[i].c_str());
      return std::nullopt;
    } else {
      files.push_back(args[i]);
    }
  }
  if (files.size() != 1) {
    std::fputs("hushgate-rules: give one FILE\n", stderr);
    return std::nullopt;
  }
  options.file = files[0];
  return options;
}

int exportTo(const std::string& path) {
  const std::string text = exportRules(Preference::load());
  if (path == "-") {
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  const Status written = writeFileAtomically(path, text);
  if (!written) {
    std::fprintf(stderr, "hushgate-rules: cannot write %s: %s\n", path.c_str(),
                 written.error().c_str());
    return 1;
  }
  return 0;
}

void printPlan(const ImportPlan& plan) {
  for (const ListImport& list : plan.lists) {
    std::printf("%s: %zu to add, %zu listed already\n", list.key.c_str(), list.added.size(),
                list.alreadyListed);
  }
  for (const SettingImport& setting : plan.settings) {
    std::printf("%s: %s -> %s\n", setting.key.c_str(),
                setting.from.is_null() ? "(none)" : setting.from.dump().c_str(),
                setting.to.dump().c_str());
  }
  for (const ImportProblem& problem : plan.problems) {
    std::printf("line %zu: %s: %s (left out)\n", problem.line, problem.key.c_str(),
                problem.message.c_str());
  }
}

int importFrom(const std::string& path, bool dryRun) {
  const std::optional<std::string> text = readWholeFile(path);
  if (!text) {
    std::fprintf(stderr, "hushgate-rules: cannot read %s\n", path.c_str());
    return 1;
  }
  const Result<ImportPlan> preview = planImport(*text, Preference::load());
  if (!preview) {
    std::fprintf(stderr, "hushgate-rules: %s: %s\n", path.c_str(), preview.error().c_str());
    return 1;
  }
  if (dryRun) {
    printPlan(*preview);
    std::printf("dry run: %zu entries and %zu settings would change; nothing was changed\n",
                preview->addedCount(), preview->settings.size());
    return 0;
  }
  // Planned again against the document as it is under the lock, so that a
  // change made meanwhile is neither lost nor duplicated.
  std::optional<ImportPlan> applied;
  const Result<Preference::Update> done = Preference::sharedInstance().update([&](Json& pref) {
    Result<ImportPlan> plan = planImport(*text, pref);
    if (!plan) return;
    pref = applyImport(std::move(pref), *plan);
    applied = std::move(*plan);
  });
  if (!done) {
    std::fprintf(stderr, "hushgate-rules: the rules could not be saved: %s\n",
                 done.error().c_str());
    return 1;
  }
  if (!applied) {
    std::fprintf(stderr, "hushgate-rules: %s: could not be read again\n", path.c_str());
    return 1;
  }
  printPlan(*applied);
  std::printf("added %zu entries, changed %zu settings\n", applied->addedCount(),
              applied->settings.size());
  if (!done->setAsidePath.empty()) {
    std::fprintf(stderr, "hushgate-rules: the unreadable preference document was kept as %s\n",
                 done->setAsidePath.c_str());
  }
  if (done->written && !done->announced) {
    std::fprintf(stderr, "hushgate-rules: warning: saved, but the screening was not told: %s\n",
                 done->announced.error().c_str());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (const std::optional<int> answered =
          platform::answerHelpOrVersion(args, "hushgate-rules", kUsage)) {
    return *answered;
  }
  const std::optional<Options> options = parseArguments(args);
  if (!options) return platform::usageError(kUsage);
  return options->exporting ? exportTo(options->file) : importFrom(options->file, options->dryRun);
}
