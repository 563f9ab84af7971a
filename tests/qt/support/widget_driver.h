// Driving the settings application's widgets as a user would, on Qt's
// offscreen platform: typing, waiting for the event loop, answering the
// dialogs the screens present. Shared by the front end's tests and the
// screenshot program.
#pragma once

#include <QString>
#include <functional>

#include "hushgate-gui/qt/alert_dialog.h"

class QWidget;

namespace qt_testing {

// Runs the event loop until done() holds or the time-out passes; returns
// done()'s last answer.
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000);

// Types text into a widget: one key press and release per character, each
// carrying the character as its text (Chinese included).
void typeText(QWidget* widget, const QString& text);
// Presses Backspace in a widget.
void pressBackspace(QWidget* widget, int times = 1);

// The alert dialog presented most recently and still open, waiting up to the
// time-out for one; nullptr when none came.
gui_qt::AlertDialog* waitForAlert(int timeoutMs = 5000);
// Clicks the dialog's button with this title; false when it has none or the
// button is disabled.
bool pressAlertButton(gui_qt::AlertDialog* dialog, const QString& title);

}  // namespace qt_testing
