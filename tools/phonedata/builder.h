// Builds the number-location database and the city list from the geocoder.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/phonedata/database_writer.h"
#include "tools/phonedata/geocoder.h"
#include "tools/phonedata/region_matcher.h"

namespace phonedata {

// The mobile blocks asked about.
inline constexpr uint32_t kFirstMobileBlock = 1300000;
inline constexpr uint32_t kLastMobileBlock = 1999999;

// The third record field. The source knows no postal codes, and an empty
// field would shift the region code out of its place, so every record
// carries this placeholder ("000000" is no postal code in China).
inline constexpr std::string_view kUnknownZipCode = "000000";

struct BuildStats {
  size_t landlineCodes = 0;                   // city-level area codes in the city list
  std::vector<std::string> landlineUnplaced;  // valid area codes known only at country level
  size_t blocks = 0;                          // mobile blocks asked about
  size_t invalidBlocks = 0;                   // numbers of the block are not valid
  size_t countryLevelBlocks = 0;              // placed in the country only
  size_t cityLevelBlocks = 0;
  std::array<size_t, 3> mappedBlocks{};     // by MatchKind
  size_t unmappedBlocks = 0;                // city level, but no area code found
  std::vector<std::string> unmappedPlaces;  // their descriptions, once each
  size_t untypedBlocks = 0;                 // mapped, but in a segment of no carrier
};

struct BuildOutput {
  std::string citiesJson;
  EncodedDatabase database;
  BuildStats stats;
};

// Every block from kFirstMobileBlock to kLastMobileBlock that the geocoder
// places at city level, with an area code of the city list and a carrier,
// becomes an entry with the record "province|city|000000|areaCode".
Result<BuildOutput> buildPhoneData(const Geocoder& geocoder);

}  // namespace phonedata
