#include "statics/contracts/pref_document.h"

#include <algorithm>
#include <iterator>

#include "statics/contracts/blacklist_pattern.h"
#include "statics/json_document.h"

Json defaultPref() {
  Json pref = Json::object();
  pref[kBypassContactsEnabledKey] = true;
  pref[kBlockUnknownEnabledKey] = true;
  pref[kIgnoredPrefixesKey] =
      Json::array({patternEntryJson({"12583?", prefixExpression("12583?"), "中国移动和多号"})});
  pref[kKeywordsKey] =
      Json::array({"响一声", "广告", "推销", "骚扰", "诈骗", "保险", "理财", "房产中介"});
  return pref;
}

Json defaultMPPref() {
  Json pref = Json::object();
  pref[kMPInjectionEnabledKey] = true;
  return pref;
}

bool prefBool(const Json& doc, const char* key) {
  if (key == nullptr || !doc.is_object()) return false;
  const auto it = doc.find(key);
  return it != doc.end() && it->is_boolean() && it->get<bool>();
}

const Json& prefArray(const Json& doc, const char* key) {
  static const Json* const kEmpty = new Json(Json::array());
  if (key == nullptr || !doc.is_object()) return *kEmpty;
  const auto it = doc.find(key);
  return it != doc.end() && it->is_array() ? *it : *kEmpty;
}

std::string jsonString(const Json& value) {
  return value.is_string() ? value.get_ref<const std::string&>() : std::string();
}

std::optional<PatternEntry> readPatternEntry(const Json& value) {
  if (!value.is_array() || value.size() != 3) return std::nullopt;
  for (const Json& element : value) {
    if (!element.is_string()) return std::nullopt;
  }
  return PatternEntry{value[0].get<std::string>(), value[1].get<std::string>(),
                      value[2].get<std::string>()};
}

Json patternEntryJson(const PatternEntry& entry) {
  return Json::array({entry.pattern, entry.expression, entry.comment});
}

bool isPrefDocumentKey(std::string_view key) {
  static constexpr const char* kKeys[] = {
      kEnabledKey,
      kBlockUnknownEnabledKey,
      kBypassContactsEnabledKey,
      kBlacklistKey,
      kIgnoredPrefixesKey,
      kKeywordsKey,
      kBlockedGroupsKey,
      kBlockedCitiesKey,
      kBlockedCitiesFlattenedKey,
      kMobileBlockedGroupsKey,
      kMobileBlockedCitiesKey,
      kMobileBlockedCitiesFlattenedKey,
      kVersionKey,
      kMPInjectionEnabledKey,
  };
  return std::any_of(std::begin(kKeys), std::end(kKeys),
                     [key](const char* known) { return key == known; });
}

std::optional<PrefDocumentRead> parsePrefDocument(std::string_view bytes) {
  std::optional<JsonDocumentRead> read = parseJsonDocumentDroppingDeepMembers(
      bytes, [](std::string_view key) { return !isPrefDocumentKey(key); });
  if (!read) return std::nullopt;
  return PrefDocumentRead{std::move(read->value), std::move(read->droppedMembers)};
}
