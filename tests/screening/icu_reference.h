// The answer of the blacklist rule as the phone computes it: every expression
// compiled with ICU and tried in list order.
#pragma once

#include <string>
#include <vector>

#include <unicode/unistr.h>

#include "statics/screening/icu_regex.h"

inline bool icuFindsAny(const std::vector<icu::UnicodeString>& expressions,
                        const icu::UnicodeString& number) {
  for (const icu::UnicodeString& expression : expressions) {
    const auto pattern = compileExpression(expression);
    if (pattern && findsMatch(*pattern, number)) return true;
  }
  return false;
}
