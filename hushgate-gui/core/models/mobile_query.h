// The text steps of the mobile-number lookup on the main screen: cleaning
// what the user typed or pasted (its length as the platform measures it:
// utf16Length of statics/utf8.h).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "statics/utf8.h"

namespace gui {

// The length a lookup number must have, in UTF-16 units.
inline constexpr size_t kMobileNumberLength = 11;

// text without any white space or line end, wherever it stands: the Unicode
// Z* categories, tab, U+000A to U+000D and U+0085. Ill-formed bytes are kept.
std::string removingWhitespaceAndNewlines(std::string_view text);

// The number to look up in what the user typed: white space removed and
// full-width digits (as a Chinese input method types them) made ASCII; nullopt
// unless exactly kMobileNumberLength digits remain, so that nothing but a
// number is ever looked up.
[[nodiscard]] std::optional<std::string> mobileNumberFromInput(std::string_view input);

}  // namespace gui
