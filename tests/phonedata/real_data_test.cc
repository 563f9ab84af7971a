// Checks of the database and city list that the build made from the geocoder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <set>
#include <sstream>

#include "phonedata/test_database.h"
#include "statics/MobileRegionDetector.h"
#include "statics/phonedata.h"
#include "support/temp_root.h"
#include "tools/phonedata/builder.h"
#include "tools/phonedata/card_types.h"
#include "tools/phonedata/commands.h"
#include "tools/phonedata/geocoder.h"
#include "tools/phonedata/place.h"

namespace phonedata {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The city list as the settings application reads it: for each group, each
// code's cities.
struct CityList {
  struct Code {
    std::string group;
    std::set<std::string> cities;
  };
  std::map<std::string, std::string> groupNames;
  std::map<std::string, Code> codes;

  static CityList load(const std::string& path) {
    CityList list;
    for (const nlohmann::json& group : nlohmann::json::parse(readFile(path))) {
      const std::string id = group.at("group");
      list.groupNames[id] = group.at("name");
      for (const auto& [code, names] : group.at("cities").items()) {
        Code& entry = list.codes[code];
        entry.group = id;
        const std::string joined = names.get<std::string>();
        for (std::string_view city : splitNonEmpty(joined, "、")) {
          entry.cities.emplace(city);
        }
      }
    }
    return list;
  }

  // The codes of the place's group that name its city.
  std::set<std::string> codesOf(const Place& place) const {
    std::set<std::string> found;
    for (const auto& [code, entry] : codes) {
      if (entry.group == place.group && entry.cities.count(place.cities.front()))
        found.insert(code);
    }
    return found;
  }
};

class RealData : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    detector_ = new MobileRegionDetector(HUSHGATE_PHONEDATA_DIR);
    cities_ = new CityList(CityList::load(HUSHGATE_CITIES_JSON));
  }
  static void TearDownTestSuite() {
    delete detector_;
    delete cities_;
  }

  static MobileRegionDetector* detector_;
  static CityList* cities_;
};

MobileRegionDetector* RealData::detector_ = nullptr;
CityList* RealData::cities_ = nullptr;

TEST_F(RealData, CityListCoversEveryProvince) {
  std::set<std::string> expectedGroups;
  for (const Province& province : provinces()) expectedGroups.emplace(province.group);
  std::set<std::string> groups;
  for (const auto& [group, name] : cities_->groupNames) groups.insert(group);
  EXPECT_EQ(groups, expectedGroups);

  for (const auto& [code, entry] : cities_->codes) {
    EXPECT_TRUE(code.size() == 3 || code.size() == 4) << code;
    EXPECT_EQ(code.find_first_not_of("0123456789"), std::string::npos) << code;
    EXPECT_EQ(code.front(), '0') << code;
    EXPECT_FALSE(entry.cities.empty()) << code;
  }
  for (const char* code : {"010", "021", "022", "023"}) {
    EXPECT_EQ(cities_->codes.at(code).group, "zhixiashi") << code;
  }
  EXPECT_EQ(cities_->codes.at("029").cities, (std::set<std::string>{"西安", "咸阳"}));
  EXPECT_GE(cities_->codes.size(), 300u);
}

// Every entry names a city key of the city list that serves its city, in the
// group of its province, and every entry is found by the bisection.
TEST_F(RealData, EveryEntryIsACityOfTheCityList) {
  const PhoneData& db = *detector_->phonedata();
  ASSERT_GT(db.entryCount(), 300000u);
  size_t found = 0;
  for (uint32_t block = kFirstMobileBlock; block <= kLastMobileBlock; ++block) {
    const PhoneRecord record = db._lookUp(block);
    if (record.empty()) continue;
    ++found;
    ASSERT_EQ(record.phonePrefix, block);
    ASSERT_EQ(record.type, cardTypeOfBlock(block)) << block;
    ASSERT_EQ(record.text3, kUnknownZipCode) << block;
    const auto code = cities_->codes.find(record.regionCode);
    ASSERT_NE(code, cities_->codes.end()) << block << " " << record.regionCode;
    ASSERT_TRUE(code->second.cities.count(record.text2)) << block << " " << record.text2;
    const std::string& groupName = cities_->groupNames.at(code->second.group);
    ASSERT_TRUE(groupName == record.text1 || code->second.group == kMunicipalitiesGroup)
        << block << " " << record.text1;
  }
  EXPECT_EQ(found, db.entryCount());
}

