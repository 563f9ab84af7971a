#include "platform/injection.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "platform/paths.h"

namespace platform {

namespace {

namespace fs = std::filesystem;

// The handles of loaded libraries. They are never closed: an injected
// library's hooks and registrations point into its code for the life of the
// process. Kept here so that they stay reachable.
struct LoadedLibraries {
  std::mutex mutex;
  std::vector<void*> handles;
};

LoadedLibraries& loadedLibraries() {
  static LoadedLibraries* const instance = new LoadedLibraries();  // never destroyed
  return *instance;
}

bool isLibraryName(const std::string& name) {
  constexpr std::string_view kSuffix = ".so";
  return name.size() > kSuffix.size() &&
         name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) == 0;
}

// The library files of the folder, sorted by name.
std::vector<std::string> libraryFiles(const std::string& directory) {
  std::vector<std::string> names;
  std::error_code error;
  fs::directory_iterator it(directory, error);
  if (error) return {};
  for (const fs::directory_entry& entry : it) {
    const std::string name = entry.path().filename().string();
    std::error_code typeError;
    if (isLibraryName(name) && entry.is_regular_file(typeError)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  std::vector<std::string> paths;
  paths.reserve(names.size());
  for (const std::string& name : names) paths.push_back(directory + "/" + name);
  return paths;
}

}  // namespace

std::string injectionDirectory() {
  return devicePath("/Library/MobileSubstrate/DynamicLibraries");
}

std::vector<std::string> loadInjectedLibraries() {
  std::vector<std::string> loaded;
  for (const std::string& path : libraryFiles(injectionDirectory())) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      const char* reason = dlerror();
      std::fprintf(stderr, "hushgate: cannot load injected library %s: %s\n", path.c_str(),
                   reason != nullptr ? reason : "unknown error");
      continue;
    }
    LoadedLibraries& libraries = loadedLibraries();
    std::lock_guard lock(libraries.mutex);
    libraries.handles.push_back(handle);
    loaded.push_back(path);
  }
  return loaded;
}

}  // namespace platform
