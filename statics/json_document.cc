#include "statics/json_document.h"

std::optional<nlohmann::json> parseJsonDocument(std::string_view bytes) {
  // The parser takes a NUL byte for the end of the input, so "{...}\0junk"
  // would pass; no JSON text holds one (inside a string it must be escaped).
  if (bytes.size() > kMaxJsonDocumentSize || bytes.find('\0') != std::string_view::npos) {
    return std::nullopt;
  }
  bool tooDeep = false;
  const nlohmann::json::parser_callback_t limitDepth =
      [&tooDeep](int depth, nlohmann::json::parse_event_t, nlohmann::json&) {
        if (depth > kMaxJsonDepth) tooDeep = true;
        return !tooDeep;
      };
  try {
    nlohmann::json value =
        nlohmann::json::parse(bytes.begin(), bytes.end(), limitDepth, /*allow_exceptions=*/false);
    if (tooDeep || value.is_discarded()) return std::nullopt;
    return value;
  } catch (const std::exception&) {
    return std::nullopt;  // allocation failure
  }
}

Result<std::string> serializeJsonDocument(const nlohmann::json& value) {
  try {
    return value.dump();
  } catch (const std::exception& e) {
    return fail(e.what());
  }
}
