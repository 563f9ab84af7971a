// Base64 text of binary data (RFC 4648, standard alphabet, "=" padding).
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The Base64 text of bytes, padded, without line breaks.
std::string encodeBase64(std::string_view bytes);

// The bytes of a Base64 text, or nullopt when the text is not one: every
// character must be of the standard alphabet, the length a multiple of four,
// and "=" may only end the text, once or twice. White space and line breaks
// are not accepted either. Unused low bits of the last group are ignored.
[[nodiscard]] std::optional<std::string> decodeBase64(std::string_view text);
