#include "tools/phonedata/place.h"

#include <algorithm>
#include <array>

namespace phonedata {

namespace {

constexpr Province kProvinces[] = {
    {kMunicipalitiesGroup, "直辖市"},
    {"hebei", "河北"},
    {"shanxi", "山西"},
    {"neimenggu", "内蒙古"},
    {"liaoning", "辽宁"},
    {"jilin", "吉林"},
    {"heilongjiang", "黑龙江"},
    {"jiangsu", "江苏"},
    {"zhejiang", "浙江"},
    {"anhui", "安徽"},
    {"fujian", "福建"},
    {"jiangxi", "江西"},
    {"shandong", "山东"},
    {"henan", "河南"},
    {"hubei", "湖北"},
    {"hunan", "湖南"},
    {"guangdong", "广东"},
    {"guangxi", "广西"},
    {"hainan", "海南"},
    {"sichuan", "四川"},
    {"guizhou", "贵州"},
    {"yunnan", "云南"},
    {"xizang", "西藏"},
    {"shaanxi", "陕西"},
    {"gansu", "甘肃"},
    {"qinghai", "青海"},
    {"ningxia", "宁夏"},
    {"xinjiang", "新疆"},
};

constexpr std::string_view kMunicipalities[] = {"北京", "天津", "上海", "重庆"};

// What may follow a province's short name in a description (the source
// writes "江苏省" but "广西", without "壮族自治区").
constexpr std::string_view kProvinceSuffixes[] = {"省", "壮族自治区", "回族自治区", "维吾尔自治区",
                                                  "自治区"};

constexpr std::string_view kCitySeparator = "、";

// Kinds of city-level place, by the end of their name.
constexpr std::string_view kAutonomousPrefecture = "自治州";
constexpr std::string_view kCitySuffixes[] = {"地区", "林区", "盟", "市"};

// Peoples named in the names of autonomous prefectures, after the place:
// "德宏傣族景颇族自治州" is 德宏.
constexpr std::string_view kPeoples[] = {
    "朝鲜族", "傣族",   "景颇族", "土家族",   "苗族",   "藏族", "羌族",
    "彝族",   "白族",   "哈尼族", "壮族",     "傈僳族", "回族", "布依族",
    "侗族",   "蒙古族", "蒙古",   "柯尔克孜", "哈萨克",
};

// Misspellings in the source's descriptions and their correct names.
constexpr std::array<std::pair<std::string_view, std::string_view>, 1> kCorrections = {{
    {"株州", "株洲"},  // in the description of 0731; the mobile data spells it right
}};

// A UTF-8 text of at least two characters (every character here is 3 bytes).
bool hasTwoCharacters(std::string_view text) {
  return text.size() >= 6;
}

bool removeSuffix(std::string_view* text, std::string_view suffix) {
  if (!text->ends_with(suffix) ||
      !hasTwoCharacters(text->substr(0, text->size() - suffix.size()))) {
    return false;
  }
  text->remove_suffix(suffix.size());
  return true;
}

}  // namespace

std::span<const Province> provinces() {
  return kProvinces;
}

std::vector<std::string_view> splitNonEmpty(std::string_view text, std::string_view separator) {
  std::vector<std::string_view> pieces;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(separator, start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) pieces.push_back(text.substr(start, end - start));
    start = end + separator.size();
  }
  return pieces;
}

std::optional<std::string> shortCityName(std::string_view name) {
  std::string_view rest = name;
  bool known = false;
  if (removeSuffix(&rest, kAutonomousPrefecture)) {
    known = true;
    for (bool removed = true; removed;) {
      removed = false;
      for (std::string_view people : kPeoples) removed = removed || removeSuffix(&rest, people);
    }
  } else {
    for (std::string_view suffix : kCitySuffixes) {
      if (removeSuffix(&rest, suffix)) {
        known = true;
        break;
      }
    }
  }
  if (!known) return std::nullopt;
  for (const auto& [wrong, right] : kCorrections) {
    if (rest == wrong) return std::string(right);
  }
  return std::string(rest);
}

std::optional<Place> parsePlace(std::string_view description) {
  for (std::string_view city : kMunicipalities) {
    if (description == city || description == std::string(city) + "市") {
      return Place{std::string(kMunicipalitiesGroup), std::string(city), {std::string(city)}};
    }
  }
  for (const Province& province : kProvinces) {
    if (province.group == kMunicipalitiesGroup || !description.starts_with(province.name)) continue;
    std::string_view rest = description.substr(province.name.size());
    for (std::string_view suffix : kProvinceSuffixes) {
      if (rest.starts_with(suffix)) {
        rest.remove_prefix(suffix.size());
        break;
      }
    }
    Place place{std::string(province.group), std::string(province.name), {}};
    for (std::string_view item : splitNonEmpty(rest, kCitySeparator)) {
      std::optional<std::string> city = shortCityName(item);
      if (city &&
          std::find(place.cities.begin(), place.cities.end(), *city) == place.cities.end()) {
        place.cities.push_back(std::move(*city));
      }
    }
    if (place.cities.empty()) return std::nullopt;
    return place;
  }
  return std::nullopt;
}

}  // namespace phonedata
