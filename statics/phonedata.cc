#include "statics/phonedata.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cassert>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "platform/unique_fd.h"
#include "statics/Log.h"
#include "statics/contracts/phonedata_format.h"

namespace {

// Opens a regular file of at most kMaxPhoneDataFileSize bytes for reading;
// its size in *size. Opening does not wait for a FIFO's writer, and anything
// but a regular file is refused.
platform::UniqueFd openDatabaseFile(const std::string& path, size_t* size) {
  platform::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.valid()) return fd;
  struct stat st;
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return platform::UniqueFd();
  if (st.st_size < 0 || static_cast<uint64_t>(st.st_size) > kMaxPhoneDataFileSize) {
    Log("== number-location database %@ is larger than any real one (%lld bytes); not used", path,
        static_cast<long long>(st.st_size));
    return platform::UniqueFd();
  }
  *size = static_cast<size_t>(st.st_size);
  return fd;
}

// Reads a whole file that openDatabaseFile accepts.
bool readRegularFile(const std::string& path, std::vector<uint8_t>* bytes) {
  size_t size = 0;
  platform::UniqueFd fd = openDatabaseFile(path, &size);
  if (!fd.valid()) return false;
  // One spare byte, so that reading to the end of a file that kept its size
  // needs no second allocation.
  std::vector<uint8_t> buffer(size + 1);
  size_t filled = 0;
  for (;;) {
    if (filled == buffer.size()) {  // the file grew
      if (buffer.size() > kMaxPhoneDataFileSize) return false;
      buffer.resize(buffer.size() * 2);
    }
    const ssize_t n = ::read(fd.get(), buffer.data() + filled, buffer.size() - filled);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) break;
    filled += static_cast<size_t>(n);
  }
  buffer.resize(filled);
  *bytes = std::move(buffer);
  return true;
}

// The number at the start of text as strtoul reads it in base 10: leading
// white space and one "+" skipped, digits read until the first non-digit.
// A "-" ends the number before any digit, so it reads as no number (0).
uint32_t leadingNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  if (i < text.size() && text[i] == '+') ++i;
  uint32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + static_cast<uint32_t>(text[i] - '0');
  }
  return value;
}

// The number of set bits, without the library call that std::popcount
// becomes for a processor of the baseline instruction set.
uint32_t countBits(uint64_t x) {
  x = x - ((x >> 1) & 0x5555555555555555ULL);
  x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
  x = (x + (x >> 4)) & 0x0f0f0f0f0f0f0f0fULL;
  return static_cast<uint32_t>((x * 0x0101010101010101ULL) >> 56);
}

// The empty record, default-initialised: value-initialising it ("{}") would
// first clear the whole object with a slow block store, on every miss.
PhoneRecord emptyRecord() {
  PhoneRecord record;
  return record;
}

std::string_view recordText(const std::vector<uint8_t>& data, uint64_t offset) {
  if (offset >= data.size()) return {};
  const char* begin = reinterpret_cast<const char*>(data.data()) + offset;
  const size_t available = data.size() - static_cast<size_t>(offset);
  const void* nul = std::memchr(begin, '\0', available);
  const size_t length = nul == nullptr ? available : static_cast<const char*>(nul) - begin;
  return std::string_view(begin, length);
}

}  // namespace

PhoneData::PhoneData(const std::string& path) {
  hasData_ = readRegularFile(path, &data_);
  readHeader();
}

PhoneData::PhoneData(std::vector<uint8_t> bytes) : data_(std::move(bytes)), hasData_(true) {
  readHeader();
}

void PhoneData::readHeader() {
  if (data_.size() < kHeaderSize) return;
  indexOffset_ = loadLittleEndian32(data_.data() + kVersionSize);
  if (indexOffset_ < data_.size()) entryCount_ = (data_.size() - indexOffset_) / kIndexEntrySize;
  makePrefixTable();
}

