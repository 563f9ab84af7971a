// The city list resource (statics/contracts/city_list.h): groups in display order,
// each mapping its area codes to the cities they serve.
#pragma once

#include <map>
#include <span>
#include <string>
#include <vector>

#include "tools/phonedata/area_codes.h"

namespace phonedata {

struct CityGroup {
  std::string group;                          // "jiangsu", "zhixiashi"
  std::string name;                           // "江苏", "直辖市"
  std::map<std::string, std::string> cities;  // "0519" -> "常州"; "029" -> "西安、咸阳"

  bool operator==(const CityGroup&) const = default;
};

// The groups of provinces() that have at least one code, in display order.
// A code's name lists the cities of its landline description, then the alias
// cities that dial under it, joined with "、". Aliases whose code is not among
// codes, or lies in another group, are left out.
std::vector<CityGroup> buildCityList(std::span<const AreaCode> codes,
                                     std::span<const CityAlias> aliases);

// The JSON document: an array of {"group", "name", "cities"} objects, keys in
// that order, cities by ascending code, indented by two spaces, UTF-8.
std::string cityListJson(std::span<const CityGroup> groups);

}  // namespace phonedata
