// The long-distance area codes that the geocoder places at city level, and
// the table that gives cities without an area code of their own in the
// geocoder's landline data the code they dial under.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tools/phonedata/geocoder.h"
#include "tools/phonedata/place.h"

namespace phonedata {

struct AreaCode {
  std::string code;         // with its leading "0": "010", "0519"
  std::string description;  // as the geocoder gives it
  Place place;
};

// Every code "010" to "029" and "0300" to "0999" that the geocoder takes as an
// area code and places at city level, in ascending order. Codes it knows only
// at country level are added to notCityLevel when given.
std::vector<AreaCode> landlineAreaCodes(const Geocoder& geocoder,
                                        std::vector<std::string>* notCityLevel = nullptr);

// A city of the mobile data and the area code it dials under.
struct CityAlias {
  std::string_view group;
  std::string_view city;
  std::string_view code;
};

// The builder's own table: cities that the landline data does not name
// (they share a neighbour's code), and cities whose landline description is
// shared by two codes, which get the code of their seat.
std::span<const CityAlias> cityAliases();

}  // namespace phonedata
