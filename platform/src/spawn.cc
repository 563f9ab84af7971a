#include "spawn.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <thread>

#include "platform/unique_fd.h"

extern char** environ;

namespace platform::internal {

namespace {

using Clock = std::chrono::steady_clock;

bool hasNul(const std::vector<std::string>& argv) {
  for (const std::string& arg : argv) {
    if (arg.find('\0') != std::string::npos) return true;
  }
  return false;
}

std::vector<char*> argumentPointers(const std::vector<std::string>& argv) {
  std::vector<char*> pointers;
  pointers.reserve(argv.size() + 1);
  for (const std::string& arg : argv) pointers.push_back(const_cast<char*>(arg.c_str()));
  pointers.push_back(nullptr);
  return pointers;
}

// posix_spawn attributes and file actions, released with the object.
class SpawnSetup {
 public:
  SpawnSetup() {
    posix_spawnattr_init(&attributes_);
    posix_spawn_file_actions_init(&actions_);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions_);
    posix_spawnattr_destroy(&attributes_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  // A fresh signal state: nothing blocked, the usual signals at their
  // default action (a host may block or ignore them).
  void resetSignals(short extraFlags) {
    sigset_t empty;
    sigemptyset(&empty);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGCHLD}) {
      sigaddset(&defaults, signal);
    }
    posix_spawnattr_setsigmask(&attributes_, &empty);
    posix_spawnattr_setsigdefault(&attributes_, &defaults);
    posix_spawnattr_setflags(&attributes_,
                             POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | extraFlags);
  }

  posix_spawnattr_t* attributes() { return &attributes_; }
  posix_spawn_file_actions_t* actions() { return &actions_; }

 private:
  posix_spawnattr_t attributes_;
  posix_spawn_file_actions_t actions_;
};

void reap(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

int millisecondsUntil(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

// Waits for pid until the deadline; kills it when the deadline passes.
std::optional<int> waitUntil(pid_t pid, Clock::time_point deadline) {
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return status;
    if (done < 0 && errno != EINTR) return std::nullopt;
    if (Clock::now() >= deadline) {
      kill(pid, SIGKILL);
      reap(pid);
      return std::nullopt;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace

bool isExecutableFile(const std::string& path) {
  struct stat info;
  return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         access(path.c_str(), X_OK) == 0;
}

std::string findExecutable(std::string_view name) {
  if (name.empty() || name.find('/') != std::string_view::npos) return "";
  const char* path = std::getenv("PATH");
  if (path == nullptr) return "";
  std::string_view folders(path);
  while (!folders.empty()) {
    const size_t end = folders.find(':');
    std::string folder(folders.substr(0, end));
    folders = end == std::string_view::npos ? std::string_view() : folders.substr(end + 1);
    if (folder.empty()) continue;  // an empty entry would mean the working folder
    const std::string candidate = folder + "/" + std::string(name);
    if (isExecutableFile(candidate)) return candidate;
  }
  return "";
}

bool spawnDetached(const std::vector<std::string>& argv) {
  if (argv.empty() || hasNul(argv)) return false;
  SpawnSetup setup;
  setup.resetSignals(POSIX_SPAWN_SETSID);
  posix_spawn_file_actions_addopen(setup.actions(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(setup.actions(), STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char*> args = argumentPointers(argv);
  pid_t pid = 0;
  if (posix_spawn(&pid, args[0], setup.actions(), setup.attributes(), args.data(), environ) != 0) {
    return false;
  }
  // Nobody waits for the program; a small thread collects its exit status
  // so that it leaves no zombie behind. Should no thread be available, the
  // status is collected when this process ends.
  try {
    std::thread([pid] { reap(pid); }).detach();
  } catch (const std::system_error&) {
  }
  return true;
}

std::optional<std::string> runForOutput(const std::vector<std::string>& argv,
                                        std::chrono::milliseconds timeout) {
  if (argv.empty() || hasNul(argv)) return std::nullopt;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return std::nullopt;
  UniqueFd readEnd(fds[0]);
  UniqueFd writeEnd(fds[1]);

  SpawnSetup setup;
  setup.resetSignals(0);
  posix_spawn_file_actions_addopen(setup.actions(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(setup.actions(), writeEnd.get(), STDOUT_FILENO);
  posix_spawn_file_actions_addopen(setup.actions(), STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char*> args = argumentPointers(argv);
  pid_t pid = 0;
  if (posix_spawn(&pid, args[0], setup.actions(), setup.attributes(), args.data(), environ) != 0) {
    return std::nullopt;
  }
  writeEnd.reset();

  const Clock::time_point deadline = Clock::now() + timeout;
  std::string output;
  for (;;) {
    pollfd fd = {readEnd.get(), POLLIN, 0};
    const int ready = poll(&fd, 1, millisecondsUntil(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;  // time is up
    char chunk[4096];
    const ssize_t n = read(readEnd.get(), chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    output.append(chunk, static_cast<size_t>(n));
  }
  const std::optional<int> status = waitUntil(pid, deadline);
  if (!status || !WIFEXITED(*status) || WEXITSTATUS(*status) != 0) return std::nullopt;
  return output;
}

}  // namespace platform::internal
