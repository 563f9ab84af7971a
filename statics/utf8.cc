#include "statics/utf8.h"

namespace {

constexpr char kReplacementCharacter[] = "\xEF\xBF\xBD";

}  // namespace

bool isWellFormedUtf8(std::string_view text) {
  bool wellFormed = true;
  forEachCodePoint(text, [&wellFormed](UChar32 c, std::string_view) { wellFormed &= c >= 0; });
  return wellFormed;
}

std::string wellFormedUtf8(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  forEachCodePoint(text, [&result](UChar32 c, std::string_view bytes) {
    result.append(c >= 0 ? bytes : std::string_view(kReplacementCharacter));
  });
  return result;
}

std::string utf8Of(int64_t codePoint) {
  if (codePoint < 0 || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
    return kReplacementCharacter;
  }
  uint8_t bytes[U8_MAX_LENGTH];
  int32_t length = 0;
  U8_APPEND_UNSAFE(bytes, length, static_cast<UChar32>(codePoint));
  return std::string(reinterpret_cast<const char*>(bytes), static_cast<size_t>(length));
}

size_t utf16Length(std::string_view text) {
  size_t units = 0;
  forEachCodePoint(text, [&units](UChar32 c, std::string_view) { units += c > 0xFFFF ? 2 : 1; });
  return units;
}

size_t codePointCount(std::string_view text) {
  size_t count = 0;
  forEachCodePoint(text, [&count](UChar32, std::string_view) { ++count; });
  return count;
}
