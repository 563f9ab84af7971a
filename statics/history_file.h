// The block history file: where it lies and the notifications that announce
// changes to it.
//
// The file "hushgate-history.txt" lies in the "Documents" folder of the Phone
// application's data container and holds one BlockRecord per line (see
// block_record.h), oldest first. The home-screen tweak appends to it; the
// settings application reads it and may replace it whole.
#pragma once

#include <string>
#include <string_view>

inline constexpr char kMPHistoryFileName[] = "hushgate-history.txt";

// Posted after each appended record.
inline constexpr char kMPBlockHistoryAddedNotification[] =
    "com.tevrin.hushgate.mp-block-history-added";
// Posted by the settings application after it replaced the file.
inline constexpr char kMPHistoryFileChangedNotification[] =
    "com.tevrin.hushgate.mp-history-file-changed";

// "%@/Documents/%@" with a data container path and the file name.
std::string mpHistoryFilePathInContainer(std::string_view containerPath);

// The path as another process finds it: the data container of
// "com.apple.mobilephone" through LSBundleProxy.
std::string mpHistoryFilePathFromOutside();

// The path inside the Phone application itself: its home directory is the
// container.
std::string mpHistoryFilePathInPhoneApplication();
