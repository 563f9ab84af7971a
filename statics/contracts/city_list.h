// The city list, written by the number-location database builder and read
// by the settings application's region editor as its resource
// kCityListResourceName of type kCityListResourceType: one JSON array of
// groups (provinces) in display order, each an object with
//   kCityGroupKey     string: the group identifier, stored in the group lists
//                     of the preference document
//   kCityGroupNameKey string: the display name
//   kCityGroupCitiesKey  object: city key (area code with its "0") -> the
//                     city's name
#pragma once

inline constexpr char kCityListResourceName[] = "cities";
inline constexpr char kCityListResourceType[] = "json";
inline constexpr char kCityListFileName[] = "cities.json";

inline constexpr char kCityGroupKey[] = "group";
inline constexpr char kCityGroupNameKey[] = "name";
inline constexpr char kCityGroupCitiesKey[] = "cities";
