// How the settings application puts the optional rules into words: the rule
// that decided a call (the history viewer and the number tester), and the
// state of the repeated-call allowance and of the quiet hours (the main
// screen's labels). Texts come from the localisation table.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "statics/contracts/fired_rule.h"
#include "statics/contracts/pref_document.h"
#include "statics/screening/screening.h"

namespace gui {

// "blocked by 0755 深圳", "blacklist 170*", "keyword 推销"...; with the
// ignored prefix that was cut first, when there was one. "" for kNone. An
// area code or region without a place gets it from places, when given.
std::string firedRuleText(const FiredRule& rule, const PlaceLookup& places = {});

// A record's rule as the history viewer shows it: the rule, and for a call
// the repeated-call allowance let through, that it was let through. ""
// when the record names no rule (records written before rules were kept).
std::string historyRuleText(const BlockRecord& record, const PlaceLookup& places = {});

// The stored minutes and window as they would screen with their switch on:
// kOn with the value, or kUnusable.
OptionalSetting<int> storedRepeatedCallMinutes(const Json& pref);
OptionalSetting<QuietHours> storedQuietHours(const Json& pref);

// The main screen's label of the minutes and of the window: the value as
// it would screen when switched on, or a note that the stored value reads
// as off; "not set" for a window never set.
std::string repeatedCallMinutesText(const Json& pref);
std::string quietHoursText(const Json& pref);

// Weekdays as typed: the digits 1 (Monday) .. 7 (Sunday), in any order,
// with spaces and commas between them or none. nullopt for anything else
// or no day. days[0] is unused.
std::optional<std::array<bool, 8>> weekdaysFromInput(std::string_view input);
// The days back as digits ("12345").
std::string weekdaysText(const std::array<bool, 8>& days);

}  // namespace gui
