// Text rules of the list editors: normalising what the user typed, collapsing
// wildcard runs and the typing filter of the add dialog (the stored regular
// expressions: statics/contracts/blacklist_pattern.h). Texts are UTF-8; pure functions.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace gui {

// The text without any white space or line end (the Unicode Z* categories,
// tab, U+000A to U+000D, U+0085), anywhere in it; with alsoHyphens, without
// any "-" either.
std::string removingWhitespace(std::string_view text, bool alsoHyphens = false);

// Three single passes, each replacing non-overlapping occurrences from left
// to right once: "**" -> "*", then "*?" -> "*", then "?*" -> "*". So 1**2,
// 1*?2 and 1?*2 become 1*2, while 1***2 still holds "**".
std::string collapseWildcards(std::string_view pattern);
// Whether "**", "*?" or "?*" is left in the pattern.
bool hasWildcardRun(std::string_view pattern);

// The normalising of each list on "ok"; "" means there is nothing to add.
std::string normaliseBlacklistInput(std::string_view input);  // no blanks, no "-", collapsed
std::string normalisePrefixInput(std::string_view input);     // no blanks
std::string normaliseKeywordInput(std::string_view input);    // trimmed at both ends

// The answer of the typing filter: whether the edit is taken and, when it
// is, whether "ok" is enabled afterwards. A refused edit leaves "ok" as it
// was (okEnabled is then false and means nothing).
struct TextEdit {
  bool accepted = false;
  bool okEnabled = false;
};

// Decides an edit of current: the range [location, location + length) in
// UTF-16 units is to be replaced by replacement. The edit is refused whole
// when replacement holds a character outside allowedCharacters (nullptr:
// every character is allowed), is not UTF-8, or the range lies outside the
// text. "ok" is enabled when the resulting text, trimmed when okOnTrimmedText,
// is not empty.
TextEdit decideTextEdit(std::string_view current, size_t location, size_t length,
                        std::string_view replacement, const char* allowedCharacters,
                        bool okOnTrimmedText);

}  // namespace gui
