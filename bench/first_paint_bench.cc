// The settings window's first paint: the time from starting hushgate-gui on
// Qt's offscreen platform to the first paint event of its top-level window,
// against the same for a plain Qt Widgets window of the same size (the
// baseline). Both programs run with bench/first_paint_probe.cc preloaded,
// which reports the paint through a pipe; each iteration is one fresh
// process, ended once it has painted. The device root has the build's
// number-location database and default preferences.
//
//   first_paint_bench
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "bench/device_root_main.h"
#include "bench/first_paint.h"
#include "platform/paths.h"
#include "statics/MobileRegionDetector.h"
#include "statics/contracts/names.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kPatienceMilliseconds = 30000;

void makeDevice() {
  const std::string data = platform::devicePath(kDataDirectoryPath);
  fs::create_directories(data);
  const std::optional<std::string> database = findDatabaseFile(HUSHGATE_PHONEDATA_DIR);
  if (!database) std::exit(1);
  fs::copy_file(*database, fs::path(data) / fs::path(*database).filename());
}

// This environment, with the probe preloaded and the offscreen platform.
std::vector<std::string> childEnvironment() {
  std::vector<std::string> variables;
  for (char** variable = environ; *variable != nullptr; ++variable) {
    const std::string text = *variable;
    if (text.starts_with("LD_PRELOAD=") || text.starts_with("QT_QPA_PLATFORM=")) continue;
    variables.push_back(text);
  }
  variables.push_back(std::string("LD_PRELOAD=") + FIRST_PAINT_PROBE);
  variables.push_back("QT_QPA_PLATFORM=offscreen");
  return variables;
}

// Starts program and returns the seconds until its first paint; nullopt
// when it ends or takes longer than the patience without painting.
std::optional<double> timeToFirstPaint(const char* program) {
  int pipe[2];
  if (::pipe2(pipe, O_CLOEXEC) != 0) return std::nullopt;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipe[1], kFirstPaintDescriptor);
  std::vector<std::string> variables = childEnvironment();
  std::vector<char*> envp;
  for (std::string& variable : variables) envp.push_back(variable.data());
  envp.push_back(nullptr);
  std::string name = program;
  char* argv[] = {name.data(), nullptr};

  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const bool spawned = posix_spawn(&pid, program, &actions, nullptr, argv, envp.data()) == 0;
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipe[1]);
  std::optional<double> seconds;
  if (spawned) {
    pollfd ready{pipe[0], POLLIN, 0};
    char painted = 0;
    if (::poll(&ready, 1, kPatienceMilliseconds) == 1 && ::read(pipe[0], &painted, 1) == 1) {
      seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    ::kill(pid, SIGTERM);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  ::close(pipe[0]);
  return seconds;
}

void firstPaint(benchmark::State& state, const char* program) {
  for (auto _ : state) {
    const std::optional<double> seconds = timeToFirstPaint(program);
    if (!seconds) {
      state.SkipWithError((std::string(program) + " painted no window").c_str());
      return;
    }
    state.SetIterationTime(*seconds);
  }
}

void BM_SettingsWindowFirstPaint(benchmark::State& state) {
  firstPaint(state, HUSHGATE_GUI_BIN);
}
BENCHMARK(BM_SettingsWindowFirstPaint)
    ->UseManualTime()
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

void BM_SettingsWindowFirstPaint_Baseline(benchmark::State& state) {
  firstPaint(state, PLAIN_QT_WINDOW_BIN);
}
BENCHMARK(BM_SettingsWindowFirstPaint_Baseline)
    ->UseManualTime()
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

}  // namespace

// Runs under a fresh device root (HUSHGATE_ROOT), removed afterwards.
int main(int argc, char** argv) {
  return runBenchmarksInFreshDeviceRoot(argc, argv, [](const std::string&) { makeDevice(); });
}
