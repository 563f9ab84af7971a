#include "statics/format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "statics/utf8.h"

FormatArg::FormatArg(const char* text) {
  if (text != nullptr) value_ = std::string(text);
}
FormatArg::FormatArg(std::string_view text) : value_(std::string(text)) {}
FormatArg::FormatArg(const std::string& text) : value_(text) {}
FormatArg::FormatArg(const std::optional<std::string>& text) {
  if (text) value_ = *text;
}
FormatArg::FormatArg(bool value) : value_(static_cast<long long>(value)) {}
FormatArg::FormatArg(int value) : value_(static_cast<long long>(value)) {}
FormatArg::FormatArg(long value) : value_(static_cast<long long>(value)) {}
FormatArg::FormatArg(long long value) : value_(value) {}
FormatArg::FormatArg(unsigned value) : value_(static_cast<unsigned long long>(value)) {}
FormatArg::FormatArg(unsigned long value) : value_(static_cast<unsigned long long>(value)) {}
FormatArg::FormatArg(unsigned long long value) : value_(value) {}
FormatArg::FormatArg(double value) : value_(value) {}

namespace {

constexpr int kMaxNumber = 1000;  // largest width, precision or position

struct Placeholder {
  int position = 0;  // 1-based; 0 when the next argument is meant
  bool leftAlign = false;
  std::string flags;
  int width = -1;
  int precision = -1;
  char conversion = 0;
};

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Reads a decimal number at s[i]; false when it exceeds kMaxNumber.
bool readNumber(std::string_view s, size_t& i, int& out) {
  int n = 0;
  while (i < s.size() && isDigit(s[i])) {
    n = n * 10 + (s[i] - '0');
    if (n > kMaxNumber) return false;
    ++i;
  }
  out = n;
  return true;
}

// Parses the placeholder that starts after the "%" at s[i]. On success sets
// end to the index after the conversion character.
bool parsePlaceholder(std::string_view s, size_t i, Placeholder& p, size_t& end) {
  if (i < s.size() && isDigit(s[i]) && s[i] != '0') {
    size_t j = i;
    int n = 0;
    if (!readNumber(s, j, n)) return false;
    if (j < s.size() && s[j] == '$') {
      p.position = n;
      i = j + 1;
    }
  }
  while (i < s.size() && std::string_view("-+ #0").find(s[i]) != std::string_view::npos) {
    if (s[i] == '-') p.leftAlign = true;
    if (p.flags.find(s[i]) == std::string::npos) p.flags += s[i];
    ++i;
  }
  if (i < s.size() && isDigit(s[i]) && !readNumber(s, i, p.width)) return false;
  if (i < s.size() && s[i] == '.') {
    ++i;
    if (!readNumber(s, i, p.precision)) return false;
  }
  for (int n = 0;
       n < 2 && i < s.size() && std::string_view("hlqjztL").find(s[i]) != std::string_view::npos;
       ++n) {
    ++i;
  }
  if (i >= s.size()) return false;
  p.conversion = s[i];
  end = i + 1;
  return std::string_view("@sdiuoxXcfFeEgGaA").find(p.conversion) != std::string_view::npos;
}

// Applies printf's text precision and width, counting characters.
std::string padText(std::string text, const Placeholder& p) {
  if (p.precision >= 0) {
    size_t kept = 0;
    size_t end = 0;
    forEachCodePoint(text, [&](UChar32, std::string_view bytes) {
      if (kept == static_cast<size_t>(p.precision)) return;
      ++kept;
      end = static_cast<size_t>(bytes.data() - text.data()) + bytes.size();
    });
    text.resize(end);
  }
  const size_t count = codePointCount(text);
  if (p.width > 0 && count < static_cast<size_t>(p.width)) {
    const std::string padding(p.width - count, ' ');
    text = p.leftAlign ? text + padding : padding + text;
  }
  return text;
}

std::string shortestText(double value) {
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (ec != std::errc()) return {};
  return std::string(buffer, end);
}

std::string textOf(const FormatArg::Value& value) {
  struct Visitor {
    std::string operator()(std::monostate) const { return "(null)"; }
    std::string operator()(const std::string& s) const { return s; }
    std::string operator()(long long v) const { return std::to_string(v); }
    std::string operator()(unsigned long long v) const { return std::to_string(v); }
    std::string operator()(double v) const { return shortestText(v); }
  };
  return std::visit(Visitor{}, value);
}

long long saturatingInteger(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 9223372036854775807.0) return std::numeric_limits<long long>::max();
  if (v <= -9223372036854775808.0) return std::numeric_limits<long long>::min();
  return static_cast<long long>(v);
}

