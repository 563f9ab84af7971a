// One loop for the modem host: the platform's main queue (the Boost.Asio
// loop that runMainLoopUntil() runs, where call events, notifications and the
// tweak's work happen) also drives the GLib main context on which libmm-glib
// and GDBus deliver their replies and signals.
//
// The driver runs GLib's own loop steps (prepare, query, check, dispatch) as
// main-queue tasks on the main thread; only the blocking poll() of GLib's
// file descriptors runs on a helper thread, which posts the next step to the
// main queue when a descriptor is ready or GLib's timeout has passed. So
// every GLib callback runs on the main thread, between the main queue's other
// tasks, and neither loop ever waits for the other.
//
// The context is a new one, made with G_MAIN_CONTEXT_FLAGS_OWNERLESS_POLLING
// (GLib wakes its poll even for sources attached on the owning thread) and
// pushed as the main thread's thread-default context, so that every GDBus
// proxy and call made on the main thread reports there.
#pragma once

#include <glib.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace modem {

class GlibLoopDriver {
 public:
  // On the main thread, before any GLib object is made.
  GlibLoopDriver();
  // Stops the poll thread, runs what the context still has ready (replies to
  // cancelled calls) and pops the context. On the main thread, after every
  // GLib object made on the context is gone.
  ~GlibLoopDriver();
  GlibLoopDriver(const GlibLoopDriver&) = delete;
  GlibLoopDriver& operator=(const GlibLoopDriver&) = delete;

  GMainContext* context() const { return context_; }

  // Posts the first loop step to the main queue.
  void start();

 private:
  void step(bool polled);
  void postStep();
  void pollLoop();

  GMainContext* context_;
  std::vector<GPollFD> fds_;  // handed to the poll thread while a poll is out
  gint maxPriority_ = 0;
  bool started_ = false;
  // Steps posted to the main queue run only while this lives.
  std::shared_ptr<GlibLoopDriver*> self_ = std::make_shared<GlibLoopDriver*>(this);

  std::mutex mutex_;
  std::condition_variable wanted_;
  bool pollWanted_ = false;
  int pollTimeout_ = -1;
  bool stopping_ = false;
  int wake_ = -1;  // eventfd that ends a poll in progress
  std::thread poller_;
};

}  // namespace modem
