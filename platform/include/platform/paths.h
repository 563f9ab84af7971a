// Device paths: every absolute path of the phone ("/var/mobile/...") lives under
// one device root directory on this machine.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// The directory that stands for the phone's file system root: $HUSHGATE_ROOT when
// set and not empty, otherwise $XDG_DATA_HOME/hushgate/device (XDG_DATA_HOME
// defaulting to ~/.local/share when unset, empty or relative). Trailing "/" are
// dropped. Read from the environment on every call, so a test may point it at
// a fresh temporary directory.
std::string deviceRoot();

// Resolves an absolute device path such as "/var/mobile/Library" under
// deviceRoot(). A path without a leading "/" is taken as relative to the root.
std::string devicePath(std::string_view absoluteDevicePath);

}  // namespace platform
