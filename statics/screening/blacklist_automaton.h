// Many anchored blacklist expressions of the common form merged into one
// automaton over code points. Reading a number walks the set of states that
// are alive at once; "\d*" is a state that loops on decimal digits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include <unicode/unistr.h>

#include "statics/contracts/blacklist_pattern.h"

class BlacklistAutomaton {
 public:
  // Matches nothing.
  BlacklistAutomaton() = default;
  // Each entry is the atoms between "^" and "$" of one expression.
  explicit BlacklistAutomaton(const std::vector<std::vector<BlacklistAtom>>& entries);

  // Whether any entry matches the whole text, where, as ICU's "$" without
  // flags allows, the text may end in one line terminator (or "\r\n") that
  // the entry leaves unread.
  bool matches(const icu::UnicodeString& text) const;
  // The least index (in the order the entries were given) of the entries
  // that match, as matches() decides a match.
  std::optional<uint32_t> firstMatch(const icu::UnicodeString& text) const;

  size_t stateCount() const { return nodes_.size(); }

 private:
  static constexpr uint32_t kNoEntry = std::numeric_limits<uint32_t>::max();
  struct Node {
    uint32_t firstEdge = 0;  // literal edges, sorted by code point
    uint32_t edgeCount = 0;
    int32_t digit = -1;     // the state after one decimal digit
    int32_t digitRun = -1;  // entered without reading: a "\d*" that follows
    bool loopsOnDigit = false;
    bool accepting = false;
    uint32_t entry = kNoEntry;  // accepting: the least index of its entries
  };

  struct Edge {
    UChar32 codePoint;
    int32_t target;
  };

  int32_t literalTarget(const Node& node, UChar32 c) const;
  void enter(std::vector<int32_t>& states, int32_t node) const;
  uint32_t firstAccepting(const std::vector<int32_t>& states) const;

  std::vector<Node> nodes_;
  std::vector<Edge> edges_;
};
