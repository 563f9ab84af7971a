#include "hushgate/rule_entries.h"

#include "hushgate/unicode_text.h"

std::optional<PatternEntry> readPatternEntry(const Json& entry) {
  if (!entry.is_array() || entry.size() != 3) return std::nullopt;
  for (const Json& element : entry) {
    if (!element.is_string()) return std::nullopt;
  }
  return PatternEntry{toUnicode(entry[0].get_ref<const std::string&>()),
                      toUnicode(entry[1].get_ref<const std::string&>())};
}

std::optional<icu::UnicodeString> readTextEntry(const Json& entry) {
  if (!entry.is_string()) return std::nullopt;
  return toUnicode(entry.get_ref<const std::string&>());
}
