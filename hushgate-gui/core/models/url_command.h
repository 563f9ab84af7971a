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

#include "statics/Preference.h"
#include "statics/contracts/blacklist_url.h"

namespace gui {

// The regular expression of the blacklist entry for a number (UTF-8): the
// blacklist expression of the number as a pattern (blacklistExpression),
// without a leading "+86", as the screening removes it from a caller's number
// before it looks at the blacklist.
std::string blacklistExpressionForNumber(std::string_view number);

// What addToBlacklist and addNumberToList did.
struct AddNumberResult {
  enum class Outcome {
    kAdded,     // the entry was added and saved
    kListed,    // an entry already showed the number: nothing changed
    kNotSaved,  // nothing could be saved (update says why)
  };
  Outcome outcome = Outcome::kNotSaved;
  // The update of the main document (its failure, set-aside path and
  // announcement); for kListed an update that wrote nothing.
  Result<Preference::Update> update = Preference::Update{};
};
using AddToBlacklistResult = AddNumberResult;

// A number taken as text (the add-to-blacklist URL, a history row) added as
// an entry [number, expression, comment] to the end of a pattern list of the
// main document (kBlacklistKey or kAllowlistKey; made when absent or not a
// list), in one read-modify-write of the document on disk, unless an entry
// already shows the number. A number that is not a phone number
// (isPhoneNumberPattern) is refused (kNotSaved, update says why) and nothing
// is written.
[[nodiscard]] AddNumberResult addNumberToList(const char* listKey, const std::string& number,
                                              const std::string& comment);

// A number that is not a phone number (isPhoneNumberPattern: "abc(", "1 2")
// is refused (kNotSaved, update says why) and nothing is written or opened.
// Adds the request's entry [number, expression, label] to the end of the main
// document's kBlacklistKey list (made when absent or not a list), in one
// read-modify-write of the document on disk (Preference::update), unless an
// entry's shown pattern already equals the number; in every case, when
// "from" is not empty, opens that application 0.6 s later on the main queue.
[[nodiscard]] AddToBlacklistResult addToBlacklist(const AddToBlacklistRequest& request);

// application:openURL:options:: runs the command a URL carries; a URL that
// carries none is ignored. Adding is silent; only a failure is shown (the
// change not saved, a document kept aside, the screening not told).
void runURLCommand(std::string_view url);

}  // namespace gui
