#include "statics/statics.h"

#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include "statics/utf8.h"

#include <cstdint>

namespace {

// The class of one character as the platform sees its first UTF-16 unit: a
// character beyond the BMP starts with a surrogate, which is class 1; so is an
// ill-formed byte.
int classOf(UChar32 c) {
  if (c < 0 || c > 0xFFFF) return 1;
  if (u_isdigit(c)) return 0;
  if (isWhitespaceOrNewline(c) || u_ispunct(c)) return 2;
  return 1;
}

// Token classes ordered for comparison: digits > separators > letters.
int rank(int characterClass) {
  switch (characterClass) {
    case 0:
      return 3;
    case 2:
      return 2;
    default:
      return 1;
  }
}

// The digits of a digit run as ASCII, without leading zeros.
std::string significantDigits(std::string_view run) {
  std::string digits;
  forEachCodePoint(run, [&digits](UChar32 c, std::string_view) {
    const int32_t value = u_charDigitValue(c);
    if (value < 0 || (digits.empty() && value == 0)) return;
    digits += static_cast<char>('0' + value);
  });
  return digits;
}

// Compares two digit runs by their exact numeric value, however long.
int compareNumbers(std::string_view a, std::string_view b) {
  const std::string x = significantDigits(a);
  const std::string y = significantDigits(b);
  if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
  const int order = x.compare(y);
  return order < 0 ? -1 : order > 0 ? 1 : 0;
}

int compareTexts(std::string_view a, std::string_view b) {
  const icu::UnicodeString x = icu::UnicodeString::fromUTF8(icu::StringPiece(a.data(), a.size()));
  const icu::UnicodeString y = icu::UnicodeString::fromUTF8(icu::StringPiece(b.data(), b.size()));
  const int8_t order = x.compare(y);
  return order < 0 ? -1 : order > 0 ? 1 : 0;
}

int compareTokens(std::string_view a, std::string_view b) {
  const int classA = typeOfCharacter(a);
  const int classB = typeOfCharacter(b);
  if (classA != classB) return rank(classA) > rank(classB) ? 1 : -1;
  if (classA == 0) return compareNumbers(a, b);
  if (classA == 1) return compareTexts(a, b);
  return 0;
}

// The value of a hexadecimal pair, read up to the first character that is no
// hexadecimal digit (0 when the pair does not begin with one).
unsigned hexPair(char16_t first, char16_t second) {
  unsigned value = 0;
  for (char16_t c : {first, second}) {
    unsigned digit;
    if (c >= u'0' && c <= u'9') {
      digit = c - u'0';
    } else if (c >= u'A' && c <= u'F') {
      digit = c - u'A' + 10;
    } else {
      break;
    }
    value = value * 16 + digit;
  }
  return value;
}

}  // namespace

bool isWhitespaceOrNewline(UChar32 c) {
  if (c < 0) return false;
  if (c == 0x09 || (c >= 0x0A && c <= 0x0D) || c == 0x85) return true;
  const int8_t type = u_charType(c);
  return type == U_SPACE_SEPARATOR || type == U_LINE_SEPARATOR || type == U_PARAGRAPH_SEPARATOR;
}

std::string trimming(std::string_view text) {
  size_t begin = std::string_view::npos;
  size_t end = 0;
  forEachCodePoint(text, [&](UChar32 c, std::string_view bytes) {
    if (isWhitespaceOrNewline(c)) return;
    const auto start = static_cast<size_t>(bytes.data() - text.data());
    if (begin == std::string_view::npos) begin = start;
    end = start + bytes.size();
  });
  if (begin == std::string_view::npos) return {};
  return std::string(text.substr(begin, end - begin));
}

int typeOfCharacter(std::string_view text) {
  if (text == ".") return 2;
  if (text.empty()) return 1;
  int characterClass = 1;
  bool first = true;
  forEachCodePoint(text, [&](UChar32 c, std::string_view) {
    if (first) characterClass = classOf(c);
    first = false;
  });
  return characterClass;
}

std::vector<std::string> splitVersionString(std::string_view text) {
  std::vector<std::string> tokens;
  std::string current;
  int previousClass = 0;
  forEachCodePoint(text, [&](UChar32 c, std::string_view character) {
    const int characterClass = classOf(c);
    if (!current.empty() && (previousClass == 2 || characterClass != previousClass)) {
      tokens.push_back(std::move(current));
      current.clear();
    }
    current += character;
    previousClass = characterClass;
  });
  if (!text.empty()) tokens.push_back(std::move(current));
  return tokens;
}

int compareToVersion(std::string_view a, std::string_view b) {
  const std::vector<std::string> x = splitVersionString(a);
  const std::vector<std::string> y = splitVersionString(b);
  const size_t n = std::min(x.size(), y.size());
  for (size_t i = 0; i < n; ++i) {
    const int order = compareTokens(x[i], y[i]);
    if (order != 0) return order;
  }
  if (x.size() == y.size()) return 0;
  if (x.size() > y.size()) return typeOfCharacter(x[n]) == 1 ? -1 : 1;
  return typeOfCharacter(y[n]) == 1 ? 1 : -1;
}

bool isVersionStringGE(std::string_view a, std::string_view b) {
  return compareToVersion(a, b) >= 0;
}

Color colorWithHexString(std::string_view text) {
  const std::string trimmed = trimming(text);
  icu::UnicodeString s =
      icu::UnicodeString::fromUTF8(icu::StringPiece(trimmed.data(), trimmed.size()));
  s.toUpper(icu::Locale::getRoot());
  if (s.length() < 6) return {};
  if (s.startsWith(icu::UnicodeString(u"0X"))) s.remove(0, 2);
  if (s.startsWith(icu::UnicodeString(u"#"))) s.remove(0, 1);
  if (s.length() != 6) return {};
  Color color;
  color.red = static_cast<float>(hexPair(s[0], s[1])) / 255.0f;
  color.green = static_cast<float>(hexPair(s[2], s[3])) / 255.0f;
  color.blue = static_cast<float>(hexPair(s[4], s[5])) / 255.0f;
  color.alpha = 1.0f;
  return color;
}
