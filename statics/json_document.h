// Parsing and serialising JSON documents that come from or go to files, without
// exceptions: nlohmann::json throws, and nothing from outside may crash us.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "statics/result.h"

// Documents nested deeper than this are refused: copying and writing a JSON
// value recurses once per level.
inline constexpr int kMaxJsonDepth = 512;

// Documents larger than this are refused: no document of the system comes
// near it, and parsing one costs memory in proportion.
inline constexpr size_t kMaxJsonDocumentSize = 64u << 20;

// The parsed value, or nullopt when bytes are not one valid JSON text (also
// when empty, not UTF-8, holding a NUL byte, larger than kMaxJsonDocumentSize
// or nested deeper than kMaxJsonDepth). Nothing may follow the value but
// white space.
[[nodiscard]] std::optional<nlohmann::json> parseJsonDocument(std::string_view bytes);

// Compact JSON text (no white space; non-ASCII as UTF-8), or why the value
// cannot be written (text that is not UTF-8).
Result<std::string> serializeJsonDocument(const nlohmann::json& value);
