// The widget for a screen model: the root screen, a region editor, a list
// editor, the history viewer or the open-source notices, chosen by the
// model's type.
#pragma once

#include <memory>

#include "hushgate-gui/core/kit/ui.h"
#include "hushgate-gui/qt/screen_widget.h"

namespace gui_qt {

ScreenWidget* makeScreenWidget(std::shared_ptr<gui::Screen> screen);

}  // namespace gui_qt
