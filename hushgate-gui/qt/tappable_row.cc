#include "hushgate-gui/qt/tappable_row.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>

namespace gui_qt {

TappableRow::TappableRow(bool tappable, QWidget* parent) : QFrame(parent), tappable_(tappable) {
  setProperty("class", "row");
  setAttribute(Qt::WA_StyledBackground);
  setMinimumHeight(44);
  if (tappable_) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
  }
}

void TappableRow::setSelected(bool selected) {
  if (selected_ == selected) return;
  selected_ = selected;
  setProperty("selected", selected ? "true" : "false");
  style()->unpolish(this);
  style()->polish(this);
}

void TappableRow::mousePressEvent(QMouseEvent* event) {
  if (tappable_ && event->button() == Qt::LeftButton) setSelected(true);
  QFrame::mousePressEvent(event);
}

void TappableRow::mouseReleaseEvent(QMouseEvent* event) {
  if (!tappable_ || event->button() != Qt::LeftButton) return QFrame::mouseReleaseEvent(event);
  if (rect().contains(event->position().toPoint())) {
    tap();
  } else {
    setSelected(false);
  }
}

void TappableRow::keyPressEvent(QKeyEvent* event) {
  if (tappable_ && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
                    event->key() == Qt::Key_Space)) {
    setSelected(true);
    return tap();
  }
  QFrame::keyPressEvent(event);
}

void TappableRow::tap() {
  emit tapped();
}

}  // namespace gui_qt
