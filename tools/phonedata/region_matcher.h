// Gives each place of the mobile data the area code of the city list that it
// dials under, so that a mobile block's region code is a city key.
#pragma once

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "tools/phonedata/area_codes.h"

namespace phonedata {

enum class MatchKind {
  kAlias,  // the alias table names the city
  kExact,  // a code has the very same description
  kCity,   // a code of the same group names the city, first or later
};

struct RegionMatch {
  std::string code;
  MatchKind kind;

  bool operator==(const RegionMatch&) const = default;
};

class RegionMatcher {
 public:
  // Aliases whose code is not among codes, or lies in another group, are
  // left out (as the city list leaves them out).
  RegionMatcher(std::span<const AreaCode> codes, std::span<const CityAlias> aliases);

  // The code for a place described so: the alias table first, then a code
  // with an equal description (the lowest of several), then a code of the
  // same group that names the place's first city, preferring a code that
  // names it earlier, then the lowest. nullopt when none does.
  std::optional<RegionMatch> match(std::string_view description, const Place& place) const;

 private:
  using CityKey = std::pair<std::string, std::string>;  // group, city

  std::map<CityKey, std::string> aliases_;
  std::map<std::string, std::string, std::less<>> byDescription_;
  std::map<CityKey, std::pair<size_t, std::string>> byCity_;  // position in the list, code
};

}  // namespace phonedata
