// Whole-file reads and atomic replacement of files that other processes read.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Reads the whole file; nullopt when it is missing or unreadable.
std::optional<std::string> readWholeFile(const std::string& path);

// Writes bytes to a temporary file in the same folder, flushes it to storage
// and renames it over path, so a reader sees the old or the new content, never
// a part. Returns an empty string on success, otherwise a description of the
// error (the old file is then left as it was).
std::string writeFileAtomically(const std::string& path, std::string_view bytes);
