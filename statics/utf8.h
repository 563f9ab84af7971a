// Walking UTF-8 text code point by code point, the one way the system does
// it (ICU's U8_NEXT): every other piece of code that looks at the characters
// of UTF-8 text goes through here.
#pragma once

#include <unicode/utf8.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Calls f(c, bytes) for each code point of text in order: c is the code point,
// or negative for an ill-formed sequence (which ICU takes as short as
// possible, so the walk goes on after it); bytes are its bytes in text.
template <class F>
void forEachCodePoint(std::string_view text, F&& f) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const auto length = static_cast<int64_t>(text.size());
  for (int64_t i = 0; i < length;) {
    const int64_t start = i;
    UChar32 c = 0;
    U8_NEXT(bytes, i, length, c);
    f(c, text.substr(static_cast<size_t>(start), static_cast<size_t>(i - start)));
  }
}

// Whether text holds no ill-formed sequence.
bool isWellFormedUtf8(std::string_view text);

// The text with each ill-formed sequence replaced by U+FFFD.
std::string wellFormedUtf8(std::string_view text);

// The UTF-8 bytes of a code point; U+FFFD for a surrogate or a value outside
// Unicode.
std::string utf8Of(int64_t codePoint);

// How many UTF-16 units the text takes (an ill-formed sequence counts as one,
// as U+FFFD).
size_t utf16Length(std::string_view text);

// How many code points the text holds (an ill-formed sequence counts as one).
size_t codePointCount(std::string_view text);
