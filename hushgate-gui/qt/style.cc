#include "hushgate-gui/qt/style.h"

#include <QLabel>

namespace gui_qt {

QString applicationStyleSheet() {
  return QStringLiteral(
      "#navigationWindow { background: #f2f2f7; }"
      "#navigationBar { background: #f9f9f9; border-bottom: 1px solid #d1d1d6; }"
      "#navigationTitle { font-size: 17px; font-weight: 600; color: #000; }"
      "#navigationBar QPushButton { border: none; color: #007aff; font-size: 16px;"
      "  padding: 4px 6px; background: transparent; }"
      "#navigationBar QPushButton:disabled { color: #b4b4b9; }"
      "#groupedTable { background: #f2f2f7; }"
      ".sectionHeader { color: #6d6d72; font-size: 13px; padding: 16px 16px 6px 16px; }"
      ".group { background: white; border-top: 1px solid #d1d1d6;"
      "  border-bottom: 1px solid #d1d1d6; }"
      ".row { background: white; }"
      ".row[selected=\"true\"] { background: #d1d1d6; }"
      // A row reached with Tab shows where the keyboard is.
      ".row:focus { background: #e5f0ff; border-left: 3px solid #2c6bed; }"
      ".rowCaption { font-size: 16px; color: #000; }"
      ".rowValue { font-size: 16px; color: #8e8e93; }"
      ".disclosure { font-size: 18px; color: #c7c7cc; }"
      ".separator { background: #e5e5ea; }");
}

QLabel* makeSectionHeader(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setProperty("class", "sectionHeader");
  label->setWordWrap(true);
  return label;
}

}  // namespace gui_qt
