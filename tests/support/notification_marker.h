// Shows that code did not post a notification, without waiting out a time:
// the process's registrations are delivered in the order the posts were
// made, so once a marker posted after the code has been delivered on the
// same queue, every delivery of a post that the code made before it has run
// (or been queued ahead of the marker, on a queue the test runs itself).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>

#include "platform/dispatch.h"

namespace testing_support {

class NotificationMarker {
 public:
  // Registers the marker; its delivery runs on queue.
  explicit NotificationMarker(platform::DispatchQueue& queue);
  ~NotificationMarker();
  NotificationMarker(const NotificationMarker&) = delete;
  NotificationMarker& operator=(const NotificationMarker&) = delete;

  // Posts the marker; false when it cannot be posted.
  bool post();
  // Whether the delivery of a marker has run.
  bool seen() const { return seen_.load(); }

 private:
  int token_ = -1;
  std::atomic<bool> seen_{false};
};

// Counts the posts of one notification in this process's device root made
// while it lives; the deliveries run at once on the watcher thread.
class PostCounter {
 public:
  explicit PostCounter(const std::string& name);
  ~PostCounter();
  PostCounter(const PostCounter&) = delete;
  PostCounter& operator=(const PostCounter&) = delete;

  // The posts delivered once every post made before this call has been
  // delivered (a marker posted now has come); nullopt when the marker does
  // not come within the patience.
  std::optional<int> postsSoFar(std::chrono::milliseconds patience = std::chrono::seconds(5));

 private:
  struct ImmediateQueue : platform::DispatchQueue {
    void async(platform::Task task) override { task(); }
    void after(std::chrono::nanoseconds, platform::Task task) override { task(); }
  };
  ImmediateQueue queue_;
  std::mutex mutex_;
  std::condition_variable changed_;
  int posts_ = 0;
  bool markerSeen_ = false;
  int token_ = -1;
};

}  // namespace testing_support
