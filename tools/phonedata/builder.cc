#include "tools/phonedata/builder.h"

#include <map>
#include <optional>

#include "tools/phonedata/area_codes.h"
#include "tools/phonedata/card_types.h"
#include "tools/phonedata/city_list.h"
#include "tools/phonedata/region_matcher.h"

namespace phonedata {

namespace {

// What a description of the mobile data comes to; worked out once for each
// of the few hundred distinct descriptions.
struct Resolved {
  std::optional<Place> place;
  std::optional<RegionMatch> match;
  std::string record;
};

}  // namespace

BuildOutput buildPhoneData(const Geocoder& geocoder) {
  BuildOutput output;
  BuildStats& stats = output.stats;

  const std::vector<AreaCode> codes = landlineAreaCodes(geocoder, &stats.landlineUnplaced);
  stats.landlineCodes = codes.size();
  output.citiesJson = cityListJson(buildCityList(codes, cityAliases()));
  const RegionMatcher matcher(codes, cityAliases());

  std::map<std::string, Resolved> resolved;
  std::vector<BlockEntry> entries;
  for (uint32_t block = kFirstMobileBlock; block <= kLastMobileBlock; ++block) {
    ++stats.blocks;
    const std::string description = geocoder.describeMobileBlock(block);
    if (description.empty()) {
      ++stats.invalidBlocks;
      continue;
    }
    auto [it, added] = resolved.try_emplace(description);
    Resolved& place = it->second;
    if (added) {
      place.place = parsePlace(description);
      if (place.place) place.match = matcher.match(description, *place.place);
      if (place.match) {
        place.record = formatRecord(place.place->province, place.place->cities.front(),
                                    kUnknownZipCode, place.match->code);
      } else if (place.place) {
        stats.unmappedPlaces.push_back(description);
      }
    }
    if (!place.place) {
      ++stats.countryLevelBlocks;
      continue;
    }
    ++stats.cityLevelBlocks;
    if (!place.match) {
      ++stats.unmappedBlocks;
      continue;
    }
    const CARDTYPE type = cardTypeOfBlock(block);
    if (type == UNKNOWN) {
      ++stats.untypedBlocks;
      continue;
    }
    ++stats.mappedBlocks[static_cast<size_t>(place.match->kind)];
    entries.push_back(BlockEntry{block, type, place.record});
  }
  output.database = encodeDatabase(std::move(entries));
  return output;
}

}  // namespace phonedata
