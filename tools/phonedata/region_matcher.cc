#include "tools/phonedata/region_matcher.h"

namespace phonedata {

RegionMatcher::RegionMatcher(std::span<const AreaCode> codes, std::span<const CityAlias> aliases) {
  std::map<std::string, std::string> groupOfCode;
  for (const AreaCode& code : codes) {
    groupOfCode[code.code] = code.place.group;
    // Codes come in any order; keep the lowest for each description and city.
    auto [described, added] = byDescription_.try_emplace(code.description, code.code);
    if (!added && code.code < described->second) described->second = code.code;
    for (size_t position = 0; position < code.place.cities.size(); ++position) {
      const std::pair<size_t, std::string> candidate{position, code.code};
      auto [it, inserted] =
          byCity_.try_emplace({code.place.group, code.place.cities[position]}, candidate);
      if (!inserted && candidate < it->second) it->second = candidate;
    }
  }
  for (const CityAlias& alias : aliases) {
    auto group = groupOfCode.find(std::string(alias.code));
    if (group == groupOfCode.end() || group->second != alias.group) continue;
    aliases_[{std::string(alias.group), std::string(alias.city)}] = alias.code;
  }
}

std::optional<RegionMatch> RegionMatcher::match(std::string_view description,
                                                const Place& place) const {
  if (place.cities.empty()) return std::nullopt;
  const CityKey key{place.group, place.cities.front()};
  if (auto alias = aliases_.find(key); alias != aliases_.end()) {
    return RegionMatch{alias->second, MatchKind::kAlias};
  }
  if (auto exact = byDescription_.find(description); exact != byDescription_.end()) {
    return RegionMatch{exact->second, MatchKind::kExact};
  }
  if (auto city = byCity_.find(key); city != byCity_.end()) {
    return RegionMatch{city->second.second, MatchKind::kCity};
  }
  return std::nullopt;
}

}  // namespace phonedata
