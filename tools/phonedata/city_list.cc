#include "tools/phonedata/city_list.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "statics/contracts/city_list.h"

namespace phonedata {

namespace {

constexpr std::string_view kNameSeparator = "、";

std::string joinNames(const std::vector<std::string>& names) {
  std::string joined;
  for (const std::string& name : names) {
    if (!joined.empty()) joined += kNameSeparator;
    joined += name;
  }
  return joined;
}

}  // namespace

std::vector<CityGroup> buildCityList(std::span<const AreaCode> codes,
                                     std::span<const CityAlias> aliases) {
  // Names of each code and the group it lies in.
  std::map<std::string, std::vector<std::string>> names;
  std::map<std::string, std::string> groupOfCode;
  for (const AreaCode& code : codes) {
    names[code.code] = code.place.cities;
    groupOfCode[code.code] = code.place.group;
  }
  for (const CityAlias& alias : aliases) {
    auto group = groupOfCode.find(std::string(alias.code));
    if (group == groupOfCode.end() || group->second != alias.group) continue;
    std::vector<std::string>& list = names[group->first];
    if (std::find(list.begin(), list.end(), alias.city) == list.end()) {
      list.emplace_back(alias.city);
    }
  }

  std::vector<CityGroup> groups;
  for (const Province& province : provinces()) {
    CityGroup group{std::string(province.group), std::string(province.name), {}};
    for (const auto& [code, groupId] : groupOfCode) {
      if (groupId == province.group) group.cities[code] = joinNames(names[code]);
    }
    if (!group.cities.empty()) groups.push_back(std::move(group));
  }
  return groups;
}

std::string cityListJson(std::span<const CityGroup> groups) {
  nlohmann::ordered_json document = nlohmann::ordered_json::array();
  for (const CityGroup& group : groups) {
    nlohmann::ordered_json cities = nlohmann::ordered_json::object();
    for (const auto& [code, name] : group.cities) cities[code] = name;
    document.push_back({{kCityGroupKey, group.group},
                        {kCityGroupNameKey, group.name},
                        {kCityGroupCitiesKey, cities}});
  }
  return document.dump(2) + "\n";
}

}  // namespace phonedata
