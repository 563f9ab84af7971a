// An on/off switch drawn as a rounded track with a knob. Checkable: the
// user's click toggles it and emits toggled(bool); setChecked from code emits
// no clicked().
#pragma once

#include <QAbstractButton>

namespace gui_qt {

class SwitchButton : public QAbstractButton {
  Q_OBJECT

 public:
  explicit SwitchButton(QWidget* parent = nullptr);

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace gui_qt
