#include "hushgate-gui/core/models/city_lookup.h"

#include <memory>
#include <utility>

#include "statics/format.h"

namespace gui {

const CityGroup* findCitiesGroupByGroup(const std::vector<CityGroup>& cityGroups,
                                        std::string_view group) {
  for (const CityGroup& candidate : cityGroups) {
    if (candidate.group == group) return &candidate;
  }
  return nullptr;
}

std::optional<CityInfo> findCityInfoWithCode(const std::vector<CityGroup>& cityGroups,
                                             std::string_view code) {
  for (const CityGroup& group : cityGroups) {
    const auto it = group.cities.find(std::string(code));
    if (it == group.cities.end()) continue;
    return CityInfo{group.name, group.group == kMunicipalityGroup, it->second};
  }
  return std::nullopt;
}

std::string placeText(const CityInfo& info) {
  if (info.zhixiashi) return info.city;
  return stringWithFormat("%@ - %@", info.province, info.city);
}

PlaceLookup cityNameLookup(std::vector<CityGroup> cityGroups) {
  auto groups = std::make_shared<const std::vector<CityGroup>>(std::move(cityGroups));
  return [groups](const std::string& code) {
    const std::optional<CityInfo> info = findCityInfoWithCode(*groups, code);
    return info ? info->city : std::string();
  };
}

}  // namespace gui
