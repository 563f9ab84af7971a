// The add-to-blacklist URL, through which the Phone application hands a
// caller's number to the settings application:
//   hushgate://add_to_blacklist/?from=<Phone bundle identifier>&number=N&label=L
// built by the Phone-side tweak (addToBlacklistURL) and read by the settings
// application (parseAddToBlacklistURL). Nothing else spells it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

inline constexpr char kHushgateURLScheme[] = "hushgate";
inline constexpr char kAddToBlacklistCommand[] = "add_to_blacklist";

// Percent-encoding: every byte of the UTF-8 text other than the ASCII letters
// and digits, "-", ".", "_" and "~" is written as "%" and two upper-case hex
// digits. Ill-formed UTF-8 is first replaced with U+FFFD per bad sequence, so
// the result always decodes to well-formed UTF-8.
std::string urlEncode(std::string_view text);

// The URL for a caller id (empty when the call has none) and the label the
// user typed, which loses white space and line breaks at both ends before it
// is encoded; "from" names the Phone application.
std::string addToBlacklistURL(std::string_view callerId, std::string_view typedLabel);

struct AddToBlacklistRequest {
  std::string number;  // as received (percent-decoded), never empty
  std::string label;   // "" when absent
  std::string from;    // bundle identifier to return to; "" when absent
};

// The request a URL carries, or nullopt when the URL does not parse, its host
// is not exactly kAddToBlacklistCommand, or its "number" is absent or empty.
// Query items are taken by name, the last occurrence winning; an item without
// a value counts as empty.
[[nodiscard]] std::optional<AddToBlacklistRequest> parseAddToBlacklistURL(std::string_view url);
