#include "gui/support/notify_waiter.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>
#include <vector>

extern char** environ;

namespace gui_testing {

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kTool[] = HUSHGATE_NOTIFY_TOOL;
constexpr auto kReadyPatience = std::chrono::seconds(10);

// Reads output up to the first "\n" or the deadline.
std::string readFirstLine(int fd, Clock::time_point deadline) {
  std::string line;
  while (line.find('\n') == std::string::npos) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) break;
    pollfd p = {fd, POLLIN, 0};
    const int ready = poll(&p, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    char chunk[64];
    const ssize_t n = read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    line.append(chunk, static_cast<size_t>(n));
  }
  return line.substr(0, line.find('\n'));
}

}  // namespace

std::unique_ptr<NotifyWaiter> NotifyWaiter::start(const std::string& name, int seconds,
                                                  std::string* error) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    if (error) *error = "pipe failed";
    return nullptr;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  const std::string timeout = std::to_string(seconds);
  std::vector<std::string> argv = {kTool, "wait", name, timeout};
  std::vector<char*> args;
  for (std::string& arg : argv) args.push_back(arg.data());
  args.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, kTool, &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (spawned != 0) {
    close(fds[0]);
    if (error) *error = std::string("cannot start ") + kTool;
    return nullptr;
  }
  std::unique_ptr<NotifyWaiter> waiter(new NotifyWaiter(pid, fds[0]));
  const std::string line = readFirstLine(fds[0], Clock::now() + kReadyPatience);
  if (line != "ready") {
    if (error) *error = "the waiter said \"" + line + "\" instead of \"ready\"";
    return nullptr;
  }
  return waiter;
}

NotifyWaiter::~NotifyWaiter() {
  if (!reaped_) {
    kill(pid_, SIGKILL);
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
  }
  close(output_);
}

std::optional<int> NotifyWaiter::exitStatus(std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      reaped_ = true;
      if (WIFEXITED(status)) return WEXITSTATUS(status);
      return std::nullopt;
    }
    if (done < 0 && errno != EINTR) return std::nullopt;
    if (Clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace gui_testing
