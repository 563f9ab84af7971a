// The two preference documents as they lie on disk: their keys, the shape of
// each value, the default documents, and reading values of a document of any
// shape. Where the files lie: names.h; reading and writing them:
// statics/Preference.h.
//
// Main document: one JSON object; every key optional. A key that is absent,
// or whose value has another JSON type, reads as false or as an empty list or
// map.
//   kEnabledKey, kBlockUnknownEnabledKey, kBypassContactsEnabledKey   boolean
//   kBlacklistKey, kIgnoredPrefixesKey       array of pattern entries
//   kKeywordsKey                             array of strings
//   kBlockedGroupsKey, kMobileBlockedGroupsKey   array of group identifiers
//   kBlockedCitiesKey, kMobileBlockedCitiesKey   object: group identifier ->
//                                                array of city keys
//   kBlockedCitiesFlattenedKey, kMobileBlockedCitiesFlattenedKey
//                                            array of city keys: every blocked
//                                            city once; the only region lists
//                                            the screening reads
//   kVersionKey                              string: the short version of the
//                                            application that saved it
// Optional rules; a document without them screens as if they were off, and
// readers that do not know them ignore them:
//   kAllowlistKey                            array of pattern entries of the
//                                            blacklist's grammar: numbers that
//                                            always pass (but system-blocked)
//   kRepeatedCallEnabledKey                  boolean
//   kRepeatedCallMinutesKey                  integer 1..60 (absent: 3)
//   kQuietHoursEnabledKey                    boolean
//   kQuietHoursStartKey, kQuietHoursEndKey   text "HH:MM" (24 hours)
//   kQuietHoursDaysKey                       array of weekdays 1 (Monday) .. 7
//                                            (absent: every day)
// Settings of the settings application alone; the screening ignores them:
//   kNotifyBlockedCallsKey                   boolean: a desktop notification
//                                            for each blocked call (absent,
//                                            or of another type: on)
// Phone-side document: one JSON object with kMPInjectionEnabledKey (boolean)
// and kVersionKey.
//
// A pattern entry (blacklist and ignored prefixes) is an array of exactly
// three strings: the pattern as shown, its regular expression (built by
// blacklist_pattern.h) and a comment ("" for none).
#pragma once

#include <array>

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using Json = nlohmann::json;

// ---- Keys of the main document

inline constexpr char kEnabledKey[] = "enabled";
inline constexpr char kBlockUnknownEnabledKey[] = "block-unknown-enabled";
inline constexpr char kBypassContactsEnabledKey[] = "bypass-contacts-enabled";
inline constexpr char kBlacklistKey[] = "blacklist";
inline constexpr char kIgnoredPrefixesKey[] = "ignored-prefixes";
inline constexpr char kKeywordsKey[] = "keywords";
inline constexpr char kBlockedGroupsKey[] = "blocked-groups";
inline constexpr char kBlockedCitiesKey[] = "blocked-cities";
inline constexpr char kBlockedCitiesFlattenedKey[] = "blocked-cities-flattened";
inline constexpr char kMobileBlockedGroupsKey[] = "mobile-blocked-groups";
inline constexpr char kMobileBlockedCitiesKey[] = "mobile-blocked-cities";
inline constexpr char kMobileBlockedCitiesFlattenedKey[] = "mobile-blocked-cities-flattened";
inline constexpr char kVersionKey[] = "version";
inline constexpr char kAllowlistKey[] = "allowlist";
inline constexpr char kRepeatedCallEnabledKey[] = "repeated-call-enabled";
inline constexpr char kRepeatedCallMinutesKey[] = "repeated-call-minutes";
inline constexpr char kQuietHoursEnabledKey[] = "quiet-hours-enabled";
inline constexpr char kQuietHoursStartKey[] = "quiet-hours-start";
inline constexpr char kQuietHoursEndKey[] = "quiet-hours-end";
inline constexpr char kQuietHoursDaysKey[] = "quiet-hours-days";
inline constexpr char kNotifyBlockedCallsKey[] = "notify-blocked-calls";

