#include "statics/screening/icu_regex.h"

#include "statics/screening/unicode_text.h"
#include "statics/Log.h"

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
  matcher->setTimeLimit(kMatchTimeLimit, status);
  if (U_FAILURE(status)) return false;
  const bool found = matcher->find(status);
  if (status == U_REGEX_TIME_OUT) {
    Log("== expression %@ took too long on %@; taken as no match", toUtf8(pattern.pattern()),
        toUtf8(text));
  }
  return found && U_SUCCESS(status);
}
