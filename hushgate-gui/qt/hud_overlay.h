// The progress overlay: a dimmed layer over the whole window with a dark
// rounded panel holding an indicator (a spinner or a pie filled to the
// progress) and an optional text.
#pragma once

#include <QWidget>

#include "hushgate-gui/core/kit/ui.h"

class QTimer;

namespace gui_qt {

class HudOverlay : public QWidget {
  Q_OBJECT

 public:
  explicit HudOverlay(const gui::Hud& hud, QWidget* parent = nullptr);

  void setHud(const gui::Hud& hud);
  const gui::Hud& hud() const { return hud_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  gui::Hud hud_;
  QTimer* spinTimer_;
  int spinAngle_ = 0;
};

}  // namespace gui_qt
