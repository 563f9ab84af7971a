// One log call while logging is off (no log file), against what such a call
// cost when it opened the missing file per line.
//
//   log_bench --benchmark_min_time=0.2
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/device_root_main.h"
#include "statics/Log.h"

namespace {

namespace fs = std::filesystem;

void BM_LogOff(benchmark::State& state) {
  for (auto _ : state) Log("call.status: %d", 4);
}
BENCHMARK(BM_LogOff);

// An open() of the missing log file, as every line made it before.
void BM_LogOff_Baseline(benchmark::State& state) {
  const std::string path = logFilePath();
  for (auto _ : state) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) ::close(fd);
    benchmark::DoNotOptimize(fd);
  }
}
BENCHMARK(BM_LogOff_Baseline);

}  // namespace

// Runs under a fresh device root (HUSHGATE_ROOT) without a log file.
int main(int argc, char** argv) {
  return runBenchmarksInFreshDeviceRoot(
      argc, argv, [](const std::string& root) { fs::create_directories(root + "/var/mobile"); });
}
