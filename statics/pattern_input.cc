#include "statics/pattern_input.h"

#include "statics/statics.h"
#include "statics/utf8.h"

namespace {

// Replaces every non-overlapping occurrence of from, left to right, once.
std::string replacingOccurrences(std::string_view text, std::string_view from,
                                 std::string_view to) {
  std::string result;
  size_t start = 0;
  for (size_t found; (found = text.find(from, start)) != std::string_view::npos;
       start = found + from.size()) {
    result.append(text.substr(start, found - start));
    result.append(to);
  }
  result.append(text.substr(start));
  return result;
}

}  // namespace

std::string removingWhitespace(std::string_view text, bool alsoHyphens) {
  std::string result;
  forEachCodePoint(text, [&](UChar32 c, std::string_view bytes) {
    // An ill-formed byte is kept as it is.
    if (c >= 0 && (isWhitespaceOrNewline(c) || (alsoHyphens && c == '-'))) return;
    result.append(bytes);
  });
  return result;
}

std::string collapseWildcards(std::string_view pattern) {
  std::string result = replacingOccurrences(pattern, "**", "*");
  result = replacingOccurrences(result, "*?", "*");
  return replacingOccurrences(result, "?*", "*");
}

bool hasWildcardRun(std::string_view pattern) {
  return pattern.find("**") != std::string_view::npos ||
         pattern.find("*?") != std::string_view::npos ||
         pattern.find("?*") != std::string_view::npos;
}

std::string normaliseBlacklistInput(std::string_view input) {
  return collapseWildcards(removingWhitespace(input, /*alsoHyphens=*/true));
}

std::string normalisePrefixInput(std::string_view input) {
  return removingWhitespace(input);
}

std::string normaliseKeywordInput(std::string_view input) {
  return trimming(input);
}
