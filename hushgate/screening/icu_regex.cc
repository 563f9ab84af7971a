#include "hushgate/screening/icu_regex.h"

std::unique_ptr<icu::RegexPattern> compileExpression(const icu::UnicodeString& expression) {
  UErrorCode status = U_ZERO_ERROR;
  UParseError parseError;
  std::unique_ptr<icu::RegexPattern> pattern(
      icu::RegexPattern::compile(expression, 0, parseError, status));
  if (U_FAILURE(status)) return nullptr;
  return pattern;
}

bool findsMatch(const icu::RegexPattern& pattern, const icu::UnicodeString& text) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::RegexMatcher> matcher(pattern.matcher(text, status));
  if (U_FAILURE(status) || matcher == nullptr) return false;
  const bool found = matcher->find(status);
  return found && U_SUCCESS(status);
}
