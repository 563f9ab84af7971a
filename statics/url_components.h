// URL components (NSURLComponents initWithString:): a URL text split into its
// parts as RFC 3986 defines them, without resolving it against a base. A text
// that is not a valid URL or relative reference (a character that may not
// stand where it is, a "%" not followed by two hexadecimal digits, a bad
// scheme or port) gives no components.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct URLQueryItem {
  std::string name;                  // percent-decoded
  std::optional<std::string> value;  // percent-decoded; absent without "="
};

struct URLComponents {
  std::optional<std::string> scheme;
  // The host as written (still percent-encoded); absent without an authority.
  std::optional<std::string> percentEncodedHost;
  std::string percentEncodedPath;
  std::optional<std::string> percentEncodedQuery;  // after "?", absent without "?"
  std::optional<std::string> percentEncodedFragment;

  // The host percent-decoded; absent when there is none or it does not
  // decode to UTF-8.
  std::optional<std::string> host() const;

  // The query split at "&", each piece at its first "=", names and values
  // percent-decoded ("+" stays "+"). Absent without a query. A name or value
  // that does not decode to UTF-8 is absent: such an item has no name (it
  // matches nothing) or no value.
  std::optional<std::vector<URLQueryItem>> queryItems() const;
};

[[nodiscard]] std::optional<URLComponents> parseURLComponents(std::string_view text);

// "%HH" sequences replaced by their bytes; nullopt when a "%" does not begin
// such a sequence or the result is not UTF-8.
[[nodiscard]] std::optional<std::string> removingPercentEncoding(std::string_view text);
