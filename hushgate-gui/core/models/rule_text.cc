#include "hushgate-gui/core/models/rule_text.h"

#include <algorithm>

#include "hushgate-gui/core/kit/localization.h"
#include "statics/format.h"

namespace gui {

namespace {

// The rule's own words, without the cut prefix.
std::string ruleWords(const FiredRule& rule) {
  switch (rule.kind) {
    case RuleKind::kNone:
      return "";
    case RuleKind::kOutsideQuietHours:
      return localizedString("rule-outside-quiet-hours");
    case RuleKind::kSystemBlocked:
      return localizedString("rule-system-blocked");
    case RuleKind::kAllowlist:
      return stringWithFormat(localizedString("rule-allowlist-fmt"), rule.value);
    case RuleKind::kContact:
      return localizedString("rule-contact");
    case RuleKind::kUnknownNumber:
      return localizedString("rule-unknown-number");
    case RuleKind::kAreaCode:
    case RuleKind::kMobileRegion:
      return rule.place.empty() ? stringWithFormat(localizedString("rule-region-fmt"), rule.value)
                                : stringWithFormat(localizedString("rule-region-place-fmt"),
                                                   rule.value, rule.place);
    case RuleKind::kBlacklist:
      return stringWithFormat(localizedString("rule-blacklist-fmt"), rule.value);
    case RuleKind::kKeyword:
      return stringWithFormat(localizedString("rule-keyword-fmt"), rule.value);
    case RuleKind::kRepeatedCall:
      return stringWithFormat(localizedString("rule-repeated-call-fmt"), rule.value);
  }
  return "";
}

std::string weekdayName(int day) {
  switch (day) {
    case 1:
      return localizedString("weekday-short-1");
    case 2:
      return localizedString("weekday-short-2");
    case 3:
      return localizedString("weekday-short-3");
    case 4:
      return localizedString("weekday-short-4");
    case 5:
      return localizedString("weekday-short-5");
    case 6:
      return localizedString("weekday-short-6");
    default:
      return localizedString("weekday-short-7");
  }
}

// The days of a window: "every day", or their short names with each run of
// three or more days in a row as a range ("Mon–Fri Sun").
std::string daysText(const std::array<bool, 8>& days) {
  if (std::all_of(days.begin() + 1, days.end(), [](bool on) { return on; })) {
    return localizedString("every-day");
  }
  std::string text;
  for (int day = 1; day <= 7;) {
    if (!days[day]) {
      ++day;
      continue;
    }
    int last = day;
    while (last < 7 && days[last + 1]) ++last;
    if (!text.empty()) text += ' ';
    if (last - day >= 2) {
      text += stringWithFormat(localizedString("weekday-range-fmt"), weekdayName(day),
                               weekdayName(last));
      day = last + 1;
    } else {
      text += weekdayName(day);
      ++day;
    }
  }
  return text;
}

// doc with its switch on: how the stored values would screen.
Json switchedOn(const Json& doc, const char* switchKey) {
  Json on = doc.is_object() ? doc : Json::object();
  on[switchKey] = true;
  return on;
}

}  // namespace

std::string firedRuleText(const FiredRule& rule, const PlaceLookup& places) {
  std::string text;
  const bool region = rule.kind == RuleKind::kAreaCode || rule.kind == RuleKind::kMobileRegion;
  if (region && rule.place.empty() && places) {
    FiredRule placed = rule;
    placed.place = places(rule.value);
    text = ruleWords(placed);
  } else {
    text = ruleWords(rule);
  }
  if (!text.empty() && !rule.cutPrefix.empty()) {
    text += stringWithFormat(localizedString("rule-prefix-cut-fmt"), rule.cutPrefix);
  }
  return text;
}

std::string historyRuleText(const BlockRecord& record, const PlaceLookup& places) {
  const std::optional<FiredRule> rule = blockRecordRule(record);
  // The reason of these says all there is to say.
  const bool saidByReason =
      rule && (rule->kind == RuleKind::kUnknownNumber || rule->kind == RuleKind::kSystemBlocked);
  const std::string text = rule && !saidByReason ? firedRuleText(*rule, places) : std::string();
  if (!blockRecordPassed(record)) return text;
  return text.empty() ? localizedString("history-let-through")
                      : stringWithFormat(localizedString("history-let-through-fmt"), text);
}

OptionalSetting<int> storedRepeatedCallMinutes(const Json& pref) {
  return readRepeatedCallMinutes(switchedOn(pref, kRepeatedCallEnabledKey));
}

OptionalSetting<QuietHours> storedQuietHours(const Json& pref) {
  return readQuietHours(switchedOn(pref, kQuietHoursEnabledKey));
}

std::string repeatedCallMinutesText(const Json& pref) {
  const OptionalSetting<int> minutes = storedRepeatedCallMinutes(pref);
  if (minutes.state != SettingState::kOn) return localizedString("setting-reads-as-off");
  return localizedCountString("minutes-count-fmt", static_cast<unsigned long>(minutes.value));
}

std::string quietHoursText(const Json& pref) {
  const bool set =
      pref.is_object() && (pref.contains(kQuietHoursStartKey) || pref.contains(kQuietHoursEndKey));
  if (!set) return localizedString("no-config");
  const OptionalSetting<QuietHours> window = storedQuietHours(pref);
  if (window.state != SettingState::kOn) return localizedString("setting-reads-as-off");
  return stringWithFormat(localizedString("quiet-hours-window-fmt"),
                          clockTimeText(window.value.startMinute),
                          clockTimeText(window.value.endMinute), daysText(window.value.days));
}

std::optional<std::array<bool, 8>> weekdaysFromInput(std::string_view input) {
  std::array<bool, 8> days{};
  bool any = false;
  for (const char c : input) {
    if (c == ' ' || c == ',') continue;
    if (c < '1' || c > '7') return std::nullopt;
    days[static_cast<size_t>(c - '0')] = true;
    any = true;
  }
  if (!any) return std::nullopt;
  return days;
}

std::string weekdaysText(const std::array<bool, 8>& days) {
  std::string text;
  for (int day = 1; day <= 7; ++day) {
    if (days[day]) text += static_cast<char>('0' + day);
  }
  return text;
}

}  // namespace gui
