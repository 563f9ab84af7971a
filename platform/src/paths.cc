#include "platform/paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace platform {

namespace {

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

// $HOME, or the user's home from the password database when HOME is unset.
std::string homeDirectory() {
  std::string home = environment("HOME");
  if (!home.empty()) return home;
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  passwd entry;
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr) {
    home = found->pw_dir;
  }
  return home;
}

}  // namespace

std::string deviceRoot() {
  std::string root = environment("HUSHGATE_ROOT");
  if (root.empty()) {
    // The XDG rules ignore a relative XDG_DATA_HOME.
    std::string data = environment("XDG_DATA_HOME");
    if (data.empty() || data.front() != '/') data = homeDirectory() + "/.local/share";
    while (!data.empty() && data.back() == '/') data.pop_back();
    root = data + "/hushgate/device";
  }
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  return root;
}

std::string devicePath(std::string_view absoluteDevicePath) {
  std::string path = deviceRoot();
  if (path == "/") path.clear();  // a root of "/" must not double the separator
  if (absoluteDevicePath.empty() || absoluteDevicePath.front() != '/') path += '/';
  path += absoluteDevicePath;
  return path;
}

}  // namespace platform
