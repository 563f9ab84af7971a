// The layout of a number-location database file (named kPhoneDataFilePrefix,
// the version, kPhoneDataFileSuffix; names.h). Integers are unsigned 32-bit
// little-endian; offsets count from the start of the file:
//   0                 kVersionSize bytes: the version text, ended early by a
//                     NUL byte when shorter
//   kVersionSize      4 bytes: the index offset
//   kHeaderSize       record texts, each ended by a NUL byte: the
//                     kRecordFieldCount fields "f1|f2|f3|regionCode" joined
//                     by kRecordFieldSeparator
//   index offset      kIndexEntrySize-byte entries to the end, sorted by
//                     ascending prefix: prefix (4), record offset (4), card
//                     type (1)
// Entries = (file size - index offset) / kIndexEntrySize; trailing bytes are
// ignored. Prefixes are the seven leading digits of a mobile number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr size_t kVersionSize = 4;
inline constexpr size_t kHeaderSize = 8;
inline constexpr size_t kIndexEntrySize = 9;
inline constexpr size_t kRecordFieldCount = 4;
inline constexpr char kRecordFieldSeparator = '|';
inline constexpr uint32_t kSmallestPrefix = 1000000;
inline constexpr uint32_t kLargestPrefix = 9999999;
// No valid file is larger: an index entry for every prefix, and their records.
inline constexpr size_t kMaxPhoneDataFileSize = 128u << 20;

inline uint32_t loadLittleEndian32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

inline void appendLittleEndian32(std::string& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>(value >> shift));
}

inline void storeLittleEndian32(std::string& out, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>(value >> (8 * i));
}
