#include "hushgate-gui/core/models/region_database.h"

#include "hushgate-gui/core/kit/resources.h"
#include "statics/Preference.h"

namespace gui {

namespace {

// The device's data folder when it holds a database, else the resources;
// chosen once per process.
const std::string& applicationDatabaseDirectory() {
  static const std::string directory = findDatabaseFile(Preference::dataDirectoryPath())
                                           ? Preference::dataDirectoryPath()
                                           : resourcesDirectory();
  return directory;
}

}  // namespace

const MobileRegionDetector& applicationRegionDetector() {
  static const MobileRegionDetector* const detector = []() -> const MobileRegionDetector* {
    if (applicationDatabaseDirectory() == Preference::dataDirectoryPath()) {
      return &MobileRegionDetector::sharedInstance();
    }
    static const MobileRegionDetector installed(applicationDatabaseDirectory());
    return &installed;
  }();
  return *detector;
}

std::string applicationDatabaseVersion() {
  const std::optional<std::string> path = findDatabaseFile(applicationDatabaseDirectory());
  return path ? readPhoneDataVersion(*path) : std::string();
}

}  // namespace gui
