// printf-style formatting with the "%@" object placeholder, for log lines and
// localised format texts.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

// One argument of a format. Text for "%@" and "%s" (absent text prints
// "(null)"), integers for "%d", "%i", "%u", "%ld", "%lu", "%lld", "%llu", "%x",
// floating point for "%f", "%.2f", "%g" and the like. Flags, width and
// precision are honoured as printf honours them.
class FormatArg {
 public:
  FormatArg(const char* text);
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

// Expands format with args. "%%" is a percent sign. A placeholder without a
// matching argument expands to nothing, a placeholder of the wrong kind for
// its argument converts the argument (a number for "%@" prints as text); the
// result never depends on memory outside the arguments.
std::string stringWithFormat(std::string_view format, std::initializer_list<FormatArg> args);

template <class... Args>
std::string stringWithFormat(std::string_view format, const Args&... args) {
  return stringWithFormat(format, {FormatArg(args)...});
}
