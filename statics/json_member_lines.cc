#include "statics/json_member_lines.h"

#include <nlohmann/json.hpp>

namespace {

// A key as the parser reads it: the raw text, unless it holds an escape.
std::string keyText(std::string_view raw) {
  if (raw.find('\\') == std::string_view::npos) return std::string(raw);
  const nlohmann::json key = nlohmann::json::parse("\"" + std::string(raw) + "\"", nullptr,
                                                   /*allow_exceptions=*/false);
  return key.is_string() ? key.get<std::string>() : std::string(raw);
}

// A cursor over the text that counts lines as it moves.
class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  bool atEnd() const { return at_ >= text_.size(); }
  char peek() const { return atEnd() ? '\0' : text_[at_]; }
  size_t line() const { return line_; }

  void advance() {
    if (atEnd()) return;
    if (text_[at_] == '\n') ++line_;
    ++at_;
  }

  void skipSpace() {
    while (!atEnd() && (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r')) {
      advance();
    }
  }

  // At a '"': moves past the string and returns its text as written between
  // the quotes (escapes left in).
  std::string_view skipString() {
    advance();  // the opening quote
    const size_t start = at_;
    while (!atEnd() && peek() != '"') {
      if (peek() == '\\') advance();
      advance();
    }
    const std::string_view raw = text_.substr(start, at_ - start);
    advance();  // the closing quote
    return raw;
  }

  // Moves past one value: a string, a nested array or object (however deep,
  // without recursion) or a scalar.
  void skipValue() {
    if (peek() == '"') {
      skipString();
      return;
    }
    if (peek() != '[' && peek() != '{') {
      while (!atEnd() && peek() != ',' && peek() != ']' && peek() != '}' && peek() != ' ' &&
             peek() != '\t' && peek() != '\n' && peek() != '\r') {
        advance();
      }
      return;
    }
    size_t depth = 0;
    do {
      const char c = peek();
      if (c == '"') {
        skipString();
        continue;
      }
      if (c == '[' || c == '{') ++depth;
      if (c == ']' || c == '}') --depth;
      advance();
    } while (depth > 0 && !atEnd());
  }

  // At '[' or '{': moves past the container, noting where each element (or
  // member key) begins.
  void scanElements(JsonMemberLines& member) {
    std::vector<size_t>& lines = member.elementLines;
    const bool isObject = peek() == '{';
    const char close = isObject ? '}' : ']';
    advance();
    skipSpace();
    while (!atEnd() && peek() != close) {
      lines.push_back(line_);
      if (isObject) {
        if (peek() != '"') return;
        member.memberLines[keyText(skipString())] = lines.back();
        skipSpace();
        if (peek() != ':') return;
        advance();
        skipSpace();
      }
      skipValue();
      skipSpace();
      if (peek() == ',') {
        advance();
        skipSpace();
      } else if (peek() != close) {
        return;
      }
    }
    advance();
  }

 private:
  std::string_view text_;
  size_t at_ = 0;
  size_t line_ = 1;
};

}  // namespace

JsonLines scanJsonMemberLines(std::string_view text) {
  JsonLines members;
  Scanner scan(text);
  scan.skipSpace();
  if (scan.peek() != '{') return members;
  scan.advance();
  scan.skipSpace();
  while (scan.peek() == '"') {
    JsonMemberLines member;
    member.line = scan.line();
    const std::string key = keyText(scan.skipString());
    scan.skipSpace();
    if (scan.peek() != ':') break;
    scan.advance();
    scan.skipSpace();
    if (scan.peek() == '[' || scan.peek() == '{') {
      scan.scanElements(member);
    } else {
      scan.skipValue();
    }
    members[key] = std::move(member);
    scan.skipSpace();
    if (scan.peek() != ',') break;
    scan.advance();
    scan.skipSpace();
  }
  return members;
}

size_t memberLine(const JsonLines& lines, const std::string& key) {
  const auto it = lines.find(key);
  return it == lines.end() ? 0 : it->second.line;
}

size_t elementLine(const JsonLines& lines, const std::string& key, size_t i) {
  const auto it = lines.find(key);
  if (it == lines.end()) return 0;
  return i < it->second.elementLines.size() ? it->second.elementLines[i] : it->second.line;
}

size_t elementLine(const JsonLines& lines, const std::string& key, const std::string& memberKey) {
  const auto it = lines.find(key);
  if (it == lines.end()) return 0;
  const auto member = it->second.memberLines.find(memberKey);
  if (member != it->second.memberLines.end()) return member->second;
  return it->second.line;
}