// An area code's place is a city the city list gives the code; a code that
// no block has has none.
TEST_F(RealData, PlacesOfRegionCodesAreCitiesOfTheCityList) {
  EXPECT_EQ(detector_->placeOfRegionCode("0755"), "深圳");
  EXPECT_EQ(detector_->placeOfRegionCode("010"), "北京");
  for (const std::string code : {"", "0000", "755", "07555"}) {
    EXPECT_EQ(detector_->placeOfRegionCode(code), "") << code;
  }
  size_t named = 0;
  for (const auto& [code, entry] : cities_->codes) {
    const std::string place = detector_->placeOfRegionCode(code);
    if (place.empty()) continue;
    ++named;
    EXPECT_TRUE(entry.cities.count(place)) << code << " " << place;
  }
  EXPECT_GE(named, 300u);
}

// The rank table answers every prefix of the real database, and every
// prefix between its entries, as the binary search over the file does: the
// record, and the region code alone.
TEST_F(RealData, PrefixTableAgreesWithTheBinarySearch) {
  const std::optional<std::string> path = findDatabaseFile(HUSHGATE_PHONEDATA_DIR);
  ASSERT_TRUE(path.has_value());
  const std::string text = readFile(*path);
  const std::vector<uint8_t> bytes(text.begin(), text.end());
  const PhoneData db(bytes);
  ASSERT_TRUE(db.hasPrefixTable());
  const uint32_t index = phonedata_testing::load32(bytes, 4);
  const uint32_t first = phonedata_testing::load32(bytes, index);
  const uint32_t last = phonedata_testing::load32(bytes, index + 9 * (db.entryCount() - 1));
  size_t found = 0;
  for (uint32_t prefix = first - 64; prefix <= last + 64; ++prefix) {
    const PhoneRecord expected = phonedata_testing::bisectionLookUp(bytes, prefix);
    found += !expected.empty();
    ASSERT_EQ(db._lookUp(prefix), expected) << prefix;
    ASSERT_EQ(db.regionCodeOf(std::to_string(prefix) + "0000"), expected.regionCode) << prefix;
  }
  EXPECT_EQ(found, db.entryCount());
}

// For random numbers, the region code is the code that the geocoder's place of
// the number has in the city list; numbers it does not place at city level
// have none.
TEST_F(RealData, RegionCodesAgreeWithTheGeocoder) {
  const Geocoder geocoder;
  std::mt19937 random(20240607);
  std::uniform_int_distribution<uint32_t> blocks(kFirstMobileBlock, kLastMobileBlock);
  std::uniform_int_distribution<uint32_t> lines(0, 9999);
  size_t cityLevel = 0;
  size_t ambiguous = 0;
  constexpr size_t kSamples = 20000;
  for (size_t i = 0; i < kSamples; ++i) {
    const std::string number = std::to_string(uint64_t{blocks(random)} * 10000 + lines(random));
    const std::optional<Place> place = parsePlace(geocoder.describeNumber(number));
    const std::string regionCode = detector_->detectRegionCode(number);
    if (!place) {
      EXPECT_EQ(regionCode, "") << number;
      continue;
    }
    ++cityLevel;
    const std::set<std::string> codes = cities_->codesOf(*place);
    ASSERT_FALSE(codes.empty()) << number << " " << place->cities.front();
    if (codes.size() > 1) ++ambiguous;
    EXPECT_TRUE(codes.count(regionCode)) << number << " " << regionCode;
  }
  EXPECT_GE(cityLevel, 8000u);  // about 46% of all blocks
  EXPECT_LT(ambiguous, cityLevel / 10);
}

// The build is deterministic, removes databases of earlier builds, and gives
// the files that the build of this tree made.
TEST_F(RealData, BuildCommandRebuildsTheSameFiles) {
  testing_support::TempDeviceRoot root;
  const std::string outDir = root.at("/out");
  root.write("/out/phone-0000.dat", "stale");
  std::ostringstream out;
  std::ostringstream err;
  ASSERT_EQ(runCommand(std::vector<std::string>{"build", "--out-dir", outDir}, out, err), 0)
      << err.str();
  EXPECT_EQ(err.str(), "");
  EXPECT_NE(out.str().find("unmapped 0, no carrier 0"), std::string::npos) << out.str();

  const std::optional<std::string> built = findDatabaseFile(outDir);
  ASSERT_TRUE(built);
  EXPECT_FALSE(fs::exists(outDir + "/phone-0000.dat"));
  const std::optional<std::string> original = findDatabaseFile(HUSHGATE_PHONEDATA_DIR);
  ASSERT_TRUE(original);
  EXPECT_EQ(fs::path(*built).filename(), fs::path(*original).filename());
  EXPECT_TRUE(readFile(*built) == readFile(*original));
  EXPECT_TRUE(readFile(outDir + "/cities.json") == readFile(HUSHGATE_CITIES_JSON));
}

}  // namespace
}  // namespace phonedata
