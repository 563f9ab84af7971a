#include "hushgate-gui/qt/qt_main_queue.h"

#include <QMetaObject>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <exception>
#include <limits>

namespace gui_qt {

namespace {

// A task that throws is reported and dropped, as on the built-in queues.
void runGuarded(const platform::Task& task) {
  try {
    task();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "main queue: task threw: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "main queue: task threw\n");
  }
}

}  // namespace

QtMainQueue::QtMainQueue() = default;
QtMainQueue::~QtMainQueue() = default;

void QtMainQueue::async(platform::Task task) {
  if (!task) return;
  QMetaObject::invokeMethod(
      &receiver_, [task = std::move(task)] { runGuarded(task); }, Qt::QueuedConnection);
}

void QtMainQueue::after(std::chrono::nanoseconds delay, platform::Task task) {
  if (!task) return;
  // Rounded up, so a task never runs before its delay has passed.
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(delay).count();
  if (ms <= 0) return async(std::move(task));
  const int timeout = static_cast<int>(std::min<long long>(ms, std::numeric_limits<int>::max()));
  // The timer must start on the main thread.
  QMetaObject::invokeMethod(
      &receiver_,
      [this, timeout, task = std::move(task)] {
        QTimer::singleShot(timeout, Qt::PreciseTimer, &receiver_, [task] { runGuarded(task); });
      },
      Qt::QueuedConnection);
}

}  // namespace gui_qt
