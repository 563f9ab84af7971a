// Importing a rules file of 100,000 blacklist entries, half of them on the
// phone already: planning and merging, against parsing the file alone.
#include <benchmark/benchmark.h>

#include <string>

#include "statics/contracts/blacklist_pattern.h"
#include "statics/contracts/pref_document.h"
#include "statics/json_document.h"
#include "statics/rules_transfer.h"

namespace {

constexpr int kEntries = 100000;

// A document whose blacklist holds the numbers 15000000000 + i for every
// step-th i below kEntries.
Json blacklistOf(int step) {
  Json pref = Json::object();
  pref[kBlacklistKey] = Json::array();
  for (int i = 0; i < kEntries; i += step) {
    const std::string number = std::to_string(15000000000LL + i);
    pref[kBlacklistKey].push_back(patternEntryJson({number, blacklistExpression(number), ""}));
  }
  return pref;
}

void BM_ImportPlanAndMerge(benchmark::State& state) {
  const std::string file = exportRules(blacklistOf(1));
  const Json pref = blacklistOf(2);
  for (auto _ : state) {
    const Result<ImportPlan> plan = planImport(file, pref);
    if (!plan) {
      state.SkipWithError("the file was refused");
      return;
    }
    benchmark::DoNotOptimize(applyImport(pref, *plan));
  }
}
BENCHMARK(BM_ImportPlanAndMerge)->Unit(benchmark::kMillisecond);

void BM_ImportPlanAndMerge_Baseline(benchmark::State& state) {
  const std::string file = exportRules(blacklistOf(1));
  for (auto _ : state) benchmark::DoNotOptimize(parseJsonDocument(file));
}
BENCHMARK(BM_ImportPlanAndMerge_Baseline)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
