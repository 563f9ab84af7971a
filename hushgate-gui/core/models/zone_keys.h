// The preference keys of the region editor's two rule sets. Each object that
// changes a list picks the set by its own forMobile flag; the sets are never
// mixed.
#pragma once

#include "statics/contracts/pref_document.h"

namespace gui {

struct ZoneKeys {
  const char* groups;     // group identifiers of wholly blocked groups
  const char* cities;     // object: group identifier -> singly blocked city keys
  const char* flattened;  // every blocked city key once
};

inline constexpr ZoneKeys kLandlineZoneKeys{kBlockedGroupsKey, kBlockedCitiesKey,
                                            kBlockedCitiesFlattenedKey};
inline constexpr ZoneKeys kMobileZoneKeys{kMobileBlockedGroupsKey, kMobileBlockedCitiesKey,
                                          kMobileBlockedCitiesFlattenedKey};

inline const ZoneKeys& zoneKeys(bool forMobile) {
  return forMobile ? kMobileZoneKeys : kLandlineZoneKeys;
}

}  // namespace gui
