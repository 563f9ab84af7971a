// hushgate-report: readable summaries of what the simulated phone printed.
//
//   hushgate-report calls SCRIPT [HISTORY] < springboard host output
//   hushgate-report recents RECENTS        < mobilephone host output
//
// "calls" joins what the home-screen host saw with why: one row per call (its
// first event, the one that was screened) with its number from the call
// script and, for a call the host saw disconnected, the reason and detail of
// its record in the block history, found by the call's unique id as the host
// derives it from the script. "recents" prints one row per recents row: the
// caller, whether it is marked as blocked and the row actions.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "hosts/springboard/call_script.h"
#include "platform/command_line.h"
#include "statics/atomic_file.h"
#include "statics/contracts/block_record.h"
#include "statics/history_file.h"
#include "statics/history_lines.h"
#include "statics/json_document.h"
#include "tools/screen_input.h"

namespace {

constexpr char kUsage[] =
    "usage: hushgate-report calls SCRIPT [HISTORY] < springboard-output\n"
    "       hushgate-report recents RECENTS < mobilephone-output\n"
    "\n"
    "calls    one row per call in the home-screen host's output, for its first\n"
    "         event (the one that was screened): the call, its number in the\n"
    "         call script SCRIPT, what became of it and why. A call the host saw\n"
    "         disconnected is \"blocked\", with the reason and detail of its\n"
    "         record in the block history file HISTORY (by default the one of\n"
    "         the device root), found by the call's unique id (the script's\n"
    "         \"unique_id\", else the call id; the last record of an id counts).\n"
    "         Without a record it stays \"disconnected\": \"no history record\".\n"
    "recents  one row per row of the Phone application host's output: the\n"
    "         caller in the recents list RECENTS, whether the row is marked as\n"
    "         blocked, and its actions.\n"
    "\n"
    "Input lines that are not JSON objects are skipped; a missing history file\n"
    "holds no records.\n"
    "\n"
    "Exit status: 0 done, 1 SCRIPT or RECENTS cannot be read, 2 bad arguments.\n";
const std::string kHelp = std::string(kUsage) + "\n" + platform::kDeviceRootHelp;

// The JSON objects among the lines; other lines are skipped.
std::vector<Json> readJsonLines(std::istream& in) {
  std::vector<Json> lines;
  for (std::string line; std::getline(in, line);) {
    std::optional<Json> value = parseJsonDocument(line);
    if (value && value->is_object()) lines.push_back(std::move(*value));
  }
  return lines;
}

// A member of an object; null when missing.
const Json& member(const Json& object, const char* key) {
  static const Json kNone;
  const auto found = object.find(key);
  return found == object.end() ? kNone : *found;
}

std::string text(const Json& value) {
  if (value.is_string()) return value.get<std::string>();
  if (value.is_null()) return "";
  return value.dump();
}

// A call of the script as the host set it up for its first event.
struct ScriptCall {
  std::string number;
  std::string uniqueId;
};

// The script's calls by call key; lines the host would skip are skipped.
std::map<std::string, ScriptCall> readScriptCalls(std::istream& in) {
  std::map<std::string, ScriptCall> calls;
  for (std::string line; std::getline(in, line);) {
    const auto parsed = springboard::parseScriptLine(line);
    const auto* event = parsed ? std::get_if<springboard::CallEvent>(&*parsed) : nullptr;
    if (event == nullptr || calls.count(springboard::callKey(*event)) > 0) continue;
    platform::TUCall call;
    springboard::applyCallEvent(*event, /*newCall=*/true, call);
    calls[springboard::callKey(*event)] = {call.handle ? call.handle->value : "",
                                           call.uniqueProxyIdentifier};
  }
  return calls;
}

// The last record of each unique id in the history file (read line by line
// with the contract's reader); no records when the file cannot be read.
std::map<std::string, BlockRecord> lastRecords(const std::string& historyPath) {
  std::map<std::string, BlockRecord> records;
  if (historyPath.empty()) return records;
  const Status read = readHistoryRecords(historyPath, [&](BlockRecord&& record, std::string_view) {
    if (!record.uniqueId.empty()) records[record.uniqueId] = std::move(record);
  });
  if (!read) return {};
  return records;
}

int reportCalls(const std::string& scriptPath, const std::string& historyPath) {
  std::ifstream script(scriptPath);
  if (!script) {
    std::fprintf(stderr, "hushgate-report: cannot read %s\n", scriptPath.c_str());
    return 1;
  }
  const std::map<std::string, ScriptCall> calls = readScriptCalls(script);
  const std::map<std::string, BlockRecord> records = lastRecords(historyPath);

  std::printf("%-6s %-20s %-10s %s\n", "call", "number", "outcome", "reason");
  std::set<std::string> shown;
  for (const Json& line : readJsonLines(std::cin)) {
    const Json& id = member(line, "call");
    if (!shown.insert(id.dump()).second) continue;  // only a call's first event was screened
    const auto found = calls.find(id.dump());
    const ScriptCall call = found != calls.end() ? found->second : ScriptCall{};
    std::string outcome = text(member(line, "outcome"));
    std::string words = "let through";
    if (outcome == "disconnected") {
      const auto record = records.find(call.uniqueId);
      words = "no history record";
      if (record != records.end()) {
        outcome = "blocked";
        words = blockReasonWords(static_cast<BlockReason>(record->second.reason));
        if (!record->second.detail.empty()) words += " (" + record->second.detail + ")";
      }
    }
    std::printf("%-6s %-20s %-10s %s\n", text(id).c_str(),
                call.number.empty() ? "(none)" : call.number.c_str(), outcome.c_str(),
                words.c_str());
  }
  return 0;
}

int reportRecents(const std::string& recentsPath) {
  const std::optional<std::string> bytes = readWholeFile(recentsPath);
  const Json recents = bytes ? parseJsonDocument(*bytes).value_or(Json()) : Json();
  if (!recents.is_array()) {
    std::fprintf(stderr, "hushgate-report: %s is not a recents list\n", recentsPath.c_str());
    return 1;
  }
  std::printf("%-4s %-18s %-8s %s\n", "row", "caller", "marked", "actions");
  for (const Json& line : readJsonLines(std::cin)) {
    const Json& rowValue = member(line, "row");
    const size_t row = rowValue.is_number_unsigned() ? rowValue.get<size_t>() : 0;
    const Json entry = row < recents.size() ? recents[row] : Json::object();
    std::string actions;
    const Json& titles = member(line, "actions");
    for (const Json& title : titles.is_array() ? titles : Json::array()) {
      actions += (actions.empty() ? "" : " ") + text(title);
    }
    const bool marked = member(line, "marked") == true;
    std::printf("%-4zu %-18s %-8s %s\n", row,
                text(entry.is_object() ? member(entry, "callerId") : Json()).c_str(),
                marked ? "blocked" : "-", actions.c_str());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (const std::optional<int> answered =
          platform::answerHelpOrVersion(args, "hushgate-report", kHelp)) {
    return *answered;
  }
  if ((args.size() == 2 || args.size() == 3) && args[0] == "calls") {
    return reportCalls(args[1], args.size() == 3 ? args[2] : mpHistoryFilePathFromOutside());
  }
  if (args.size() == 2 && args[0] == "recents") return reportRecents(args[1]);
  return platform::usageError(kUsage);
}
