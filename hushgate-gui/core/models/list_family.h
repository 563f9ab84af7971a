// The four list editors differ only in what this table says: which
// preference list they edit, what the add dialog shows and lets through, how
// input is normalised and what an entry holds.
#pragma once

#include <string>
#include <string_view>

#include "hushgate-gui/core/kit/ui.h"

namespace gui {

// Texts of one editor, looked up in the localisation table.
struct ListTexts {
  std::string addTitle;
  std::string addMessage;
  bool attributedMessage = false;  // shown left-aligned in the 14 pt system font
  std::string firstPlaceholder;    // "" for none
  std::string clearPrompt;
  std::string emptyText;  // shown in place of the rows of an empty list
};

struct ListFamily {
  const char* sceneIdentifier;
  const char* prefKey;
  // The first field of the add dialog.
  KeyboardType keyboard;
  const char* allowedCharacters;  // nullptr: any text
  bool okOnTrimmedText;           // "ok" follows the trimmed text, else the text
  // Input as stored; "" means there is nothing to add.
  std::string (*normalise)(std::string_view input);
  // Whether a pattern still holding "**", "*?" or "?*" is refused.
  bool refusesWildcardRuns;
  // Element 1 of an entry [shown, expression, comment]; nullptr when entries
  // are plain text without a comment.
  std::string (*expression)(std::string_view shown);
  ListTexts (*texts)();

  bool hasComments() const { return expression != nullptr; }
};

extern const ListFamily kBlacklistFamily;      // kBlacklistKey
extern const ListFamily kAllowlistFamily;      // kAllowlistKey
extern const ListFamily kIgnoredPrefixFamily;  // kIgnoredPrefixesKey
extern const ListFamily kKeywordsFamily;       // kKeywordsKey

}  // namespace gui
