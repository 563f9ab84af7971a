// Checks a whole number-location database file and sums it up, for the
// "info" and "lookup" commands.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "statics/result.h"

namespace phonedata {

struct DatabaseSummary {
  std::string version;
  uint64_t size = 0;
  size_t entryCount = 0;
  size_t recordCount = 0;  // distinct record texts reached from the index
  uint32_t firstPrefix = 0;
  uint32_t lastPrefix = 0;
  size_t trailingBytes = 0;  // after the last whole entry; ignored by readers
};

// The summary of a valid database, or a failure whose sentence says what is
// wrong. Valid: a whole header; an index offset from
// 8 to the file size; at least one entry; prefixes of seven digits in strictly
// ascending order; record offsets inside the record region; card types 1 to 6;
// record texts of at least four non-empty fields.
Result<DatabaseSummary> inspectDatabase(std::span<const uint8_t> bytes);

// Text from a file or the command line, safe to print on a line of
// tab-separated fields: control bytes (tab and new line among them) become "?".
std::string printable(std::string_view text);

}  // namespace phonedata
