// The open-source notices: a screen with fixed content and no logic of its
// own, pushed from the main screen under "sb.opensource".
#pragma once

#include <string>
#include <vector>

#include "hushgate-gui/core/kit/ui.h"

namespace gui {

class OpenSourceVC : public Screen {
 public:
  // One component the application is built with, and its licence.
  struct Notice {
    std::string name;
    std::string license;
  };

  std::string sceneIdentifier() const override { return "sb.opensource"; }

  // The notices shown, in display order.
  static const std::vector<Notice>& notices();
};

}  // namespace gui
