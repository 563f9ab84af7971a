#include "hushgate-gui/core/models/pref_upgrade.h"

#include "hushgate-gui/core/models/city_lookup.h"
#include "hushgate-gui/core/models/pref_lists.h"

namespace gui {

bool needsFlattenedListRepair(const Json& doc) {
  return doc.is_object() && !doc.contains(kVersionKey);
}

Json rebuiltFlattenedCityKeys(const Json& doc, const ZoneKeys& keys,
                              const std::vector<CityGroup>& cityGroups) {
  Json flattened = Json::array();
  for (const Json& identifier : prefArray(doc, keys.groups)) {
    if (!identifier.is_string()) continue;
    const CityGroup* group =
        findCitiesGroupByGroup(cityGroups, identifier.get_ref<const std::string&>());
    if (group == nullptr) continue;
    for (const std::string& key : group->allCityKeys) flattened.push_back(key);
  }
  for (const auto& entry : prefObject(doc, keys.cities).items()) {
    if (!entry.value().is_array()) continue;
    for (const Json& key : entry.value()) {
      if (key.is_string()) appendUnlessPresent(flattened, key.get_ref<const std::string&>());
    }
  }
  return flattened;
}

void rebuildFlattenedCityLists(Json& doc, const std::vector<CityGroup>& cityGroups) {
  if (!doc.is_object()) return;
  for (const ZoneKeys* keys : {&kLandlineZoneKeys, &kMobileZoneKeys}) {
    doc[keys->flattened] = rebuiltFlattenedCityKeys(doc, *keys, cityGroups);
  }
}

}  // namespace gui
