// Lookups in the city list by group identifier and by city key, as the main
// screen makes them (the first match in list order wins).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hushgate-gui/core/models/city_groups.h"
#include "statics/screening/screening.h"

namespace gui {

// The group identifier of the municipalities, whose cities are named without
// a province.
inline constexpr char kMunicipalityGroup[] = "zhixiashi";

// The first group whose identifier is group, or nullptr. The pointer refers
// into cityGroups.
const CityGroup* findCitiesGroupByGroup(const std::vector<CityGroup>& cityGroups,
                                        std::string_view group);

// What is known of a city key.
struct CityInfo {
  std::string province;    // the group's "name"
  bool zhixiashi = false;  // the group is the municipalities' group
  std::string city;        // the city's name in that group

  bool operator==(const CityInfo&) const = default;
};

// The city of the first group (in list order) that has code, or nullopt.
[[nodiscard]] std::optional<CityInfo> findCityInfoWithCode(const std::vector<CityGroup>& cityGroups,
                                                           std::string_view code);

// How a place is shown: the city alone for a municipality, otherwise the
// province and the city joined with "%@ - %@".
std::string placeText(const CityInfo& info);

// A code's city name ("深圳"), as the rule texts name places; "" for a code
// the list does not have. The lookup holds its own copy of the list.
PlaceLookup cityNameLookup(std::vector<CityGroup> cityGroups);

}  // namespace gui
