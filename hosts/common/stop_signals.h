// SIGINT and SIGTERM ask a host to stop instead of killing it, so that it
// leaves its main loop and ends normally. Make one first thing in main,
// before any thread starts: the signals are blocked in every thread and
// awaited by a thread of this object.
#pragma once

#include <atomic>
#include <thread>

namespace hosts {

class StopSignals {
 public:
  StopSignals();
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // Whether a stop signal has come. The main loop is stopped when it does.
  bool received() const { return received_.load(); }

 private:
  void run();

  std::atomic<bool> received_{false};
  int signals_ = -1;  // signalfd
  int wake_ = -1;     // eventfd that stops the thread
  std::thread thread_;
};

}  // namespace hosts