// ---- Keys of the Phone-side document

inline constexpr char kMPInjectionEnabledKey[] = "mp-injection-enabled";

// ---- The default documents

// The main document of a first start: contacts bypassed, unknown numbers
// blocked, the ignored prefix "12583?" and eight keywords; screening off.
Json defaultPref();
// The Phone-side document of a first start: the Phone-side hooks on.
Json defaultMPPref();

// ---- Reading values of a document of any shape

// A missing key or a value of another JSON type (also when doc itself is not
// an object) reads as false, an empty list or empty text.
bool prefBool(const Json& doc, const char* key);
// Refers into doc, or to a shared empty array.
const Json& prefArray(const Json& doc, const char* key);
// A string, or "".
std::string jsonString(const Json& value);

// ---- Reading a document's bytes

// Whether key is one of the keys above (of either document).
bool isPrefDocumentKey(std::string_view key);

// A document as read from its bytes: the parsed value (any JSON value), and
// the top-level members left out because they nest deeper than a document
// may (kMaxJsonDepth): members whose key isPrefDocumentKey does not know. A
// known member nested that deep makes the whole document unreadable.
struct PrefDocumentRead {
  Json doc;
  std::vector<std::string> droppedMembers;
};
// nullopt when the bytes are no JSON text (statics/json_document.h).
[[nodiscard]] std::optional<PrefDocumentRead> parsePrefDocument(std::string_view bytes);

// ---- The optional rules

// How a document holds an optional rule: switched off (or absent), on with a
// usable value, or switched on with a value of the wrong type or out of
// range, which screens as off and which the settings screen points out.
enum class SettingState { kOff, kOn, kUnusable };

template <class T>
struct OptionalSetting {
  SettingState state = SettingState::kOff;
  T value{};
  bool on() const { return state == SettingState::kOn; }
};

inline constexpr int kDefaultRepeatedCallMinutes = 3;
inline constexpr int kMinRepeatedCallMinutes = 1;
inline constexpr int kMaxRepeatedCallMinutes = 60;

// kRepeatedCallEnabledKey and kRepeatedCallMinutesKey: the minutes within
// which a second call from a blocked number passes.
OptionalSetting<int> readRepeatedCallMinutes(const Json& doc);

// A daily window in which screening is on; outside it every call passes.
// Minutes since midnight in the phone's local time. An end before the start
// runs across midnight into the next day (which need not be a listed day);
// an end equal to the start is the whole day. days[d] for weekday d, 1
// (Monday) .. 7 (Sunday), says on which days a window begins.
struct QuietHours {
  int startMinute = 0;
  int endMinute = 0;
  std::array<bool, 8> days{};  // days[0] unused

  bool operator==(const QuietHours&) const = default;
  // Whether a moment (weekday 1..7 and minute of the day) lies inside.
  bool contains(int weekday, int minuteOfDay) const;
};

// kQuietHoursEnabledKey and the window's keys: unusable when a time is not
// "HH:MM" within a day, or the days are not a non-empty array of 1..7.
OptionalSetting<QuietHours> readQuietHours(const Json& doc);

// "HH:MM" (two digits each, 00:00 .. 23:59) to minutes since midnight, and
// back.
std::optional<int> parseClockTime(std::string_view text);
std::string clockTimeText(int minuteOfDay);

// The window's members as the settings application stores them.
void writeQuietHours(Json& doc, const QuietHours& window);

// kNotifyBlockedCallsKey: true unless the document holds false.
bool notifyBlockedCalls(const Json& doc);

// ---- Pattern entries

struct PatternEntry {
  std::string pattern;     // element 0: as shown to the user
  std::string expression;  // element 1
  std::string comment;     // element 2
};

// The entry when value is an array of exactly three strings.
[[nodiscard]] std::optional<PatternEntry> readPatternEntry(const Json& value);
// The entry as stored.
Json patternEntryJson(const PatternEntry& entry);
