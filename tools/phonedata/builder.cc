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

Result<BuildOutput> buildPhoneData(const Geocoder& geocoder) {
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
    Resolved& resolution = it->second;
    if (added) {
      resolution.place = parsePlace(description);
      if (resolution.place) resolution.match = matcher.match(description, *resolution.place);
      if (resolution.match) {
        // The source knows no postal codes: the placeholder keeps the region
        // code the fourth field (an empty field would shift it).
        Result<std::string> record =
            formatRecord(resolution.place->province, resolution.place->cities.front(),
                         kUnknownZipCode, resolution.match->code);
        if (!record) return fail(description + ": " + record.error());
        resolution.record = std::move(record).value();
      } else if (resolution.place) {
        stats.unmappedPlaces.push_back(description);
      }
    }
    if (!resolution.place) {
      ++stats.countryLevelBlocks;
      continue;
    }
    ++stats.cityLevelBlocks;
    if (!resolution.match) {
      ++stats.unmappedBlocks;
      continue;
    }
    const CARDTYPE type = cardTypeOfBlock(block);
    if (type == UNKNOWN) {
      ++stats.untypedBlocks;
      continue;
    }
    ++stats.mappedBlocks[static_cast<size_t>(resolution.match->kind)];
    entries.push_back(BlockEntry{block, type, resolution.record});
  }
  Result<EncodedDatabase> database = encodeDatabase(std::move(entries));
  if (!database) return fail(database.error());
  output.database = std::move(database).value();
  return output;
}

}  // namespace phonedata
