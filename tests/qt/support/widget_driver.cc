#include "support/widget_driver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>

namespace qt_testing {

bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeoutMs) return done();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QTest::qWait(5);
  }
  return true;
}

void typeText(QWidget* widget, const QString& text) {
  // One event per code point; a surrogate pair travels as one text.
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    const QString character = text.mid(i, length);
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, character);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, character);
    QCoreApplication::sendEvent(widget, &press);
    QCoreApplication::sendEvent(widget, &release);
    i += length;
  }
}

void pressBackspace(QWidget* widget, int times) {
  for (int i = 0; i < times; ++i) QTest::keyClick(widget, Qt::Key_Backspace);
}

gui_qt::AlertDialog* waitForAlert(int timeoutMs) {
  gui_qt::AlertDialog* found = nullptr;
  waitUntil(
      [&] {
        found = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
          auto* dialog = qobject_cast<gui_qt::AlertDialog*>(widget);
          if (dialog && dialog->isVisible()) found = dialog;
        }
        return found != nullptr;
      },
      timeoutMs);
  return found;
}

bool pressAlertButton(gui_qt::AlertDialog* dialog, const QString& title) {
  if (!dialog) return false;
  QPushButton* button = dialog->button(title);
  if (!button || !button->isEnabled()) return false;
  QTest::mouseClick(button, Qt::LeftButton);
  return true;
}

}  // namespace qt_testing
