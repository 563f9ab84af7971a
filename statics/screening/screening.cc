#include "statics/screening/screening.h"

#include <ctime>
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
    std::string shown;  // the prefix as the user typed it
  };

  // A list of pattern entries merged into one matcher, with each compiled
  // entry's pattern as shown.
  struct PatternList {
    BlacklistMatcher matcher;
    std::vector<std::string> patterns;
  };

  std::vector<IgnoredPrefix> ignoredPrefixes;
  PatternList blacklist;
  PatternList allowlist;
  OptionalSetting<int> repeatedCallMinutes;
  OptionalSetting<QuietHours> quietHours;
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
      prefixes.push_back(
          {std::move(pattern), toUnicode(entry->pattern).length(), std::move(entry->pattern)});
    }
  }
  return prefixes;
}

// The entries of a list of pattern entries (the blacklist's shape), in list
// order; an entry whose expression does not compile never matches.
ScreeningRules::Compiled::PatternList compilePatternList(const Json& pref, const char* key) {
  std::vector<icu::UnicodeString> expressions;
  ScreeningRules::Compiled::PatternList list;
  expressions.reserve(prefArray(pref, key).size());
  list.patterns.reserve(prefArray(pref, key).size());
  for (const Json& item : prefArray(pref, key)) {
    if (std::optional<PatternEntry> entry = readPatternEntry(item)) {
      expressions.push_back(toUnicode(entry->expression));
      list.patterns.push_back(std::move(entry->pattern));
    }
  }
  list.matcher = BlacklistMatcher(expressions);
  return list;
}

// The pattern of the first entry that matches.
std::optional<std::string> firstMatchingPattern(const ScreeningRules::Compiled::PatternList& list,
                                                const icu::UnicodeString& number) {
  if (list.patterns.empty()) return std::nullopt;
  const std::optional<size_t> index = list.matcher.firstMatch(number);
  if (!index) return std::nullopt;
  return list.patterns[*index];
}

// Cuts the first ignored prefix that matches; the prefix as shown, or ""
// when none did.
std::string removeIgnoredPrefix(const ScreeningRules::Compiled& compiled,
                                icu::UnicodeString& number) {
  for (const ScreeningRules::Compiled::IgnoredPrefix& prefix : compiled.ignoredPrefixes) {
    if (findsMatch(*prefix.pattern, number)) {
      removeLeading(number, prefix.length);
      return prefix.shown;
    }
  }
  return {};
}

// A blocking rule's verdict, before the repeated-call allowance.
struct Verdict {
  BlockReason reason = BlockReasonNone;
  FiredRule rule;
  std::string detail;
};

std::string placeOf(const ScreeningContext& context, const std::string& code) {
  return context.placeLookup ? context.placeLookup(code) : std::string();
}

Verdict regionRule(const icu::UnicodeString& number, const Json& pref,
                   const ScreeningContext& context) {
  if (startsWith(number, u"0")) {
    for (const Json& item : prefArray(pref, kBlockedCitiesFlattenedKey)) {
      const std::optional<icu::UnicodeString> areaCode = readTextEntry(item);
      if (areaCode && hasPrefix(number, *areaCode)) {
        const std::string code = toUtf8(*areaCode);
        return {BlockReasonLandline, {RuleKind::kAreaCode, code, placeOf(context, code), {}}, {}};
      }
    }
    return {};
  }
  if (!isMobileNumber(number) || !context.regionLookup) return {};
  const std::string region = context.regionLookup(toUtf8(number));
  if (region.empty()) return {};
  for (const Json& item : prefArray(pref, kMobileBlockedCitiesFlattenedKey)) {
    if (item.is_string() && item.get_ref<const std::string&>() == region) {
      return {
          BlockReasonMobile, {RuleKind::kMobileRegion, region, placeOf(context, region), {}}, {}};
    }
  }
  return {};
}

Verdict keywordRule(const std::string& number, const Json& pref, const LabelLookup& labelLookup) {
  if (!labelLookup) return {};
  const std::optional<std::string> label = labelLookup(number);
  if (!label) return {};
  const icu::UnicodeString text = toUnicode(*label);
  for (const Json& item : prefArray(pref, kKeywordsKey)) {
    // A plain, case-sensitive search; the empty keyword is found nowhere.
    const std::optional<icu::UnicodeString> keyword = readTextEntry(item);
    if (keyword && !keyword->isEmpty() && text.indexOf(*keyword) >= 0) {
      return {BlockReasonKeyword, {RuleKind::kKeyword, toUtf8(*keyword), {}, {}}, *label};
    }
  }
  return {};
}

// Whether the repeated-call allowance lets a call from number through: a
// block of the same number at most the minutes before the call.
bool repeatedCall(const ScreeningRules::Compiled& compiled, const std::string& number,
                  const ScreeningContext& context) {
  if (!compiled.repeatedCallMinutes.on() || number.empty() || !context.lastBlockLookup) {
    return false;
  }
  const std::optional<int64_t> lastBlock = context.lastBlockLookup(number);
  if (!lastBlock || *lastBlock > context.moment.date) return false;
  return context.moment.date - *lastBlock <= int64_t{compiled.repeatedCallMinutes.value} * 60;
}

ScreeningResult decided(Verdict verdict, const std::string& cutPrefix,
                        const icu::UnicodeString& number) {
  ScreeningResult result;
  result.reason = verdict.reason;
  result.detail = std::move(verdict.detail);
  result.rule = std::move(verdict.rule);
  if (result.rule.kind != RuleKind::kNone) result.rule.cutPrefix = cutPrefix;
  result.judgedNumber = toUtf8(number);
  return result;
}

