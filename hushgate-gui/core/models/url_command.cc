#include "hushgate-gui/core/models/url_command.h"

#include <nlohmann/json.hpp>

#include "hushgate-gui/core/kit/localization.h"
#include "hushgate-gui/core/kit/ui.h"
#include "hushgate-gui/core/models/pref_store.h"
#include "platform/dispatch.h"
#include "statics/Log.h"
#include "statics/Preference.h"
#include "statics/contracts/blacklist_pattern.h"
#include "statics/format.h"

namespace gui {

namespace {

constexpr double kReturnDelaySeconds = 0.6;
constexpr std::string_view kCountryCode = "+86";

// Whether entry is a pattern entry whose shown pattern is number.
bool showsNumber(const nlohmann::json& entry, const std::string& number) {
  return entry.is_array() && !entry.empty() && entry[0].is_string() &&
         entry[0].get_ref<const std::string&>() == number;
}

}  // namespace

std::string blacklistExpressionForNumber(std::string_view number) {
  if (number.substr(0, kCountryCode.size()) == kCountryCode) {
    number.remove_prefix(kCountryCode.size());
  }
  return blacklistExpression(number);
}

AddNumberResult addNumberToList(const char* listKey, const std::string& number,
                                const std::string& comment) {
  AddNumberResult result;
  if (!isPhoneNumberPattern(number)) {
    Log("== not a phone number, not added: %@", number);
    result.update = fail(stringWithFormat(localizedString("url-not-a-number-fmt"), number));
    return result;
  }
  bool listed = false;
  bool notADictionary = false;
  result.update = Preference::sharedInstance().update([&](nlohmann::json& pref) {
    listed = false;
    notADictionary = !pref.is_object();
    if (notADictionary) return;
    nlohmann::json& list = pref[listKey];
    // A hand-edited document may hold something else under the key; it holds
    // no entries, so a list takes its place.
    if (!list.is_array()) list = nlohmann::json::array();
    for (const nlohmann::json& entry : list) {
      if (showsNumber(entry, number)) {
        listed = true;
        return;
      }
    }
    list.push_back(patternEntryJson({number, blacklistExpressionForNumber(number), comment}));
  });
  if (result.update && notADictionary) {
    Log("== pref is not a dictionary, number not added: %@", number);
    result.update = fail("the preference document is not a dictionary");
  }
  if (result.update) {
    result.outcome = listed ? AddNumberResult::Outcome::kListed : AddNumberResult::Outcome::kAdded;
  }
  return result;
}

AddToBlacklistResult addToBlacklist(const AddToBlacklistRequest& request) {
  AddToBlacklistResult result = addNumberToList(kBlacklistKey, request.number, request.label);
  // A refused number opens nothing either.
  if (!request.from.empty() && isPhoneNumberPattern(request.number)) {
    platform::afterOnMainQueue(kReturnDelaySeconds,
                               [from = request.from] { presenter().openApplication(from); });
  }
  return result;
}

void runURLCommand(std::string_view url) {
  const std::optional<AddToBlacklistRequest> request = parseAddToBlacklistURL(url);
  if (request) (void)tellUserAboutUpdate(addToBlacklist(*request).update);
}

}  // namespace gui
