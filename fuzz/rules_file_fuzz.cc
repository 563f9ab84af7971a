// Fuzz target of the rules file's reader: the input is a rules file's bytes,
// imported into a small document. A file that is taken merges into a
// document whose exported rules import into it again as nothing new and
// nothing left out; every entry left out names a line of the file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "statics/contracts/blacklist_pattern.h"
#include "statics/json_member_lines.h"
#include "statics/rules_transfer.h"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  (void)scanJsonMemberLines(bytes);
  Json phone = Json::object();
  phone[kBlacklistKey] = Json::array({patternEntryJson({"139", blacklistExpression("139"), ""})});
  phone[kKeywordsKey] = Json::array({"a"});
  phone[kBlockedCitiesKey] = Json{{"g", Json::array({"010"})}};
  const Result<ImportPlan> plan = planImport(bytes, phone);
  if (!plan) return 0;
  const size_t lines = static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
  for (const ImportProblem& problem : plan->problems) {
    check(problem.line >= 1 && problem.line <= lines);
  }
  const Json merged = applyImport(phone, *plan);
  const Result<ImportPlan> again = planImport(exportRules(merged), merged);
  check(again.ok() && again->problems.empty() && again->changesNothing());
  return 0;
}
