#include "hushgate-gui/core/models/list_text.h"

#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <cstdint>
#include <cstring>

#include "statics/statics.h"
#include "statics/utf8.h"

namespace gui {

namespace {

bool allAllowed(std::string_view text, const char* allowed) {
  if (allowed == nullptr) return true;
  bool all = true;
  forEachCodePoint(text, [&](UChar32 c, std::string_view) {
    all &= c > 0 && c <= 0x7F && std::strchr(allowed, static_cast<char>(c)) != nullptr;
  });
  return all;
}

}  // namespace

TextEdit decideTextEdit(std::string_view current, size_t location, size_t length,
                        std::string_view replacement, const char* allowedCharacters,
                        bool okOnTrimmedText) {
  if (!isWellFormedUtf8(replacement) || !allAllowed(replacement, allowedCharacters)) return {};
  icu::UnicodeString text = icu::UnicodeString::fromUTF8(current);
  const auto units = static_cast<size_t>(text.length());
  if (location > units || length > units - location) return {};
  text.replace(static_cast<int32_t>(location), static_cast<int32_t>(length),
               icu::UnicodeString::fromUTF8(replacement));
  if (!okOnTrimmedText) return {true, !text.isEmpty()};
  std::string result;
  text.toUTF8String(result);
  return {true, !trimming(result).empty()};
}

}  // namespace gui
