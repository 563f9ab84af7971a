// Drives the row tables of the list editors and of the history viewer as a
// user does: opens a row's actions with its button or a right click, reads
// the popup and the rows' texts, and tells whether a control is drawn in the
// destructive red.
#pragma once

#include <QAbstractItemModel>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QPushButton>
#include <QTest>

#include "hushgate-gui/qt/style.h"
#include "hushgate-gui/qt/table_rows.h"

namespace qt_testing {

// Clicks the actions button of a row; the popup it opened, or nullptr.
inline gui_qt::RowActionsPopup* clickActionsButton(gui_qt::RowTable* table, int row) {
  const QRect button = table->actionsButtonRect(static_cast<size_t>(row));
  if (button.isEmpty()) return nullptr;
  QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, button.center());
  return table->actionsPopup();
}

// Right-clicks a row near its left edge (over its texts); the popup it
// opened, or nullptr.
inline gui_qt::RowActionsPopup* rightClickRow(gui_qt::RowTable* table, int row) {
  const QRect item = table->visualRect(table->model()->index(row, 0));
  if (!item.isValid()) return nullptr;
  const QPoint at(item.left() + 20, item.center().y());
  QContextMenuEvent event(QContextMenuEvent::Mouse, at, table->viewport()->mapToGlobal(at));
  QCoreApplication::sendEvent(table->viewport(), &event);
  return table->actionsPopup();
}

inline QStringList buttonTitles(const gui_qt::RowActionsPopup* popup) {
  QStringList titles;
  for (const QPushButton* button : popup->buttons()) titles << button->text();
  return titles;
}

// Clicks the popup's button with this title; false when there is none.
inline bool pressPopupButton(gui_qt::RowActionsPopup* popup, const QString& title) {
  QPushButton* button = popup != nullptr ? popup->button(title) : nullptr;
  if (button == nullptr) return false;
  QTest::mouseClick(button, Qt::LeftButton);
  return true;
}

// Whether a button's text is drawn in the destructive red (its style sheet
// applied).
inline bool drawnInRed(QWidget* button) {
  button->ensurePolished();
  return button->palette().color(QPalette::ButtonText) == gui_qt::kDestructiveColor;
}

inline int rowCount(const gui_qt::RowTable* table) {
  return table->model()->rowCount();
}

inline QString rowText(const gui_qt::RowTable* table, int row) {
  return table->model()->index(row, 0).data(Qt::DisplayRole).toString();
}

inline QStringList rowDetails(const gui_qt::RowTable* table, int row) {
  return table->model()->index(row, 0).data(gui_qt::RowTableModel::kDetailsRole).toStringList();
}

}  // namespace qt_testing
