// The city list resource (statics/contracts/city_list.h) as the region editor uses it: groups
// (provinces) in display order, each with its cities by area code and the
// area codes sorted by plain string comparison ("allCityKeys").
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gui {

struct CityGroup {
  std::string group;                          // "group": identifier, stored in the group lists
  std::string name;                           // "name": display name, section title
  std::map<std::string, std::string> cities;  // "cities": city key -> city name
  std::vector<std::string> allCityKeys;       // keys of cities, ascending by plain comparison

  // The name of cityKey, "" when the group has no such city.
  std::string cityName(const std::string& cityKey) const;
};

// Builds a group; allCityKeys is filled from cities.
CityGroup makeCityGroup(std::string group, std::string name,
                        std::map<std::string, std::string> cities);

// The groups of a city list document, in file order. The document is a JSON
// array of objects {"group", "name", "cities"}; what does not fit is left
// out rather than refused: elements that are not objects, groups without a
// text "group", cities whose name is not text. A missing "name" reads as "".
// nullopt when bytes are not JSON or not an array.
[[nodiscard]] std::optional<std::vector<CityGroup>> parseCityGroups(std::string_view bytes);

// Reads and parses the file at path; an empty list when it is missing or
// unreadable (the screen then shows an empty table).
std::vector<CityGroup> loadCityGroups(const std::string& path);

}  // namespace gui
