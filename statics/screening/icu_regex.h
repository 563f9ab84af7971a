// Regular expressions as the phone runs the stored patterns: ICU syntax, no
// flags, the first match searched over the whole input.
#pragma once

#include <memory>

#include <unicode/regex.h>
#include <unicode/unistr.h>

// The compiled expression, or null when it does not compile.
std::unique_ptr<icu::RegexPattern> compileExpression(const icu::UnicodeString& expression);

// How long one match may run, in ICU's time-limit units (about a millisecond
// each): a hand-written expression such as ^(\d+)+$ backtracks for ever on
// a long number, and a ringing call cannot wait for it.
inline constexpr int32_t kMatchTimeLimit = 50;

// Whether the expression finds a match anywhere in text. A matcher error
// (such as a backtracking stack overflow) counts as no match, and so does a
// match that runs beyond kMatchTimeLimit (logged).
bool findsMatch(const icu::RegexPattern& pattern, const icu::UnicodeString& text);
