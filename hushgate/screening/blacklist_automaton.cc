#include "hushgate/screening/blacklist_automaton.h"

#include <algorithm>
#include <tuple>
#include <unordered_map>

#include <unicode/utf16.h>

namespace {

bool isLineTerminator(char16_t c) {
  return (c >= 0x0a && c <= 0x0d) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

// Where ICU's "$" (no multi-line flag) matches: at the end, before a last line
// terminator that is not the "\n" of a closing "\r\n", and before a closing
// "\r\n".
bool endMatchesAt(const char16_t* s, int32_t length, int32_t i) {
  if (i >= length) return true;
  if (i == length - 1) {
    return isLineTerminator(s[i]) && !(s[i] == 0x0a && i > 0 && s[i - 1] == 0x0d);
  }
  return i == length - 2 && s[i] == 0x0d && s[i + 1] == 0x0a;
}

uint64_t edgeKey(int32_t node, UChar32 c) {
  return (static_cast<uint64_t>(node) << 21) | static_cast<uint64_t>(c & 0x1fffff);
}

}  // namespace

BlacklistAutomaton::BlacklistAutomaton(const std::vector<std::vector<BlacklistAtom>>& entries) {
  if (entries.empty()) return;
  nodes_.emplace_back();
  // Literal edges are collected in a map while building, then laid out as
  // one sorted array.
  std::unordered_map<uint64_t, int32_t> literal;
  std::vector<std::tuple<int32_t, UChar32, int32_t>> edges;
  const auto newNode = [this] {
    nodes_.emplace_back();
    return static_cast<int32_t>(nodes_.size() - 1);
  };
  for (const std::vector<BlacklistAtom>& atoms : entries) {
    int32_t node = 0;
    for (const BlacklistAtom& atom : atoms) {
      switch (atom.kind) {
        case BlacklistAtom::kLiteral: {
          const auto [it, added] = literal.try_emplace(edgeKey(node, atom.codePoint), 0);
          if (added) {
            it->second = newNode();
            edges.emplace_back(node, atom.codePoint, it->second);
          }
          node = it->second;
          break;
        }
        case BlacklistAtom::kDigit:
          if (nodes_[node].digit < 0) {
            const int32_t next = newNode();
            nodes_[node].digit = next;
          }
          node = nodes_[node].digit;
          break;
        case BlacklistAtom::kDigitRun:
          if (nodes_[node].digitRun < 0) {
            const int32_t next = newNode();
            nodes_[next].loopsOnDigit = true;
            nodes_[node].digitRun = next;
          }
          node = nodes_[node].digitRun;
          break;
      }
    }
    nodes_[node].accepting = true;
  }
  std::sort(edges.begin(), edges.end());
  edges_.reserve(edges.size());
  for (const auto& [from, c, to] : edges) {
    Node& node = nodes_[from];
    if (node.edgeCount == 0) node.firstEdge = static_cast<uint32_t>(edges_.size());
    ++node.edgeCount;
    edges_.push_back({c, to});
  }
}

int32_t BlacklistAutomaton::literalTarget(const Node& node, UChar32 c) const {
  const Edge* first = edges_.data() + node.firstEdge;
  const Edge* last = first + node.edgeCount;
  const Edge* it =
      std::lower_bound(first, last, c, [](const Edge& e, UChar32 v) { return e.codePoint < v; });
  return it != last && it->codePoint == c ? it->target : -1;
}

void BlacklistAutomaton::enter(std::vector<int32_t>& states, int32_t node) const {
  // A state is entered together with the chain of "\d*" states that may
  // follow it without reading anything.
  for (; node >= 0; node = nodes_[node].digitRun) states.push_back(node);
}

bool BlacklistAutomaton::anyAccepting(const std::vector<int32_t>& states) const {
  return std::any_of(states.begin(), states.end(),
                     [this](int32_t n) { return nodes_[n].accepting; });
}

bool BlacklistAutomaton::matches(const icu::UnicodeString& text) const {
  if (nodes_.empty()) return false;
  const char16_t* s = text.getBuffer();
  const int32_t length = text.length();
  if (s == nullptr) return false;

  std::vector<int32_t> states;
  std::vector<int32_t> next;
  enter(states, 0);
  int32_t i = 0;
  while (true) {
    if (endMatchesAt(s, length, i) && anyAccepting(states)) return true;
    if (i >= length) return false;
    UChar32 c;
    U16_NEXT(s, i, length, c);
    const bool digit = isDecimalDigit(c);
    next.clear();
    for (const int32_t n : states) {
      const Node& node = nodes_[n];
      enter(next, literalTarget(node, c));
      if (digit) {
        enter(next, node.digit);
        if (node.loopsOnDigit) enter(next, n);
      }
    }
    if (next.empty()) return false;
    std::sort(next.begin(), next.end());
    next.erase(std::unique(next.begin(), next.end()), next.end());
    states.swap(next);
  }
}
