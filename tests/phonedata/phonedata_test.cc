#include "statics/phonedata.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "phonedata/test_database.h"
#include "support/temp_root.h"

namespace {

using phonedata_testing::bisectionLookUp;
using phonedata_testing::Entry;
using phonedata_testing::entryOffset;
using phonedata_testing::makeDatabase;
using phonedata_testing::store32;

const std::vector<Entry> kEntries = {
    {1300000, "江苏|常州|213000|0519", CUCC},
    {1380013, "北京|北京|100000|010", CMCC},
    {1700000, "上海|上海|200000|021", CTCC_V},
    {1999999, "新疆|乌鲁木齐|830000|0991", CTCC},
};

PhoneRecord record(CARDTYPE type, uint32_t prefix, std::string text1, std::string text2,
                   std::string text3, std::string regionCode) {
  return PhoneRecord{
      type, prefix, std::move(text3), std::move(regionCode), std::move(text1), std::move(text2)};
}

const PhoneRecord kChangzhou = record(CUCC, 1300000, "江苏", "常州", "213000", "0519");
const PhoneRecord kBeijing = record(CMCC, 1380013, "北京", "北京", "100000", "010");
const PhoneRecord kUrumqi = record(CTCC, 1999999, "新疆", "乌鲁木齐", "830000", "0991");

TEST(PhoneDataLookUp, Text) {
  const PhoneData db(makeDatabase("1707", kEntries));
  struct Case {
    std::string text;
    PhoneRecord expected;
  };
  const Case cases[] = {
      {"13800138000", kBeijing},    // eleven digits: the first seven
      {"1380013", kBeijing},        // exactly seven
      {"1380013abcd", kBeijing},    // digits first: read as far as they go
      {"13000000000", kChangzhou},  // first entry
      {"19999999999", kUrumqi},     // last entry
      {"12999999999", {}},          // below every entry
      {"15000000000", {}},          // between entries
      {"20000000000", {}},          // above every entry
      {"138001", {}},               // six characters
      {"138001380001", {}},         // twelve characters
      {"", {}},
      {"0138001380", {}},   // leading zero: 138001, below 1000000
      {"abc1234567", {}},   // letters: no number
      {"+1380013800", {}},  // a sign leaves six digits in the first seven characters
      {"-1380013800", {}},
      {" 1380013800", {}},  // as does a blank
      {"       ", {}},      // blanks only
      {"138001a3800", {}},  // a letter ends the number after six digits
  };
  for (const Case& c : cases) {
    EXPECT_EQ(db.lookUp(c.text), c.expected) << '"' << c.text << '"';
    EXPECT_EQ(db.regionCodeOf(c.text), c.expected.regionCode) << '"' << c.text << '"';
  }
}

TEST(PhoneDataLookUp, Integer) {
  const PhoneData db(makeDatabase("1707", kEntries));
  struct Case {
    long long number;
    PhoneRecord expected;
  };
  const Case cases[] = {
      {13800138000LL, kBeijing},
      {1380013, kBeijing},
      {138001380, kBeijing},  // nine digits
      {13000000000LL, kChangzhou},
      {19999999999LL, kUrumqi},
      {12999999999LL, {}},
      {20000000000LL, {}},
      {999999, {}},
      {100000000000LL, {}},  // twelve digits
      {-13800138000LL, {}},
      {0, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(db.lookUp(c.number), c.expected) << c.number;
}

TEST(PhoneDataLookUp, TextAndIntegerAgreeOnElevenDigits) {
  const PhoneData db(makeDatabase("1707", kEntries));
  for (long long number : {13800138000LL, 13000009999LL, 19999990000LL, 15555555555LL}) {
    EXPECT_EQ(db.lookUp(std::to_string(number)), db.lookUp(number)) << number;
  }
}

TEST(PhoneDataLookUp, SmallestPrefixIsUsedUnchanged) {
  const PhoneData db(makeDatabase("1", {{1000000, "a|b|c|d", CMCC}, {1000001, "e|f|g|h", CUCC}}));
  EXPECT_EQ(db.lookUp(1000000LL).phonePrefix, 1000000u);
  EXPECT_EQ(db._lookUp(1000001).regionCode, "h");
  EXPECT_TRUE(db._lookUp(999999).empty());
  EXPECT_TRUE(db._lookUp(0).empty());
}

TEST(PhoneDataLookUp, EveryEntryOfALargerIndexIsFound) {
  // Odd and even counts exercise both halves of the bisection.
  for (uint32_t count : {1u, 2u, 3u, 64u, 1001u}) {
    std::vector<Entry> entries;
    for (uint32_t i = 0; i < count; ++i) {
      entries.push_back({1300000 + 7 * i, "p|c|z|0" + std::to_string(i), CMCC});
    }
    const PhoneData db(makeDatabase("1", entries));
    ASSERT_EQ(db.entryCount(), count);
    for (uint32_t i = 0; i < count; ++i) {
      EXPECT_EQ(db._lookUp(1300000 + 7 * i).regionCode, "0" + std::to_string(i));
      EXPECT_TRUE(db._lookUp(1300000 + 7 * i + 1).empty());
    }
    EXPECT_TRUE(db._lookUp(1299999).empty());
  }
}

TEST(PhoneDataLookUp, FieldSplitting) {
  struct Case {
    std::string recordText;
    std::vector<std::string> fields;  // text1, text2, text3, regionCode; none: empty record
  };
  const Case cases[] = {
      {"a|b|c|d", {"a", "b", "c", "d"}},
      {"a|b||d|e", {"a", "b", "d", "e"}},  // an empty field moves the rest up
      {"||a|b|c|d||", {"a", "b", "c", "d"}},
      {"a|b|c|d|e|f", {"a", "b", "c", "d"}},  // fields after the fourth are ignored
      {"江苏|常州|213000|0519", {"江苏", "常州", "213000", "0519"}},
      {"a|b||d", {}},  // three non-empty fields
      {"a|b|c", {}},
      {"abcd", {}},
      {"||||", {}},
      {"", {}},
  };
  for (const Case& c : cases) {
    const PhoneData db(makeDatabase("1", {{1380013, c.recordText, CMCC}}));
    const PhoneRecord found = db._lookUp(1380013);
    if (c.fields.empty()) {
      EXPECT_EQ(found, PhoneRecord{}) << c.recordText;
    } else {
      EXPECT_EQ(found, record(CMCC, 1380013, c.fields[0], c.fields[1], c.fields[2], c.fields[3]))
          << c.recordText;
    }
  }
}

TEST(PhoneDataLookUp, TrailingPartialEntryAndRecordRunningToTheEnd) {
  // One whole entry, then 8 bytes: too few for a second entry, so ignored as
  // an entry, but the record of the first entry, which has no NUL byte.
  std::vector<uint8_t> bytes = makeDatabase("1", {{1380013, "", CMCC}});
  const size_t tail = bytes.size();
  for (char c : std::string("a|b|c|01")) bytes.push_back(static_cast<uint8_t>(c));
  store32(&bytes, entryOffset(bytes, 0) + 4, static_cast<uint32_t>(tail));

  const PhoneData db(bytes);
  EXPECT_EQ(db.entryCount(), 1u);
  EXPECT_EQ(db._lookUp(1380013).regionCode, "01");
  EXPECT_TRUE(db._lookUp(1380014).empty());
  EXPECT_EQ(PhoneData::getRecordContent(bytes, tail), "a|b|c|01");
}

TEST(PhoneDataLookUp, CardTypeByteIsPassedOn) {
  const PhoneData db(makeDatabase("1", {{1380013, "a|b|c|d", 200}}));
  EXPECT_EQ(db._lookUp(1380013).type, static_cast<CARDTYPE>(200));
}

TEST(PhoneDataBadFiles, NothingOutsideTheFileIsRead) {
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    std::string version;
  };
  const std::vector<uint8_t> good = makeDatabase("1707", kEntries);
  auto changed = [&](size_t at, uint32_t value) {
    std::vector<uint8_t> bytes = good;
    store32(&bytes, at, value);
    return bytes;
  };
  auto truncated = [&](size_t size) {
    return std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(size));
  };
  const uint32_t size = static_cast<uint32_t>(good.size());
  const Case cases[] = {
      {"empty file", {}, ""},
      {"five bytes", truncated(5), ""},
      {"seven bytes", truncated(7), ""},
      {"header only", truncated(8), "1707"},
      {"index offset past the end", changed(4, 0xFFFFFFFF), "1707"},
      {"index offset at the end", changed(4, size), "1707"},
      {"index offset inside the header", changed(4, 0), "1707"},
      {"index cut in an entry", truncated(entryOffset(good, 0) + 5), "1707"},
      {"record offsets past the end",
       [&] {
         std::vector<uint8_t> bytes = good;
         for (size_t i = 0; i < kEntries.size(); ++i) {
           store32(&bytes, entryOffset(bytes, i) + 4, i % 2 == 0 ? 0xFFFFFFFF : size);
         }
         return bytes;
       }(),
       "1707"},
  };
  for (const Case& c : cases) {
    const PhoneData db(c.bytes);
    EXPECT_EQ(db.version(), c.version) << c.name;
    for (const Entry& entry : kEntries) {
      EXPECT_EQ(db._lookUp(entry.prefix), PhoneRecord{}) << c.name << " " << entry.prefix;
    }
    EXPECT_EQ(db.lookUp("13800138000"), PhoneRecord{}) << c.name;
    EXPECT_EQ(db.regionCodeOf("13800138000"), "") << c.name;
  }
}

// The rank table is made only for an index sorted strictly by seven-digit
// prefixes; with it or without, every prefix of the file and its neighbours
// get the binary search's answer, as a record and as a region code.
TEST(PhoneDataLookUp, PrefixTableAgreesWithTheBinarySearch) {
  const auto entries = [](std::vector<uint32_t> prefixes) {
    std::vector<Entry> list;
    for (const uint32_t prefix : prefixes) {
      list.push_back(
          {prefix, "省" + std::to_string(prefix) + "|市|0|0" + std::to_string(prefix % 97), CMCC});
    }
    return list;
  };
  const struct {
    const char* name;
    std::vector<Entry> entries;
    bool table;
  } cases[] = {
      {"sorted", kEntries, true},
      {"one entry", entries({1380013}), true},
      {"the whole range", entries({1000000, 1000063, 1000064, 1000127, 5555555, 9999999}), true},
      {"a record with three fields", {{1300000, "a|b|c", CMCC}, {1300001, "a|b|c|d", CUCC}}, true},
      // More distinct records than are built once at open: split per lookup.
      {"65,536 distinct records", entries([] {
         std::vector<uint32_t> prefixes(65536);
         for (uint32_t i = 0; i < prefixes.size(); ++i) prefixes[i] = 1300000 + 3 * i;
         return prefixes;
       }()),
       true},
      {"unsorted", entries({1380013, 1300000, 1700000, 1990000}), false},
      {"a middle prefix past the last", entries({1300000, 9000000, 1380013}), false},
      {"a prefix twice", entries({1300000, 1380013, 1380013, 1700000}), false},
      {"a prefix of six digits", entries({999999, 1300000}), false},
      {"a prefix of eight digits", entries({1300000, 10000000}), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> bytes = makeDatabase("1707", c.entries);
    const PhoneData db(bytes);
    EXPECT_EQ(db.hasPrefixTable(), c.table);
    for (const Entry& entry : c.entries) {
      for (const uint32_t prefix : {entry.prefix - 1, entry.prefix, entry.prefix + 1}) {
        const PhoneRecord expected = bisectionLookUp(bytes, prefix);
        EXPECT_EQ(db._lookUp(prefix), expected) << prefix;
        if (prefix < kSmallestPrefix || prefix > kLargestPrefix) continue;
        const std::string number = std::to_string(prefix) + "5678";
        EXPECT_EQ(db.lookUp(number), expected) << number;
        EXPECT_EQ(db.regionCodeOf(number), expected.regionCode) << number;
      }
    }
  }
}

// The version read from the header alone is the loaded file's.
TEST(PhoneDataVersion, HeaderReadAgreesWithTheLoadedFile) {
  testing_support::TempDeviceRoot root;
  const std::string good = phonedata_testing::asString(makeDatabase("1707", kEntries));
  root.write("/db/good.dat", good);
  root.write("/db/short.dat", good.substr(0, 3));
  root.write("/db/header.dat", good.substr(0, 8));
  root.write("/db/seven.dat", good.substr(0, 7));
  root.write("/db/empty.dat", "");
  root.write("/db/big.dat", "");
  ASSERT_EQ(::truncate(root.at("/db/big.dat").c_str(), 40LL << 30), 0);
  ASSERT_EQ(mkfifo(root.at("/db/fifo").c_str(), 0600), 0);
  const struct {
    const char* file;
    const char* version;
  } cases[] = {
      {"/db/good.dat", "1707"}, {"/db/header.dat", "1707"},
      {"/db/short.dat", ""},    {"/db/seven.dat", ""},
      {"/db/empty.dat", ""},    {"/db/big.dat", ""},
      {"/db/fifo", ""},         {"/db", ""},
      {"/db/missing.dat", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(readPhoneDataVersion(root.at(c.file)), c.version) << c.file;
    EXPECT_EQ(PhoneData(root.at(c.file)).version(), c.version) << c.file;
  }
}

TEST(PhoneDataVersion, HeaderText) {
  struct Case {
    std::string version;
    std::string expected;
  };
  const Case cases[] = {
      {"1707", "1707"},
      {"17", "17"},  // two characters, then NUL bytes
      {"", ""},
      {std::string("1\0"
                   "34",
                   4),
       "1"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PhoneData(makeDatabase(c.version, kEntries)).version(), c.expected);
  }
}

TEST(PhoneDataFile, ReadsTheWholeFile) {
  testing_support::TempDeviceRoot root;
  const std::vector<uint8_t> bytes = makeDatabase("1707", kEntries);
  root.write("/db/phone-1707.dat", phonedata_testing::asString(bytes));
  const PhoneData db(root.at("/db/phone-1707.dat"));
  EXPECT_TRUE(db.hasData());
  EXPECT_EQ(db.version(), "1707");
  EXPECT_EQ(db.entryCount(), kEntries.size());
  EXPECT_EQ(db.lookUp("13800138000"), kBeijing);
}

TEST(PhoneDataFile, WithoutAFileThereIsNoData) {
  testing_support::TempDeviceRoot root;
  root.write("/db/placeholder", "");
  ASSERT_EQ(mkfifo(root.at("/db/fifo").c_str(), 0600), 0);
  // Larger than any valid database: refused before anything is read.
  root.write("/db/phone-9999.dat", "");
  ASSERT_EQ(::truncate(root.at("/db/phone-9999.dat").c_str(), 40LL << 30), 0);
  // A FIFO would block a plain open until a writer comes: it must be refused.
  for (const std::string& path : {root.at("/db/missing.dat"), root.at("/db"), root.at("/db/fifo"),
                                  root.at("/db/phone-9999.dat")}) {
    const PhoneData db(path);
    EXPECT_FALSE(db.hasData()) << path;
    EXPECT_EQ(db.version(), "") << path;
    EXPECT_EQ(db.entryCount(), 0u) << path;
    EXPECT_EQ(db.lookUp("13800138000"), PhoneRecord{}) << path;
  }
}

TEST(PhoneDataRecordContent, EndsAtNulOrEndOfData) {
  const std::vector<uint8_t> data = {'a', 'b', 0, 'c', 'd'};
  EXPECT_EQ(PhoneData::getRecordContent(data, 0), "ab");
  EXPECT_EQ(PhoneData::getRecordContent(data, 2), "");
  EXPECT_EQ(PhoneData::getRecordContent(data, 3), "cd");
  EXPECT_EQ(PhoneData::getRecordContent(data, 5), "");
  EXPECT_EQ(PhoneData::getRecordContent(data, UINT64_MAX), "");
}

TEST(GetPhoneType, CarrierNames) {
  EXPECT_EQ(getPhoneType(CMCC), "中国移动");
  EXPECT_EQ(getPhoneType(CUCC), "中国联通");
  EXPECT_EQ(getPhoneType(CTCC), "中国电信");
  EXPECT_EQ(getPhoneType(static_cast<CARDTYPE>(4)), "电信虚拟运营商");
  EXPECT_EQ(getPhoneType(CUCC_V), "联通虚拟运营商");
  EXPECT_EQ(getPhoneType(CMCC_V), "移动虚拟运营商");
}

TEST(GetPhoneType, OutOfRangeIsACallersError) {
  for (int value : {0, 7, -1, 255}) {
#ifdef NDEBUG
    EXPECT_EQ(getPhoneType(static_cast<CARDTYPE>(value)), "") << value;
#else
    EXPECT_DEATH(getPhoneType(static_cast<CARDTYPE>(value)), "type > UNKNOWN") << value;
#endif
  }
}

}  // namespace
