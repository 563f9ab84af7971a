#include "hushgate/blacklist_expression.h"

#include <string_view>

#include <unicode/uchar.h>
#include <unicode/utf16.h>

namespace {

bool isAsciiAlphanumeric(UChar32 c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isMetacharacter(UChar32 c) {
  constexpr std::string_view kMetacharacters = "\\^$.|?*+()[]{}";
  return c < 0x80 && kMetacharacters.find(static_cast<char>(c)) != std::string_view::npos;
}

bool isPlainLiteral(UChar32 c) {
  return c >= 0x20 && c != 0x7f && !isMetacharacter(c);
}

bool isEscapableLiteral(UChar32 c) {
  return c >= 0x20 && c < 0x7f && !isAsciiAlphanumeric(c);
}

}  // namespace

bool isDecimalDigit(UChar32 c) {
  if (c < 0x80) return c >= '0' && c <= '9';
  return u_charType(c) == U_DECIMAL_DIGIT_NUMBER;
}

std::optional<std::vector<BlacklistAtom>> parseBlacklistExpression(
    const icu::UnicodeString& expression) {
  const char16_t* s = expression.getBuffer();
  const int32_t length = expression.length();
  if (s == nullptr || length < 2 || s[0] != '^') return std::nullopt;

  std::vector<BlacklistAtom> atoms;
  int32_t i = 1;
  while (i < length) {
    UChar32 c;
    U16_NEXT(s, i, length, c);
    if (c == '$') {
      if (i != length) return std::nullopt;
      return atoms;
    }
    if (c != '\\') {
      if (!isPlainLiteral(c)) return std::nullopt;
      atoms.push_back({BlacklistAtom::kLiteral, c});
      continue;
    }
    if (i == length) return std::nullopt;
    UChar32 escaped;
    U16_NEXT(s, i, length, escaped);
    if (escaped == 'd') {
      if (i < length && s[i] == '*') {
        ++i;
        atoms.push_back({BlacklistAtom::kDigitRun, 0});
      } else {
        atoms.push_back({BlacklistAtom::kDigit, 0});
      }
    } else if (escaped == 'Q') {
      // Everything up to "\E" is literal; without "\E" ICU would quote the
      // closing "$" too, so that form is left to ICU.
      const int32_t end = expression.indexOf(u"\\E", 2, i);
      if (end < 0) return std::nullopt;
      while (i < end) {
        UChar32 quoted;
        U16_NEXT(s, i, end, quoted);
        atoms.push_back({BlacklistAtom::kLiteral, quoted});
      }
      i = end + 2;
    } else if (isEscapableLiteral(escaped)) {
      atoms.push_back({BlacklistAtom::kLiteral, escaped});
    } else {
      return std::nullopt;
    }
  }
  return std::nullopt;  // no closing "$"
}
