#include "tools/phonedata/database_writer.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "statics/phonedata.h"

namespace phonedata {
namespace {

std::vector<uint8_t> bytesOf(const std::string& text) {
  return {text.begin(), text.end()};
}

const std::vector<BlockEntry> kEntries = {
    {1390000, CMCC, "广东|广州|000000|020"},   {1300000, CUCC, "江苏|常州|000000|0519"},
    {1380013, CMCC, "北京|北京|000000|010"},   {1300001, CTCC, "江苏|常州|000000|0519"},
    {1700000, CTCC_V, "北京|北京|000000|010"},
};

TEST(EncodeDatabase, TheReaderFindsEveryEntry) {
  const EncodedDatabase db = encodeDatabase(kEntries).value();
  const PhoneData reader(bytesOf(db.bytes));
  EXPECT_EQ(reader.version(), db.version);
  ASSERT_EQ(reader.entryCount(), kEntries.size());
  for (const BlockEntry& entry : kEntries) {
    const PhoneRecord found = reader._lookUp(entry.prefix);
    EXPECT_EQ(found.phonePrefix, entry.prefix);
    EXPECT_EQ(found.type, entry.type);
    EXPECT_EQ(found.text1 + "|" + found.text2 + "|" + found.text3 + "|" + found.regionCode,
              entry.record);
  }
  EXPECT_TRUE(reader._lookUp(1380014).empty());
}

TEST(EncodeDatabase, SharedRecordsAreStoredOnce) {
  const EncodedDatabase db = encodeDatabase(kEntries).value();
  EXPECT_EQ(db.entryCount, 5u);
  EXPECT_EQ(db.recordCount, 3u);
  size_t records = 0;
  for (const char* text :
       {"广东|广州|000000|020", "江苏|常州|000000|0519", "北京|北京|000000|010"}) {
    records += std::string(text).size() + 1;
  }
  EXPECT_EQ(db.bytes.size(), 8 + records + 9 * kEntries.size());
  EXPECT_EQ(db.bytes.find("北京|北京"), db.bytes.rfind("北京|北京"));
}

TEST(EncodeDatabase, VersionIsAChecksumOfTheContent) {
  const EncodedDatabase db = encodeDatabase(kEntries).value();
  ASSERT_EQ(db.version.size(), 4u);
  EXPECT_EQ(db.version.find_first_not_of("0123456789"), std::string::npos);
  EXPECT_EQ(db.bytes.substr(0, 4), db.version);

  std::vector<BlockEntry> reordered(kEntries.rbegin(), kEntries.rend());
  EXPECT_EQ(encodeDatabase(reordered)->bytes, db.bytes);  // the same file, byte for byte

  std::vector<BlockEntry> changed = kEntries;
  changed[0].type = CUCC;
  EXPECT_NE(encodeDatabase(changed)->version, db.version);
}

TEST(EncodeDatabase, RejectsWhatTheFormatCannotHold) {
  const std::vector<std::vector<BlockEntry>> cases = {
      {{999999, CMCC, "a|b|c|d"}},
      {{10000000, CMCC, "a|b|c|d"}},
      {{1380013, CMCC, "a|b|c|d"}, {1380013, CUCC, "a|b|c|e"}},
      {{1380013, UNKNOWN, "a|b|c|d"}},
      {{1380013, static_cast<CARDTYPE>(7), "a|b|c|d"}},
      {{1380013, CMCC, std::string("a|b\0|c|d", 8)}},
  };
  for (const std::vector<BlockEntry>& entries : cases) {
    EXPECT_FALSE(encodeDatabase(entries)) << entries.front().prefix;
  }
  EXPECT_EQ(encodeDatabase({})->bytes.size(), 8u);
}

TEST(FormatRecord, FourNonEmptyFields) {
  EXPECT_EQ(formatRecord("江苏", "常州", "000000", "0519").value(), "江苏|常州|000000|0519");
  EXPECT_FALSE(formatRecord("江苏", "", "000000", "0519"));
  EXPECT_FALSE(formatRecord("江苏", "常州", "000000", ""));
  EXPECT_FALSE(formatRecord("江|苏", "常州", "000000", "0519"));
  EXPECT_FALSE(formatRecord(std::string_view("a\0", 2), "b", "c", "d"));
}

}  // namespace
}  // namespace phonedata
