// Text crossing between the screen models (UTF-8 std::string) and Qt.
#pragma once

#include <QString>
#include <string>

namespace gui_qt {

inline QString toQString(const std::string& text) {
  return QString::fromUtf8(text);
}
inline std::string toStdString(const QString& text) {
  return text.toUtf8().toStdString();
}

}  // namespace gui_qt
