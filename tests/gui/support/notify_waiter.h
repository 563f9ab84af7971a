// A system-wide notification observed from another process: runs the
// hushgate-notify tool ("wait NAME SECONDS") and waits for its "ready" line,
// after which no post of NAME can be missed. A waiter still running when the
// object goes away is killed and reaped.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "support/child_process.h"

namespace gui_testing {

class NotifyWaiter {
 public:
  // Starts the tool and reads its "ready" line; nullptr (with the reason in
  // *error) when it cannot start or does not become ready in time.
  static std::unique_ptr<NotifyWaiter> start(const std::string& name, int seconds = 10,
                                             std::string* error = nullptr);

  // The tool's exit status once it ended (0: the notification arrived, 1: it
  // timed out), or nullopt when it is still running after the timeout or
  // ended by a signal.
  std::optional<int> exitStatus(std::chrono::milliseconds timeout = std::chrono::seconds(15));

 private:
  explicit NotifyWaiter(std::unique_ptr<testing_support::ChildProcess> child)
      : child_(std::move(child)) {}

  std::unique_ptr<testing_support::ChildProcess> child_;
};

}  // namespace gui_testing
