#include "hushgate-gui/core/region_database.h"

#include "hushgate-gui/core/resources.h"
#include "statics/Preference.h"

namespace gui {

const MobileRegionDetector& applicationRegionDetector() {
  static const MobileRegionDetector* const detector = []() -> const MobileRegionDetector* {
    if (findDatabaseFile(Preference::dataDirectoryPath())) {
      return &MobileRegionDetector::sharedInstance();
    }
    static const MobileRegionDetector installed(resourcesDirectory());
    return &installed;
  }();
  return *detector;
}

}  // namespace gui
