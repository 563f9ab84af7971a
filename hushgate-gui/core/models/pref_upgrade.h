// The repair of main documents written before release 1.3.0, whose flattened
// region lists could disagree with the group and city selections. A document
// without kVersionKey is taken as such a document (this includes the default
// document of a first start); saving it stamps kVersionKey, so the repair runs
// once per document.
#pragma once

#include <nlohmann/json.hpp>
#include <vector>

#include "hushgate-gui/core/models/city_groups.h"
#include "hushgate-gui/core/models/zone_keys.h"

namespace gui {

// Whether doc is a main document to repair: an object without kVersionKey.
bool needsFlattenedListRepair(const nlohmann::json& doc);

// The flattened list of one rule set, rebuilt from the document: first every
// city key of each group named in the group list (in order, the group looked
// up with findCitiesGroupByGroup, without a duplicate test), then every key
// listed in the arrays of the city object that is not in the list yet.
// Identifiers without a group, and values that are not of the expected JSON
// type, add nothing.
nlohmann::json rebuiltFlattenedCityKeys(const nlohmann::json& doc, const ZoneKeys& keys,
                                        const std::vector<CityGroup>& cityGroups);

// Replaces both flattened lists of doc (an object) by their rebuilt forms.
void rebuildFlattenedCityLists(nlohmann::json& doc, const std::vector<CityGroup>& cityGroups);

}  // namespace gui
