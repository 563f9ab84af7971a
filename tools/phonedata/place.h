// Places as the geocoder describes them ("江苏省常州市", "北京市",
// "广西南宁市", "陕西省西安市、咸阳市"), read into the groups and short city
// names of the city list.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace phonedata {

// A group of the city list: a province, an autonomous region, or the four
// municipalities together under "zhixiashi".
struct Province {
  std::string_view group;  // stable identifier: the pinyin of the name
  std::string_view name;   // short name shown to the user
};

// Every group, in display order (municipalities first, then the order of the
// national administrative division codes).
std::span<const Province> provinces();

// Group identifier of the municipalities.
inline constexpr std::string_view kMunicipalitiesGroup = "zhixiashi";

struct Place {
  std::string group;                // Province::group
  std::string province;             // short province name; the city itself for a municipality
  std::vector<std::string> cities;  // short city names in the order given, at least one

  bool operator==(const Place&) const = default;
};

// The place a description names at city level, or nullopt (country only,
// unknown province, no city). Of several places joined with "、" the cities
// and prefectures are kept and counties dropped; a name given twice is kept
// once; known misspellings of the source are corrected.
[[nodiscard]] std::optional<Place> parsePlace(std::string_view description);

// The short name of one city-level place: "常州市" -> "常州", "大兴安岭地区"
// -> "大兴安岭", "延边朝鲜族自治州" -> "延边", "锡林郭勒盟" -> "锡林郭勒",
// "神农架林区" -> "神农架". nullopt for a county ("仲巴县") or a name of no
// known kind ("双湖").
[[nodiscard]] std::optional<std::string> shortCityName(std::string_view name);

// Splits text at every separator, dropping empty pieces.
std::vector<std::string_view> splitNonEmpty(std::string_view text, std::string_view separator);

}  // namespace phonedata
