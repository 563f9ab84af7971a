#include "tests/screening/reference_screening.h"

#include <memory>

#include <unicode/regex.h>
#include <unicode/unistr.h>

#include "statics/screening/icu_regex.h"
#include "statics/screening/unicode_text.h"

namespace {

bool matches(const std::string& expression, const icu::UnicodeString& number) {
  const std::unique_ptr<icu::RegexPattern> pattern = compileExpression(toUnicode(expression));
  return pattern && findsMatch(*pattern, number);
}

bool isMobile(const icu::UnicodeString& number) {
  if (number.length() != 11) return false;
  for (const char16_t* prefix : {u"13", u"15", u"17", u"18", u"19"}) {
    if (number.startsWith(icu::UnicodeString(prefix))) return true;
  }
  return false;
}

}  // namespace

ScreeningResult referenceScreenIncomingCall(const IncomingCallInfo& call, const Json& pref,
                                            const RegionLookup& regionLookup,
                                            const LabelLookup& labelLookup) {
  // 1. Already blocked by the phone; 2. a contact, when contacts pass.
  if (call.systemBlocked) return {BlockReasonSystem, {}};
  if (call.contactIdentifier && prefBool(pref, kBypassContactsEnabledKey)) return {};
  // 3. No number.
  icu::UnicodeString number = toUnicode(call.number);
  if (number.isEmpty() && prefBool(pref, kBlockUnknownEnabledKey)) {
    return {BlockReasonUnknownNumber, {}};
  }
  // 4. "+86" goes; 5. the first ignored prefix that matches cuts its length.
  if (number.startsWith(icu::UnicodeString(u"+86"))) number.remove(0, 3);
  for (const Json& item : prefArray(pref, kIgnoredPrefixesKey)) {
    const std::optional<PatternEntry> entry = readPatternEntry(item);
    if (!entry || !matches(entry->expression, number)) continue;
    const int32_t length = toUnicode(entry->pattern).length();
    number.remove(0, length >= number.length() ? number.length() : length);
    break;
  }
  // 6. Landline area codes; 7. the mobile number's region.
  if (number.startsWith(icu::UnicodeString(u"0"))) {
    for (const Json& item : prefArray(pref, kBlockedCitiesFlattenedKey)) {
      if (!item.is_string()) continue;
      const icu::UnicodeString code = toUnicode(item.get_ref<const std::string&>());
      if (!code.isEmpty() && number.startsWith(code)) return {BlockReasonLandline, {}};
    }
  } else if (isMobile(number) && regionLookup) {
    const std::string region = regionLookup(toUtf8(number));
    for (const Json& item : prefArray(pref, kMobileBlockedCitiesFlattenedKey)) {
      if (!region.empty() && item.is_string() && item.get_ref<const std::string&>() == region) {
        return {BlockReasonMobile, {}};
      }
    }
  }
  // 8. The blacklist, every entry in order.
  for (const Json& item : prefArray(pref, kBlacklistKey)) {
    const std::optional<PatternEntry> entry = readPatternEntry(item);
    if (entry && matches(entry->expression, number)) return {BlockReasonBlacklist, {}};
  }
  // 9. A keyword in the caller-identification label.
  if (!labelLookup) return {};
  const std::optional<std::string> label = labelLookup(toUtf8(number));
  if (!label) return {};
  const icu::UnicodeString text = toUnicode(*label);
  for (const Json& item : prefArray(pref, kKeywordsKey)) {
    if (!item.is_string()) continue;
    const icu::UnicodeString keyword = toUnicode(item.get_ref<const std::string&>());
    if (!keyword.isEmpty() && text.indexOf(keyword) >= 0) return {BlockReasonKeyword, *label};
  }
  return {};
}
