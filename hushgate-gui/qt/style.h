// The look shared by the screens: colours, the style sheet of the grouped
// tables, and small widget makers.
#pragma once

#include <QColor>
#include <QString>

class QLabel;
class QWidget;

namespace gui_qt {

inline const QColor kTintColor{0x00, 0x7a, 0xff};
inline const QColor kDestructiveColor{0xff, 0x3b, 0x30};
inline const QColor kGroupedBackground{0xf2, 0xf2, 0xf7};
inline const QColor kSecondaryText{0x8e, 0x8e, 0x93};

// The application's style sheet (window background, rows, buttons).
QString applicationStyleSheet();

// A section header of a grouped table: small grey capitals.
QLabel* makeSectionHeader(const QString& text, QWidget* parent = nullptr);

}  // namespace gui_qt
