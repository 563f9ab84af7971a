// The pattern grammar of the blacklist and the ignored prefixes: the pattern
// a user types, the regular expression (ICU syntax) stored beside it in the
// preference document, and the reading of such an expression into steps that
// one automaton can run for many entries.
//
// A pattern is text in which "*" stands for any run of decimal digits (also
// none) and "?" for exactly one; every other character stands for itself.
// The editors admit only digits, "?" and "*"; the add-to-blacklist URL may
// carry any text.
//
// The expressions that the builders write, and that parseBlacklistExpression
// reads, form this grammar:
//
//   expression := "^" atom* "$"
//   atom       := "\d*"             any run of decimal digits (Nd), also none
//               | "\d"              one decimal digit (Nd)
//               | "\Q" chars "\E"   each quoted character literally
//               | "\" punct         an ASCII character other than a letter or
//                                   digit, space to "~", literally
//               | char              any other character literally, except the
//                                   ASCII metacharacters \ ^ $ . | ? * + ( ) [ ] { }
//                                   and the ASCII control characters
//
// Everything else (classes, alternations, other quantifiers, escapes,
// unanchored expressions) is outside the grammar; the screening hands such a
// hand-written expression to ICU itself.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <unicode/umachine.h>
#include <unicode/unistr.h>

// ---- Building expressions (UTF-8 in and out)

// The blacklist expression of a pattern: "^", the pattern with each run of
// "*" as "\d*" and each "?" as "\d", then "$". Every other character stands
// for itself: ASCII punctuation is escaped with "\", ASCII control
// characters are quoted with "\Q...\E", letters, digits and every other
// character are written as they are. So "138*" gives ^138\d*$ and "+1 5"
// gives ^\+1\ 5$.
std::string blacklistExpression(std::string_view pattern);

// Whether text is a number as a phone gives one, or a blacklist pattern of
// one: an optional leading "+", then one or more of the ASCII digits and the
// wildcards "*" and "?". Outside input (the add-to-blacklist URL) is taken
// only when it is.
bool isPhoneNumberPattern(std::string_view text);

// The ignored-prefix expression of a prefix: "^", the prefix with each "?" as
// "\d" (other characters as in blacklistExpression, "*" escaped), then "\d+"
// (the prefix must be followed by at least one more digit). "12583?" gives
// ^12583\d\d+.
std::string prefixExpression(std::string_view prefix);

// ---- Reading expressions

struct BlacklistAtom {
  enum Kind : uint8_t { kLiteral, kDigit, kDigitRun };
  Kind kind = kLiteral;
  UChar32 codePoint = 0;  // for kLiteral

  bool operator==(const BlacklistAtom&) const = default;
};

// The atoms of an expression in the grammar, or none when it is outside it.
[[nodiscard]] std::optional<std::vector<BlacklistAtom>> parseBlacklistExpression(
    const icu::UnicodeString& expression);

// A decimal digit as ICU's "\d" sees it: general category Nd.
bool isDecimalDigit(UChar32 c);
