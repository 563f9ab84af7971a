// Marking one row of the recents list as blocked or not, with histories of
// 1,000, 25,000 and 100,000 records: the set of blocked ids that a history
// load builds, beside a bare hash-set lookup (the baseline) and the scan of
// an ordered list of every id (how rows were once checked).
//
//   recents_bench --benchmark_min_time=0.2
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <unordered_set>
#include <vector>

#include "hushgate/history/block_history.h"
#include "hushgate/recents/recents.h"
#include "statics/contracts/block_record.h"

namespace {

std::string idOf(int64_t i) {
  return "5D3F2A1C-0B7E-4C1D-9E2F-" + std::to_string(100000000000 + i);
}

// A recent call that was not blocked: the dearest row, every id looked at.
RecentCallFacts unblockedRow() {
  return {kBlockedCandidateCallStatus, {idOf(-1), idOf(-2)}, idOf(-3)};
}

// The blocked ids of a history file of that many records, as the Phone
// application loads them.
BlockedCallUniqueIds loadedIds(int64_t records) {
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("recents-bench-" + std::to_string(records));
  {
    std::ofstream out(path, std::ios::trunc | std::ios::binary);
    for (int64_t i = 0; i < records; ++i) out << blockRecordLine({idOf(i), "10086", i, 4, ""});
  }
  MPBlockHistory history(path.string());
  history.load();
  std::filesystem::remove(path);
  return history.blockedCallUniqueIds();
}

void BM_MarkRow(benchmark::State& state) {
  const BlockedCallUniqueIds ids = loadedIds(state.range(0));
  const RecentCallFacts row = unblockedRow();
  for (auto _ : state) benchmark::DoNotOptimize(isBlockedRecentCall(row, ids));
}
BENCHMARK(BM_MarkRow)->Arg(1000)->Arg(25000)->Arg(100000);

// The baseline: the same three lookups in a bare set.
void BM_HashSetBaseline(benchmark::State& state) {
  const BlockedCallUniqueIds ids = loadedIds(state.range(0));
  const RecentCallFacts row = unblockedRow();
  for (auto _ : state) {
    bool found = false;
    for (const auto& id : row.occurrenceUniqueIds) found |= ids.count(*id) > 0;
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_HashSetBaseline)->Arg(1000)->Arg(25000)->Arg(100000);

// The former check: a scan of every id per occurrence.
void BM_ScanOfAllIds(benchmark::State& state) {
  const BlockedCallUniqueIds set = loadedIds(state.range(0));
  const std::vector<std::string> ids(set.begin(), set.end());
  const RecentCallFacts row = unblockedRow();
  for (auto _ : state) {
    bool found = false;
    for (const auto& id : row.occurrenceUniqueIds)
      found |= std::find(ids.begin(), ids.end(), *id) != ids.end();
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_ScanOfAllIds)->Arg(1000)->Arg(25000)->Arg(100000);

}  // namespace

BENCHMARK_MAIN();
