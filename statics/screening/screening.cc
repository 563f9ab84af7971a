#include "statics/screening/screening.h"

#include <utility>
#include <vector>

#include <unicode/regex.h>
#include <unicode/unistr.h>

#include "statics/screening/blacklist_matcher.h"
#include "statics/screening/icu_regex.h"
#include "statics/screening/unicode_text.h"

struct ScreeningRules::Compiled {
  // An ignored prefix ready to run: its expression and how many characters
  // it cuts off when the expression matches.
  struct IgnoredPrefix {
    std::unique_ptr<icu::RegexPattern> pattern;
    int32_t length = 0;
  };

  std::vector<IgnoredPrefix> ignoredPrefixes;
  BlacklistMatcher blacklist;
};

namespace {

// Text lengths and prefixes count UTF-16 units, as the phone counts them.
bool startsWith(const icu::UnicodeString& text, const char16_t* prefix) {
  return text.startsWith(icu::UnicodeString(prefix));
}

// A prefix test as the phone's string API makes it: the empty prefix never
// matches.
bool hasPrefix(const icu::UnicodeString& text, const icu::UnicodeString& prefix) {
  return !prefix.isEmpty() && text.startsWith(prefix);
}

bool isMobileNumber(const icu::UnicodeString& number) {
  if (number.length() != 11) return false;
  for (const char16_t* prefix : {u"13", u"15", u"17", u"18", u"19"}) {
    if (startsWith(number, prefix)) return true;
  }
  return false;
}

// Cuts count leading characters; a prefix text longer than the number (only
// a hand-edited document has one) leaves the empty number.
void removeLeading(icu::UnicodeString& number, int32_t count) {
  if (count >= number.length()) {
    number.remove();
  } else {
    number.remove(0, count);
  }
}

// A string entry of a list of texts (keywords, area codes); entries of
// another type are skipped.
std::optional<icu::UnicodeString> readTextEntry(const Json& entry) {
  if (!entry.is_string()) return std::nullopt;
  return toUnicode(entry.get_ref<const std::string&>());
}

std::vector<ScreeningRules::Compiled::IgnoredPrefix> compileIgnoredPrefixes(const Json& pref) {
  std::vector<ScreeningRules::Compiled::IgnoredPrefix> prefixes;
  for (const Json& item : prefArray(pref, kIgnoredPrefixesKey)) {
    const std::optional<PatternEntry> entry = readPatternEntry(item);
    if (!entry) continue;
    if (std::unique_ptr<icu::RegexPattern> pattern =
            compileExpression(toUnicode(entry->expression))) {
      prefixes.push_back({std::move(pattern), toUnicode(entry->pattern).length()});
    }
  }
  return prefixes;
}

BlacklistMatcher compileBlacklist(const Json& pref) {
  std::vector<icu::UnicodeString> expressions;
  expressions.reserve(prefArray(pref, kBlacklistKey).size());
  for (const Json& item : prefArray(pref, kBlacklistKey)) {
    if (std::optional<PatternEntry> entry = readPatternEntry(item)) {
      expressions.push_back(toUnicode(entry->expression));
    }
  }
  return BlacklistMatcher(expressions);
}

// The pattern rules, with every expression compiled once per document.
class PrecompiledPatterns {
 public:
  explicit PrecompiledPatterns(const ScreeningRules::Compiled& compiled) : compiled_(compiled) {}

  void removeIgnoredPrefix(icu::UnicodeString& number) const {
    for (const ScreeningRules::Compiled::IgnoredPrefix& prefix : compiled_.ignoredPrefixes) {
      if (findsMatch(*prefix.pattern, number)) {
        removeLeading(number, prefix.length);
        return;
      }
    }
  }

  bool blacklisted(const icu::UnicodeString& number) const {
    return compiled_.blacklist.matches(number);
  }

 private:
  const ScreeningRules::Compiled& compiled_;
};

BlockReason regionRule(const icu::UnicodeString& number, const Json& pref,
                       const RegionLookup& regionLookup) {
  if (startsWith(number, u"0")) {
    for (const Json& item : prefArray(pref, kBlockedCitiesFlattenedKey)) {
      const std::optional<icu::UnicodeString> areaCode = readTextEntry(item);
      if (areaCode && hasPrefix(number, *areaCode)) return BlockReasonLandline;
    }
    return BlockReasonNone;
  }
  if (!isMobileNumber(number) || !regionLookup) return BlockReasonNone;
  const std::string region = regionLookup(toUtf8(number));
  if (region.empty()) return BlockReasonNone;
  for (const Json& item : prefArray(pref, kMobileBlockedCitiesFlattenedKey)) {
    if (item.is_string() && item.get_ref<const std::string&>() == region) return BlockReasonMobile;
  }
  return BlockReasonNone;
}

ScreeningResult keywordRule(const std::string& number, const Json& pref,
                            const LabelLookup& labelLookup) {
  if (!labelLookup) return {};
  const std::optional<std::string> label = labelLookup(number);
  if (!label) return {};
  const icu::UnicodeString text = toUnicode(*label);
  for (const Json& item : prefArray(pref, kKeywordsKey)) {
    // A plain, case-sensitive search; the empty keyword is found nowhere.
    const std::optional<icu::UnicodeString> keyword = readTextEntry(item);
    if (keyword && !keyword->isEmpty() && text.indexOf(*keyword) >= 0) {
      return {BlockReasonKeyword, *label};
    }
  }
  return {};
}

ScreeningResult applyRules(const IncomingCallInfo& call, const Json& pref,
                           const PrecompiledPatterns& patterns, const RegionLookup& regionLookup,
                           const LabelLookup& labelLookup) {
  if (call.systemBlocked) return {BlockReasonSystem, {}};
  if (call.contactIdentifier && prefBool(pref, kBypassContactsEnabledKey)) return {};

  icu::UnicodeString number = toUnicode(call.number);
  if (number.isEmpty() && prefBool(pref, kBlockUnknownEnabledKey)) {
    return {BlockReasonUnknownNumber, {}};
  }
  if (startsWith(number, u"+86")) number.remove(0, 3);
  patterns.removeIgnoredPrefix(number);

  if (const BlockReason reason = regionRule(number, pref, regionLookup);
      reason != BlockReasonNone) {
    return {reason, {}};
  }
  if (patterns.blacklisted(number)) return {BlockReasonBlacklist, {}};
  return keywordRule(toUtf8(number), pref, labelLookup);
}

}  // namespace

ScreeningRules::ScreeningRules(Json pref)
    : pref_(std::move(pref)),
      compiled_(new Compiled{compileIgnoredPrefixes(pref_), compileBlacklist(pref_)}) {}

ScreeningRules::~ScreeningRules() = default;

bool ScreeningRules::enabled() const {
  return prefBool(pref_, kEnabledKey);
}

ScreeningResult screenIncomingCall(const IncomingCallInfo& call, const ScreeningRules& rules,
                                   const RegionLookup& regionLookup,
                                   const LabelLookup& labelLookup) {
  return applyRules(call, rules.pref(), PrecompiledPatterns(rules.compiled()), regionLookup,
                    labelLookup);
}

std::string callerLabelLookupKey(const std::string& normalisedNumber) {
  icu::UnicodeString number = toUnicode(normalisedNumber);
  if (isMobileNumber(number)) return "86" + toUtf8(number);
  if (startsWith(number, u"0")) number.remove(0, 1);
  if (number.length() > 8) return "86" + toUtf8(number);
  return toUtf8(number);
}
