#include "statics/screening/blacklist_matcher.h"

#include <utility>

#include "statics/contracts/blacklist_pattern.h"
#include "statics/screening/icu_regex.h"

BlacklistMatcher::BlacklistMatcher() = default;
BlacklistMatcher::~BlacklistMatcher() = default;
BlacklistMatcher::BlacklistMatcher(BlacklistMatcher&&) noexcept = default;
BlacklistMatcher& BlacklistMatcher::operator=(BlacklistMatcher&&) noexcept = default;

BlacklistMatcher::BlacklistMatcher(const std::vector<icu::UnicodeString>& expressions) {
  std::vector<std::vector<BlacklistAtom>> simple;
  simple.reserve(expressions.size());
  for (size_t i = 0; i < expressions.size(); ++i) {
    const icu::UnicodeString& expression = expressions[i];
    if (std::optional<std::vector<BlacklistAtom>> atoms = parseBlacklistExpression(expression)) {
      simple.push_back(std::move(*atoms));
      automatonIndex_.push_back(i);
    } else if (std::unique_ptr<icu::RegexPattern> pattern = compileExpression(expression)) {
      icuPatterns_.push_back(std::move(pattern));
      icuIndex_.push_back(i);
    }
  }
  automatonEntries_ = simple.size();
  automaton_ = BlacklistAutomaton(simple);
}

bool BlacklistMatcher::matches(const icu::UnicodeString& number) const {
  if (automaton_.matches(number)) return true;
  for (const std::unique_ptr<icu::RegexPattern>& pattern : icuPatterns_) {
    if (findsMatch(*pattern, number)) return true;
  }
  return false;
}

std::optional<size_t> BlacklistMatcher::firstMatch(const icu::UnicodeString& number) const {
  std::optional<size_t> first;
  if (const std::optional<uint32_t> entry = automaton_.firstMatch(number)) {
    first = automatonIndex_[*entry];
  }
  // The ICU patterns are in list order: only one before the automaton's
  // answer can change it.
  for (size_t i = 0; i < icuPatterns_.size() && (!first || icuIndex_[i] < *first); ++i) {
    if (findsMatch(*icuPatterns_[i], number)) return icuIndex_[i];
  }
  return first;
}
