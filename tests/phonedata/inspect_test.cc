#include "tools/phonedata/inspect.h"

#include <gtest/gtest.h>

#include "phonedata/test_database.h"
#include "statics/phonedata.h"

namespace phonedata {
namespace {

using phonedata_testing::entryOffset;
using phonedata_testing::makeDatabase;
using phonedata_testing::store32;

const std::vector<phonedata_testing::Entry> kEntries = {
    {1300000, "江苏|常州|000000|0519", CUCC},
    {1380013, "北京|北京|000000|010", CMCC},
    {1380014, "北京|北京|000000|010", CMCC},
};

std::optional<DatabaseSummary> inspect(const std::vector<uint8_t>& bytes, std::string* problem) {
  Result<DatabaseSummary> summary = inspectDatabase(bytes);
  *problem = summary.error();
  return std::move(summary).toOptional();
}

TEST(InspectDatabase, SumsUpAValidFile) {
  std::vector<uint8_t> bytes = makeDatabase("1707", kEntries);
  bytes.push_back(0x55);  // a trailing partial entry
  std::string problem;
  const std::optional<DatabaseSummary> summary = inspect(bytes, &problem);
  ASSERT_TRUE(summary) << problem;
  EXPECT_EQ(summary->version, "1707");
  EXPECT_EQ(summary->size, bytes.size());
  EXPECT_EQ(summary->entryCount, 3u);
  EXPECT_EQ(summary->recordCount, 2u);  // the same text twice is one record
  EXPECT_EQ(summary->firstPrefix, 1300000u);
  EXPECT_EQ(summary->lastPrefix, 1380014u);
  EXPECT_EQ(summary->trailingBytes, 1u);
}

TEST(InspectDatabase, NamesWhatIsWrong) {
  const std::vector<uint8_t> good = makeDatabase("1707", kEntries);
  auto changed = [&](size_t at, uint32_t value) {
    std::vector<uint8_t> bytes = good;
    store32(&bytes, at, value);
    return bytes;
  };
  auto withType = [&](uint8_t type) {
    std::vector<uint8_t> bytes = good;
    bytes[entryOffset(bytes, 1) + 8] = type;
    return bytes;
  };
  const size_t entry1 = entryOffset(good, 1);
  const std::pair<std::vector<uint8_t>, std::string> cases[] = {
      {{'1', '7', '0'}, "3 bytes, fewer than the 8-byte header"},
      {changed(4, 3), "index offset 3 lies inside the 8-byte header"},
      {changed(4, 0xFFFFFFFF), "index offset 4294967295 lies past the end of the file"},
      {makeDatabase("1707", {}), "the index holds no entries"},
      {changed(entry1, 999999), "entry 1 (prefix 999999): the prefix is not a seven-digit number"},
      {changed(entry1, 1200000), "entry 1 (prefix 1200000): not above the prefix 1300000"},
      {changed(entry1, 1300000), "not above the prefix 1300000"},
      {changed(entry1 + 4, 2), "record offset 2 lies outside the record region"},
      {changed(entry1 + 4, static_cast<uint32_t>(entryOffset(good, 0))),
       "lies outside the record region"},
      {withType(0), "entry 1 (prefix 1380013): the card type 0 names no carrier"},
      {withType(7), "the card type 7 names no carrier"},
      {makeDatabase("1707", {{1300000, "江苏|常州||0519", CMCC}}),
       "the record \"江苏|常州||0519\" has fewer than four fields"},
      {makeDatabase("1707", {{1300000, "a|b|c\td", CMCC}}),
       "the record \"a|b|c?d\" has fewer than four fields"},
  };
  for (const auto& [bytes, expected] : cases) {
    std::string problem;
    EXPECT_FALSE(inspect(bytes, &problem)) << expected;
    EXPECT_NE(problem.find(expected), std::string::npos) << problem;
  }
}

TEST(InspectDatabase, RecordMustEndBeforeTheIndex) {
  std::vector<uint8_t> bytes = makeDatabase("1707", {{1300000, "a|b|c|d", CMCC}});
  const size_t nul = entryOffset(bytes, 0) - 1;
  bytes[nul] = 'x';
  std::string problem;
  EXPECT_FALSE(inspect(bytes, &problem));
  EXPECT_NE(problem.find("has no NUL byte before the index"), std::string::npos) << problem;
}

}  // namespace
}  // namespace phonedata
