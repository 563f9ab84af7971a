#include "tools/phonedata/inspect.h"

#include <cstring>
#include <set>
#include <string_view>

#include "statics/contracts/phonedata_format.h"
#include "tools/phonedata/place.h"

namespace phonedata {

namespace {}  // namespace

std::string printable(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  }
  return out;
}

Result<DatabaseSummary> inspectDatabase(std::span<const uint8_t> bytes) {
  if (bytes.size() < kHeaderSize) {
    return fail("the file has " + std::to_string(bytes.size()) +
                " bytes, fewer than the 8-byte header");
  }
  DatabaseSummary summary;
  summary.size = bytes.size();
  const char* start = reinterpret_cast<const char*>(bytes.data());
  summary.version.assign(start, strnlen(start, 4));

  const uint32_t indexOffset = loadLittleEndian32(bytes.data() + kVersionSize);
  if (indexOffset < kHeaderSize) {
    return fail("the index offset " + std::to_string(indexOffset) +
                " lies inside the 8-byte header");
  }
  if (indexOffset > bytes.size()) {
    return fail("the index offset " + std::to_string(indexOffset) +
                " lies past the end of the file (" + std::to_string(bytes.size()) + " bytes)");
  }
  summary.entryCount = (bytes.size() - indexOffset) / kIndexEntrySize;
  summary.trailingBytes = (bytes.size() - indexOffset) % kIndexEntrySize;
  if (summary.entryCount == 0) return fail("the index holds no entries");

  std::set<std::string_view> records;
  for (size_t i = 0; i < summary.entryCount; ++i) {
    const size_t at = indexOffset + i * kIndexEntrySize;
    const uint32_t prefix = loadLittleEndian32(bytes.data() + at);
    const uint32_t recordOffset = loadLittleEndian32(bytes.data() + at + 4);
    const uint8_t type = bytes[at + 8];
    const std::string where =
        "entry " + std::to_string(i) + " (prefix " + std::to_string(prefix) + ")";
    if (prefix < 1000000 || prefix > 9999999) {
      return fail(where + ": the prefix is not a seven-digit number");
    }
    if (i > 0 && prefix <= summary.lastPrefix) {
      return fail(where + ": not above the prefix " + std::to_string(summary.lastPrefix) +
                  " before it");
    }
    if (recordOffset < kHeaderSize || recordOffset >= indexOffset) {
      return fail(where + ": the record offset " + std::to_string(recordOffset) +
                  " lies outside the record region");
    }
    if (type < 1 || type > 6) {
      return fail(where + ": the card type " + std::to_string(type) + " names no carrier");
    }
    const char* text = reinterpret_cast<const char*>(bytes.data()) + recordOffset;
    const size_t regionLeft = indexOffset - recordOffset;
    const std::string_view record(text, strnlen(text, regionLeft));
    if (record.size() == regionLeft) {
      return fail(where + ": the record at offset " + std::to_string(recordOffset) +
                  " has no NUL byte before the index");
    }
    if (splitNonEmpty(record, "|").size() < 4) {
      return fail(where + ": the record \"" + printable(record) + "\" has fewer than four fields");
    }
    records.insert(record);
    if (i == 0) summary.firstPrefix = prefix;
    summary.lastPrefix = prefix;
  }
  summary.recordCount = records.size();
  return summary;
}

}  // namespace phonedata
