#include "phonedata/test_database.h"

namespace phonedata_testing {

std::vector<uint8_t> makeDatabase(std::string_view version, const std::vector<Entry>& entries) {
  std::vector<uint8_t> bytes(8, 0);
  for (size_t i = 0; i < version.size() && i < 4; ++i) bytes[i] = static_cast<uint8_t>(version[i]);
  std::vector<uint32_t> offsets;
  for (const Entry& entry : entries) {
    offsets.push_back(static_cast<uint32_t>(bytes.size()));
    bytes.insert(bytes.end(), entry.record.begin(), entry.record.end());
    bytes.push_back(0);
  }
  store32(&bytes, 4, static_cast<uint32_t>(bytes.size()));
  for (size_t i = 0; i < entries.size(); ++i) {
    const size_t at = bytes.size();
    bytes.resize(at + 9);
    store32(&bytes, at, entries[i].prefix);
    store32(&bytes, at + 4, offsets[i]);
    bytes[at + 8] = entries[i].type;
  }
  return bytes;
}

uint32_t load32(const std::vector<uint8_t>& bytes, size_t at) {
  return uint32_t{bytes.at(at)} | uint32_t{bytes.at(at + 1)} << 8 |
         uint32_t{bytes.at(at + 2)} << 16 | uint32_t{bytes.at(at + 3)} << 24;
}

void store32(std::vector<uint8_t>* bytes, size_t at, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) bytes->at(at + i) = static_cast<uint8_t>(value >> (8 * i));
}

size_t entryOffset(const std::vector<uint8_t>& bytes, size_t i) {
  return load32(bytes, 4) + 9 * i;
}

std::string asString(const std::vector<uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

PhoneRecord bisectionLookUp(const std::vector<uint8_t>& bytes, uint32_t prefix) {
  if (prefix < 1000000 || bytes.size() < 8) return {};
  const uint64_t index = load32(bytes, 4);
  if (index >= bytes.size()) return {};
  uint64_t lo = 0;
  uint64_t hi = (bytes.size() - index) / 9;
  while (lo <= hi) {
    const uint64_t mid = (lo + hi) / 2;
    const uint64_t at = index + 9 * mid;
    if (at + 9 > bytes.size()) return {};
    const uint32_t found = load32(bytes, at);
    if (found > prefix) {
      if (mid == 0) return {};
      hi = mid - 1;
    } else if (found < prefix) {
      lo = mid + 1;
    } else {
      const uint32_t offset = load32(bytes, at + 4);
      std::vector<std::string> fields;
      std::string field;
      for (size_t i = offset; i < bytes.size() && bytes[i] != 0; ++i) {
        if (bytes[i] != '|') {
          field += static_cast<char>(bytes[i]);
        } else if (!field.empty()) {
          fields.push_back(std::move(field));
          field.clear();
        }
      }
      if (!field.empty()) fields.push_back(std::move(field));
      if (fields.size() < 4) return {};
      return PhoneRecord{
          static_cast<CARDTYPE>(bytes[at + 8]), found, fields[2], fields[3], fields[0], fields[1]};
    }
  }
  return {};
}

}  // namespace phonedata_testing
