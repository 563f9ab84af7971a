// Throughput of the home-screen host for calls that pass: each call rings
// (status 4), is answered (1) and ends (6). The host runs with the tweak in
// its injection folder, screening on with the default rules, the build's
// number-location database and the example caller-identification database;
// the baseline is the same host with an empty injection folder. The time
// reported is per call (the host's start included, spread over the calls).
//
//   springboard_bench
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <sqlite3.h>

#include "bench/device_root_main.h"
#include "platform/injection.h"
#include "platform/paths.h"
#include "statics/MobileRegionDetector.h"
#include "statics/Preference.h"
#include "statics/atomic_file.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kCalls = 20000;

std::string readText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The device: screening on, the databases in place, no tweak yet.
void makeDevice() {
  fs::create_directories(platform::devicePath(kDataDirectoryPath));
  Json pref = Preference::defaultPref();
  pref[kEnabledKey] = true;
  if (!writeFileAtomically(platform::devicePath(kPrefFilePath), pref.dump())) std::exit(1);
  const std::optional<std::string> database = findDatabaseFile(HUSHGATE_PHONEDATA_DIR);
  if (!database) std::exit(1);
  fs::copy_file(*database, fs::path(platform::devicePath(kDataDirectoryPath)) /
                               fs::path(*database).filename());
  const std::string labels = platform::devicePath(kCallDirectoryDatabasePath);
  fs::create_directories(fs::path(labels).parent_path());
  sqlite3* db = nullptr;
  sqlite3_open(labels.c_str(), &db);
  if (sqlite3_exec(db, readText(HUSHGATE_CALLER_ID_SQL).c_str(), nullptr, nullptr, nullptr) !=
      SQLITE_OK) {
    std::exit(1);
  }
  sqlite3_close(db);
  fs::create_directories(platform::injectionDirectory());
}

// Calls from mobile numbers that no default rule blocks.
std::string makeScript() {
  const std::string path = platform::devicePath("/calls.jsonl");
  std::ofstream out(path);
  for (int i = 0; i < kCalls; ++i) {
    const std::string number = std::to_string(13800000000LL + i * 7919LL % 100000000LL);
    out << "{\"call\": " << i << ", \"status\": 4, \"incoming\": true, \"number\": \"" << number
        << "\"}\n{\"call\": " << i << ", \"status\": 1}\n{\"call\": " << i << ", \"status\": 6}\n";
  }
  return path;
}

// Runs the host on the script; its report goes to /dev/null.
double runHost(const std::string& script) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, script.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  char program[] = SPRINGBOARD_BIN;
  char* argv[] = {program, nullptr};
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

void runCalls(benchmark::State& state, bool withTweak) {
  const fs::path injected = fs::path(platform::injectionDirectory()) / "hushgate.so";
  std::error_code ignored;
  fs::remove(injected, ignored);
  if (withTweak) fs::copy_file(HUSHGATE_TWEAK, injected);
  const std::string script = makeScript();
  double total = 0;
  for (auto _ : state) {
    const double seconds = runHost(script);
    total += seconds;
    state.SetIterationTime(seconds / kCalls);
  }
  state.counters["calls/s"] = static_cast<double>(state.iterations()) * kCalls / total;
}

void BM_SpringboardPassingCalls(benchmark::State& state) {
  runCalls(state, true);
}
BENCHMARK(BM_SpringboardPassingCalls)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMicrosecond);

void BM_SpringboardPassingCalls_Baseline(benchmark::State& state) {
  runCalls(state, false);
}
BENCHMARK(BM_SpringboardPassingCalls_Baseline)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

// Runs under a fresh device root (HUSHGATE_ROOT), removed afterwards.
int main(int argc, char** argv) {
  return runBenchmarksInFreshDeviceRoot(argc, argv, [](const std::string&) { makeDevice(); });
}
