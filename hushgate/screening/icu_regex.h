// Regular expressions as the phone runs the stored patterns: ICU syntax, no
// flags, the first match searched over the whole input.
#pragma once

#include <memory>

#include <unicode/regex.h>
#include <unicode/unistr.h>

// The compiled expression, or null when it does not compile.
std::unique_ptr<icu::RegexPattern> compileExpression(const icu::UnicodeString& expression);

// Whether the expression finds a match anywhere in text. A matcher error
// (such as a backtracking stack overflow) counts as no match.
bool findsMatch(const icu::RegexPattern& pattern, const icu::UnicodeString& text);
