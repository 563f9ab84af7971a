// Importing a rules file of 100,000 blacklist entries, half of them on the
// phone already: planning and merging, against parsing the file alone.
#include <benchmark/benchmark.h>

#include <string>

#include "statics/json_document.h"
#include "statics/rules_transfer.h"

namespace {

constexpr int kEntries = 100000;

std::string rulesFile() {
  std::string text = "{\"format\": \"hushgate-rules\", \"version\": 1, \"blacklist\": [\n";
  for (int i = 0; i < kEntries; ++i) {
    text += (i ? ",\n" : "") + std::string("{\"pattern\": \"") + std::to_string(15000000000LL + i) +
            "\", \"comment\": \"\"}";
  }
  return text + "\n]}";
}

Json phoneWithHalfOfThem() {
  Json pref = {{"blacklist", Json::array()}};
  for (int i = 0; i < kEntries; i += 2) {
    const std::string number = std::to_string(15000000000LL + i);
    pref["blacklist"].push_back(Json::array({number, "^" + number + "$", ""}));
  }
  return pref;
}

void BM_ImportPlanAndMerge(benchmark::State& state) {
  const std::string file = rulesFile();
  const Json pref = phoneWithHalfOfThem();
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
  const std::string file = rulesFile();
  for (auto _ : state) benchmark::DoNotOptimize(parseJsonDocument(file));
}
BENCHMARK(BM_ImportPlanAndMerge_Baseline)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
