// Text rules of the list editors: normalising what the user typed, collapsing
// wildcard runs (both statics/pattern_input.h) and the typing filter of the
// add dialog (the stored regular expressions: statics/contracts/blacklist_pattern.h).
// Texts are UTF-8; pure functions.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "statics/pattern_input.h"

namespace gui {

// The normalising and the wildcard-run checks of the lists, shared with the
// rules import (statics/pattern_input.h).
using ::collapseWildcards;
using ::hasWildcardRun;
using ::normaliseBlacklistInput;
using ::normaliseKeywordInput;
using ::normalisePrefixInput;
using ::removingWhitespace;

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
