// The Phone application host drawing a recents list of 10,000 rows with a
// block history of 100,000 records: the host with the tweak in its injection
// folder (every row marked or not against the history, its actions made by
// the tweak), against the same host with an empty injection folder (the
// baseline). The time reported is per row, the host's start and the load of
// the history included.
//
//   mobilephone_bench
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/device_root_main.h"
#include "platform/injection.h"
#include "platform/paths.h"
#include "platform/phone.h"
#include "statics/contracts/block_record.h"
#include "statics/history_file.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kRows = 10000;
constexpr int kRecords = 100000;
constexpr const char* kOccurrenceKey = platform::kCHCallOccurrenceUniqueIdKey;

std::string idOf(int i) {
  return "5D3F2A1C-0B7E-4C1D-9E2F-" + std::to_string(100000000000LL + i);
}

// The history: kRecords blocked calls, ids 0 to kRecords - 1.
void writeHistory() {
  const fs::path path = mpHistoryFilePathFromOutside();
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::trunc | std::ios::binary);
  for (int i = 0; i < kRecords; ++i) {
    out << blockRecordLine(
        {idOf(i), "1380013" + std::to_string(1000 + i % 9000), 1700000000 + i, 4, ""});
  }
}

// The rows: every fourth one a missed call whose occurrence is in the
// history (marked), the others missed calls of two occurrences that are not
// (looked up and left), and every tenth an answered call.
std::string writeRecents() {
  const std::string path = platform::devicePath("/recents.json");
  std::ofstream out(path, std::ios::trunc);
  out << "[\n";
  for (int row = 0; row < kRows; ++row) {
    const bool blocked = row % 4 == 0;
    const int status = row % 10 == 9 ? 1 : 8;
    out << (row == 0 ? "" : ",\n") << "{\"callStatus\": " << status << ", \"uniqueId\": \"r-" << row
        << "\", \"callerId\": \"1380013" << 1000 + row % 9000 << "\", \"callOccurrences\": [";
    if (blocked) {
      out << "{\"" << kOccurrenceKey << "\": \"" << idOf(row * 7 % kRecords) << "\"}";
    } else {
      out << "{\"" << kOccurrenceKey << "\": \"o-" << row << "a\"}, {\"" << kOccurrenceKey
          << "\": \"o-" << row << "b\"}";
    }
    out << "], \"callerLabel\": \"label " << row << "\"}";
  }
  out << "\n]\n";
  return path;
}

void makeDevice() {
  fs::create_directories(platform::injectionDirectory());
  writeHistory();
}

// The rows the tweak marks: the missed calls whose occurrence is in the
// history.
int expectedMarkedRows(bool withTweak) {
  int marked = 0;
  for (int row = 0; row < kRows; ++row) marked += withTweak && row % 4 == 0 && row % 10 != 9;
  return marked;
}

// Runs the host on the recents file; its report goes to report.
double runHost(const std::string& recents, const std::string& report) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, report.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  char program[] = MOBILEPHONE_BIN;
  std::string file = recents;
  char* argv[] = {program, file.data(), nullptr};
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, program, &actions, nullptr, argv, environ) != 0) std::exit(1);
  int status = 0;
  waitpid(pid, &status, 0);
  const auto end = std::chrono::steady_clock::now();
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::exit(1);
  return std::chrono::duration<double>(end - start).count();
}

void drawRows(benchmark::State& state, bool withTweak) {
  const fs::path injected = fs::path(platform::injectionDirectory()) / "hushgate.so";
  std::error_code ignored;
  fs::remove(injected, ignored);
  if (withTweak) fs::copy_file(HUSHGATE_TWEAK, injected);
  const std::string recents = writeRecents();
  // One run outside the timing shows that the host draws what is measured.
  const std::string report = platform::devicePath("/report.jsonl");
  runHost(recents, report);
  std::ifstream in(report);
  int rows = 0;
  int marked = 0;
  for (std::string line; std::getline(in, line);) {
    ++rows;
    marked += line.find("\"marked\":true") != std::string::npos;
  }
  if (rows != kRows || marked != expectedMarkedRows(withTweak)) {
    state.SkipWithError(("the host reported " + std::to_string(rows) + " rows, " +
                         std::to_string(marked) + " marked")
                            .c_str());
    return;
  }
  double total = 0;
  for (auto _ : state) {
    const double seconds = runHost(recents, "/dev/null");
    total += seconds;
    state.SetIterationTime(seconds / kRows);
  }
  state.counters["rows/s"] = static_cast<double>(state.iterations()) * kRows / total;
}

void BM_MobilephoneRecentsRows(benchmark::State& state) {
  drawRows(state, true);
}
BENCHMARK(BM_MobilephoneRecentsRows)->UseManualTime()->Iterations(5)->Unit(benchmark::kMicrosecond);

void BM_MobilephoneRecentsRows_Baseline(benchmark::State& state) {
  drawRows(state, false);
}
BENCHMARK(BM_MobilephoneRecentsRows_Baseline)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

// Runs under a fresh device root (HUSHGATE_ROOT), removed afterwards.
int main(int argc, char** argv) {
  return runBenchmarksInFreshDeviceRoot(argc, argv, [](const std::string&) { makeDevice(); });
}
