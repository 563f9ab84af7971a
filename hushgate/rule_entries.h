// Reading the list entries of a preference document of any shape. Entries of
// another shape than the settings application writes are skipped by callers,
// never an error.
#pragma once

#include <optional>

#include <unicode/unistr.h>

#include "statics/Preference.h"

// A blacklist or ignored-prefix entry: [text as typed, expression, comment].
struct PatternEntry {
  icu::UnicodeString text;        // element 0
  icu::UnicodeString expression;  // element 1
};

// The entry when it is an array of exactly three strings.
std::optional<PatternEntry> readPatternEntry(const Json& entry);

// A string entry of a list of texts (keywords, area codes, region codes).
std::optional<icu::UnicodeString> readTextEntry(const Json& entry);
