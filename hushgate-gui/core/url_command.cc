#include "hushgate-gui/core/url_command.h"

#include <nlohmann/json.hpp>

#include "hushgate-gui/core/ui.h"
#include "hushgate-gui/core/url_components.h"
#include "platform/dispatch.h"
#include "statics/Log.h"
#include "statics/Preference.h"

namespace gui {

namespace {

constexpr double kReturnDelaySeconds = 0.6;
constexpr std::string_view kCountryCode = "+86";

bool isAsciiAlphanumeric(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isControl(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < 0x20 || u == 0x7f;
}

// Whether entry is a blacklist entry whose shown pattern is number.
bool showsNumber(const nlohmann::json& entry, const std::string& number) {
  return entry.is_array() && !entry.empty() && entry[0].is_string() &&
         entry[0].get_ref<const std::string&>() == number;
}

}  // namespace

std::optional<AddToBlacklistRequest> parseAddToBlacklistURL(std::string_view url) {
  const std::optional<URLComponents> components = parseURLComponents(url);
  if (!components || components->host() != kAddToBlacklistHost) return std::nullopt;
  AddToBlacklistRequest request;
  bool hasNumber = false;
  for (const URLQueryItem& item : components->queryItems().value_or(std::vector<URLQueryItem>())) {
    const std::string value = item.value.value_or("");
    if (item.name == "number") {
      request.number = value;
      hasNumber = true;
    } else if (item.name == "label") {
      request.label = value;
    } else if (item.name == "from") {
      request.from = value;
    }
  }
  if (!hasNumber || request.number.empty()) return std::nullopt;
  return request;
}

std::string blacklistExpressionForNumber(std::string_view number) {
  if (number.substr(0, kCountryCode.size()) == kCountryCode) {
    number.remove_prefix(kCountryCode.size());
  }
  std::string expression = "^";
  for (size_t i = 0; i < number.size(); ++i) {
    const char c = number[i];
    if (c == '*') {
      // A run of stars means what one star means.
      while (i + 1 < number.size() && number[i + 1] == '*') ++i;
      expression += "\\d*";
    } else if (c == '?') {
      expression += "\\d";
    } else if (isControl(c)) {
      expression += "\\Q";
      while (true) {
        expression += number[i];
        if (i + 1 >= number.size() || !isControl(number[i + 1])) break;
        ++i;
      }
      expression += "\\E";
    } else if (static_cast<unsigned char>(c) < 0x80 && !isAsciiAlphanumeric(c)) {
      expression += '\\';
      expression += c;
    } else {
      // Letters, digits and every byte of a non-ASCII character stand for
      // themselves.
      expression += c;
    }
  }
  expression += '$';
  return expression;
}

bool addToBlacklist(const AddToBlacklistRequest& request) {
  Preference& preference = Preference::sharedInstance();
  nlohmann::json& pref = preference.pref();
  bool added = false;
  if (pref.is_object()) {
    nlohmann::json& list = pref["blacklist"];
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
      list.push_back(nlohmann::json::array(
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
