// Where the phone keeps the reason of a blocked call: its record in the block
// history file (statics/history_file.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace springboard {

struct HistoryRecord {
  long long reason = 0;
  std::string detail;
};

// The history file's path on the device.
std::string historyFilePath();

// The file's size in bytes; 0 when it does not exist.
std::uintmax_t historyFileSize(const std::string& path);

// The first record whose "u" is uniqueId and whose "r" is an integer, among
// the lines that begin at or after byte offset from (the whole file when it
// has become shorter than that: it was replaced). Lines that are not such
// records are skipped; a missing "rd" reads as "".
std::optional<HistoryRecord> findHistoryRecord(const std::string& path, const std::string& uniqueId,
                                               std::uintmax_t from);

}  // namespace springboard
