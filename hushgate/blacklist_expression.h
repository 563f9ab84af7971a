// The small grammar of blacklist expressions that the settings application
// writes, read into steps that a single automaton can run for many entries:
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
// unanchored expressions) is outside the grammar and is run by ICU itself.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include <unicode/umachine.h>
#include <unicode/unistr.h>

struct BlacklistAtom {
  enum Kind : uint8_t { kLiteral, kDigit, kDigitRun };
  Kind kind = kLiteral;
  UChar32 codePoint = 0;  // for kLiteral

  bool operator==(const BlacklistAtom&) const = default;
};

// The atoms of an expression in the grammar, or none when it is outside it.
std::optional<std::vector<BlacklistAtom>> parseBlacklistExpression(
    const icu::UnicodeString& expression);

// A decimal digit as ICU's "\d" sees it: general category Nd.
bool isDecimalDigit(UChar32 c);
