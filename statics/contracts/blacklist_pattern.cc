#include "statics/contracts/blacklist_pattern.h"

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

// Appends the pattern's characters to expression: "*" runs as "\d*" when
// starIsWildcard, "?" as "\d", the others as literals of the grammar.
void appendPatternBody(std::string_view pattern, bool starIsWildcard, std::string& expression) {
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    const auto byte = static_cast<unsigned char>(c);
    if (c == '*' && starIsWildcard) {
      // A run of stars means what one star means.
      while (i + 1 < pattern.size() && pattern[i + 1] == '*') ++i;
      expression += "\\d*";
    } else if (c == '?') {
      expression += "\\d";
    } else if (byte < 0x20 || byte == 0x7f) {
      expression += "\\Q";
      while (true) {
        expression += pattern[i];
        const auto next = i + 1 < pattern.size() ? static_cast<unsigned char>(pattern[i + 1]) : 'a';
        if (next >= 0x20 && next != 0x7f) break;
        ++i;
      }
      expression += "\\E";
    } else if (byte < 0x80 && !isAsciiAlphanumeric(c)) {
      expression += '\\';
      expression += c;
    } else {
      // Letters, digits and every byte of a non-ASCII character stand for
      // themselves.
      expression += c;
    }
  }
}

}  // namespace

std::string blacklistExpression(std::string_view pattern) {
  std::string expression = "^";
  appendPatternBody(pattern, /*starIsWildcard=*/true, expression);
  return expression + "$";
}

std::string prefixExpression(std::string_view prefix) {
  std::string expression = "^";
  appendPatternBody(prefix, /*starIsWildcard=*/false, expression);
  return expression + "\\d+";
}

bool isPhoneNumberPattern(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  return !text.empty() && text.find_first_not_of("0123456789*?") == std::string_view::npos;
}

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
  atoms.reserve(static_cast<size_t>(length));  // at most one atom per unit
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
