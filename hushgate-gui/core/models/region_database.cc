#include "hushgate-gui/core/models/region_database.h"

#include "hushgate-gui/core/kit/resources.h"
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
