#include "hushgate-gui/core/kit/resources.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace gui {

namespace fs = std::filesystem;

namespace {

// The folder of the running program, or empty when it cannot be found.
fs::path programDirectory() {
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return program.parent_path();
}

}  // namespace

std::string resourcesDirectory() {
  if (const char* configured = std::getenv("HUSHGATE_RESOURCES");
      configured != nullptr && *configured != '\0') {
    return configured;
  }
  const fs::path program = programDirectory();
  if (!program.empty()) {
    const fs::path installed = program / ".." / "share" / "hushgate";
    std::error_code error;
    if (fs::is_directory(installed, error)) return installed.lexically_normal().string();
  }
  return HUSHGATE_BUILD_RESOURCES_DIR;
}

std::string pathForResource(std::string_view name, std::string_view type) {
  if (name.empty()) return {};
  std::string file(name);
  if (!type.empty()) {
    file += '.';
    file += type;
  }
  // A name is one file of the folder, never a way out of it.
  if (file.find('/') != std::string::npos || file == "." || file == "..") return {};
  const fs::path path = fs::path(resourcesDirectory()) / file;
  std::error_code error;
  if (!fs::is_regular_file(path, error)) return {};
  return path.string();
}

}  // namespace gui
