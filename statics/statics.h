// Small helpers shared by both deliverables: trimming, version comparison and
// the hex colour parser.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The text without white space and new lines (Unicode classes) at both ends.
std::string trimming(std::string_view text);

// Class of the first character (first UTF-16 unit): 0 decimal digit, 1 any
// other character, 2 white space, new line or punctuation ("." is always 2).
// text must not be empty; an empty text is class 1.
int typeOfCharacter(std::string_view text);

// Tokens of a version text: digit runs, runs of class-1 characters, and single
// separators. "1.10b2" gives 1 / . / 10 / b / 2.
std::vector<std::string> splitVersionString(std::string_view text);

// -1, 0 or 1 as version a is lower than, equal to or higher than version b.
int compareToVersion(std::string_view a, std::string_view b);
bool isVersionStringGE(std::string_view a, std::string_view b);

// The platform colour: components from 0 to 1.
struct Color {
  float red = 0, green = 0, blue = 0, alpha = 0;
  bool operator==(const Color&) const = default;
};

// "FF6666", "#ff6666", " 0xFF6666 " and the like; the transparent colour for
// any text it cannot read.
Color colorWithHexString(std::string_view text);
