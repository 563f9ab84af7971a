#include "tools/phonedata/database_writer.h"

#include <algorithm>
#include <map>

#include "statics/contracts/phonedata_format.h"

namespace phonedata {

namespace {

uint32_t fnv1a(std::string_view bytes) {
  uint32_t hash = 2166136261u;
  for (char c : bytes) {
    hash ^= static_cast<uint8_t>(c);
    hash *= 16777619u;
  }
  return hash;
}

bool fitsOffset(size_t offset) {
  return offset <= UINT32_MAX;
}

}  // namespace

Result<std::string> formatRecord(std::string_view field1, std::string_view field2,
                                 std::string_view field3, std::string_view regionCode) {
  std::string record;
  for (std::string_view field : {field1, field2, field3, regionCode}) {
    if (field.empty() ||
        field.find_first_of(std::string_view("|\0", 2)) != std::string_view::npos) {
      return fail("record field \"" + std::string(field) + "\" is empty or holds \"|\" or NUL");
    }
    if (!record.empty()) record += kRecordFieldSeparator;
    record += field;
  }
  return record;
}

Result<EncodedDatabase> encodeDatabase(std::vector<BlockEntry> entries) {
  std::sort(entries.begin(), entries.end(),
            [](const BlockEntry& a, const BlockEntry& b) { return a.prefix < b.prefix; });
  for (size_t i = 0; i < entries.size(); ++i) {
    const BlockEntry& entry = entries[i];
    if (entry.prefix < kSmallestPrefix || entry.prefix > kLargestPrefix) {
      return fail("prefix " + std::to_string(entry.prefix) + " is not a seven-digit number");
    }
    if (i > 0 && entries[i - 1].prefix == entry.prefix) {
      return fail("prefix " + std::to_string(entry.prefix) + " given twice");
    }
    if (entry.type < CMCC || entry.type > CMCC_V) {
      return fail("prefix " + std::to_string(entry.prefix) + " has no carrier");
    }
    if (entry.record.find('\0') != std::string::npos) {
      return fail("record of prefix " + std::to_string(entry.prefix) + " holds a NUL byte");
    }
  }

  std::string bytes(kHeaderSize, '\0');
  std::map<std::string_view, uint32_t> recordOffsets;
  for (const BlockEntry& entry : entries) {
    auto [it, added] = recordOffsets.try_emplace(entry.record, 0);
    if (!added) continue;
    if (!fitsOffset(bytes.size())) return fail("database larger than 4 GiB");
    it->second = static_cast<uint32_t>(bytes.size());
    bytes += entry.record;
    bytes += '\0';
  }
  if (!fitsOffset(bytes.size())) return fail("database larger than 4 GiB");
  storeLittleEndian32(bytes, kVersionSize, static_cast<uint32_t>(bytes.size()));
  for (const BlockEntry& entry : entries) {
    appendLittleEndian32(bytes, entry.prefix);
    appendLittleEndian32(bytes, recordOffsets.at(entry.record));
    bytes.push_back(static_cast<char>(entry.type));
  }

  // The last four decimal digits of the checksum of everything after them.
  std::string version(kVersionSize, '0');
  uint32_t checksum = fnv1a(std::string_view(bytes).substr(kVersionSize));
  for (size_t i = kVersionSize; i-- > 0;) {
    version[i] = static_cast<char>('0' + checksum % 10);
    checksum /= 10;
  }
  bytes.replace(0, kVersionSize, version);
  return EncodedDatabase{version, std::move(bytes), entries.size(), recordOffsets.size()};
}

}  // namespace phonedata
