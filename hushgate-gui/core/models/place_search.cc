#include "hushgate-gui/core/models/place_search.h"

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include "statics/Log.h"

namespace gui {

std::string latinQuery(std::string_view text) {
  std::string query;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    // Spaces, hyphens and syllable apostrophes ("Xi'an", "Xi’an") separate.
    if (c == ' ' || c == '-' || c == '\'') continue;
    if (text.substr(i, 3) == "\u2019") {
      i += 2;
      continue;
    }
    const bool upper = c >= 'A' && c <= 'Z';
    if (!upper && !(c >= 'a' && c <= 'z')) return "";
    query += upper ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return query;
}

PlaceSearch::PlaceSearch() {
  UErrorCode status = U_ZERO_ERROR;
  toLatin_.reset(
      icu::Transliterator::createInstance("Han-Latin; Latin-ASCII; Lower", UTRANS_FORWARD, status));
  if (U_FAILURE(status)) {
    Log("== no Han-Latin transform in ICU: %@", u_errorName(status));
    toLatin_.reset();
  }
}

PlaceSearch::~PlaceSearch() = default;

const PlaceSearch::Spelling& PlaceSearch::spellingOf(const std::string& name) {
  const auto found = spellings_.find(name);
  if (found != spellings_.end()) return found->second;
  icu::UnicodeString text = icu::UnicodeString::fromUTF8(name);
  toLatin_->transliterate(text);
  std::string latin;
  text.toUTF8String(latin);
  // Han-Latin separates syllables with spaces ("shen zhen").
  Spelling spelling;
  bool wordStart = true;
  for (const char c : latin) {
    if (c >= 'a' && c <= 'z') {
      spelling.joined += c;
      if (wordStart) spelling.initials += c;
      wordStart = false;
    } else {
      wordStart = true;
    }
  }
  return spellings_.emplace(name, std::move(spelling)).first->second;
}

bool PlaceSearch::matches(const std::string& name, std::string_view query) {
  if (query.empty() || toLatin_ == nullptr) return false;
  const Spelling& spelling = spellingOf(name);
  return spelling.joined.find(query) != std::string::npos || spelling.initials.starts_with(query);
}

}  // namespace gui
