#include "statics/contracts/pref_document.h"

#include <algorithm>
#include <cstdint>
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

OptionalSetting<int> readRepeatedCallMinutes(const Json& doc) {
  if (!prefBool(doc, kRepeatedCallEnabledKey)) return {};
  const auto it = doc.find(kRepeatedCallMinutesKey);
  if (it == doc.end()) return {SettingState::kOn, kDefaultRepeatedCallMinutes};
  if (!it->is_number_integer()) return {SettingState::kUnusable, 0};
  const int64_t minutes = it->get<int64_t>();
  if (minutes < kMinRepeatedCallMinutes || minutes > kMaxRepeatedCallMinutes) {
    return {SettingState::kUnusable, 0};
  }
  return {SettingState::kOn, static_cast<int>(minutes)};
}

bool QuietHours::contains(int weekday, int minuteOfDay) const {
  if (weekday < 1 || weekday > 7) return false;
  const int yesterday = weekday == 1 ? 7 : weekday - 1;
  if (startMinute == endMinute) return days[weekday];
  if (startMinute < endMinute) {
    return days[weekday] && minuteOfDay >= startMinute && minuteOfDay < endMinute;
  }
  return (days[weekday] && minuteOfDay >= startMinute) ||
         (days[yesterday] && minuteOfDay < endMinute);
}

std::optional<int> parseClockTime(std::string_view text) {
  const auto digit = [&](size_t i) { return text[i] >= '0' && text[i] <= '9'; };
  if (text.size() != 5 || text[2] != ':' || !digit(0) || !digit(1) || !digit(3) || !digit(4)) {
    return std::nullopt;
  }
  const int hours = (text[0] - '0') * 10 + (text[1] - '0');
  const int minutes = (text[3] - '0') * 10 + (text[4] - '0');
  if (hours > 23 || minutes > 59) return std::nullopt;
  return hours * 60 + minutes;
}

std::string clockTimeText(int minuteOfDay) {
  minuteOfDay = std::clamp(minuteOfDay, 0, 24 * 60 - 1);
  const char text[] = {char('0' + minuteOfDay / 600), char('0' + minuteOfDay / 60 % 10), ':',
                       char('0' + minuteOfDay % 60 / 10), char('0' + minuteOfDay % 10)};
  return std::string(text, sizeof text);
}

OptionalSetting<QuietHours> readQuietHours(const Json& doc) {
  if (!prefBool(doc, kQuietHoursEnabledKey)) return {};
  const OptionalSetting<QuietHours> unusable{SettingState::kUnusable, {}};
  const auto timeOf = [&doc](const char* key) -> std::optional<int> {
    const auto it = doc.find(key);
    if (it == doc.end() || !it->is_string()) return std::nullopt;
    return parseClockTime(it->get_ref<const std::string&>());
  };
  const std::optional<int> start = timeOf(kQuietHoursStartKey);
  const std::optional<int> end = timeOf(kQuietHoursEndKey);
  if (!start || !end) return unusable;
  QuietHours window;
  window.startMinute = *start;
  window.endMinute = *end;
  const auto days = doc.find(kQuietHoursDaysKey);
  if (days == doc.end()) {
    window.days.fill(true);
    return {SettingState::kOn, window};
  }
  if (!days->is_array() || days->empty()) return unusable;
  for (const Json& day : *days) {
    if (!day.is_number_integer()) return unusable;
    const int64_t weekday = day.get<int64_t>();
    if (weekday < 1 || weekday > 7) return unusable;
    window.days[static_cast<size_t>(weekday)] = true;
  }
  return {SettingState::kOn, window};
}

void writeQuietHours(Json& doc, const QuietHours& window) {
  doc[kQuietHoursStartKey] = clockTimeText(window.startMinute);
  doc[kQuietHoursEndKey] = clockTimeText(window.endMinute);
  Json days = Json::array();
  for (int weekday = 1; weekday <= 7; ++weekday) {
    if (window.days[static_cast<size_t>(weekday)]) days.push_back(weekday);
  }
  doc[kQuietHoursDaysKey] = std::move(days);
}

bool notifyBlockedCalls(const Json& doc) {
  if (!doc.is_object()) return true;
  const auto it = doc.find(kNotifyBlockedCallsKey);
  return it == doc.end() || !it->is_boolean() || it->get<bool>();
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
      kAllowlistKey,
      kRepeatedCallEnabledKey,
      kRepeatedCallMinutesKey,
      kQuietHoursEnabledKey,
      kQuietHoursStartKey,
      kQuietHoursEndKey,
      kQuietHoursDaysKey,
      kNotifyBlockedCallsKey,
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
