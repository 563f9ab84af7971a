// The rules file: the screening rules of the main preference document as one
// file that moves them to another phone (written by exportRules, read by
// planImport, statics/rules_transfer.h). UTF-8 JSON, one object:
//
//   {
//     "format": "hushgate-rules",           kRulesFormatKey, kRulesFormatName
//     "version": 1,                         kRulesVersionKey, kRulesFileVersion
//     "enabled": true, ...                  the switches, booleans
//     "repeated-call-minutes": 3, ...       the values, as the main document holds them
//     "blacklist": [                        the pattern lists (kRulesPatternListKeys):
//       {"pattern": "170*", "comment": ""}, one object per entry, one per line;
//       ...                                 no expression: an importer builds it
//     ],                                    again from the pattern
//     "keywords": ["广告", ...],            keyword and region key lists, one text per line
//     "blocked-cities": {                   group -> city keys, one group per line
//       "guangdong": ["0755", "020"]
//     }
//   }
//
// The members other than "format" and "version" have the keys and shapes of
// the main document (statics/contracts/pref_document.h), except that pattern
// entries are objects. Every member but "format" and "version" is optional;
// an importer ignores members it does not know.
#pragma once

#include "statics/contracts/pref_document.h"

inline constexpr char kRulesFormatKey[] = "format";
inline constexpr char kRulesFormatName[] = "hushgate-rules";
inline constexpr char kRulesVersionKey[] = "version";
inline constexpr int kRulesFileVersion = 1;

// A pattern entry of the file.
inline constexpr char kRulesPatternKey[] = "pattern";
inline constexpr char kRulesCommentKey[] = "comment";

// The members of the file, in the order an export writes them.
inline constexpr const char* kRulesSwitchKeys[] = {
    kEnabledKey,
    kBlockUnknownEnabledKey,
    kBypassContactsEnabledKey,
    kRepeatedCallEnabledKey,
    kQuietHoursEnabledKey,
};
inline constexpr const char* kRulesValueKeys[] = {
    kRepeatedCallMinutesKey,
    kQuietHoursStartKey,
    kQuietHoursEndKey,
    kQuietHoursDaysKey,
};
inline constexpr const char* kRulesPatternListKeys[] = {
    kBlacklistKey,
    kAllowlistKey,
    kIgnoredPrefixesKey,
};
inline constexpr const char* kRulesTextListKeys[] = {
    kKeywordsKey,
    kBlockedGroupsKey,
    kBlockedCitiesFlattenedKey,
    kMobileBlockedGroupsKey,
    kMobileBlockedCitiesFlattenedKey,
};
inline constexpr const char* kRulesCityMapKeys[] = {
    kBlockedCitiesKey,
    kMobileBlockedCitiesKey,
};
