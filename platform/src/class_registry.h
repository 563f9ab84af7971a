// How the platform's own C++ types name their runtime classes.
#pragma once

#include <string_view>

#include "platform/runtime.h"

namespace platform::internal {

// The class registered under name, registered now with superclass when there
// is none yet. The platform's types call it once each, from objcClass().
Class platformClass(std::string_view name, Class superclass);

}  // namespace platform::internal
