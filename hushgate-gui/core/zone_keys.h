// The preference keys of the region editor's two rule sets. Each object that
// changes a list picks the set by its own forMobile flag; the sets are never
// mixed.
#pragma once

namespace gui {

struct ZoneKeys {
  const char* groups;     // group identifiers of wholly blocked groups
  const char* cities;     // object: group identifier -> singly blocked city keys
  const char* flattened;  // every blocked city key once
};

inline constexpr ZoneKeys kLandlineZoneKeys{"blocked-groups", "blocked-cities",
                                            "blocked-cities-flattened"};
inline constexpr ZoneKeys kMobileZoneKeys{"mobile-blocked-groups", "mobile-blocked-cities",
                                          "mobile-blocked-cities-flattened"};

inline const ZoneKeys& zoneKeys(bool forMobile) {
  return forMobile ? kMobileZoneKeys : kLandlineZoneKeys;
}

}  // namespace gui
