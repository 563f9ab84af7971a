// The UIKit stand-ins in one include, and their registration.
#pragma once

#include "platform/ui_alert.h"
#include "platform/ui_application.h"
#include "platform/ui_graphics.h"
#include "platform/ui_table.h"
#include "platform/ui_view.h"

namespace platform {

// Registers the runtime classes of the UIKit stand-ins (each type's
// objcClass()), so that objc_getClass finds them by name. A host calls it
// before it loads the injected libraries; the first object of a type
// registers its class too.
void UIKitRegisterClasses();

}  // namespace platform
