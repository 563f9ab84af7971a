// The Phone application's own call-type icon, shown on every row it draws.
#pragma once

#include <memory>

#include "platform/ui_graphics.h"

namespace mobilephone {

// A new image of the icon, at the main screen's scale.
std::shared_ptr<platform::UIImage> makeHostCallTypeIcon();

}  // namespace mobilephone
