// Stand-ins for the two lookups of the screening decision that remember what
// they were asked.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "statics/screening/screening.h"

struct RecordingLookups {
  // Number -> region code; numbers not listed have no region.
  std::map<std::string, std::string> regions;
  // Lookup key (callerLabelLookupKey) -> label, as the database keys them.
  std::map<std::string, std::string> labels;

  std::vector<std::string> regionQueries;
  std::vector<std::string> labelKeys;  // the key of each label lookup

  RegionLookup region() {
    return [this](const std::string& number) {
      regionQueries.push_back(number);
      const auto it = regions.find(number);
      return it == regions.end() ? std::string() : it->second;
    };
  }

  LabelLookup label() {
    return [this](const std::string& number) -> std::optional<std::string> {
      const std::string key = callerLabelLookupKey(number);
      labelKeys.push_back(key);
      const auto it = labels.find(key);
      if (it == labels.end()) return std::nullopt;
      return it->second;
    };
  }
};
