// Small helpers shared by both deliverables: trimming, version comparison and
// the hex colour parser. All are pure functions of their input. Texts are
// UTF-8; an ill-formed byte counts as a character of class 1 and is never
// trimmed.
#pragma once

#include <unicode/umachine.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/ui_graphics.h"

// The platform's whitespaceAndNewlineCharacterSet: the Unicode Z* categories,
// tab, U+000A to U+000D and U+0085 (false for a negative value).
bool isWhitespaceOrNewline(UChar32 c);

// The text without white space and new lines at both ends (as above).
std::string trimming(std::string_view text);

// Class of the first character: 0 decimal digit (Unicode Nd), 1 any other
// character, 2 white space, new line (as trimming) or punctuation (Unicode
// P*); "." is always 2. Like the platform, only the first UTF-16 unit counts,
// so a character beyond the BMP (which begins with a surrogate) is class 1.
// An empty text, never asked for by the version comparison, is class 1.
int typeOfCharacter(std::string_view text);

// Tokens of a version text: digit runs, runs of class-1 characters, and single
// separators. "1.10b2" gives 1 / . / 10 / b / 2; "" gives no token.
std::vector<std::string> splitVersionString(std::string_view text);

// -1, 0 or 1 as version a is lower than, equal to or higher than version b.
// Tokens are compared pairwise: of two classes, digits > separators > letters;
// digit runs by numeric value (exactly, however many digits: no overflow);
// letter runs as text, case-sensitively, by UTF-16 units; two separators are
// equal. When one text runs out, a further letter token makes the longer
// text lower, any other token makes it higher. So 1.2 < 1.10, 1.0b < 1.0 <
// 1.0.1, 1.0 == 1-0, a < "" < 1.
int compareToVersion(std::string_view a, std::string_view b);
// compareToVersion(a, b) >= 0.
bool isVersionStringGE(std::string_view a, std::string_view b);

// The platform colour: components from 0 to 1.
using Color = platform::UIColor;

// "FF6666", "#ff6666", " 0xFF6666 " and the like: trimmed and upper-cased,
// then a leading "0X" and then a leading "#" removed; exactly six characters
// must remain, read in pairs as red, green and blue (each /255, alpha 1). A
// pair is read up to its first character that is no hexadecimal digit, so
// "GG" reads as 0 and "FG" as 15. Any other text gives the transparent colour
// (all components 0).
Color colorWithHexString(std::string_view text);
