// hushgate-report: readable summaries of what the simulated phone printed.
//
//   hushgate-report calls SCRIPT      < springboard host output
//   hushgate-report recents RECENTS   < mobilephone host output
//
// "calls" prints one row per screened call (its first event): the call, its
// number from the call script, what became of it and the reason in words.
// "recents" prints one row per recents row: the caller, whether it is marked
// as blocked and the row actions.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "statics/Preference.h"
#include "statics/atomic_file.h"
#include "tools/screen_input.h"

namespace {

std::vector<Json> readJsonLines(std::istream& in) {
  std::vector<Json> lines;
  std::string line;
  while (std::getline(in, line)) {
    Json value = Json::parse(line, nullptr, /*allow_exceptions=*/false);
    if (!value.is_discarded() && value.is_object()) lines.push_back(std::move(value));
  }
  return lines;
}

std::string text(const Json& value) {
  if (value.is_string()) return value.get<std::string>();
  if (value.is_null()) return "";
  return value.dump();
}

int reportCalls(const std::string& scriptPath) {
  std::ifstream script(scriptPath);
  if (!script) {
    std::fprintf(stderr, "hushgate-report: cannot read %s\n", scriptPath.c_str());
    return 2;
  }
  std::map<std::string, std::string> numbers;
  for (const Json& event : readJsonLines(script)) {
    const std::string call = event.contains("call") ? event["call"].dump() : "";
    if (event.contains("number") && !numbers.count(call)) numbers[call] = text(event["number"]);
  }

  std::printf("%-6s %-20s %-10s %s\n", "call", "number", "outcome", "reason");
  std::map<std::string, bool> shown;
  for (const Json& line : readJsonLines(std::cin)) {
    const std::string call = line.contains("call") ? line["call"].dump() : "";
    if (shown[call]) continue;  // a call's first event is the one that was screened
    shown[call] = true;
    const std::string outcome = text(line.value("outcome", Json()));
    const unsigned reason = line.value("reason", 0u);
    std::string words =
        outcome == "blocked" ? blockReasonWords(static_cast<BlockReason>(reason)) : "let through";
    const std::string detail = text(line.value("detail", Json()));
    if (!detail.empty()) words += " (" + detail + ")";
    const std::string number = numbers.count(call) ? numbers[call] : "";
    std::printf("%-6s %-20s %-10s %s\n", text(line["call"]).c_str(),
                number.empty() ? "(none)" : number.c_str(), outcome.c_str(), words.c_str());
  }
  return 0;
}

int reportRecents(const std::string& recentsPath) {
  const std::optional<std::string> bytes = readWholeFile(recentsPath);
  const Json recents = bytes ? Json::parse(*bytes, nullptr, false) : Json();
  if (!recents.is_array()) {
    std::fprintf(stderr, "hushgate-report: %s is not a recents list\n", recentsPath.c_str());
    return 2;
  }
  std::printf("%-4s %-18s %-8s %s\n", "row", "caller", "marked", "actions");
  for (const Json& line : readJsonLines(std::cin)) {
    const size_t row = line.value("row", size_t{0});
    const Json entry = row < recents.size() ? recents[row] : Json::object();
    std::string actions;
    for (const Json& title : line.value("actions", Json::array())) {
      actions += (actions.empty() ? "" : " ") + text(title);
    }
    const bool marked = line.value("marked", false);
    std::printf("%-4zu %-18s %-8s %s\n", row, text(entry.value("callerId", Json())).c_str(),
                marked ? "blocked" : "-", actions.c_str());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string verb = argc > 1 ? argv[1] : "";
  if (argc == 3 && verb == "calls") return reportCalls(argv[2]);
  if (argc == 3 && verb == "recents") return reportRecents(argv[2]);
  std::fputs(
      "usage: hushgate-report calls SCRIPT < springboard-output\n"
      "       hushgate-report recents RECENTS < mobilephone-output\n",
      stderr);
  return 2;
}
