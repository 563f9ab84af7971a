// Reading the block history of 100,000 records: the Phone application's
// load after one more record was appended (only the new bytes are read)
// beside a full read of the file; and the settings application's load of
// the whole list.
//
//   history_bench --benchmark_min_time=0.2
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "hushgate-gui/core/models/history_reader.h"
#include "hushgate/history/block_history.h"
#include "statics/contracts/block_record.h"

namespace {

constexpr int64_t kRecords = 100000;

std::string lineOf(int64_t i) {
  return blockRecordLine({"5D3F2A1C-0B7E-4C1D-9E2F-" + std::to_string(100000000000 + i),
                          "+8613800138000", 1700000000 + i, unsigned(i % 5 + 1),
                          i % 5 == 4 ? "骚扰电话" : ""});
}

// A history file of kRecords records, removed at the end.
class HistoryFile {
 public:
  HistoryFile() {
    std::ofstream out(path_, std::ios::trunc | std::ios::binary);
    for (int64_t i = 0; i < kRecords; ++i) out << lineOf(i);
  }
  ~HistoryFile() { std::filesystem::remove(path_); }
  const std::string& path() const { return path_; }
  void append(int64_t i) const {
    std::ofstream(path_, std::ios::app | std::ios::binary) << lineOf(i);
  }

 private:
  std::string path_ = (std::filesystem::temp_directory_path() / "history-bench.txt").string();
};

void BM_PhoneLoadAfterOneAppended(benchmark::State& state) {
  const HistoryFile file;
  MPBlockHistory history(file.path());
  history.load();
  int64_t next = kRecords;
  for (auto _ : state) {
    state.PauseTiming();
    file.append(next++);
    state.ResumeTiming();
    history.load();
  }
  state.counters["ids"] = double(history.blockedCallUniqueIds().size());
}
BENCHMARK(BM_PhoneLoadAfterOneAppended)->Unit(benchmark::kMicrosecond);

void BM_PhoneFullRead(benchmark::State& state) {
  const HistoryFile file;
  for (auto _ : state) {
    MPBlockHistory history(file.path());
    history.load();
    benchmark::DoNotOptimize(history.blockedCallUniqueIds().size());
  }
}
BENCHMARK(BM_PhoneFullRead)->Unit(benchmark::kMillisecond);

// Also the memory that the loaded list holds ("list_MB", from the
// allocator's count of bytes in use).
void BM_SettingsLoad(benchmark::State& state) {
  const HistoryFile file;
  double megabytes = 0;
  for (auto _ : state) {
    const auto inUse = [] {
      const struct mallinfo2 info = mallinfo2();
      return info.uordblks + info.hblkhd;  // small blocks and mapped ones
    };
    const size_t before = inUse();
    const gui::HistoryList list = gui::readHistoryFile(file.path());
    megabytes = double(inUse() - before) / (1 << 20);
    benchmark::DoNotOptimize(list.size());
  }
  state.counters["list_MB"] = megabytes;
}
BENCHMARK(BM_SettingsLoad)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
