// A fresh device root for one test: a temporary directory that HUSHGATE_ROOT
// points at while the object lives, removed afterwards.
#pragma once

#include <string>
#include <string_view>

namespace testing_support {

class TempDeviceRoot {
 public:
  TempDeviceRoot();
  ~TempDeviceRoot();
  TempDeviceRoot(const TempDeviceRoot&) = delete;
  TempDeviceRoot& operator=(const TempDeviceRoot&) = delete;

  const std::string& path() const { return path_; }
  // The device path resolved under this root, e.g. at("/var/mobile/hushgate").
  std::string at(std::string_view devicePath) const;

  // Writes a file (creating its folders) and reads one back ("" if missing).
  void write(std::string_view devicePath, std::string_view bytes) const;
  std::string read(std::string_view devicePath) const;
  bool exists(std::string_view devicePath) const;

 private:
  std::string path_;
  std::string previous_;
  bool hadPrevious_ = false;
};

}  // namespace testing_support
