// How a list entry typed by a user (or read from a rules file) becomes the
// text that is stored: white space and hyphens removed, wildcard runs
// collapsed, keywords trimmed; and which normalised patterns the lists
// refuse. The stored regular expressions: statics/contracts/blacklist_pattern.h.
// Texts are UTF-8; pure functions.
#pragma once

#include <string>
#include <string_view>

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

// The normalising of each list; "" means there is nothing to add.
std::string normaliseBlacklistInput(std::string_view input);  // no blanks, no "-", collapsed
std::string normalisePrefixInput(std::string_view input);     // no blanks
std::string normaliseKeywordInput(std::string_view input);    // trimmed at both ends