// A verdict of a rule that the repeated-call allowance may overrule.
ScreeningResult allowanceMayOverrule(Verdict verdict, const std::string& cutPrefix,
                                     const icu::UnicodeString& number, const IncomingCallInfo& call,
                                     const ScreeningRules::Compiled& compiled,
                                     const ScreeningContext& context) {
  ScreeningResult result = decided(std::move(verdict), cutPrefix, number);
  if (result.reason == BlockReasonNone || !repeatedCall(compiled, call.number, context)) {
    return result;
  }
  result.overruledReason = result.reason;
  result.overruledRule = std::move(result.rule);
  result.reason = BlockReasonNone;
  result.rule = {
      RuleKind::kRepeatedCall, std::to_string(compiled.repeatedCallMinutes.value), {}, {}};
  return result;
}

ScreeningResult applyRules(const IncomingCallInfo& call, const ScreeningRules& rules,
                           const ScreeningContext& context) {
  const Json& pref = rules.pref();
  const ScreeningRules::Compiled& compiled = rules.compiled();
  icu::UnicodeString number = toUnicode(call.number);
  const auto passes = [&](RuleKind kind, std::string value = {}) {
    return decided({BlockReasonNone, {kind, std::move(value), {}, {}}, {}}, {}, number);
  };

  if (compiled.quietHours.on() &&
      !compiled.quietHours.value.contains(context.moment.weekday, context.moment.minuteOfDay)) {
    return passes(RuleKind::kOutsideQuietHours);
  }
  if (call.systemBlocked)
    return decided({BlockReasonSystem, {RuleKind::kSystemBlocked}, {}}, {}, number);

  // The allow-list sees the number as dialled and as the rules judge it.
  if (std::optional<std::string> allowed = firstMatchingPattern(compiled.allowlist, number)) {
    return passes(RuleKind::kAllowlist, std::move(*allowed));
  }
  icu::UnicodeString judged = number;
  if (startsWith(judged, u"+86")) judged.remove(0, 3);
  const std::string cutPrefix = removeIgnoredPrefix(compiled, judged);
  // A number that nothing was cut from was tried already.
  if (std::optional<std::string> allowed =
          judged == number ? std::nullopt : firstMatchingPattern(compiled.allowlist, judged)) {
    ScreeningResult result =
        decided({BlockReasonNone, {RuleKind::kAllowlist, std::move(*allowed), {}, {}}, {}},
                cutPrefix, judged);
    return result;
  }

  if (call.contactIdentifier && prefBool(pref, kBypassContactsEnabledKey)) {
    return passes(RuleKind::kContact);
  }
  if (number.isEmpty() && prefBool(pref, kBlockUnknownEnabledKey)) {
    return decided({BlockReasonUnknownNumber, {RuleKind::kUnknownNumber}, {}}, {}, number);
  }

  if (Verdict region = regionRule(judged, pref, context); region.reason != BlockReasonNone) {
    return allowanceMayOverrule(std::move(region), cutPrefix, judged, call, compiled, context);
  }
  if (std::optional<std::string> blocked = firstMatchingPattern(compiled.blacklist, judged)) {
    return decided({BlockReasonBlacklist, {RuleKind::kBlacklist, std::move(*blocked), {}, {}}, {}},
                   cutPrefix, judged);
  }
  return allowanceMayOverrule(keywordRule(toUtf8(judged), pref, context.labelLookup), cutPrefix,
                              judged, call, compiled, context);
}

}  // namespace

ScreeningRules::ScreeningRules(Json pref)
    : pref_(std::move(pref)),
      compiled_(new Compiled{compileIgnoredPrefixes(pref_),
                             compilePatternList(pref_, kBlacklistKey),
                             compilePatternList(pref_, kAllowlistKey),
                             readRepeatedCallMinutes(pref_), readQuietHours(pref_)}) {}

ScreeningRules::~ScreeningRules() = default;

bool ScreeningRules::enabled() const {
  return prefBool(pref_, kEnabledKey);
}

CallMoment callMomentAt(std::chrono::system_clock::time_point when) {
  CallMoment moment;
  moment.date = blockRecordDate(when);
  const time_t seconds = static_cast<time_t>(moment.date);
  struct tm local = {};
  if (localtime_r(&seconds, &local) != nullptr) {
    moment.weekday = local.tm_wday == 0 ? 7 : local.tm_wday;
    moment.minuteOfDay = local.tm_hour * 60 + local.tm_min;
  }
  return moment;
}

ScreeningResult screenIncomingCall(const IncomingCallInfo& call, const ScreeningRules& rules,
                                   const ScreeningContext& context) {
  return applyRules(call, rules, context);
}

ScreeningResult screenIncomingCall(const IncomingCallInfo& call, const ScreeningRules& rules,
                                   const RegionLookup& regionLookup,
                                   const LabelLookup& labelLookup) {
  ScreeningContext context;
  context.regionLookup = regionLookup;
  context.labelLookup = labelLookup;
  context.moment = callMomentAt(std::chrono::system_clock::now());
  return applyRules(call, rules, context);
}

std::string callerLabelLookupKey(const std::string& normalisedNumber) {
  icu::UnicodeString number = toUnicode(normalisedNumber);
  if (isMobileNumber(number)) return "86" + toUtf8(number);
  if (startsWith(number, u"0")) number.remove(0, 1);
  if (number.length() > 8) return "86" + toUtf8(number);
  return toUtf8(number);
}
