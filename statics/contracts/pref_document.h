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
// Phone-side document: one JSON object with kMPInjectionEnabledKey (boolean)
// and kVersionKey.
//
// A pattern entry (blacklist and ignored prefixes) is an array of exactly
// three strings: the pattern as shown, its regular expression (built by
// blacklist_pattern.h) and a comment ("" for none).
#pragma once

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
