// The main screen's widget: the grouped table of rows that the main screen's
// layout gives (captions, count labels, the four switches, disclosure marks),
// bound to RootVC, with the exit control in the navigation bar.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "hushgate-gui/core/screens/RootVC.h"
#include "hushgate-gui/qt/screen_widget.h"

class QLabel;
class QPushButton;

namespace gui_qt {

class SwitchButton;
class TappableRow;

class RootScreen : public ScreenWidget, public gui::RootVC::View {
  Q_OBJECT

 public:
  explicit RootScreen(std::shared_ptr<gui::RootVC> model, QWidget* parent = nullptr);
  ~RootScreen() override;

  std::shared_ptr<gui::Screen> screen() const override { return model_; }
  const std::shared_ptr<gui::RootVC>& model() const { return model_; }
  // Clears the row selection, as a table controller does on appearing.
  void viewWillAppear() override;
  void viewDidAppear() override;

  // RootVC::View
  void setLabelText(gui::RootVC::Label label, const std::string& text) override;
  void setSwitchOn(gui::RootVC::Switch which, bool on) override;
  void deselectSelectedRow() override;

 private:
  std::shared_ptr<gui::RootVC> model_;
  std::array<QLabel*, gui::RootVC::kLabelCount> labels_{};
  std::array<SwitchButton*, gui::RootVC::kSwitchCount> switches_{};
  std::map<std::string, TappableRow*> rows_;
  QLabel* historyMark_ = nullptr;  // the history row's disclosure mark
  std::optional<int> preferenceToken_;  // kPreferenceUpdatedNotification
};

}  // namespace gui_qt
