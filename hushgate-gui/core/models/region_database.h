// The number-location database that the settings application's lookups use:
// the device's own (the one the screening reads) when the device has one,
// otherwise the copy installed with the application's resources.
#pragma once

#include <string>

#include "statics/MobileRegionDetector.h"

namespace gui {

// Chosen once per process, on first use.
const MobileRegionDetector& applicationRegionDetector();

// The version of that database read from its file's header, without loading
// the database; empty when there is none.
std::string applicationDatabaseVersion();

}  // namespace gui
