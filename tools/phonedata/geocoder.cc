#include "tools/phonedata/geocoder.h"

#include <phonenumbers/geocoding/phonenumber_offline_geocoder.h>
#include <phonenumbers/phonenumberutil.h>
#include <unicode/locid.h>

namespace phonedata {

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberOfflineGeocoder;
using i18n::phonenumbers::PhoneNumberUtil;

namespace {

constexpr int kChinaCallingCode = 86;

// Subscriber numbers tried behind an area code: seven and eight digits, since
// some areas use only one of the two lengths.
constexpr const char* kSubscriberSamples[] = {"2345678",  "23456789", "6543210",
                                              "65432109", "8765432",  "87654321"};

}  // namespace

struct Geocoder::Impl {
  const PhoneNumberUtil& util = *PhoneNumberUtil::GetInstance();
  PhoneNumberOfflineGeocoder geocoder;
  const icu::Locale locale{"zh", "CN"};

  std::string describeValid(const PhoneNumber& number) const {
    if (!util.IsValidNumber(number)) return {};
    return geocoder.GetDescriptionForValidNumber(number, locale);
  }
};

Geocoder::Geocoder() : impl_(std::make_unique<Impl>()) {}
Geocoder::~Geocoder() = default;

std::string Geocoder::describeMobileBlock(uint32_t block) const {
  PhoneNumber number;
  number.set_country_code(kChinaCallingCode);
  number.set_national_number(uint64_t{block} * 10000);
  return impl_->describeValid(number);
}

std::string Geocoder::describeAreaCode(const std::string& code) const {
  if (code.size() < 3 || code.front() != '0') return {};
  const int areaCodeLength = static_cast<int>(code.size()) - 1;  // without the trunk "0"
  for (const char* subscriber : kSubscriberSamples) {
    PhoneNumber number;
    if (impl_->util.Parse(code + subscriber, "CN", &number) != PhoneNumberUtil::NO_PARSING_ERROR) {
      continue;
    }
    if (!impl_->util.IsValidNumber(number)) continue;
    if (impl_->util.GetLengthOfGeographicalAreaCode(number) != areaCodeLength) continue;
    return impl_->geocoder.GetDescriptionForValidNumber(number, impl_->locale);
  }
  return {};
}

std::string Geocoder::describeNumber(const std::string& text) const {
  PhoneNumber number;
  if (impl_->util.Parse(text, "CN", &number) != PhoneNumberUtil::NO_PARSING_ERROR) return {};
  return impl_->geocoder.GetDescriptionForNumber(number, impl_->locale);
}

}  // namespace phonedata
