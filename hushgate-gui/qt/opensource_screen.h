// The open-source notices: one row per component with its licence.
#pragma once

#include <memory>

#include "hushgate-gui/core/screens/OpenSourceVC.h"
#include "hushgate-gui/qt/screen_widget.h"

namespace gui_qt {

class OpenSourceScreen : public ScreenWidget {
  Q_OBJECT

 public:
  explicit OpenSourceScreen(std::shared_ptr<gui::OpenSourceVC> model, QWidget* parent = nullptr);

  std::shared_ptr<gui::Screen> screen() const override { return model_; }

 private:
  std::shared_ptr<gui::OpenSourceVC> model_;
};

}  // namespace gui_qt
