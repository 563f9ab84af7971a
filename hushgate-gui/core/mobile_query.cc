#include "hushgate-gui/core/mobile_query.h"

#include "hushgate-gui/core/list_text.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstdint>

namespace gui {

namespace {

// Walks text code point by code point: f(c, bytes) with c negative for an
// ill-formed byte sequence.
template <class F>
void forEachCodePoint(std::string_view text, F f) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const auto length = static_cast<int64_t>(text.size());
  for (int64_t i = 0; i < length;) {
    const int64_t start = i;
    UChar32 c = 0;
    U8_NEXT(bytes, i, length, c);
    f(c, text.substr(static_cast<size_t>(start), static_cast<size_t>(i - start)));
  }
}

}  // namespace

std::string removingWhitespaceAndNewlines(std::string_view text) {
  return removingWhitespace(text);
}

size_t utf16Length(std::string_view text) {
  size_t units = 0;
  forEachCodePoint(text, [&units](UChar32 c, std::string_view) { units += c > 0xFFFF ? 2 : 1; });
  return units;
}

}  // namespace gui
