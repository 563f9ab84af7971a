#include "platform/paths.h"

#include <cstdlib>

namespace platform {

namespace {

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

std::string deviceRoot() {
  std::string root = environment("HUSHGATE_ROOT");
  if (root.empty()) {
    std::string data = environment("XDG_DATA_HOME");
    if (data.empty()) data = environment("HOME") + "/.local/share";
    root = data + "/hushgate/device";
  }
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  return root;
}

std::string devicePath(std::string_view absoluteDevicePath) {
  std::string path = deviceRoot();
  if (absoluteDevicePath.empty() || absoluteDevicePath.front() != '/') path += '/';
  path += absoluteDevicePath;
  return path;
}

}  // namespace platform
