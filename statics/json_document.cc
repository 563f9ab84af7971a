#include "statics/json_document.h"

#include <algorithm>
#include <iterator>

namespace {

// The parser takes a NUL byte for the end of the input, so "{...}\0junk"
// would pass; no JSON text holds one (inside a string it must be escaped).
bool mayBeParsed(std::string_view bytes) {
  return bytes.size() <= kMaxJsonDocumentSize && bytes.find('\0') == std::string_view::npos;
}

// How many arrays and objects are open at most anywhere in the text, strings
// skipped. Exact for JSON text; any other text fails to parse either way.
size_t containerNesting(std::string_view bytes) {
  size_t depth = 0;
  size_t deepest = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '"') {
      for (++i; i < bytes.size() && bytes[i] != '"'; ++i) {
        if (bytes[i] == '\\') ++i;
      }
    } else if (c == '[' || c == '{') {
      deepest = std::max(deepest, ++depth);
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return deepest;
}

}  // namespace

std::optional<nlohmann::json> parseJsonDocument(std::string_view bytes) {
  std::optional<JsonDocumentRead> read =
      parseJsonDocumentDroppingDeepMembers(bytes, [](std::string_view) { return false; });
  if (!read) return std::nullopt;
  return std::move(read->value);
}

std::optional<JsonDocumentRead> parseJsonDocumentDroppingDeepMembers(
    std::string_view bytes, const std::function<bool(std::string_view key)>& mayDrop) {
  if (!mayBeParsed(bytes)) return std::nullopt;
  // A value inside n open containers is read at depth n: when no value lies
  // deeper than the limit, nothing is dropped and the plain parser reads the
  // same value. (The callback parser scans the enclosing container at the end
  // of every object, which is quadratic in a long list of objects.)
  if (containerNesting(bytes) <= static_cast<size_t>(kMaxJsonDepth)) {
    try {
      nlohmann::json value =
          nlohmann::json::parse(bytes.begin(), bytes.end(), nullptr, /*allow_exceptions=*/false);
      if (value.is_discarded()) return std::nullopt;
      return JsonDocumentRead{std::move(value), {}};
    } catch (const std::exception&) {
      return std::nullopt;  // allocation failure
    }
  }
  // The parser walks nested values with a stack of its own; only what it
  // keeps is limited. Depth 1 is a member of the top-level value.
  bool fatal = false;
  bool topIsObject = false;
  std::string member;          // the key of the top-level member being read
  bool memberTooDeep = false;  // it nests too deep and is being dropped
  std::vector<std::string> dropped;
  using Event = nlohmann::json::parse_event_t;
  const nlohmann::json::parser_callback_t callback = [&](int depth, Event event,
                                                         nlohmann::json& parsed) {
    if (fatal) return false;
    if (depth == 0 && event == Event::object_start) topIsObject = true;
    if (depth == 1 && event == Event::key && topIsObject) {
      member = parsed.is_string() ? parsed.get<std::string>() : std::string();
      memberTooDeep = false;
      return true;
    }
    if (depth > kMaxJsonDepth) {
      if (topIsObject && mayDrop(member)) {
        memberTooDeep = true;
      } else {
        fatal = true;
      }
      return false;
    }
    if (depth == 1 && memberTooDeep && (event == Event::object_end || event == Event::array_end)) {
      dropped.push_back(member);
      memberTooDeep = false;
      return false;  // the whole member goes
    }
    return true;
  };
  try {
    nlohmann::json value =
        nlohmann::json::parse(bytes.begin(), bytes.end(), callback, /*allow_exceptions=*/false);
    if (fatal || value.is_discarded()) return std::nullopt;
    // A dropped member that is an array stays behind as a discarded value.
    if (!dropped.empty() && value.is_object()) {
      for (auto it = value.begin(); it != value.end();) {
        it = it->is_discarded() ? value.erase(it) : std::next(it);
      }
    }
    return JsonDocumentRead{std::move(value), std::move(dropped)};
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
