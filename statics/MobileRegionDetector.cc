#include "statics/MobileRegionDetector.h"

#include <filesystem>
#include <string_view>

#include "platform/paths.h"
#include "statics/contracts/names.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kNamePrefix = kPhoneDataFilePrefix;
constexpr std::string_view kNameSuffix = kPhoneDataFileSuffix;

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
  // Never destroyed: work still queued at exit may use it.
  static MobileRegionDetector* const instance =
      new MobileRegionDetector(platform::devicePath(kDataDirectoryPath));
  return *instance;
}

std::string MobileRegionDetector::dbVersion() const {
  return phonedata_ ? phonedata_->version() : std::string();
}

std::string MobileRegionDetector::detectRegionCode(const std::string& number) const {
  return phonedata_ ? std::string(phonedata_->regionCodeOf(number)) : std::string();
}

std::string MobileRegionDetector::placeOfRegionCode(const std::string& regionCode) const {
  return phonedata_ ? std::string(phonedata_->placeOfRegionCode(regionCode)) : std::string();
}
