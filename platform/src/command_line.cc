#include "platform/command_line.h"

#include <cstdio>

#include "platform/version.h"

namespace platform {

std::optional<int> answerHelpOrVersion(const std::vector<std::string>& arguments,
                                       std::string_view program, std::string_view usage) {
  if (arguments.size() != 1) return std::nullopt;
  if (arguments[0] == "-h" || arguments[0] == "--help") {
    std::fwrite(usage.data(), 1, usage.size(), stdout);
    return 0;
  }
  if (arguments[0] == "--version") {
    std::printf("%.*s %s\n", static_cast<int>(program.size()), program.data(), HUSHGATE_VERSION);
    return 0;
  }
  return std::nullopt;
}

int usageError(std::string_view usage) {
  std::fwrite(usage.data(), 1, usage.size(), stderr);
  return 2;
}

}  // namespace platform
