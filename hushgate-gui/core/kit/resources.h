// The settings application's resources (bundle resources): the city list
// "cities"."json" and the localisation tables "localization/<lang>/*.json".
//
// They are read from one folder: $HUSHGATE_RESOURCES when set and not empty;
// otherwise <folder of the running program>/../share/hushgate when that folder
// exists (an installed application); otherwise the build tree's resources
// folder, compiled in. The folder is looked up on every call.
#pragma once

#include <string>
#include <string_view>

namespace gui {

// The resources folder as described above (it may not exist).
std::string resourcesDirectory();

// pathForResource:ofType:: the path of the file "<name>.<type>" (or "<name>"
// when type is empty) in the resources folder, or the empty text when there is
// no such regular file.
std::string pathForResource(std::string_view name, std::string_view type);

}  // namespace gui
