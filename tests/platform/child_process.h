// A child program run for a test, with its standard output on a pipe. A child
// still running when the object goes away is killed and reaped.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform_testing {

class ChildProcess {
 public:
  // Starts argv[0] with the current environment; nullptr if it cannot start.
  static std::unique_ptr<ChildProcess> start(const std::vector<std::string>& argv);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The next line of standard output without its newline; nullopt at end of
  // output or when none comes within the timeout.
  std::optional<std::string> readLine(std::chrono::milliseconds timeout);
  // Everything left on standard output, up to the child closing it.
  std::string readAll(std::chrono::milliseconds timeout);
  // The wait status once the child has ended; nullopt if it is still running
  // when the timeout passes.
  std::optional<int> wait(std::chrono::milliseconds timeout);

 private:
  ChildProcess(pid_t pid, int output) : pid_(pid), output_(output) {}
  // Reads more output into buffer_; false at end of output or timeout.
  bool fill(std::chrono::steady_clock::time_point deadline);

  pid_t pid_;
  int output_;
  bool reaped_ = false;
  std::string buffer_;
};

// "exit N", "signal N" or "running": for assertion messages.
std::string describeStatus(const std::optional<int>& status);
bool exitedWith(const std::optional<int>& status, int code);

}  // namespace platform_testing
