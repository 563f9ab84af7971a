// A library that the first-paint benchmark preloads into a Qt Widgets
// program: once the program's QApplication exists, it watches every event,
// and at the first paint of a top-level window it writes one byte to
// descriptor kFirstPaintDescriptor (which the benchmark opened as a pipe) and
// stops watching. A program started without that descriptor open is left
// alone.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include "bench/first_paint.h"

namespace {

class FirstPaintWatch : public QObject {
 public:
  using QObject::QObject;

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Paint || !watched->isWidgetType() ||
        !static_cast<QWidget*>(watched)->isWindow()) {
      return false;
    }
    const char painted = 1;
    while (::write(kFirstPaintDescriptor, &painted, 1) < 0 && errno == EINTR) {
    }
    QCoreApplication::instance()->removeEventFilter(this);
    return false;
  }
};

// Runs as each QCoreApplication is made; only a QApplication shows windows
// (a program may make a bare QCoreApplication first).
void watchForFirstPaint() {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return;
  if (::fcntl(kFirstPaintDescriptor, F_GETFD) < 0) return;
  QCoreApplication::instance()->installEventFilter(
      new FirstPaintWatch(QCoreApplication::instance()));
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(watchForFirstPaint)
