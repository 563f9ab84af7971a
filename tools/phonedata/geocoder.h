// The open data source of the database builder: the offline geocoder of
// libphonenumber, asked in the locale zh_CN about numbers of China (+86).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace phonedata {

class Geocoder {
 public:
  Geocoder();
  ~Geocoder();
  Geocoder(const Geocoder&) = delete;
  Geocoder& operator=(const Geocoder&) = delete;

  // The place of a seven-digit mobile block such as 1380013 ("广东省深圳市",
  // or only "中国" where the source knows no more); empty when numbers of the
  // block are not valid. The last four digits of a number never change the
  // answer, so the block is asked about as its number ending in "0000".
  std::string describeMobileBlock(uint32_t block) const;

  // The place of a long-distance area code written with its "0" ("0519" gives
  // "江苏省常州市"); empty unless landline numbers behind it are valid and the
  // source takes exactly these digits as their area code.
  std::string describeAreaCode(const std::string& code) const;

  // Parses text as a number dialled in China and describes it: the same job
  // as a database lookup of a text. Empty when it does not parse or is not a
  // valid number.
  std::string describeNumber(const std::string& text) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace phonedata
