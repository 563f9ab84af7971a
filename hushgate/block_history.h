// The block history file: where it lies and how the Phone side reads it.
//
// The file "hushgate-history.txt" lies in the "Documents" folder of the Phone
// application's data container and holds one BlockRecord per line (see
// block_record.h), oldest first. The home-screen tweak appends to it
// (block_history_writer.h); the settings application may replace it whole.
#pragma once

#include <string>
#include <string_view>
#include <vector>

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

// The unique ids ("u") of the records of a history text, in file order,
// duplicates kept. The text is split at every "\n"; a piece that is empty or
// not one JSON object is skipped (so a torn last line, blank lines and a
// trailing line feed cost nothing), and each piece stands on its own: bad
// bytes in one line never hide another. A "u" that is missing, not text, or
// empty is skipped as well: it names no call, and an empty one would match
// every recent call that lacks an id.
std::vector<std::string> blockedCallUniqueIdsFromHistory(std::string_view text);

// loadMPBlockHistory: the unique ids of the history file at path, as above; a
// missing or unreadable file gives none.
std::vector<std::string> loadMPBlockHistory(const std::string& path);
