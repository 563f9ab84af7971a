// The number-location database: which carrier issued a Chinese mobile number's
// seven-digit block and which region (long-distance area code, "0" included)
// the block belongs to.
//
// The file's layout: statics/contracts/phonedata_format.h.
//
// A PhoneData is read-only once constructed and may be shared between threads.
// Every miss, and every piece of unusable data, answers the empty record;
// nothing outside the file's bytes is ever read.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "statics/contracts/phonedata_format.h"

// Carrier of a number block. The underlying type is fixed, so any 32-bit value
// is a valid CARDTYPE object; only 1 to 6 name a carrier.
enum CARDTYPE : int32_t {
  UNKNOWN = 0,
  CMCC = 1,
  CUCC = 2,
  CTCC = 3,
  CTCC_V = 4,
  CUCC_V = 5,
  CMCC_V = 6,
};

// The result of a lookup. The empty record (all members zero or empty) is the
// answer to every miss.
struct PhoneRecord {
  CARDTYPE type = UNKNOWN;
  uint32_t phonePrefix = 0;
  std::string text3;
  std::string regionCode;
  std::string text1;
  std::string text2;

  bool empty() const { return phonePrefix == 0; }
  bool operator==(const PhoneRecord&) const = default;
};

class PhoneData {
 public:
  // Reads the whole file at path. A path that cannot be opened, that is not a
  // regular file or that is larger than kMaxPhoneDataFileSize (logged) leaves
  // the object without data; construction never fails and never blocks on a
  // FIFO or a device.
  explicit PhoneData(const std::string& path);
  // A database already in memory.
  explicit PhoneData(std::vector<uint8_t> bytes);

  PhoneData(const PhoneData&) = delete;
  PhoneData& operator=(const PhoneData&) = delete;

  // Whether a file was read (it may still be empty or unusable).
  bool hasData() const { return hasData_; }
  // Number of whole index entries inside the file; 0 without a whole header.
  size_t entryCount() const { return entryCount_; }

  // The header's version text: up to four bytes, ended early by a NUL byte.
  // Empty for an object without data or a file shorter than the 8-byte header.
  std::string version() const;

  // A number as text: 7 to 11 bytes, looked up by the decimal number at the
  // start of its first seven characters (leading white space and a "+" are
  // skipped as strtoul skips them; a "-" or no digit there is a miss).
  PhoneRecord lookUp(const std::string& phone) const;
  // lookUp(phone).regionCode without building the record: a view of text
  // this object holds, valid while it lives; empty on a miss. Allocates
  // nothing.
  std::string_view regionCodeOf(std::string_view phone) const;
  // The city (text2) of the first record, in index order, whose region code
  // is regionCode: the name of an area code's place; empty when no record
  // has it (and for a file of more distinct records than are built at
  // open). A view of text this object holds.
  std::string_view placeOfRegionCode(std::string_view regionCode) const;
  // A number from 1000000 to 99999999999, looked up by its first seven digits.
  PhoneRecord lookUp(long long phone) const;
  // The entry of a seven-digit prefix (at least 1000000), as a binary search
  // of the index finds it. An index sorted strictly by prefix (as every real
  // file is) is searched through a rank table made once at construction;
  // any other index by the binary search itself, with the same answers.
  PhoneRecord _lookUp(uint32_t prefix) const;
  // Whether the rank table was made.
  bool hasPrefixTable() const { return !prefixTable_.empty(); }

  // The bytes from offset up to the first NUL byte or the end of data; empty
  // when offset lies at or past the end.
  static std::string getRecordContent(const std::vector<uint8_t>& data, uint64_t offset);

 private:
  // One bit per prefix from firstPrefix_ on (set when an entry has it), and
  // the number of entries below the block: the entry of a prefix is found
  // with one bit test and one population count.
  struct PrefixBlock {
    uint64_t bits = 0;
    uint32_t entriesBefore = 0;
  };

  // The four fields of a record text, inside data_.
  using RecordFields = std::array<std::string_view, kRecordFieldCount>;
  static constexpr uint16_t kUnusableRecord = 0xffff;

  void readHeader();
  void makePrefixTable();
  void splitRecords();
  // The position of the prefix's entry in the index; kNoEntry on a miss.
  // (A plain number: an optional one is returned through memory, and
  // reading it back stalls the lookup.)
  static constexpr uint64_t kNoEntry = ~uint64_t{0};
  uint64_t findEntry(uint32_t prefix) const;
  uint64_t bisect(uint32_t prefix) const;
  std::optional<RecordFields> splitRecord(uint32_t recordOffset) const;
  const uint8_t* entryAt(uint64_t entry) const {
    return data_.data() + indexOffset_ + kIndexEntrySize * entry;
  }
  PhoneRecord recordOfEntry(const uint8_t* entry) const;
  static PhoneRecord recordOf(const uint8_t* entry, const RecordFields& fields);
  static PhoneRecord recordOf(const uint8_t* entry, const PhoneRecord& texts);
  // The record of the fields, its type and prefix empty.
  static PhoneRecord textsOf(const RecordFields& fields);

  std::vector<uint8_t> data_;
  std::vector<PrefixBlock> prefixTable_;
  // With the table: each entry's record among records_ (kUnusableRecord for
  // one with fewer than four fields), each record split and built once, its
  // type and prefix left empty (they are the entry's).
  std::vector<uint16_t> entryRecords_;
  std::vector<PhoneRecord> records_;
  // Region code -> the index among records_ of its first record.
  std::unordered_map<std::string, uint16_t> regionRecords_;
  uint32_t firstPrefix_ = 0;
  bool hasData_ = false;
  uint32_t indexOffset_ = 0;
  size_t entryCount_ = 0;
};

// The version text of the database file at path, from its header alone: what
// PhoneData(path).version() gives, without reading the rest of the file.
[[nodiscard]] std::string readPhoneDataVersion(const std::string& path);

// The carrier's name for type 1 to 6 as UTF-8 text ("中国移动" for CMCC and so
// on). Any other value is a caller's error: it fails an assertion in debug
// builds and gives the empty text otherwise.
std::string getPhoneType(CARDTYPE type);
