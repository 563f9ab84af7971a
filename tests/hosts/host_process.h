// A host program run for a test: standard input on a pipe the test writes,
// standard output on a pipe it reads line by line, standard error collected.
// A child still running when the object goes away is killed and reaped.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace hosts_testing {

class HostProcess {
 public:
  // Starts argv[0] with the current environment; nullptr if it cannot start.
  static std::unique_ptr<HostProcess> start(const std::vector<std::string>& argv);
  ~HostProcess();
  HostProcess(const HostProcess&) = delete;
  HostProcess& operator=(const HostProcess&) = delete;

  // Writes text to the child's standard input; false when it cannot.
  bool write(const std::string& text);
  // Closes the child's standard input (end of input).
  void closeInput();
  // The next line of standard output without its line feed; nullopt at end
  // of output or when none comes within the timeout.
  std::optional<std::string> readLine(std::chrono::milliseconds timeout);
  // The lines left on standard output, up to the child closing it.
  std::vector<std::string> readLines(std::chrono::milliseconds timeout);
  // Sends a signal to the child.
  void signal(int number);
  // The exit status (-1 for a child ended by a signal) once the child has
  // ended; nullopt if it is still running when the timeout passes.
  std::optional<int> wait(std::chrono::milliseconds timeout);
  // What the child wrote on standard error so far.
  std::string errors() const;

 private:
  HostProcess(pid_t pid, int input, int output, std::string errorFile);
  bool fill(std::chrono::steady_clock::time_point deadline);

  pid_t pid_;
  int input_;
  int output_;
  std::string errorFile_;
  bool reaped_ = false;
  std::string buffer_;
};

}  // namespace hosts_testing
