#include "statics/screening/blacklist_matcher.h"

#include <utility>

#include "statics/screening/icu_regex.h"
#include "statics/contracts/blacklist_pattern.h"

BlacklistMatcher::BlacklistMatcher() = default;
BlacklistMatcher::~BlacklistMatcher() = default;
BlacklistMatcher::BlacklistMatcher(BlacklistMatcher&&) noexcept = default;
BlacklistMatcher& BlacklistMatcher::operator=(BlacklistMatcher&&) noexcept = default;

BlacklistMatcher::BlacklistMatcher(const std::vector<icu::UnicodeString>& expressions) {
  std::vector<std::vector<BlacklistAtom>> simple;
  simple.reserve(expressions.size());
  for (const icu::UnicodeString& expression : expressions) {
    if (std::optional<std::vector<BlacklistAtom>> atoms = parseBlacklistExpression(expression)) {
      simple.push_back(std::move(*atoms));
    } else if (std::unique_ptr<icu::RegexPattern> pattern = compileExpression(expression)) {
      icuPatterns_.push_back(std::move(pattern));
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
