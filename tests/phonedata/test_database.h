// Database files written by hand for the tests, malformed ones included,
// without the builder's writer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "statics/phonedata.h"

namespace phonedata_testing {

struct Entry {
  uint32_t prefix;
  std::string record;  // stored NUL-terminated in the record region
  uint8_t type;
};

// Header (version NUL-padded to four bytes), the records in order, then the
// index of the entries in the order given.
std::vector<uint8_t> makeDatabase(std::string_view version, const std::vector<Entry>& entries);

uint32_t load32(const std::vector<uint8_t>& bytes, size_t at);
void store32(std::vector<uint8_t>* bytes, size_t at, uint32_t value);

// Offset of index entry i of a database made by makeDatabase.
size_t entryOffset(const std::vector<uint8_t>& bytes, size_t i);

// The bytes as a std::string, for writing files.
std::string asString(const std::vector<uint8_t>& bytes);

// The answer of the reader's documented binary search, written out plainly
// from the file's layout: what every lookup of prefix must give.
PhoneRecord bisectionLookUp(const std::vector<uint8_t>& bytes, uint32_t prefix);

}  // namespace phonedata_testing
