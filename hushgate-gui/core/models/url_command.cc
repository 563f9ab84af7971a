#include "hushgate-gui/core/models/url_command.h"

#include <nlohmann/json.hpp>

#include "hushgate-gui/core/kit/ui.h"
#include "platform/dispatch.h"
#include "statics/Log.h"
#include "statics/Preference.h"
#include "statics/contracts/blacklist_pattern.h"

namespace gui {

namespace {

constexpr double kReturnDelaySeconds = 0.6;
constexpr std::string_view kCountryCode = "+86";

// Whether entry is a blacklist entry whose shown pattern is number.
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

bool addToBlacklist(const AddToBlacklistRequest& request) {
  Preference& preference = Preference::sharedInstance();
  nlohmann::json& pref = preference.pref();
  bool added = false;
  if (pref.is_object()) {
    nlohmann::json& list = pref[kBlacklistKey];
    // A hand-edited document may hold something else under the key; it holds
    // no entries, so a list takes its place.
    if (!list.is_array()) list = nlohmann::json::array();
    bool listed = false;
    for (const nlohmann::json& entry : list) {
      if (showsNumber(entry, request.number)) {
        listed = true;
        break;
      }
    }
    if (!listed) {
      list.push_back(patternEntryJson(
          {request.number, blacklistExpressionForNumber(request.number), request.label}));
      preference.save();
      added = true;
    }
  } else {
    Log("== pref is not a dictionary, number not added: %@", request.number);
  }
  if (!request.from.empty()) {
    platform::afterOnMainQueue(kReturnDelaySeconds,
                               [from = request.from] { presenter().openApplication(from); });
  }
  return added;
}

void runURLCommand(std::string_view url) {
  const std::optional<AddToBlacklistRequest> request = parseAddToBlacklistURL(url);
  if (request) addToBlacklist(*request);
}

}  // namespace gui
