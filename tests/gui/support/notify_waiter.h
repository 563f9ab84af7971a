// A system-wide notification observed from another process: runs the
// hushgate-notify tool ("wait NAME SECONDS") and waits for its "ready" line,
// after which no post of NAME can be missed. A waiter still running when the
// object goes away is killed and reaped.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace gui_testing {

class NotifyWaiter {
 public:
  // Starts the tool and reads its "ready" line; nullptr (with the reason in
  // *error) when it cannot start or does not become ready in time.
  static std::unique_ptr<NotifyWaiter> start(const std::string& name, int seconds = 10,
                                             std::string* error = nullptr);
  ~NotifyWaiter();
  NotifyWaiter(const NotifyWaiter&) = delete;
  NotifyWaiter& operator=(const NotifyWaiter&) = delete;

  // The tool's exit status once it ended (0: the notification arrived, 1: it
  // timed out), or nullopt when it is still running after the timeout or
  // ended by a signal.
  std::optional<int> exitStatus(std::chrono::milliseconds timeout = std::chrono::seconds(15));

 private:
  NotifyWaiter(pid_t pid, int output) : pid_(pid), output_(output) {}

  pid_t pid_;
  int output_;
  bool reaped_ = false;
};

}  // namespace gui_testing
