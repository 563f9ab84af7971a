// What every program of the system answers on its command line besides its
// own arguments: a lone "-h" or "--help" prints the usage on standard output
// and exits 0; a lone "--version" prints the program's name and the
// project's version and exits 0. A usage error prints the usage on standard
// error and exits 2 (usageError).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The paragraph of a usage text that names the device root.
inline constexpr char kDeviceRootHelp[] =
    "Environment:\n"
    "  HUSHGATE_ROOT  the device root: every file of the simulated phone lies\n"
    "                 under it (default: $XDG_DATA_HOME/hushgate/device, that is\n"
    "                 ~/.local/share/hushgate/device)\n";

// The exit status after answering --help or --version, or nullopt when the
// arguments (without the program name) are neither.
std::optional<int> answerHelpOrVersion(const std::vector<std::string>& arguments,
                                       std::string_view program, std::string_view usage);

// Prints the usage on standard error; returns the status of a usage error, 2.
int usageError(std::string_view usage);

}  // namespace platform
