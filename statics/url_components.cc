#include "statics/url_components.h"

#include <algorithm>
#include <cstdint>

#include "statics/utf8.h"

namespace {

bool isAlpha(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
bool isHex(char c) {
  return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int hexValue(char c) {
  if (isDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

bool isUnreserved(char c) {
  return isAlpha(c) || isDigit(c) || c == '-' || c == '.' || c == '_' || c == '~';
}

bool isSubDelim(char c) {
  switch (c) {
    case '!':
    case '$':
    case '&':
    case '\'':
    case '(':
    case ')':
    case '*':
    case '+':
    case ',':
    case ';':
    case '=':
      return true;
    default:
      return false;
  }
}

// Whether every character of text is allowed by allowed() or is part of a
// well-formed "%HH".
template <typename Allowed>
bool isEncodedText(std::string_view text, Allowed allowed) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '%') {
      if (i + 2 >= text.size() || !isHex(text[i + 1]) || !isHex(text[i + 2])) return false;
      i += 2;
    } else if (!allowed(c)) {
      return false;
    }
  }
  return true;
}

bool isPathChar(char c) {
  return isUnreserved(c) || isSubDelim(c) || c == ':' || c == '@';
}

bool isValidPath(std::string_view path) {
  return isEncodedText(path, [](char c) { return isPathChar(c) || c == '/'; });
}

bool isValidQueryOrFragment(std::string_view text) {
  return isEncodedText(text, [](char c) { return isPathChar(c) || c == '/' || c == '?'; });
}

bool isValidScheme(std::string_view scheme) {
  if (scheme.empty() || !isAlpha(scheme[0])) return false;
  for (const char c : scheme) {
    if (!isAlpha(c) && !isDigit(c) && c != '+' && c != '-' && c != '.') return false;
  }
  return true;
}

bool isValidHost(std::string_view host) {
  if (!host.empty() && host.front() == '[') {
    if (host.size() < 3 || host.back() != ']') return false;
    const std::string_view literal = host.substr(1, host.size() - 2);
    for (const char c : literal) {
      if (!isUnreserved(c) && !isSubDelim(c) && c != ':') return false;
    }
    return true;
  }
  return isEncodedText(host, [](char c) { return isUnreserved(c) || isSubDelim(c); });
}

// Splits authority into user information, host and port, and checks them.
bool parseAuthority(std::string_view authority, std::string& host) {
  const size_t at = authority.rfind('@');
  if (at != std::string_view::npos) {
    const std::string_view userinfo = authority.substr(0, at);
    if (!isEncodedText(userinfo,
                       [](char c) { return isUnreserved(c) || isSubDelim(c) || c == ':'; })) {
      return false;
    }
    authority.remove_prefix(at + 1);
  }
  // The port follows the last ":" that is not inside an IP literal.
  const size_t closing = authority.rfind(']');
  const size_t colon = authority.rfind(':');
  std::string_view hostPart = authority;
  if (colon != std::string_view::npos && (closing == std::string_view::npos || colon > closing)) {
    const std::string_view port = authority.substr(colon + 1);
    for (const char c : port) {
      if (!isDigit(c)) return false;
    }
    hostPart = authority.substr(0, colon);
  }
  if (!isValidHost(hostPart)) return false;
  host.assign(hostPart);
  return true;
}

std::optional<std::string> decodeComponent(const std::string& text) {
  return removingPercentEncoding(text);
}

}  // namespace

std::optional<std::string> removingPercentEncoding(std::string_view text) {
  std::string decoded;
  decoded.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      decoded += text[i];
      continue;
    }
    if (i + 2 >= text.size() || !isHex(text[i + 1]) || !isHex(text[i + 2])) return std::nullopt;
    decoded += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
    i += 2;
  }
  // Only well-formed UTF-8 is text.
  if (!isWellFormedUtf8(decoded)) return std::nullopt;
  return decoded;
}

std::optional<std::string> URLComponents::host() const {
  if (!percentEncodedHost) return std::nullopt;
  return decodeComponent(*percentEncodedHost);
}

std::optional<std::vector<URLQueryItem>> URLComponents::queryItems() const {
  if (!percentEncodedQuery) return std::nullopt;
  std::vector<URLQueryItem> items;
  const std::string_view query = *percentEncodedQuery;
  size_t start = 0;
  for (;;) {
    const size_t end = std::min(query.find('&', start), query.size());
    const std::string_view piece = query.substr(start, end - start);
    URLQueryItem item;
    const size_t equals = piece.find('=');
    item.name = removingPercentEncoding(piece.substr(0, equals)).value_or("");
    if (equals != std::string_view::npos) {
      item.value = removingPercentEncoding(piece.substr(equals + 1));
    }
    items.push_back(std::move(item));
    if (end == query.size()) break;
    start = end + 1;
  }
  return items;
}

std::optional<URLComponents> parseURLComponents(std::string_view text) {
  URLComponents components;
  std::string_view rest = text;

  const size_t hash = rest.find('#');
  if (hash != std::string_view::npos) {
    const std::string_view fragment = rest.substr(hash + 1);
    if (!isValidQueryOrFragment(fragment)) return std::nullopt;
    components.percentEncodedFragment = std::string(fragment);
    rest = rest.substr(0, hash);
  }
  const size_t question = rest.find('?');
  if (question != std::string_view::npos) {
    const std::string_view query = rest.substr(question + 1);
    if (!isValidQueryOrFragment(query)) return std::nullopt;
    components.percentEncodedQuery = std::string(query);
    rest = rest.substr(0, question);
  }
  // A scheme ends at the first ":" that comes before any "/".
  const size_t colon = rest.find(':');
  if (colon != std::string_view::npos && colon < rest.find('/')) {
    const std::string_view scheme = rest.substr(0, colon);
    if (!isValidScheme(scheme)) return std::nullopt;
    components.scheme = std::string(scheme);
    rest = rest.substr(colon + 1);
  }
  if (rest.substr(0, 2) == "//") {
    rest.remove_prefix(2);
    const size_t slash = std::min(rest.find('/'), rest.size());
    std::string host;
    if (!parseAuthority(rest.substr(0, slash), host)) return std::nullopt;
    components.percentEncodedHost = std::move(host);
    rest = rest.substr(slash);
  }
  if (!isValidPath(rest)) return std::nullopt;
  components.percentEncodedPath = std::string(rest);
  return components;
}
