// The URL command add_to_blacklist, through which the Phone application hands
// a caller's number to the blacklist (the URL: statics/contracts/blacklist_url.h).
//
// Any application or web page can open such a URL, and no alert asks the user,
// so the number is taken as text and never as a pattern: the entry it makes
// blocks exactly the numbers it names, with "*" standing for any run of digits
// and "?" for one digit.
#pragma once

#include <string>
#include <string_view>

#include "statics/contracts/blacklist_url.h"

namespace gui {

// The regular expression of the blacklist entry for a number (UTF-8): the
// blacklist expression of the number as a pattern (blacklistExpression),
// without a leading "+86", as the screening removes it from a caller's number
// before it looks at the blacklist.
std::string blacklistExpressionForNumber(std::string_view number);

// Adds the request's entry [number, expression, label] to the end of the main
// document's kBlacklistKey list (made when absent or not a list) and saves the
// document, unless an entry's shown pattern already equals the number; in
// both cases, when "from" is not empty, opens that application 0.6 s later on
// the main queue. Returns whether an entry was added.
bool addToBlacklist(const AddToBlacklistRequest& request);

// application:openURL:options:: runs the command a URL carries; a URL that
// carries none is ignored. Nothing is ever shown to the user.
void runURLCommand(std::string_view url);

}  // namespace gui
