// The blacklist rule: whether any entry's expression finds a match in the
// number. The answer does not depend on list order, so the expressions of the
// common form (blacklist_expression.h) are merged into one automaton that
// reads the number once, and only the others run as ICU expressions. The
// answer is always the one that trying every expression with ICU gives.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

#include <unicode/regex.h>
#include <unicode/unistr.h>

#include "statics/screening/blacklist_automaton.h"

class BlacklistMatcher {
 public:
  // Matches nothing.
  BlacklistMatcher();
  // The expressions of the entries; one that does not compile is left out.
  explicit BlacklistMatcher(const std::vector<icu::UnicodeString>& expressions);
  ~BlacklistMatcher();
  BlacklistMatcher(BlacklistMatcher&&) noexcept;
  BlacklistMatcher& operator=(BlacklistMatcher&&) noexcept;

  // Whether any expression finds a match in number.
  bool matches(const icu::UnicodeString& number) const;
  // The index (among the expressions given) of the first expression in
  // their order that finds a match; nullopt when none does.
  std::optional<size_t> firstMatch(const icu::UnicodeString& number) const;

  // How the expressions were taken in: merged into the automaton, or run by ICU.
  size_t automatonEntryCount() const { return automatonEntries_; }
  size_t icuEntryCount() const { return icuPatterns_.size(); }

 private:
  BlacklistAutomaton automaton_;
  // Each automaton entry's and each ICU pattern's index among the
  // expressions given.
  std::vector<size_t> automatonIndex_;
  size_t automatonEntries_ = 0;
  std::vector<std::unique_ptr<icu::RegexPattern>> icuPatterns_;
  std::vector<size_t> icuIndex_;
};
