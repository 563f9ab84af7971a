#include "hushgate-gui/qt/hud_overlay.h"

#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <algorithm>

#include "hushgate-gui/qt/qt_text.h"

namespace gui_qt {

namespace {
constexpr int kPanelMinWidth = 120;
constexpr int kIndicatorSize = 37;
}  // namespace

HudOverlay::HudOverlay(const gui::Hud& hud, QWidget* parent)
    : QWidget(parent), hud_(hud), spinTimer_(new QTimer(this)) {
  setObjectName("hud");
  setAttribute(Qt::WA_NoSystemBackground);
  spinTimer_->setInterval(80);
  connect(spinTimer_, &QTimer::timeout, this, [this] {
    spinAngle_ = (spinAngle_ + 30) % 360;
    update();
  });
  setHud(hud);
}

void HudOverlay::setHud(const gui::Hud& hud) {
  hud_ = hud;
  if (hud_.indicator == gui::HudIndicator::Indeterminate) {
    spinTimer_->start();
  } else {
    spinTimer_->stop();
  }
  update();
}

void HudOverlay::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  // The overlay takes the touches of what it covers, without dimming it.
  painter.fillRect(rect(), QColor(0, 0, 0, 1));

  const QString text = hud_.text ? toQString(*hud_.text) : QString();
  QFont font = painter.font();
  font.setBold(true);
  painter.setFont(font);
  const QFontMetrics metrics(font);
  const int textWidth =
      text.isEmpty() ? 0 : std::min(metrics.horizontalAdvance(text), width() - 80);
  const int panelWidth = std::max(kPanelMinWidth, textWidth + 40);
  const int panelHeight = kIndicatorSize + 50 + (text.isEmpty() ? 0 : metrics.height() + 8);
  const QRect panel((width() - panelWidth) / 2, (height() - panelHeight) / 2, panelWidth,
                    panelHeight);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0, 0, 0, 204));
  painter.drawRoundedRect(panel, 10, 10);

  const QRectF indicator(panel.center().x() - kIndicatorSize / 2.0, panel.top() + 22,
                         kIndicatorSize, kIndicatorSize);
  if (hud_.indicator == gui::HudIndicator::Indeterminate) {
    // Twelve spokes, fading behind the leading one.
    const QPointF centre = indicator.center();
    for (int i = 0; i < 12; ++i) {
      painter.save();
      painter.translate(centre);
      painter.rotate(spinAngle_ + i * 30);
      QColor spoke = Qt::white;
      spoke.setAlphaF(0.25 + 0.75 * i / 11.0);
      painter.setPen(QPen(spoke, 3, Qt::SolidLine, Qt::RoundCap));
      painter.drawLine(QPointF(0, -kIndicatorSize / 4.0), QPointF(0, -kIndicatorSize / 2.0));
      painter.restore();
    }
  } else {
    const float progress = std::clamp(hud_.progress, 0.0f, 1.0f);
    painter.setPen(QPen(Qt::white, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(indicator);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawPie(indicator.adjusted(3, 3, -3, -3), 90 * 16,
                    -static_cast<int>(progress * 360 * 16));
  }

  if (!text.isEmpty()) {
    painter.setPen(Qt::white);
    const QRect textRect(panel.left() + 20, static_cast<int>(indicator.bottom()) + 12,
                         panel.width() - 40, metrics.height());
    painter.drawText(textRect, Qt::AlignCenter,
                     metrics.elidedText(text, Qt::ElideRight, textRect.width()));
  }
}

}  // namespace gui_qt