void PhoneData::makePrefixTable() {
  if (entryCount_ == 0) return;
  const uint8_t* index = data_.data() + indexOffset_;
  const uint32_t first = loadLittleEndian32(index);
  const uint32_t last = loadLittleEndian32(index + kIndexEntrySize * (entryCount_ - 1));
  // Only a strictly ascending index of seven-digit prefixes: there the table
  // and the binary search agree on every prefix; any other file keeps the
  // search alone.
  if (first < kSmallestPrefix || last > kLargestPrefix || first > last) return;
  std::vector<PrefixBlock> table((last - first) / 64 + 1);
  uint32_t previous = 0;
  for (size_t i = 0; i < entryCount_; ++i) {
    const uint32_t prefix = loadLittleEndian32(index + kIndexEntrySize * i);
    // Out of order (also: past the last entry, which only a later descent
    // would show, after the write) keeps the search alone.
    if ((i > 0 && prefix <= previous) || prefix > last) return;
    previous = prefix;
    table[(prefix - first) / 64].bits |= uint64_t{1} << ((prefix - first) % 64);
  }
  uint32_t entries = 0;
  for (PrefixBlock& block : table) {
    block.entriesBefore = entries;
    entries += countBits(block.bits);
  }
  prefixTable_ = std::move(table);
  firstPrefix_ = first;
  splitRecords();
}

void PhoneData::splitRecords() {
  // Real files hold a few hundred distinct records; each is split once.
  std::unordered_map<uint32_t, uint16_t> known;
  std::vector<uint16_t> entryRecords(entryCount_);
  std::vector<PhoneRecord> records;
  const uint8_t* index = data_.data() + indexOffset_;
  for (size_t i = 0; i < entryCount_; ++i) {
    const uint32_t offset = loadLittleEndian32(index + kIndexEntrySize * i + 4);
    const auto [it, added] = known.try_emplace(offset, kUnusableRecord);
    if (added) {
      if (const std::optional<RecordFields> fields = splitRecord(offset)) {
        if (records.size() >= kUnusableRecord) return;  // too many: split per lookup
        it->second = static_cast<uint16_t>(records.size());
        records.push_back(textsOf(*fields));
      }
    }
    entryRecords[i] = it->second;
  }
  entryRecords_ = std::move(entryRecords);
  records_ = std::move(records);
  for (const uint16_t record : entryRecords_) {
    if (record != kUnusableRecord) regionRecords_.emplace(records_[record].regionCode, record);
  }
}

std::string_view PhoneData::placeOfRegionCode(std::string_view regionCode) const {
  const auto found = regionRecords_.find(std::string(regionCode));
  return found == regionRecords_.end() ? std::string_view() : records_[found->second].text2;
}

std::string PhoneData::version() const {
  if (data_.size() < kHeaderSize) return {};
  const char* begin = reinterpret_cast<const char*>(data_.data());
  return std::string(begin, strnlen(begin, kVersionSize));
}

PhoneRecord PhoneData::lookUp(const std::string& phone) const {
  if (phone.size() < 7 || phone.size() > 11) return emptyRecord();
  return _lookUp(leadingNumber(std::string_view(phone).substr(0, 7)));
}

PhoneRecord PhoneData::lookUp(long long phone) const {
  if (phone < 1000000 || phone > 99999999999LL) return emptyRecord();
  long long prefix = phone;
  if (prefix >= 10000000) {
    while (prefix > 99999999) prefix /= 10;
    prefix /= 10;
  }
  return _lookUp(static_cast<uint32_t>(prefix));
}

std::string_view PhoneData::regionCodeOf(std::string_view phone) const {
  if (phone.size() < 7 || phone.size() > 11) return {};
  const uint64_t entry = findEntry(leadingNumber(phone.substr(0, 7)));
  if (entry == kNoEntry) return {};
  if (!entryRecords_.empty()) {
    const uint16_t record = entryRecords_[entry];
    return record == kUnusableRecord ? std::string_view() : records_[record].regionCode;
  }
  const std::optional<RecordFields> fields = splitRecord(loadLittleEndian32(entryAt(entry) + 4));
  return fields ? (*fields)[kRecordFieldCount - 1] : std::string_view();
}

PhoneRecord PhoneData::_lookUp(uint32_t prefix) const {
  const uint64_t entry = findEntry(prefix);
  if (entry == kNoEntry) return emptyRecord();
  const uint8_t* at = entryAt(entry);
  if (entryRecords_.empty()) return recordOfEntry(at);
  const uint16_t index = entryRecords_[entry];
  if (index == kUnusableRecord) return emptyRecord();
  return recordOf(at, records_[index]);
}

uint64_t PhoneData::findEntry(uint32_t prefix) const {
  if (prefix < kSmallestPrefix || entryCount_ == 0) return kNoEntry;
  if (prefixTable_.empty()) return bisect(prefix);
  if (prefix < firstPrefix_) return kNoEntry;
  const uint32_t offset = prefix - firstPrefix_;
  if (offset / 64 >= prefixTable_.size()) return kNoEntry;
  const PrefixBlock& block = prefixTable_[offset / 64];
  const uint64_t bit = uint64_t{1} << (offset % 64);
  if ((block.bits & bit) == 0) return kNoEntry;
  return block.entriesBefore + countBits(block.bits & (bit - 1));
}

