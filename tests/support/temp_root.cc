#include "support/temp_root.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/paths.h"

namespace testing_support {

namespace fs = std::filesystem;

TempDeviceRoot::TempDeviceRoot() {
  if (const char* previous = std::getenv("HUSHGATE_ROOT")) {
    previous_ = previous;
    hadPrevious_ = true;
  }
  std::string pattern = (fs::temp_directory_path() / "hushgate-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
  setenv("HUSHGATE_ROOT", path_.c_str(), 1);
}

TempDeviceRoot::~TempDeviceRoot() {
  if (hadPrevious_) {
    setenv("HUSHGATE_ROOT", previous_.c_str(), 1);
  } else {
    unsetenv("HUSHGATE_ROOT");
  }
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string TempDeviceRoot::at(std::string_view devicePath) const {
  std::string relative(devicePath);
  while (!relative.empty() && relative.front() == '/') relative.erase(0, 1);
  return (fs::path(path_) / relative).string();
}

void TempDeviceRoot::write(std::string_view devicePath, std::string_view bytes) const {
  const fs::path file = at(devicePath);
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TempDeviceRoot::read(std::string_view devicePath) const {
  std::ifstream in(at(devicePath), std::ios::binary);
  std::ostringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

bool TempDeviceRoot::exists(std::string_view devicePath) const {
  return fs::exists(at(devicePath));
}

}  // namespace testing_support
