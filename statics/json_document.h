// Parsing and serialising JSON documents that come from or go to files, without
// exceptions: nlohmann::json throws, and nothing from outside may crash us.
#pragma once

#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// A document whose only defect is nesting deeper than kMaxJsonDepth inside
// top-level members that mayDrop accepts (by their key): the value without
// those members, and their keys in document order.
struct JsonDocumentRead {
  nlohmann::json value;
  std::vector<std::string> droppedMembers;
};

// As parseJsonDocument, except that a top-level member of an object whose
// value nests too deep is left out instead of failing the whole document,
// when mayDrop(key) is true. A too-deep member that mayDrop refuses, or too
// deep nesting outside any member, fails as before.
[[nodiscard]] std::optional<JsonDocumentRead> parseJsonDocumentDroppingDeepMembers(
    std::string_view bytes, const std::function<bool(std::string_view key)>& mayDrop);

// Compact JSON text (no white space; non-ASCII as UTF-8), or why the value
// cannot be written (text that is not UTF-8).
Result<std::string> serializeJsonDocument(const nlohmann::json& value);