long long signedOf(const FormatArg::Value& value) {
  struct Visitor {
    long long operator()(std::monostate) const { return 0; }
    long long operator()(const std::string& s) const {
      return std::strtoll(s.c_str(), nullptr, 10);
    }
    long long operator()(long long v) const { return v; }
    long long operator()(unsigned long long v) const { return static_cast<long long>(v); }
    long long operator()(double v) const { return saturatingInteger(v); }
  };
  return std::visit(Visitor{}, value);
}

double doubleOf(const FormatArg::Value& value) {
  struct Visitor {
    double operator()(std::monostate) const { return 0; }
    double operator()(const std::string& s) const { return std::strtod(s.c_str(), nullptr); }
    double operator()(long long v) const { return static_cast<double>(v); }
    double operator()(unsigned long long v) const { return static_cast<double>(v); }
    double operator()(double v) const { return v; }
  };
  return std::visit(Visitor{}, value);
}

template <class T>
std::string printOne(const std::string& directive, T value) {
  char buffer[128];
  const int n = std::snprintf(buffer, sizeof buffer, directive.c_str(), value);
  if (n < 0) return {};
  if (static_cast<size_t>(n) < sizeof buffer) return std::string(buffer, n);
  std::string out(n, '\0');
  std::snprintf(out.data(), out.size() + 1, directive.c_str(), value);
  return out;
}

// The printf directive for one placeholder, keeping only the flags that
// are defined for its conversion.
std::string printfDirective(const Placeholder& p, std::string_view allowedFlags,
                            const char* length) {
  std::string directive = "%";
  for (char flag : p.flags) {
    if (allowedFlags.find(flag) != std::string_view::npos) directive += flag;
  }
  if (p.width >= 0) directive += std::to_string(p.width);
  if (p.precision >= 0) directive += "." + std::to_string(p.precision);
  directive += length;
  directive += p.conversion;
  return directive;
}

std::string render(const Placeholder& p, const FormatArg::Value& value) {
  switch (p.conversion) {
    case '@':
    case 's':
      return padText(textOf(value), p);
    case 'c': {
      Placeholder whole = p;
      whole.precision = -1;
      return padText(utf8Of(signedOf(value)), whole);
    }
    case 'd':
    case 'i':
      return printOne(printfDirective(p, "-+ 0", "ll"), signedOf(value));
    case 'u':
    case 'o':
    case 'x':
    case 'X': {
      const auto v = std::holds_alternative<unsigned long long>(value)
                         ? std::get<unsigned long long>(value)
                         : static_cast<unsigned long long>(signedOf(value));
      return printOne(printfDirective(p, "-#0", "ll"), v);
    }
    default:
      return printOne(printfDirective(p, "-+ #0", ""), doubleOf(value));
  }
}

}  // namespace

std::string stringWithFormat(std::string_view format, std::initializer_list<FormatArg> args) {
  std::string out;
  out.reserve(format.size());
  size_t next = 0;
  size_t i = 0;
  while (i < format.size()) {
    const size_t percent = format.find('%', i);
    if (percent == std::string_view::npos) {
      out.append(format.substr(i));
      break;
    }
    out.append(format.substr(i, percent - i));
    if (percent + 1 < format.size() && format[percent + 1] == '%') {
      out += '%';
      i = percent + 2;
      continue;
    }
    Placeholder p;
    size_t end = 0;
    if (!parsePlaceholder(format, percent + 1, p, end)) {
      out += '%';  // unsupported: the rest is copied as ordinary text
      i = percent + 1;
      continue;
    }
    i = end;
    const size_t index = p.position > 0 ? static_cast<size_t>(p.position - 1) : next++;
    if (index < args.size()) out += render(p, (args.begin() + index)->value());
  }
  return out;
}
