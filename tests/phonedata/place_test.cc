#include "tools/phonedata/place.h"

#include <gtest/gtest.h>

#include <set>

namespace phonedata {
namespace {

TEST(ParsePlace, Descriptions) {
  struct Case {
    std::string description;
    std::optional<Place> expected;
  };
  const Case cases[] = {
      {"江苏省常州市", Place{"jiangsu", "江苏", {"常州"}}},
      {"北京市", Place{"zhixiashi", "北京", {"北京"}}},
      {"天津", Place{"zhixiashi", "天津", {"天津"}}},  // the mobile data drops the "市"
      {"广西南宁市", Place{"guangxi", "广西", {"南宁"}}},
      {"广西壮族自治区南宁市", Place{"guangxi", "广西", {"南宁"}}},
      {"新疆维吾尔自治区乌鲁木齐市", Place{"xinjiang", "新疆", {"乌鲁木齐"}}},
      {"西藏自治区拉萨市", Place{"xizang", "西藏", {"拉萨"}}},
      {"陕西省西安市、咸阳市", Place{"shaanxi", "陕西", {"西安", "咸阳"}}},
      {"山西省太原市", Place{"shanxi", "山西", {"太原"}}},
      {"湖北省襄樊市、襄樊市", Place{"hubei", "湖北", {"襄樊"}}},
      {"湖南省长沙市、湘潭市、株州市", Place{"hunan", "湖南", {"长沙", "湘潭", "株洲"}}},
      {"西藏那曲地区、嘉黎县、聂荣县、申扎县、双湖、班戈县、尼玛县",
       Place{"xizang", "西藏", {"那曲"}}},
      {"吉林省延边朝鲜族自治州、珲春市、延吉市", Place{"jilin", "吉林", {"延边", "珲春", "延吉"}}},
      {"吉林省吉林市", Place{"jilin", "吉林", {"吉林"}}},
      {"新疆伊犁哈萨克自治州", Place{"xinjiang", "新疆", {"伊犁"}}},
      {"青海省海西蒙古族藏族自治州", Place{"qinghai", "青海", {"海西"}}},
      {"青海省海南藏族自治州", Place{"qinghai", "青海", {"海南"}}},
      {"海南省海口市", Place{"hainan", "海南", {"海口"}}},
      {"云南省德宏傣族景颇族自治州", Place{"yunnan", "云南", {"德宏"}}},
      {"内蒙古锡林郭勒盟", Place{"neimenggu", "内蒙古", {"锡林郭勒"}}},
      {"湖北省神农架林区", Place{"hubei", "湖北", {"神农架"}}},
      {"黑龙江省大兴安岭地区", Place{"heilongjiang", "黑龙江", {"大兴安岭"}}},
      {"中国", std::nullopt},
      {"", std::nullopt},
      {"江苏省", std::nullopt},
      {"西藏仲巴县", std::nullopt},
      {"火星省火星市", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(parsePlace(c.description), c.expected) << c.description;
}

TEST(ShortCityName, KindsOfPlace) {
  const std::pair<std::string, std::optional<std::string>> cases[] = {
      {"常州市", "常州"},
      {"大兴安岭地区", "大兴安岭"},
      {"锡林郭勒盟", "锡林郭勒"},
      {"兴安盟", "兴安"},
      {"神农架林区", "神农架"},
      {"延边朝鲜族自治州", "延边"},
      {"博尔塔拉蒙古自治州", "博尔塔拉"},
      {"克孜勒苏柯尔克孜自治州", "克孜勒苏"},
      {"株州市", "株洲"},
      {"仲巴县", std::nullopt},
      {"双湖", std::nullopt},
      {"市", std::nullopt},
      {"沙市", std::nullopt},  // one character would be left
  };
  for (const auto& [name, expected] : cases) EXPECT_EQ(shortCityName(name), expected) << name;
}

TEST(SplitNonEmpty, DropsEmptyPieces) {
  using Pieces = std::vector<std::string_view>;
  EXPECT_EQ(splitNonEmpty("a|b", "|"), (Pieces{"a", "b"}));
  EXPECT_EQ(splitNonEmpty("|a||b|", "|"), (Pieces{"a", "b"}));
  EXPECT_EQ(splitNonEmpty("", "|"), Pieces{});
  EXPECT_EQ(splitNonEmpty("西安、咸阳", "、"), (Pieces{"西安", "咸阳"}));
}

TEST(Provinces, ThirtyOneDivisionsInTwentyEightGroups) {
  std::set<std::string_view> groups;
  for (const Province& province : provinces()) {
    EXPECT_TRUE(groups.insert(province.group).second) << province.group;
    EXPECT_FALSE(province.name.empty());
  }
  EXPECT_EQ(groups.size(), 28u);  // 27 provinces and regions, and the 4 municipalities together
  EXPECT_EQ(provinces().front().group, kMunicipalitiesGroup);
}

}  // namespace
}  // namespace phonedata
