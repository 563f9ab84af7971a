// Where the block history file lies: kMPHistoryFileName in the Documents
// folder of the Phone application's data container (statics/contracts/names.h;
// its lines: statics/contracts/block_record.h). The home-screen tweak appends
// to it; the settings application reads it and may replace it whole.
#pragma once

#include <string>
#include <string_view>

#include "statics/contracts/names.h"

// The file's path in a data container.
std::string mpHistoryFilePathInContainer(std::string_view containerPath);

// The path as another process finds it: the Phone application's data
// container through LSBundleProxy; "" when there is none.
std::string mpHistoryFilePathFromOutside();

// The path inside the Phone application itself: its home directory is the
// container.
std::string mpHistoryFilePathInPhoneApplication();
