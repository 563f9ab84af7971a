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

}  // namespace phonedata_testing
