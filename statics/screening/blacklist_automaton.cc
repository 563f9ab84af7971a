#include "statics/screening/blacklist_automaton.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <utility>

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

// The order entries are laid out in: atom by atom, literals by code point.
bool atomLess(const BlacklistAtom& a, const BlacklistAtom& b) {
  return a.kind != b.kind ? a.kind < b.kind : a.codePoint < b.codePoint;
}

// The entries in the order of their atoms (atomLess, a shorter entry before
// the longer ones it begins). Each entry gets a 64-bit key that packs its
// leading atoms as their ranks among the distinct atoms of all entries (rank
// 0: the entry has ended), so that sorting and walking the sorted entries
// mostly read the keys alone, not the entries spread over the heap.
class SortedEntries {
 public:
  struct Keyed {
    uint64_t key;
    const std::vector<BlacklistAtom>* atoms;
    size_t size;     // of *atoms
    uint32_t index;  // in the list the entries were given in
  };

  explicit SortedEntries(const std::vector<std::vector<BlacklistAtom>>& entries) {
    bool seenAscii[3][128] = {};
    for (const std::vector<BlacklistAtom>& atoms : entries) {
      for (const BlacklistAtom& atom : atoms) {
        if (isAscii(atom)) {
          bool& seen = seenAscii[atom.kind][atom.codePoint];
          if (seen) continue;
          seen = true;
        }
        distinct_.push_back(atom);
      }
    }
    std::sort(distinct_.begin(), distinct_.end(), atomLess);
    distinct_.erase(std::unique(distinct_.begin(), distinct_.end()), distinct_.end());
    for (size_t i = 0; i < distinct_.size(); ++i) {
      if (isAscii(distinct_[i])) {
        asciiRank_[distinct_[i].kind][distinct_[i].codePoint] = static_cast<uint32_t>(i + 1);
      }
    }
    bits_ = std::max(1, static_cast<int>(std::bit_width(distinct_.size())));
    perKey_ = static_cast<size_t>(64 / bits_);
    unused_ = 64 - bits_ * static_cast<int>(perKey_);

    keyed_.reserve(entries.size());
    for (const std::vector<BlacklistAtom>& atoms : entries) {
      uint64_t key = 0;
      for (size_t i = 0; i < perKey_; ++i) {
        key = key << bits_ | (i < atoms.size() ? rank(atoms[i]) : 0);
      }
      keyed_.push_back({key, &atoms, atoms.size(), static_cast<uint32_t>(keyed_.size())});
    }
    std::sort(keyed_.begin(), keyed_.end(), [this](const Keyed& a, const Keyed& b) {
      if (a.key != b.key) return a.key < b.key;
      // Equal keys: the first perKey_ atoms agree (or both entries end alike).
      return std::lexicographical_compare(tail(*a.atoms), a.atoms->end(), tail(*b.atoms),
                                          b.atoms->end(), atomLess);
    });
  }

  const std::vector<Keyed>& entries() const { return keyed_; }

  // Atom i of an entry.
  BlacklistAtom atom(const Keyed& entry, size_t i) const {
    if (i >= perKey_) return (*entry.atoms)[i];
    const uint64_t mask = (uint64_t{1} << bits_) - 1;
    return distinct_[((entry.key >> (bits_ * static_cast<int>(perKey_ - 1 - i))) & mask) - 1];
  }

  // How many leading atoms two entries share.
  size_t shared(const Keyed& a, const Keyed& b) const {
    const size_t limit = std::min(a.size, b.size);
    if (a.key != b.key) {
      const int equalBits = std::countl_zero(a.key ^ b.key) - unused_;
      return std::min(limit, static_cast<size_t>(equalBits / bits_));
    }
    size_t i = std::min(limit, perKey_);
    while (i < limit && (*a.atoms)[i] == (*b.atoms)[i]) ++i;
    return i;
  }

 private:
  static bool isAscii(const BlacklistAtom& atom) {
    return atom.codePoint >= 0 && atom.codePoint < 128;
  }
  uint64_t rank(const BlacklistAtom& atom) const {
    if (isAscii(atom)) return asciiRank_[atom.kind][atom.codePoint];
    return static_cast<uint64_t>(
               std::lower_bound(distinct_.begin(), distinct_.end(), atom, atomLess) -
               distinct_.begin()) +
           1;
  }
  std::vector<BlacklistAtom>::const_iterator tail(const std::vector<BlacklistAtom>& atoms) const {
    return atoms.begin() + static_cast<long>(std::min(perKey_, atoms.size()));
  }

