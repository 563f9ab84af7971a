#include "hushgate-gui/core/models/city_groups.h"

#include <nlohmann/json.hpp>

#include "statics/Log.h"
#include "statics/atomic_file.h"
#include "statics/contracts/city_list.h"
#include "statics/json_document.h"

namespace gui {

std::string CityGroup::cityName(const std::string& cityKey) const {
  const auto it = cities.find(cityKey);
  return it == cities.end() ? std::string() : it->second;
}

CityGroup makeCityGroup(std::string group, std::string name,
                        std::map<std::string, std::string> cities) {
  CityGroup result{std::move(group), std::move(name), std::move(cities), {}};
  // std::map orders std::string keys by plain character comparison.
  for (const auto& [key, cityName] : result.cities) result.allCityKeys.push_back(key);
  return result;
}

std::optional<std::vector<CityGroup>> parseCityGroups(std::string_view bytes) {
  const std::optional<nlohmann::json> document = parseJsonDocument(bytes);
  if (!document || !document->is_array()) return std::nullopt;
  std::vector<CityGroup> groups;
  for (const nlohmann::json& element : *document) {
    if (!element.is_object()) continue;
    const auto group = element.find(kCityGroupKey);
    if (group == element.end() || !group->is_string()) continue;
    const auto name = element.find(kCityGroupNameKey);
    std::map<std::string, std::string> cities;
    const auto list = element.find(kCityGroupCitiesKey);
    if (list != element.end() && list->is_object()) {
      for (const auto& [key, cityName] : list->items()) {
        if (cityName.is_string()) cities.emplace(key, cityName.get<std::string>());
      }
    }
    groups.push_back(makeCityGroup(
        group->get<std::string>(),
        name != element.end() && name->is_string() ? name->get<std::string>() : std::string(),
        std::move(cities)));
  }
  return groups;
}

std::vector<CityGroup> loadCityGroups(const std::string& path) {
  const std::optional<std::string> bytes = readWholeFile(path);
  if (!bytes) {
    Log("== city list not readable: %@", path);
    return {};
  }
  std::optional<std::vector<CityGroup>> groups = parseCityGroups(*bytes);
  if (!groups) {
    Log("== city list not a JSON array: %@", path);
    return {};
  }
  return std::move(*groups);
}

}  // namespace gui
