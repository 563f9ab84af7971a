#include "hushgate-gui/qt/switch_button.h"

#include <QPainter>

#include "hushgate-gui/qt/style.h"

namespace gui_qt {

namespace {
const QColor kOnColor{0x34, 0xc7, 0x59};
const QColor kOffColor{0xe5, 0xe5, 0xea};
}  // namespace

SwitchButton::SwitchButton(QWidget* parent) : QAbstractButton(parent) {
  setCheckable(true);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::TabFocus);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize SwitchButton::sizeHint() const {
  return {51, 31};
}

void SwitchButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF track = QRectF(rect()).adjusted(1, 1, -1, -1);
  const qreal radius = track.height() / 2;
  QColor trackColor = isChecked() ? kOnColor : kOffColor;
  if (!isEnabled()) trackColor.setAlpha(110);
  painter.setPen(Qt::NoPen);
  painter.setBrush(trackColor);
  painter.drawRoundedRect(track, radius, radius);

  const qreal knob = track.height() - 4;
  const qreal x = isChecked() ? track.right() - 2 - knob : track.left() + 2;
  QColor knobColor = Qt::white;
  if (!isEnabled()) knobColor = QColor(0xf4, 0xf4, 0xf4);
  painter.setBrush(knobColor);
  painter.setPen(QPen(QColor(0, 0, 0, 30), 0.5));
  painter.drawEllipse(QRectF(x, track.top() + 2, knob, knob));
  if (hasFocus()) {
    painter.setPen(QPen(kTintColor, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(track, radius, radius);
  }
}

}  // namespace gui_qt
