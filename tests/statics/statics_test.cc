#include "statics/statics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(TrimmingTest, RemovesUnicodeWhiteSpaceAndNewlinesAtBothEnds) {
  const struct {
    std::string text, expected;
  } cases[] = {
      {"  a b  ", "a b"},
      {"\t\n\r\v\f x \xC2\x85", "x"},        // tab, U+000A-D, U+0085
      {"\xE3\x80\x80中文\xC2\xA0", "中文"},  // U+3000, no-break space
      {"\xE2\x80\xA8x\xE2\x80\xA9", "x"},    // line and paragraph separators
      {"", ""},
      {" \n ", ""},
      {"\xE2\x80\x8B x", "\xE2\x80\x8B x"},  // zero width space is no space
      {"a\x1F", "a\x1F"},                    // a control character stays
      {" \xFF ", "\xFF"},                    // an ill-formed byte stays
  };
  for (const auto& c : cases) EXPECT_EQ(trimming(c.text), c.expected) << c.text;
}

TEST(TypeOfCharacterTest, ClassOfFirstCharacter) {
  const struct {
    std::string text;
    int expected;
  } cases[] = {
      {"5", 0},    {"\xD9\xA3", 0},  // ARABIC-INDIC DIGIT THREE
      {"a1", 1},   {"中", 1},
      {"+", 1},    {"$", 1},
      {".", 2},    {" ", 2},
      {"\n", 2},   {"-", 2},
      {"，", 2},   {"\xE3\x80\x80", 2},      // fullwidth comma, ideographic space
      {"😀", 1},    {"\xF0\x9D\x9F\x8E", 1},  // beyond the BMP: a surrogate first
      {"\xFF", 1}, {"", 1},
  };
  for (const auto& c : cases) EXPECT_EQ(typeOfCharacter(c.text), c.expected) << c.text;
}

TEST(SplitVersionStringTest, Tokens) {
  using Tokens = std::vector<std::string>;
  const struct {
    std::string text;
    Tokens expected;
  } cases[] = {
      {"1.10b2", {"1", ".", "10", "b", "2"}},
      {"2.0-rc", {"2", ".", "0", "-", "rc"}},
      {"", {}},
      {"..", {".", "."}},
      {"1  2", {"1", " ", " ", "2"}},
      {"v1.0", {"v", "1", ".", "0"}},
      {"中文12", {"中文", "12"}},
      {"1😀x2", {"1", "😀x", "2"}},
  };
  for (const auto& c : cases) EXPECT_EQ(splitVersionString(c.text), c.expected) << c.text;
}

TEST(CompareToVersionTest, Ordering) {
  const struct {
    const char* a;
    const char* b;
    int expected;
  } cases[] = {
      {"1.2", "1.10", -1},
      {"1.0", "1.0b", 1},
      {"1.0", "1.0.1", -1},
      {"1.0", "1-0", 0},
      {"", "1", -1},
      {"", "a", 1},
      {"10.0", "9.9", 1},
      {"1.4.0", "1.4.0", 0},
      {"", "", 0},
      {"1.0a", "1.0b", -1},
      {"1.0B", "1.0a", -1},  // case-sensitive
      {"1.01", "1.1", 0},    // by value
      {"1.0", "1.a", 1},     // digits above letters
      {"1.0", "1..", 1},     // digits above separators
      {"1.-", "1.a", 1},     // separators above letters
      {"1.0b2", "1.0b10", -1},
      {"2.0-rc", "2.0", 1},  // a separator after the shorter text makes it higher
      {"2.0", "2.0.", -1},
      {"1.\xD9\xA3", "1.2", 1},  // a digit of another script counts by value
      // Digit runs beyond 64 bits keep their order.
      {"1.99999999999999999999", "1.99999999999999999998", 1},
      {"18446744073709551616", "9223372036854775807", 1},
      {"000000000000000000000000000001", "1", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(compareToVersion(c.a, c.b), c.expected) << c.a << " vs " << c.b;
    EXPECT_EQ(compareToVersion(c.b, c.a), -c.expected) << c.b << " vs " << c.a;
    EXPECT_EQ(isVersionStringGE(c.a, c.b), c.expected >= 0) << c.a << " >= " << c.b;
  }
}

TEST(ColorWithHexStringTest, Parsing) {
  const float k66 = 0x66 / 255.0f;
  const Color red{1.0f, k66, k66, 1.0f};
  const Color clear{};
  const struct {
    std::string text;
    Color expected;
  } cases[] = {
      {"FF6666", red},
      {"#ff6666", red},
      {" 0xFF6666 \n", red},
      {"0x#ff6666", red},
      {"#00ff00", {0, 1, 0, 1}},
      {"#F66", clear},
      {"FF666", clear},
      {"FF66666", clear},
      {"#FF6666FF", clear},
      {"", clear},
      {"      ", clear},
      {"GG6666", {0, k66, k66, 1}},            // a pair without a hex digit reads 0
      {"FG6666", {15 / 255.0f, k66, k66, 1}},  // reading stops at G
      {"ＦＦ6666", {0, k66, k66, 1}},          // fullwidth letters are not hex digits
  };
  for (const auto& c : cases) {
    const Color got = colorWithHexString(c.text);
    EXPECT_EQ(got, c.expected) << "\"" << c.text << "\" gave " << got.red << "," << got.green << ","
                               << got.blue << "," << got.alpha;
  }
}

}  // namespace
