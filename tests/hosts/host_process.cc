#include "host_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <utility>

extern char** environ;

namespace hosts_testing {

namespace {

using Clock = std::chrono::steady_clock;

int millisecondsUntil(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

}  // namespace

std::unique_ptr<HostProcess> HostProcess::start(const std::vector<std::string>& argv) {
  std::string errorFile =
      (std::filesystem::temp_directory_path() / "hushgate-host-stderr-XXXXXX").string();
  const int errorFd = mkstemp(errorFile.data());
  if (errorFd < 0) return nullptr;
  // A child that has gone must not kill the test when it writes to it.
  ::signal(SIGPIPE, SIG_IGN);
  int in[2], out[2];
  if (argv.empty() || pipe2(in, O_CLOEXEC) != 0) {
    close(errorFd);
    return nullptr;
  }
  if (pipe2(out, O_CLOEXEC) != 0) {
    close(in[0]);
    close(in[1]);
    close(errorFd);
    return nullptr;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, errorFd, STDERR_FILENO);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int error = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  close(errorFd);
  if (error != 0) {
    close(in[1]);
    close(out[0]);
    std::filesystem::remove(errorFile);
    return nullptr;
  }
  return std::unique_ptr<HostProcess>(new HostProcess(pid, in[1], out[0], std::move(errorFile)));
}

HostProcess::HostProcess(pid_t pid, int input, int output, std::string errorFile)
    : pid_(pid), input_(input), output_(output), errorFile_(std::move(errorFile)) {}

HostProcess::~HostProcess() {
  if (!reaped_) {
    kill(pid_, SIGKILL);
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
  }
  closeInput();
  close(output_);
  std::error_code ignored;
  std::filesystem::remove(errorFile_, ignored);
}

bool HostProcess::write(const std::string& text) {
  size_t done = 0;
  while (done < text.size() && input_ >= 0) {
    const ssize_t n = ::write(input_, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return done == text.size();
}

void HostProcess::closeInput() {
  if (input_ >= 0) close(input_);
  input_ = -1;
}

bool HostProcess::fill(Clock::time_point deadline) {
  pollfd fd = {output_, POLLIN, 0};
  for (;;) {
    const int ready = poll(&fd, 1, millisecondsUntil(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    char chunk[512];
    const ssize_t n = read(output_, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    buffer_.append(chunk, static_cast<size_t>(n));
    return true;
  }
}

std::optional<std::string> HostProcess::readLine(std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  for (;;) {
    const size_t end = buffer_.find('\n');
    if (end != std::string::npos) {
      std::string line = buffer_.substr(0, end);
      buffer_.erase(0, end + 1);
      return line;
    }
    if (!fill(deadline)) return std::nullopt;
  }
}

std::vector<std::string> HostProcess::readLines(std::chrono::milliseconds timeout) {
  std::vector<std::string> lines;
  while (std::optional<std::string> line = readLine(timeout)) lines.push_back(std::move(*line));
  if (!buffer_.empty()) lines.push_back(std::exchange(buffer_, std::string()));
  return lines;
}

void HostProcess::signal(int number) {
  if (!reaped_) kill(pid_, number);
}

std::optional<int> HostProcess::wait(std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      reaped_ = true;
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    if (done < 0 && errno != EINTR) return std::nullopt;
    if (Clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

std::string HostProcess::errors() const {
  std::ifstream in(errorFile_);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace hosts_testing
