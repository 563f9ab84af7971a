// The URL command add_to_blacklist, through which the Phone application hands
// a caller's number to the blacklist:
//   hushgate://add_to_blacklist/?from=com.apple.mobilephone&number=N&label=L
//
// Any application or web page can open such a URL, and no alert asks the user,
// so the number is taken as text and never as a pattern: the entry it makes
// blocks exactly the numbers it names, with "*" standing for any run of digits
// and "?" for one digit.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace gui {

inline constexpr char kAddToBlacklistHost[] = "add_to_blacklist";

struct AddToBlacklistRequest {
  std::string number;  // as received (percent-decoded), never empty
  std::string label;   // "" when absent
  std::string from;    // bundle identifier to return to; "" when absent
};

// The request a URL carries, or nullopt when the URL does not parse, its host
// is not exactly "add_to_blacklist", or its "number" is absent or empty.
// Query items are taken by name, the last occurrence winning; an item without
// a value counts as empty.
std::optional<AddToBlacklistRequest> parseAddToBlacklistURL(std::string_view url);

// The regular expression (ICU syntax) of the blacklist entry for a number
// (UTF-8): "^", the number, "$", where each run of "*" is "\d*", each "?" is
// "\d" and every other character stands for itself (ASCII punctuation escaped
// with "\", control characters quoted with "\Q...\E"). A leading "+86" is left
// out, as the screening removes it from a caller's number before it looks at
// the blacklist.
std::string blacklistExpressionForNumber(std::string_view number);

// Adds the request's entry [number, expression, label] to the end of the main
// document's "blacklist" (made when absent or not a list) and saves the
// document, unless an entry's shown pattern already equals the number; in
// both cases, when "from" is not empty, opens that application 0.6 s later on
// the main queue. Returns whether an entry was added.
bool addToBlacklist(const AddToBlacklistRequest& request);

// application:openURL:options:: runs the command a URL carries; a URL that
// carries none is ignored. Nothing is ever shown to the user.
void runURLCommand(std::string_view url);

}  // namespace gui
