// Encodes a number-location database file (layout in
// statics/contracts/phonedata_format.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "statics/phonedata.h"

#include "statics/result.h"

namespace phonedata {

// One seven-digit block of the database.
struct BlockEntry {
  uint32_t prefix = 0;  // 1000000 to 9999999
  CARDTYPE type = UNKNOWN;
  std::string record;  // "field1|field2|field3|regionCode"
};

struct EncodedDatabase {
  std::string version;  // four decimal digits
  std::string bytes;    // the whole file
  size_t entryCount = 0;
  size_t recordCount = 0;  // distinct record texts
};

// The file for these entries: every distinct record text stored once (in the
// order of its first use by ascending prefix), the index sorted by prefix.
// The version is a checksum of everything after it (FNV-1a of the bytes from
// offset 4 to the end, modulo 10000, as four digits), so the same entries
// always give the same file, byte for byte.
// Fails for a prefix outside 1000000-9999999, a prefix given twice, a card
// type outside CMCC to CMCC_V, or a record text holding a NUL byte.
Result<EncodedDatabase> encodeDatabase(std::vector<BlockEntry> entries);

// The record text of four fields; fails when a field
// is empty or holds "|" or a NUL byte (the reader drops empty fields, so an
// empty one would shift those after it).
Result<std::string> formatRecord(std::string_view field1, std::string_view field2,
                                 std::string_view field3, std::string_view regionCode);

}  // namespace phonedata
