// The region editors' search by the Latin spelling of a place: what a user
// without a Chinese input method types. "shenzhen", "ShenZhen", "shen zhen"
// and the initials "sz" all find 深圳; "guang" finds 广州 and 广东.
//
// A place's spelling is its Hanyu Pinyin from ICU's Han-Latin transform,
// without tone marks and in lower case. The transform is made once per
// PlaceSearch and each name romanised once, on first use.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include <unicode/uversion.h>

U_NAMESPACE_BEGIN
class Transliterator;
U_NAMESPACE_END

namespace gui {

// A query in the Latin spelling: the query without spaces, hyphens and
// apostrophes (' and ’), in lower case; "" when the text holds anything else
// but ASCII letters (a Chinese name or an area code, which the editors match
// as typed).
std::string latinQuery(std::string_view text);

class PlaceSearch {
 public:
  PlaceSearch();
  ~PlaceSearch();
  PlaceSearch(const PlaceSearch&) = delete;
  PlaceSearch& operator=(const PlaceSearch&) = delete;

  // Whether the place called name is found by query (a latinQuery): its
  // pinyin without spaces contains it, or the initials of its syllables begin
  // with it. Never when query is empty or ICU has no transform.
  bool matches(const std::string& name, std::string_view query);

 private:
  struct Spelling {
    std::string joined;    // "shenzhen"
    std::string initials;  // "sz"
  };
  const Spelling& spellingOf(const std::string& name);

  std::unique_ptr<icu::Transliterator> toLatin_;
  std::unordered_map<std::string, Spelling> spellings_;
};

}  // namespace gui
