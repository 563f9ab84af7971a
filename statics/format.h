// printf-style formatting with the "%@" object placeholder, for log lines and
// localised format texts such as "%@（%@）￥%.2f\n".
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

// One argument of a format. Text for "%@" and "%s" (absent text prints
// "(null)"), integers for "%d", "%i", "%u", "%ld", "%lu", "%lld", "%llu", "%x",
// floating point for "%f", "%.2f", "%g" and the like. A bool is the integer 0
// or 1.
class FormatArg {
 public:
  FormatArg(const char* text);  // nullptr is absent text
  FormatArg(std::string_view text);
  FormatArg(const std::string& text);
  FormatArg(const std::optional<std::string>& text);
  FormatArg(bool value);
  FormatArg(int value);
  FormatArg(long value);
  FormatArg(long long value);
  FormatArg(unsigned value);
  FormatArg(unsigned long value);
  FormatArg(unsigned long long value);
  FormatArg(double value);

  using Value = std::variant<std::monostate, std::string, long long, unsigned long long, double>;
  const Value& value() const { return value_; }

 private:
  Value value_;
};

// Expands format with args. The format may come from outside (a translation
// table, a file): every input is safe, nothing outside args is ever read.
//
// A placeholder is "%", an optional position "N$" (1-based), flags among
// "-+ #0", an optional width, an optional ".precision", optional length
// modifiers ("hh", "h", "l", "ll", "q", "j", "z", "t", "L"; accepted and
// ignored: values always print in full), and one conversion:
//   "@" "s"              text (a number prints as its shortest text)
//   "d" "i" "u" "o" "x" "X" "c"   integers ("c" prints the code point in UTF-8)
//   "f" "F" "e" "E" "g" "G" "a" "A"   floating point
// "%%" is a percent sign. Flags, width and precision act as in printf; for
// text, width and precision count Unicode characters, not bytes.
//
// A placeholder whose argument is missing expands to nothing. A placeholder of
// another kind than its argument converts the argument: a number for "%@"
// prints as text, a text for "%d" or "%f" is read as a leading number ("0"
// when there is none), a floating value for "%d" is truncated and saturated.
//
// Anything else is copied literally and consumes no argument: an unknown
// conversion ("%n", "%p", "%k"), a "*" width or precision, a width or
// precision above 1000, a position of 0 or beyond 1000, and a lone "%" at the
// end of the format.
std::string stringWithFormat(std::string_view format, std::initializer_list<FormatArg> args);

template <class... Args>
std::string stringWithFormat(std::string_view format, const Args&... args) {
  return stringWithFormat(format, {FormatArg(args)...});
}
