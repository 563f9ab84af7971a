// The application's one window: a navigation bar (back control, the top
// screen's title, the top screen's bar controls) over a stack of screens, and
// the progress overlay over both. Sized like a phone, usable at any size.
#pragma once

#include <QWidget>
#include <vector>

#include "hushgate-gui/qt/screen_widget.h"

class QLabel;
class QPushButton;
class QStackedWidget;

namespace gui_qt {

class HudOverlay;

class NavigationWindow : public QWidget {
  Q_OBJECT

 public:
  explicit NavigationWindow(QWidget* parent = nullptr);
  ~NavigationWindow() override;

  // Pushes a screen (ownership passes to the window): the top one gets
  // viewDidDisappear, the new one viewWillAppear, is shown, then
  // viewDidAppear.
  void push(ScreenWidget* screen);
  // Pops the top screen unless it is the root; the one below appears again.
  void pop();

  ScreenWidget* topScreen() const;
  size_t depth() const { return screens_.size(); }

  // The overlay: one at a time, over the whole window. show replaces, update
  // changes in place, hide removes (nothing when there is none).
  HudOverlay* hud() const { return hud_; }
  void showHud(HudOverlay* hud);
  void hideHud();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void updateBar();

  struct Entry {
    ScreenWidget* screen;
    QWidget* barWidget;  // may be nullptr
  };
  std::vector<Entry> screens_;
  QPushButton* backButton_;
  QLabel* titleLabel_;
  QStackedWidget* barStack_;
  QStackedWidget* screenStack_;
  HudOverlay* hud_ = nullptr;
};

}  // namespace gui_qt
