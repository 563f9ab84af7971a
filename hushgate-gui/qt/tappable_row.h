// A row of a grouped table that reacts to a tap (mouse click, or Return and
// Space when focused) and shows itself selected until deselected.
#pragma once

#include <QFrame>

namespace gui_qt {

class TappableRow : public QFrame {
  Q_OBJECT

 public:
  explicit TappableRow(bool tappable, QWidget* parent = nullptr);

  void setSelected(bool selected);
  bool isSelected() const { return selected_; }

 signals:
  void tapped();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void tap();

  bool tappable_;
  bool selected_ = false;
};

}  // namespace gui_qt
