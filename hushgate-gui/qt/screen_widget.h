// The widget of one screen of the navigation stack. It owns (shares) its
// screen model, implements the model's View and forwards the platform's
// lifecycle to it. The navigation window calls the lifecycle methods.
#pragma once

#include <QWidget>
#include <memory>
#include <utility>

#include "hushgate-gui/core/kit/ui.h"

namespace gui_qt {

class ScreenWidget : public QWidget {
  Q_OBJECT

 public:
  explicit ScreenWidget(QWidget* parent = nullptr) : QWidget(parent) {}

  // The screen model shown here.
  virtual std::shared_ptr<gui::Screen> screen() const = 0;

  // The controls this screen puts at the right of the navigation bar (add,
  // clear, exit...), or nullptr. Asked once, when the screen is pushed; the
  // navigation bar takes ownership.
  QWidget* takeBarWidget() { return barWidget_.release(); }

  // The platform's appearance callbacks, forwarded to the model.
  virtual void viewWillAppear() {}
  virtual void viewDidAppear() {}
  virtual void viewDidDisappear() {}

 protected:
  // The bar controls, kept here until the navigation bar takes them.
  void setBarWidget(std::unique_ptr<QWidget> bar) { barWidget_ = std::move(bar); }

 private:
  std::unique_ptr<QWidget> barWidget_;
};

}  // namespace gui_qt
