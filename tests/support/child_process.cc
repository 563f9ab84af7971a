#include "support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <utility>

extern char** environ;

namespace testing_support {

namespace {

using Clock = std::chrono::steady_clock;

int millisecondsUntil(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

void closeIfOpen(int fd) {
  if (fd >= 0) close(fd);
}

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::start(const std::vector<std::string>& argv,
                                                  const ChildOptions& options) {
  if (argv.empty()) return nullptr;
  std::string errorFile;
  int errorFd = -1;
  if (options.captureErrors) {
    errorFile = (std::filesystem::temp_directory_path() / "hushgate-child-stderr-XXXXXX").string();
    errorFd = mkstemp(errorFile.data());
    if (errorFd < 0) return nullptr;
  }
  int in[2] = {-1, -1};
  int out[2] = {-1, -1};
  if (options.pipeInput) {
    // A child that has gone must not kill the test when it writes to it.
    ::signal(SIGPIPE, SIG_IGN);
  }
  if ((options.pipeInput && pipe2(in, O_CLOEXEC) != 0) || pipe2(out, O_CLOEXEC) != 0) {
    closeIfOpen(in[0]);
    closeIfOpen(in[1]);
    closeIfOpen(errorFd);
    if (!errorFile.empty()) std::filesystem::remove(errorFile);
    return nullptr;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (in[0] >= 0) posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  if (errorFd >= 0) posix_spawn_file_actions_adddup2(&actions, errorFd, STDERR_FILENO);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int error = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  closeIfOpen(in[0]);
  close(out[1]);
  closeIfOpen(errorFd);
  if (error != 0) {
    closeIfOpen(in[1]);
    close(out[0]);
    if (!errorFile.empty()) std::filesystem::remove(errorFile);
    return nullptr;
  }
  return std::unique_ptr<ChildProcess>(new ChildProcess(pid, in[1], out[0], std::move(errorFile)));
}

ChildProcess::ChildProcess(pid_t pid, int input, int output, std::string errorFile)
    : pid_(pid), input_(input), output_(output), errorFile_(std::move(errorFile)) {}

ChildProcess::~ChildProcess() {
  if (!reaped_) {
    kill(pid_, SIGKILL);
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
  }
  closeInput();
  close(output_);
  if (!errorFile_.empty()) {
    std::error_code ignored;
    std::filesystem::remove(errorFile_, ignored);
  }
}

bool ChildProcess::write(const std::string& text) {
  size_t done = 0;
  while (done < text.size() && input_ >= 0) {
    const ssize_t n = ::write(input_, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return done == text.size();
}

size_t ChildProcess::writeWhileTaken(const std::string& text, size_t size,
                                     std::chrono::milliseconds patience) {
  if (input_ < 0 || text.empty()) return 0;
  const int flags = ::fcntl(input_, F_GETFL);
  ::fcntl(input_, F_SETFL, flags | O_NONBLOCK);
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(input_, text.data() + done % text.size(),
                              std::min(size - done, text.size() - done % text.size()));
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) break;
    pollfd writable{input_, POLLOUT, 0};
    if (::poll(&writable, 1, static_cast<int>(patience.count())) <= 0) break;
  }
  ::fcntl(input_, F_SETFL, flags);
  return done;
}

void ChildProcess::closeInput() {
  closeIfOpen(input_);
  input_ = -1;
}

bool ChildProcess::fill(Clock::time_point deadline) {
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

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds timeout) {
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

std::string ChildProcess::readAll(std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  while (fill(deadline)) {
  }
  return std::exchange(buffer_, std::string());
}

std::vector<std::string> ChildProcess::readLines(std::chrono::milliseconds timeout) {
  std::vector<std::string> lines;
  while (std::optional<std::string> line = readLine(timeout)) lines.push_back(std::move(*line));
  if (!buffer_.empty()) lines.push_back(std::exchange(buffer_, std::string()));
  return lines;
}

void ChildProcess::signal(int number) {
  if (!reaped_) kill(pid_, number);
}

std::optional<int> ChildProcess::wait(std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      reaped_ = true;
      return status;
    }
    if (done < 0 && errno != EINTR) return std::nullopt;
    if (Clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

std::optional<int> ChildProcess::exitStatus(std::chrono::milliseconds timeout) {
  const std::optional<int> status = wait(timeout);
  if (!status) return std::nullopt;
  return WIFEXITED(*status) ? WEXITSTATUS(*status) : -1;
}

std::string ChildProcess::errors() const {
  if (errorFile_.empty()) return std::string();
  std::ifstream in(errorFile_);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string describeStatus(const std::optional<int>& status) {
  if (!status) return "running";
  if (WIFEXITED(*status)) return "exit " + std::to_string(WEXITSTATUS(*status));
  if (WIFSIGNALED(*status)) return "signal " + std::to_string(WTERMSIG(*status));
  return "status " + std::to_string(*status);
}

bool exitedWith(const std::optional<int>& status, int code) {
  return status && WIFEXITED(*status) && WEXITSTATUS(*status) == code;
}

}  // namespace testing_support
