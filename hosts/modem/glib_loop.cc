#include "hosts/modem/glib_loop.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/dispatch.h"

namespace modem {

namespace {

// Replies to cancelled calls arrive a few iterations after the cancel.
constexpr int kDrainIterations = 100;

}  // namespace

GlibLoopDriver::GlibLoopDriver()
    : context_(g_main_context_new_with_flags(G_MAIN_CONTEXT_FLAGS_OWNERLESS_POLLING)) {
  g_main_context_push_thread_default(context_);
  if (!g_main_context_acquire(context_)) {
    std::fprintf(stderr, "hushgate-modem: cannot acquire the GLib main context\n");
  }
  wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake_ < 0) {
    std::fprintf(stderr, "hushgate-modem: eventfd: %s\n", std::strerror(errno));
  }
  poller_ = std::thread([this] { pollLoop(); });
}

GlibLoopDriver::~GlibLoopDriver() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wanted_.notify_one();
  if (wake_ >= 0) {
    const uint64_t one = 1;
    if (write(wake_, &one, sizeof one) < 0) std::perror("hushgate-modem: eventfd");
  }
  poller_.join();
  // The poll thread is gone: finish the iteration it may have left open, then
  // run the callbacks that are still due.
  self_.reset();
  if (started_ && g_main_context_check(context_, maxPriority_, fds_.data(), fds_.size())) {
    g_main_context_dispatch(context_);
  }
  for (int i = 0; i < kDrainIterations && g_main_context_pending(context_); ++i) {
    g_main_context_iteration(context_, FALSE);
  }
  g_main_context_release(context_);
  g_main_context_pop_thread_default(context_);
  g_main_context_unref(context_);
  if (wake_ >= 0) close(wake_);
}

void GlibLoopDriver::start() {
  platform::mainQueue().async([self = std::weak_ptr(self_)] {
    if (auto driver = self.lock()) (*driver)->step(false);
  });
}

void GlibLoopDriver::postStep() {
  platform::mainQueue().async([self = std::weak_ptr(self_)] {
    if (auto driver = self.lock()) (*driver)->step(true);
  });
}

void GlibLoopDriver::step(bool polled) {
  if (polled && g_main_context_check(context_, maxPriority_, fds_.data(), fds_.size())) {
    g_main_context_dispatch(context_);
  }
  started_ = true;
  const bool ready = g_main_context_prepare(context_, &maxPriority_);
  int timeout = -1;
  for (;;) {
    const gint count = g_main_context_query(context_, maxPriority_, &timeout, fds_.data(),
                                            static_cast<gint>(fds_.size()));
    if (static_cast<size_t>(count) <= fds_.size()) {
      fds_.resize(static_cast<size_t>(count));
      break;
    }
    fds_.resize(static_cast<size_t>(count));
  }
  if (ready) timeout = 0;
  if (timeout == 0) {
    // Something is due now: look at the descriptors without waiting and go
    // on after the main queue's other tasks.
    for (GPollFD& fd : fds_) fd.revents = 0;
    if (!fds_.empty()) g_poll(fds_.data(), fds_.size(), 0);
    postStep();
    return;
  }
  {
    std::lock_guard lock(mutex_);
    pollTimeout_ = timeout;
    pollWanted_ = true;
  }
  wanted_.notify_one();
}

void GlibLoopDriver::pollLoop() {
  std::vector<pollfd> fds;
  for (;;) {
    int timeout = -1;
    {
      std::unique_lock lock(mutex_);
      wanted_.wait(lock, [this] { return pollWanted_ || stopping_; });
      if (stopping_) return;
      pollWanted_ = false;
      timeout = pollTimeout_;
    }
    // The main thread leaves fds_ alone until the step posted below runs.
    fds.clear();
    for (const GPollFD& fd : fds_) fds.push_back({fd.fd, static_cast<short>(fd.events), 0});
    fds.push_back({wake_, POLLIN, 0});
    int result;
    do {
      result = poll(fds.data(), fds.size(), timeout);
    } while (result < 0 && errno == EINTR);
    if (fds.back().revents != 0) return;  // stopping
    for (size_t i = 0; i < fds_.size(); ++i) {
      fds_[i].revents = static_cast<gushort>(fds[i].revents);
    }
    postStep();
  }
}

}  // namespace modem
