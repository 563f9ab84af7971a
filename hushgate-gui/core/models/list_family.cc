#include "hushgate-gui/core/models/list_family.h"

#include "hushgate-gui/core/kit/localization.h"
#include "hushgate-gui/core/models/list_text.h"
#include "statics/contracts/blacklist_pattern.h"
#include "statics/contracts/pref_document.h"

namespace gui {

namespace {

ListTexts blacklistTexts() {
  return {localizedString("add-blacklist"),
          localizedString("blacklist-example"),
          /*attributedMessage=*/true,
          localizedString("enter-number"),
          localizedString("del-all-blacklist-prompt"),
          localizedString("blacklist-empty")};
}

ListTexts allowlistTexts() {
  return {localizedString("add-allowlist"),
          localizedString("allowlist-example"),
          /*attributedMessage=*/true,
          localizedString("enter-number"),
          localizedString("del-all-allowlist-prompt"),
          localizedString("allowlist-empty")};
}

ListTexts ignoredPrefixTexts() {
  return {localizedString("add-prefix-title"),
          localizedString("add-prefix-content"),
          /*attributedMessage=*/false,
          /*firstPlaceholder=*/"",
          localizedString("del-all-prefixes-prompt"),
          localizedString("prefixes-empty")};
}

ListTexts keywordsTexts() {
  return {localizedString("add-keyword-title"),
          localizedString("add-keyword-content"),
          /*attributedMessage=*/false,
          localizedString("enter-keyword-prompt"),
          localizedString("del-all-keywords-prompt"),
          localizedString("keywords-empty")};
}

// The blacklist's shape and grammar: number patterns with "*" and "?", each
// with a comment. The allow-list takes them too.
constexpr ListFamily numberPatternFamily(const char* sceneIdentifier, const char* prefKey,
                                         ListTexts (*texts)()) {
  return {
      .sceneIdentifier = sceneIdentifier,
      .prefKey = prefKey,
      .keyboard = KeyboardType::NumbersAndPunctuation,
      .allowedCharacters = "0123456789?* -",
      .okOnTrimmedText = false,
      .normalise = normaliseBlacklistInput,
      .refusesWildcardRuns = true,
      .expression = blacklistExpression,
      .texts = texts,
  };
}

}  // namespace

constinit const ListFamily kBlacklistFamily =
    numberPatternFamily("sb.blacklist", kBlacklistKey, blacklistTexts);
constinit const ListFamily kAllowlistFamily =
    numberPatternFamily("sb.allowlist", kAllowlistKey, allowlistTexts);

const ListFamily kIgnoredPrefixFamily{
    .sceneIdentifier = "sb.ignored-prefix",
    .prefKey = kIgnoredPrefixesKey,
    .keyboard = KeyboardType::NumbersAndPunctuation,
    .allowedCharacters = "0123456789? ",
    .okOnTrimmedText = false,
    .normalise = normalisePrefixInput,
    .refusesWildcardRuns = false,
    .expression = prefixExpression,
    .texts = ignoredPrefixTexts,
};

const ListFamily kKeywordsFamily{
    .sceneIdentifier = "sb.blackkeywords",
    .prefKey = kKeywordsKey,
    .keyboard = KeyboardType::Default,
    .allowedCharacters = nullptr,  // any text
    .okOnTrimmedText = true,
    .normalise = normaliseKeywordInput,
    .refusesWildcardRuns = false,
    .expression = nullptr,  // entries are the keyword alone
    .texts = keywordsTexts,
};

}  // namespace gui
