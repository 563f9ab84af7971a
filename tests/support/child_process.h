// A child program run for a test: standard output on a pipe read line by
// line, and optionally standard input on a pipe the test writes and standard
// error collected in a file. A child still running when the object goes away
// is killed and reaped.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

struct ChildOptions {
  // Standard input on a pipe (write, closeInput); otherwise inherited.
  bool pipeInput = false;
  // Standard error collected for errors(); otherwise inherited.
  bool captureErrors = false;
};

class ChildProcess {
 public:
  // Starts argv[0] with the current environment; nullptr if it cannot start.
  static std::unique_ptr<ChildProcess> start(const std::vector<std::string>& argv,
                                             const ChildOptions& options = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Writes text to the child's standard input; false when it cannot (also
  // when standard input is not on a pipe or was closed).
  bool write(const std::string& text);
  // Closes the child's standard input (end of input).
  void closeInput();
  // How many bytes the child's standard input takes without blocking, up to
  // size of text, waiting at most patience whenever the pipe is full.
  size_t writeWhileTaken(const std::string& text, size_t size, std::chrono::milliseconds patience);
  // The next line of standard output without its line feed; nullopt at end
  // of output or when none comes within the timeout.
  std::optional<std::string> readLine(std::chrono::milliseconds timeout);
  // Everything left on standard output, up to the child closing it.
  std::string readAll(std::chrono::milliseconds timeout);
  // The lines left on standard output, up to the child closing it; a last
  // line without a line feed is included.
  std::vector<std::string> readLines(std::chrono::milliseconds timeout);
  // Sends a signal to the child while it has not been reaped.
  void signal(int number);
  // The wait status once the child has ended; nullopt if it is still running
  // when the timeout passes.
  std::optional<int> wait(std::chrono::milliseconds timeout);
  // The exit status (-1 for a child ended by a signal) once the child has
  // ended; nullopt if it is still running when the timeout passes.
  std::optional<int> exitStatus(std::chrono::milliseconds timeout);
  // What the child wrote on standard error so far; empty unless collected.
  std::string errors() const;

 private:
  ChildProcess(pid_t pid, int input, int output, std::string errorFile);
  // Reads more output into buffer_; false at end of output or timeout.
  bool fill(std::chrono::steady_clock::time_point deadline);

  pid_t pid_;
  int input_;
  int output_;
  std::string errorFile_;
  bool reaped_ = false;
  std::string buffer_;
};

// "exit N", "signal N" or "running" for a wait status: for assertion messages.
std::string describeStatus(const std::optional<int>& status);
// Whether a wait status is a normal exit with the code.
bool exitedWith(const std::optional<int>& status, int code);

}  // namespace testing_support
