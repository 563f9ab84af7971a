#include "hushgate-gui/qt/qt_main_queue.h"

#include <QMetaObject>
#include <QTimer>
#include <algorithm>
#include <limits>

namespace gui_qt {

QtMainQueue::QtMainQueue() = default;
QtMainQueue::~QtMainQueue() = default;

void QtMainQueue::async(platform::Task task) {
  if (!task) return;
  QMetaObject::invokeMethod(
      &receiver_, [task = std::move(task)] { platform::runTask(task); }, Qt::QueuedConnection);
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
        QTimer::singleShot(timeout, Qt::PreciseTimer, &receiver_,
                           [task] { platform::runTask(task); });
      },
      Qt::QueuedConnection);
}

}  // namespace gui_qt
