#include "gui/support/manual_queue.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace gui_testing {

void ManualQueue::async(platform::Task task) {
  add(0, std::move(task));
}

void ManualQueue::after(std::chrono::nanoseconds delay, platform::Task task) {
  add(std::max(0.0, std::chrono::duration<double>(delay).count()), std::move(task));
}

void ManualQueue::add(double delay, platform::Task task) {
  if (!task) return;
  {
    std::lock_guard lock(mutex_);
    entries_.push_back({now_ + delay, delay, sequence_++, std::move(task)});
  }
  changed_.notify_all();
}

size_t ManualQueue::pendingCount() const {
  std::lock_guard lock(mutex_);
  return entries_.size();
}

std::vector<double> ManualQueue::pendingDelays() const {
  std::lock_guard lock(mutex_);
  std::vector<double> delays;
  for (const Entry& entry : entries_) delays.push_back(entry.delay);
  return delays;
}

double ManualQueue::now() const {
  std::lock_guard lock(mutex_);
  return now_;
}

bool ManualQueue::takeDue(double time, Entry& entry) {
  std::lock_guard lock(mutex_);
  auto earliest = entries_.end();
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (it->due > time) continue;
    if (earliest == entries_.end() || it->due < earliest->due ||
        (it->due == earliest->due && it->sequence < earliest->sequence)) {
      earliest = it;
    }
  }
  if (earliest == entries_.end()) return false;
  entry = std::move(*earliest);
  entries_.erase(earliest);
  // The clock reads the task's own time while it runs, so what it posts is
  // due relative to that time.
  now_ = std::max(now_, entry.due);
  return true;
}

size_t ManualQueue::runReady() {
  return advanceBy(0);
}

size_t ManualQueue::advanceBy(double seconds) {
  const double target = now() + std::max(0.0, seconds);
  size_t ran = 0;
  Entry entry;
  while (takeDue(target, entry)) {
    entry.task();
    ++ran;
  }
  std::lock_guard lock(mutex_);
  now_ = std::max(now_, target);
  return ran;
}

size_t ManualQueue::runAll(size_t maxTasks) {
  size_t ran = 0;
  Entry entry;
  while (ran < maxTasks && takeDue(std::numeric_limits<double>::infinity(), entry)) {
    entry.task();
    ++ran;
  }
  return ran;
}

bool ManualQueue::waitForTasks(size_t count, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return entries_.size() >= count; });
}

ScopedManualMainQueue::ScopedManualMainQueue() {
  platform::installMainQueue(&queue_);
}

ScopedManualMainQueue::~ScopedManualMainQueue() {
  platform::installMainQueue(nullptr);
}

}  // namespace gui_testing
