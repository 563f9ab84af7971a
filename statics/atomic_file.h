// Whole-file reads and atomic replacement of files that other processes read.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "statics/result.h"

// The most that readWholeFile reads unless told otherwise: more than any file
// of the system holds, and still a size a phone's memory takes.
inline constexpr size_t kMaxWholeFileSize = 256u << 20;

// Reads the whole file; nullopt when it is missing, unreadable, not a regular
// file (a directory, a FIFO or a device is never read, so a reader can never
// block on one) or larger than limit bytes.
[[nodiscard]] std::optional<std::string> readWholeFile(const std::string& path,
                                                       size_t limit = kMaxWholeFileSize);

// Writes bytes to a temporary file in the same folder, flushes it to storage
// and renames it over path, so a reader sees the old or the new content, never
// a part. The content goes to an unnamed file first where the file system
// allows it, so a writer killed part-way leaves nothing behind; temporary
// files (".NAME.XXXXXX") that killed writers left earlier are removed once
// they are a minute old. On error (described in the status) the temporary
// file is removed and the old file is left as it was. The folder must exist.
// A new file gets mode 0644; a replaced file keeps the permission bits of the
// one it replaces.
Status writeFileAtomically(const std::string& path, std::string_view bytes);
