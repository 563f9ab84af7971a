// Fuzz target of the number-location database reader: the input is the
// database file; its last bytes also serve as the numbers looked up. Checks
// that every answer is the empty record or a well-formed one for the prefix
// asked about, and that text and integer lookups agree.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "statics/phonedata.h"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

bool wellFormed(const PhoneRecord& record) {
  for (const std::string* field :
       {&record.text1, &record.text2, &record.text3, &record.regionCode}) {
    if (field->empty() || field->find('|') != std::string::npos) return false;
  }
  return true;
}

void checkPrefix(const PhoneData& db, uint32_t prefix) {
  const PhoneRecord record = db._lookUp(prefix);
  check(record == PhoneRecord{} || (record.phonePrefix == prefix && wellFormed(record)));
}

bool allDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

void checkText(const PhoneData& db, const std::string& text) {
  const PhoneRecord record = db.lookUp(text);
  if (record == PhoneRecord{}) return;
  check(text.size() >= 7 && text.size() <= 11 && wellFormed(record));
  if (allDigits(text)) {
    check(record.phonePrefix == std::stoul(text.substr(0, 7)));
    check(db.lookUp(std::stoll(text)) == record);
  }
}

uint32_t load32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const PhoneData db(std::vector<uint8_t>(data, data + size));
  const std::string version = db.version();
  check(version.size() <= 4 && version.find('\0') == std::string::npos);
  check(db.entryCount() <= size / 9);

  // Texts of every length up to twelve from the last bytes, and as digits.
  const size_t tailSize = size < 12 ? size : 12;
  const std::string tail(reinterpret_cast<const char*>(data + size - tailSize), tailSize);
  std::string digits;
  for (char c : tail) digits += static_cast<char>('0' + static_cast<uint8_t>(c) % 10);
  for (size_t length = 0; length <= tailSize; ++length) {
    checkText(db, tail.substr(0, length));
    checkText(db, digits.substr(0, length));
  }
  if (size >= 8) db.lookUp(static_cast<long long>(load32(data + size - 8)) << 8 | data[0]);

  // The prefixes of the first, middle and last entries, so that hits happen.
  if (db.entryCount() > 0 && size >= 8) {
    const size_t indexOffset = load32(data + 4);
    for (size_t i : {size_t{0}, db.entryCount() / 2, db.entryCount() - 1}) {
      const uint32_t prefix = load32(data + indexOffset + 9 * i);
      checkPrefix(db, prefix);
      checkPrefix(db, prefix + 1);
      checkPrefix(db, prefix - 1);
    }
  }
  return 0;
}
