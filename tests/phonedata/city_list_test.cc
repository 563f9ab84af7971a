#include "tools/phonedata/city_list.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tools/phonedata/region_matcher.h"

namespace phonedata {
namespace {

AreaCode area(std::string code, std::string description) {
  std::optional<Place> place = parsePlace(description);
  EXPECT_TRUE(place) << description;
  return AreaCode{std::move(code), std::move(description), place.value_or(Place{})};
}

// Codes in no particular order, as a source might give them.
const std::vector<AreaCode> kCodes = {
    area("0832", "四川省内江市、资阳市"),
    area("028", "四川省成都市、资阳市、眉山市"),
    area("029", "陕西省西安市、咸阳市"),
    area("0999", "新疆伊犁哈萨克自治州"),
    area("0992", "新疆伊犁哈萨克自治州"),
    area("0771", "广西南宁市"),
    area("010", "北京市"),
    area("0731", "湖南省长沙市、湘潭市、株州市"),
};

const CityAlias kAliases[] = {
    {"guangxi", "崇左", "0771"},
    {"xinjiang", "伊犁", "0999"},
    {"guangxi", "贵港", "0775"},  // no such code: left out
    {"hubei", "咸阳", "029"},     // another group's code: left out
};

TEST(BuildCityList, GroupsInDisplayOrderWithAllCitiesOfACode) {
  const std::vector<CityGroup> expected = {
      {"zhixiashi", "直辖市", {{"010", "北京"}}},
      {"hunan", "湖南", {{"0731", "长沙、湘潭、株洲"}}},
      {"guangxi", "广西", {{"0771", "南宁、崇左"}}},
      {"sichuan", "四川", {{"028", "成都、资阳、眉山"}, {"0832", "内江、资阳"}}},
      {"shaanxi", "陕西", {{"029", "西安、咸阳"}}},
      {"xinjiang", "新疆", {{"0992", "伊犁"}, {"0999", "伊犁"}}},
  };
  EXPECT_EQ(buildCityList(kCodes, kAliases), expected);
}

TEST(CityListJson, KeysInOrderAndTextAsUtf8) {
  const std::vector<CityGroup> groups = {
      {"shaanxi", "陕西", {{"0917", "宝鸡"}, {"029", "西安、咸阳"}}},
  };
  const std::string json = cityListJson(groups);
  EXPECT_EQ(json,
            "[\n"
            "  {\n"
            "    \"group\": \"shaanxi\",\n"
            "    \"name\": \"陕西\",\n"
            "    \"cities\": {\n"
            "      \"029\": \"西安、咸阳\",\n"
            "      \"0917\": \"宝鸡\"\n"
            "    }\n"
            "  }\n"
            "]\n");
  EXPECT_EQ(nlohmann::json::parse(json)[0]["cities"]["029"], "西安、咸阳");
}

TEST(RegionMatcher, Match) {
  const RegionMatcher matcher(kCodes, kAliases);
  struct Case {
    std::string description;
    std::optional<RegionMatch> expected;
  };
  const Case cases[] = {
      {"北京市", RegionMatch{"010", MatchKind::kExact}},
      {"广西南宁市", RegionMatch{"0771", MatchKind::kExact}},
      {"陕西省西安市", RegionMatch{"029", MatchKind::kCity}},   // named first
      {"陕西省咸阳市", RegionMatch{"029", MatchKind::kCity}},   // named second
      {"湖南省株洲市", RegionMatch{"0731", MatchKind::kCity}},  // the source's misspelling
      {"四川省资阳市", RegionMatch{"028", MatchKind::kCity}},   // second in both: the lower code
      {"四川省内江市", RegionMatch{"0832", MatchKind::kCity}},
      {"广西崇左市", RegionMatch{"0771", MatchKind::kAlias}},
      {"新疆伊犁哈萨克自治州", RegionMatch{"0999", MatchKind::kAlias}},  // beats the lower 0992
      {"广西贵港市", std::nullopt},  // its alias names a missing code
      {"湖北省咸阳市", std::nullopt},
      {"四川省绵阳市", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(matcher.match(c.description, parsePlace(c.description).value()), c.expected)
        << c.description;
  }
}

TEST(RegionMatcher, EqualDescriptionsGiveTheLowestCode) {
  const RegionMatcher matcher(kCodes, {});
  const std::string description = "新疆伊犁哈萨克自治州";
  EXPECT_EQ(matcher.match(description, parsePlace(description).value()),
            (RegionMatch{"0992", MatchKind::kExact}));
}

}  // namespace
}  // namespace phonedata
