#include "tools/phonedata/area_codes.h"

#include <optional>

namespace phonedata {

namespace {

constexpr CityAlias kCityAliases[] = {
    {"anhui", "亳州", "0558"},     // shares 阜阳's code
    {"hubei", "潜江", "0728"},     // shares 仙桃's code
    {"hubei", "神农架", "0719"},   // shares 十堰's code
    {"guangxi", "崇左", "0771"},   // shares 南宁's code
    {"guangxi", "来宾", "0772"},   // shares 柳州's code
    {"guangxi", "贺州", "0774"},   // shares 梧州's code
    {"guangxi", "贵港", "0775"},   // shares 玉林's code
    {"gansu", "金昌", "0935"},     // shares 武威's code
    {"gansu", "嘉峪关", "0937"},   // shares 酒泉's code
    {"xinjiang", "伊犁", "0999"},  // 0992 and 0999 are both 伊犁; 0999 is its seat 伊宁
};

void addCode(const Geocoder& geocoder, const std::string& code, std::vector<AreaCode>* codes,
             std::vector<std::string>* notCityLevel) {
  std::string description = geocoder.describeAreaCode(code);
  if (description.empty()) return;
  if (std::optional<Place> place = parsePlace(description)) {
    codes->push_back(AreaCode{code, std::move(description), std::move(*place)});
  } else if (notCityLevel != nullptr) {
    notCityLevel->push_back(code);
  }
}

}  // namespace

std::vector<AreaCode> landlineAreaCodes(const Geocoder& geocoder,
                                        std::vector<std::string>* notCityLevel) {
  std::vector<AreaCode> codes;
  // Two-digit area codes are 10 and 20 to 29; all others have three digits.
  addCode(geocoder, "010", &codes, notCityLevel);
  for (int code = 20; code <= 29; ++code) {
    addCode(geocoder, "0" + std::to_string(code), &codes, notCityLevel);
  }
  for (int code = 300; code <= 999; ++code) {
    addCode(geocoder, "0" + std::to_string(code), &codes, notCityLevel);
  }
  return codes;
}

std::span<const CityAlias> cityAliases() {
  return kCityAliases;
}

}  // namespace phonedata