uint64_t PhoneData::bisect(uint32_t prefix) const {
  // hi starts at the entry count, not one less: the entry there never lies
  // wholly inside the file, which is how a prefix above every entry ends.
  uint64_t lo = 0;
  uint64_t hi = entryCount_;
  while (lo <= hi) {
    const uint64_t mid = (lo + hi) / 2;
    const uint64_t at = indexOffset_ + kIndexEntrySize * mid;
    if (at + kIndexEntrySize > data_.size()) return kNoEntry;
    const uint32_t found = loadLittleEndian32(data_.data() + at);
    if (found > prefix) {
      if (mid == 0) return kNoEntry;
      hi = mid - 1;
    } else if (found < prefix) {
      lo = mid + 1;
    } else {
      return mid;
    }
  }
  return kNoEntry;
}

std::optional<PhoneData::RecordFields> PhoneData::splitRecord(uint32_t recordOffset) const {
  const std::string_view text = recordText(data_, recordOffset);
  // The fields are the non-empty pieces between "|"; a record needs four.
  RecordFields fields;
  size_t count = 0;
  size_t start = 0;
  while (count < kRecordFieldCount && start <= text.size()) {
    size_t bar = text.find(kRecordFieldSeparator, start);
    if (bar == std::string_view::npos) bar = text.size();
    if (bar > start) fields[count++] = text.substr(start, bar - start);
    start = bar + 1;
  }
  if (count < kRecordFieldCount) return std::nullopt;
  return fields;
}

PhoneRecord PhoneData::recordOfEntry(const uint8_t* entry) const {
  const std::optional<RecordFields> fields = splitRecord(loadLittleEndian32(entry + 4));
  if (!fields) return emptyRecord();
  return recordOf(entry, *fields);
}

PhoneRecord PhoneData::recordOf(const uint8_t* entry, const RecordFields& fields) {
  PhoneRecord record = textsOf(fields);
  record.type = static_cast<CARDTYPE>(entry[8]);
  record.phonePrefix = loadLittleEndian32(entry);
  return record;
}

PhoneRecord PhoneData::recordOf(const uint8_t* entry, const PhoneRecord& texts) {
  // A copy of texts built once: no search for the bars and, for texts this
  // short, no allocation. One named result, returned on every path, so that
  // it is built in the caller's place instead of moved there.
  PhoneRecord record = texts;
  record.type = static_cast<CARDTYPE>(entry[8]);
  record.phonePrefix = loadLittleEndian32(entry);
  return record;
}

PhoneRecord PhoneData::textsOf(const RecordFields& fields) {
  PhoneRecord record;
  record.text1.assign(fields[0].data(), fields[0].size());
  record.text2.assign(fields[1].data(), fields[1].size());
  record.text3.assign(fields[2].data(), fields[2].size());
  record.regionCode.assign(fields[3].data(), fields[3].size());
  return record;
}

std::string PhoneData::getRecordContent(const std::vector<uint8_t>& data, uint64_t offset) {
  return std::string(recordText(data, offset));
}

std::string readPhoneDataVersion(const std::string& path) {
  size_t size = 0;
  platform::UniqueFd fd = openDatabaseFile(path, &size);
  if (!fd.valid() || size < kHeaderSize) return {};
  char header[kVersionSize];
  size_t filled = 0;
  while (filled < kVersionSize) {
    const ssize_t n =
        ::pread(fd.get(), header + filled, kVersionSize - filled, static_cast<off_t>(filled));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return {};
    filled += static_cast<size_t>(n);
  }
  return std::string(header, strnlen(header, kVersionSize));
}

std::string getPhoneType(CARDTYPE type) {
  assert(type > UNKNOWN && type <= CMCC_V);
  static constexpr const char* kNames[] = {
      "",                // UNKNOWN
      "中国移动",        // CMCC
      "中国联通",        // CUCC
      "中国电信",        // CTCC
      "电信虚拟运营商",  // CTCC_V
      "联通虚拟运营商",  // CUCC_V
      "移动虚拟运营商",  // CMCC_V
  };
  if (type <= UNKNOWN || type > CMCC_V) return {};
  return kNames[type];
}
