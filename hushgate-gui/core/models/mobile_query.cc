#include "hushgate-gui/core/models/mobile_query.h"

#include "hushgate-gui/core/models/list_text.h"

namespace gui {

std::string removingWhitespaceAndNewlines(std::string_view text) {
  return removingWhitespace(text);
}

std::optional<std::string> mobileNumberFromInput(std::string_view input) {
  // U+FF10 FULLWIDTH DIGIT ZERO .. U+FF19 in UTF-8: EF BC 90 .. EF BC 99.
  static constexpr std::string_view kFullWidthDigitLead = "\xEF\xBC";
  const std::string text = removingWhitespaceAndNewlines(input);
  std::string number;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      number += c;
    } else if (text.compare(i, 2, kFullWidthDigitLead) == 0 && i + 2 < text.size() &&
               static_cast<unsigned char>(text[i + 2]) >= 0x90 &&
               static_cast<unsigned char>(text[i + 2]) <= 0x99) {
      number += static_cast<char>('0' + (static_cast<unsigned char>(text[i + 2]) - 0x90));
      i += 2;
    } else {
      return std::nullopt;
    }
  }
  if (number.size() != kMobileNumberLength) return std::nullopt;
  return number;
}

}  // namespace gui
