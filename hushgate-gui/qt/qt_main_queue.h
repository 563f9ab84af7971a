// The main queue of the Qt application: tasks run on the thread of the
// application's event loop, posted from any thread. Installed as the
// platform's main queue, so the notifications and delays of the screens run
// inside Qt's loop.
#pragma once

#include <QObject>

#include "platform/dispatch.h"

namespace gui_qt {

class QtMainQueue : public platform::DispatchQueue {
 public:
  // Must be made on the thread of the application's event loop, after the
  // application object.
  QtMainQueue();
  ~QtMainQueue() override;
  QtMainQueue(const QtMainQueue&) = delete;
  QtMainQueue& operator=(const QtMainQueue&) = delete;

  void async(platform::Task task) override;
  void after(std::chrono::nanoseconds delay, platform::Task task) override;

 private:
  QObject receiver_;  // lives on the main thread; tasks are delivered to it
};

// Installs a QtMainQueue as the platform's main queue for its lifetime.
class ScopedQtMainQueue {
 public:
  ScopedQtMainQueue() { platform::installMainQueue(&queue_); }
  ~ScopedQtMainQueue() { platform::installMainQueue(nullptr); }
  ScopedQtMainQueue(const ScopedQtMainQueue&) = delete;
  ScopedQtMainQueue& operator=(const ScopedQtMainQueue&) = delete;

 private:
  QtMainQueue queue_;
};

}  // namespace gui_qt
