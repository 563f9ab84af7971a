// A main queue that tests drive by hand. It records every task posted with
// async or after, together with its delay, and runs them only when the test
// says so, on the test's thread, against a virtual clock that starts at 0:
// an async task is due at once, an after task `delay` after it was posted.
//
// Tasks may be posted from any thread (a background read handing back its
// result); waitForTasks lets the test wait for them.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/dispatch.h"

namespace gui_testing {

class ManualQueue : public platform::DispatchQueue {
 public:
  ManualQueue() = default;
  ManualQueue(const ManualQueue&) = delete;
  ManualQueue& operator=(const ManualQueue&) = delete;

  void async(platform::Task task) override;
  void after(std::chrono::nanoseconds delay, platform::Task task) override;

  // Tasks recorded and not yet run.
  size_t pendingCount() const;
  // Their delays in seconds, in posting order (0 for async tasks).
  std::vector<double> pendingDelays() const;
  // The virtual time in seconds.
  double now() const;

  // Runs every task that is due now, earliest first (posting order among
  // equal times), including tasks that those tasks post and that are due.
  // Returns how many ran.
  size_t runReady();
  // Moves the clock forward by seconds, running due tasks on the way in time
  // order, each at its own time. Returns how many ran.
  size_t advanceBy(double seconds);
  // Runs everything, moving the clock as far as needed (at most maxTasks, to
  // stop a task that keeps posting itself). Returns how many ran.
  size_t runAll(size_t maxTasks = 10000);

  // Waits until at least count tasks are pending (posted from other threads);
  // false if that does not happen within the timeout.
  bool waitForTasks(size_t count, std::chrono::milliseconds timeout);

 private:
  struct Entry {
    double due = 0;
    double delay = 0;
    unsigned long long sequence = 0;
    platform::Task task;
  };
  void add(double delay, platform::Task task);
  // Removes and returns the earliest task due at or before time, if any.
  bool takeDue(double time, Entry& entry);

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Entry> entries_;
  double now_ = 0;
  unsigned long long sequence_ = 0;
};

// Installs a ManualQueue as the process's main queue while it lives.
class ScopedManualMainQueue {
 public:
  ScopedManualMainQueue();
  ~ScopedManualMainQueue();
  ScopedManualMainQueue(const ScopedManualMainQueue&) = delete;
  ScopedManualMainQueue& operator=(const ScopedManualMainQueue&) = delete;

  ManualQueue& queue() { return queue_; }

 private:
  ManualQueue queue_;
};

}  // namespace gui_testing
