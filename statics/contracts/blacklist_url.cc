#include "statics/contracts/blacklist_url.h"

#include "statics/contracts/names.h"
#include "statics/format.h"
#include "statics/statics.h"
#include "statics/url_components.h"
#include "statics/utf8.h"

namespace {

constexpr char kFromItem[] = "from";
constexpr char kNumberItem[] = "number";
constexpr char kLabelItem[] = "label";

bool isUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

}  // namespace

std::string urlEncode(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const std::string wellFormed = wellFormedUtf8(text);
  std::string encoded;
  encoded.reserve(wellFormed.size() * 3);
  for (const char ch : wellFormed) {
    const auto c = static_cast<unsigned char>(ch);
    if (isUnreserved(c)) {
      encoded += ch;
    } else {
      encoded += '%';
      encoded += kHex[c >> 4];
      encoded += kHex[c & 15];
    }
  }
  return encoded;
}

std::string addToBlacklistURL(std::string_view callerId, std::string_view typedLabel) {
  return stringWithFormat("%@://%@/?%@=%@&%@=%@&%@=%@", kHushgateURLScheme, kAddToBlacklistCommand,
                          kFromItem, kMobilePhoneBundleIdentifier, kNumberItem, urlEncode(callerId),
                          kLabelItem, urlEncode(trimming(typedLabel)));
}

std::optional<AddToBlacklistRequest> parseAddToBlacklistURL(std::string_view url) {
  const std::optional<URLComponents> components = parseURLComponents(url);
  if (!components || components->host() != kAddToBlacklistCommand) return std::nullopt;
  AddToBlacklistRequest request;
  bool hasNumber = false;
  for (const URLQueryItem& item : components->queryItems().value_or(std::vector<URLQueryItem>())) {
    const std::string value = item.value.value_or("");
    if (item.name == kNumberItem) {
      request.number = value;
      hasNumber = true;
    } else if (item.name == kLabelItem) {
      request.label = value;
    } else if (item.name == kFromItem) {
      request.from = value;
    }
  }
  if (!hasNumber || request.number.empty()) return std::nullopt;
  return request;
}
