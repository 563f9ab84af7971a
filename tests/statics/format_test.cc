#include "statics/format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

struct Case {
  const char* format;
  std::string actual;
  std::string expected;
};

void expectAll(const std::vector<Case>& cases) {
  for (const Case& c : cases) EXPECT_EQ(c.actual, c.expected) << "format: " << c.format;
}

TEST(FormatTest, TextPlaceholders) {
  expectAll({
      {"%@（%@）￥%.2f\\n", stringWithFormat("%@（%@）￥%.2f\n", "张三", "13800138000", 12.5),
       "张三（13800138000）￥12.50\n"},
      {"%.3f ... %@ %@", stringWithFormat("%.3f ... %@ %@", 1.23456, "a", std::string("b")),
       "1.235 ... a b"},
      {"%s (nullptr)", stringWithFormat("%s", static_cast<const char*>(nullptr)), "(null)"},
      {"%@ (absent)", stringWithFormat("%@", std::optional<std::string>()), "(null)"},
      {"%@ (int)", stringWithFormat("%@", 42), "42"},
      {"%@ (double)", stringWithFormat("%@", 2.5), "2.5"},
      {"%@ (bool)", stringWithFormat("%@", true), "1"},
      {"%5@|%-5@|%.2@", stringWithFormat("%5@|%-5@|%.2@", "中文", "ab", "中文字"),
       "   中文|ab   |中文"},
      {"%2$@ %1$@", stringWithFormat("%2$@ %1$@", "a", "b"), "b a"},
      {"%c", stringWithFormat("%c%c", 0x4E2D, 'A'), "中A"},
      {"%c invalid", stringWithFormat("%c", -1), "\xEF\xBF\xBD"},
      {"no placeholders", stringWithFormat("plain 文字"), "plain 文字"},
      {"%%", stringWithFormat("100%% %d%%", 50), "100% 50%"},
  });
}

TEST(FormatTest, NumberPlaceholders) {
  expectAll({
      {"%5d|%-5d|%05d", stringWithFormat("%5d|%-5d|%05d", 42, 42, 42), "   42|42   |00042"},
      {"%x %X %o %#x", stringWithFormat("%x %X %o %#x", 255, 255, 8, 255), "ff FF 10 0xff"},
      {"%u of -1", stringWithFormat("%u", -1), "18446744073709551615"},
      {"%ld %lld %lu %hhd", stringWithFormat("%ld %lld %lu %hhd", 1L, 2LL, 3UL, 300), "1 2 3 300"},
      {"%+d % d %+u %#d", stringWithFormat("%+d % d %+u %#d", 5, 5, 5, 5), "+5  5 5 5"},
      {"%e %g %G", stringWithFormat("%e %g %G", 12345.678, 0.0001, 1e-10),
       "1.234568e+04 0.0001 1E-10"},
      {"%d of text", stringWithFormat("%d|%d", "12abc", "x"), "12|0"},
      {"%f of text", stringWithFormat("%.1f", "2.5"), "2.5"},
      {"%d of double", stringWithFormat("%d %d", 3.9, -3.9), "3 -3"},
      {"%d of huge double", stringWithFormat("%d", 1e300), "9223372036854775807"},
      {"%d of NaN", stringWithFormat("%d", std::nan("")), "0"},
      {"%f of int", stringWithFormat("%.2f", 7), "7.00"},
      {"%lld of ULL max", stringWithFormat("%lld", ~0ULL), "-1"},
  });
}

// Formats may come from translation tables: nothing may read past the
// arguments or hand printf an undefined conversion.
TEST(FormatTest, HostileFormats) {
  expectAll({
      {"%n", stringWithFormat("a%nb", 1), "a%nb"},
      {"%p", stringWithFormat("%p", 1), "%p"},
      {"lone %", stringWithFormat("%"), "%"},
      {"trailing %", stringWithFormat("abc%", 1), "abc%"},
      {"%*d", stringWithFormat("%*d", 5, 3), "%*d"},
      {"%.*f", stringWithFormat("%.*f", 2, 1.5), "%.*f"},
      {"%1001d", stringWithFormat("%1001d", 1), "%1001d"},
      {"%.1001f", stringWithFormat("%.1001f", 1.0), "%.1001f"},
      {"%99999999999999999999d", stringWithFormat("%99999999999999999999d", 1),
       "%99999999999999999999d"},
      {"%0$d", stringWithFormat("%0$d", 1), "%0$d"},
      {"%-%", stringWithFormat("%-%"), "%-%"},
      {"%q", stringWithFormat("%q"), "%q"},
      {"%lll", stringWithFormat("%llld", 1), "%llld"},
      {"missing", stringWithFormat("%@ and %d and %f", "x"), "x and  and "},
      {"position past args", stringWithFormat("%5$@|%1$@", "a"), "|a"},
      {"no args at all", stringWithFormat("%@%s%d%x%f%c%e"), ""},
      {"extra args", stringWithFormat("%@", "a", "b"), "a"},
      {"%n after an unknown one", stringWithFormat("%k%n%@", "x"), "%k%nx"},
  });
}

TEST(FormatTest, LargestWidthAndPrecisionStillWork) {
  EXPECT_EQ(stringWithFormat("%1000d", 1).size(), 1000u);
  EXPECT_EQ(stringWithFormat("%.1000f", 1.0).size(), 1002u);
  EXPECT_EQ(stringWithFormat("%.1000f", 1e308).size(), 309u + 1 + 1000);
}

}  // namespace
