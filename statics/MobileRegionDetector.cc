#include "statics/MobileRegionDetector.h"

#include <filesystem>
#include <mutex>
#include <string_view>

#include "platform/paths.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kDataDirectory = "/var/mobile/hushgate";
constexpr std::string_view kNamePrefix = "phone-";
constexpr std::string_view kNameSuffix = ".dat";

bool isDatabaseName(std::string_view name) {
  return name.size() >= kNamePrefix.size() + kNameSuffix.size() && name.starts_with(kNamePrefix) &&
         name.ends_with(kNameSuffix);
}

}  // namespace

std::optional<std::string> findDatabaseFile(const std::string& directory) {
  std::error_code error;
  fs::directory_iterator it(directory, error);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
    const fs::directory_entry& entry = *it;
    if (!isDatabaseName(entry.path().filename().native())) continue;
    std::error_code statError;
    if (!entry.is_regular_file(statError)) continue;
    return (fs::path(directory) / entry.path().filename()).string();
  }
  return std::nullopt;
}

MobileRegionDetector::MobileRegionDetector(const std::string& directory) {
  if (std::optional<std::string> path = findDatabaseFile(directory)) {
    phonedata_ = std::make_unique<const PhoneData>(*path);
  }
}

MobileRegionDetector& MobileRegionDetector::sharedInstance() {
  static std::once_flag once;
  static MobileRegionDetector* instance = nullptr;  // lives until the process ends
  std::call_once(once,
                 [] { instance = new MobileRegionDetector(platform::devicePath(kDataDirectory)); });
  return *instance;
}

std::string MobileRegionDetector::dbVersion() const {
  return phonedata_ ? phonedata_->version() : std::string();
}

std::string MobileRegionDetector::detectRegionCode(const std::string& number) const {
  return phonedata_ ? phonedata_->lookUp(number).regionCode : std::string();
}