  std::vector<BlacklistAtom> distinct_;
  uint32_t asciiRank_[3][128] = {};
  int bits_ = 1;
  size_t perKey_ = 64;
  int unused_ = 0;
  std::vector<Keyed> keyed_;
};

}  // namespace

BlacklistAutomaton::BlacklistAutomaton(const std::vector<std::vector<BlacklistAtom>>& entries) {
  if (entries.empty()) return;
  // In order, each entry shares with the one before it exactly the states it
  // shares with any earlier one, so the trie grows by appending.
  const SortedEntries sorted(entries);
  size_t atomCount = 0;
  for (const std::vector<BlacklistAtom>& atoms : entries) atomCount += atoms.size();

  nodes_.reserve(atomCount + 1);
  nodes_.emplace_back();
  // Literal edges as they are made; those of one state come in code point
  // order, since its children are made in the entries' order.
  std::vector<std::pair<int32_t, Edge>> literal;
  std::vector<int32_t> path;  // the states after each atom of the previous entry
  const SortedEntries::Keyed* previous = nullptr;
  for (const SortedEntries::Keyed& entry : sorted.entries()) {
    const size_t shared = previous != nullptr ? sorted.shared(entry, *previous) : 0;
    path.resize(shared);
    int32_t node = shared == 0 ? 0 : path.back();
    for (size_t i = shared; i < entry.size; ++i) {
      const int32_t next = static_cast<int32_t>(nodes_.size());
      nodes_.emplace_back();
      const BlacklistAtom atom = sorted.atom(entry, i);
      switch (atom.kind) {
        case BlacklistAtom::kLiteral:
          literal.push_back({node, Edge{atom.codePoint, next}});
          break;
        case BlacklistAtom::kDigit:
          nodes_[node].digit = next;
          break;
        case BlacklistAtom::kDigitRun:
          nodes_[next].loopsOnDigit = true;
          nodes_[node].digitRun = next;
          break;
      }
      node = next;
      path.push_back(next);
    }
    nodes_[node].accepting = true;
    nodes_[node].entry = std::min(nodes_[node].entry, entry.index);
    previous = &entry;
  }

  // Each state's edges laid out together (a counting sort by state, which
  // keeps their code point order).
  for (const auto& [from, edge] : literal) ++nodes_[from].edgeCount;
  uint32_t first = 0;
  for (Node& n : nodes_) {
    n.firstEdge = first;
    first += n.edgeCount;
  }
  edges_.resize(literal.size());
  std::vector<uint32_t> placed(nodes_.size(), 0);
  for (const auto& [from, edge] : literal) {
    edges_[nodes_[from].firstEdge + placed[from]++] = edge;
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

uint32_t BlacklistAutomaton::firstAccepting(const std::vector<int32_t>& states) const {
  uint32_t first = kNoEntry;
  for (const int32_t n : states) {
    if (nodes_[n].accepting) first = std::min(first, nodes_[n].entry);
  }
  return first;
}

bool BlacklistAutomaton::matches(const icu::UnicodeString& text) const {
  return firstMatch(text).has_value();
}

std::optional<uint32_t> BlacklistAutomaton::firstMatch(const icu::UnicodeString& text) const {
  if (nodes_.empty()) return std::nullopt;
  const char16_t* s = text.getBuffer();
  const int32_t length = text.length();
  if (s == nullptr) return std::nullopt;

  std::vector<int32_t> states;
  std::vector<int32_t> next;
  enter(states, 0);
  // "$" may match before a last line terminator as well as at the end, so
  // the first entry in list order is the least of every place's.
  uint32_t first = kNoEntry;
  const auto answer = [&first]() -> std::optional<uint32_t> {
    if (first == kNoEntry) return std::nullopt;
    return first;
  };
  int32_t i = 0;
  while (true) {
    if (endMatchesAt(s, length, i)) first = std::min(first, firstAccepting(states));
    if (i >= length) return answer();
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
    if (next.empty()) return answer();
    std::sort(next.begin(), next.end());
    next.erase(std::unique(next.begin(), next.end()), next.end());
    states.swap(next);
  }
}
