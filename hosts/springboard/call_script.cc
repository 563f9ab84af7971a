#include "hosts/springboard/call_script.h"

#include <cctype>
#include <cmath>
#include <limits>

#include "statics/json_document.h"

namespace springboard {

namespace {

using Json = nlohmann::ordered_json;

constexpr double kMaxSleepMilliseconds = 24.0 * 3600 * 1000;

bool isBlank(std::string_view text) {
  for (char c : text) {
    if (!std::isspace(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

Status readText(const Json& value, const std::string& key, TextUpdate* out) {
  if (value.is_null()) {
    *out = std::optional<std::string>();
  } else if (value.is_string()) {
    *out = value.get<std::string>();
  } else {
    return fail("\"" + key + "\" must be a string or null");
  }
  return {};
}

Status readBool(const Json& value, const std::string& key, std::optional<bool>* out) {
  if (!value.is_boolean()) return fail("\"" + key + "\" must be true or false");
  *out = value.get<bool>();
  return {};
}

Result<ScriptLine> parseSleep(const Json& doc) {
  if (doc.size() != 1) return fail("a \"sleep\" line has no other members");
  const Json& value = doc["sleep"];
  if (!value.is_number() || !std::isfinite(value.get<double>()) || value.get<double>() < 0 ||
      value.get<double>() > kMaxSleepMilliseconds) {
    return fail("\"sleep\" must be a number of milliseconds from 0 to a day");
  }
  return ScriptLine(
      Sleep{std::chrono::milliseconds(static_cast<long long>(std::llround(value.get<double>())))});
}

Status readMember(const std::string& key, const Json& value, CallEvent& event) {
  if (key == "call") {
    if (!value.is_string() && !value.is_number_integer()) {
      return fail("\"call\" must be a string or an integer");
    }
    event.call = value;
  } else if (key == "status") {
    if (!value.is_number_integer() || value.get<long long>() < std::numeric_limits<int>::min() ||
        value.get<long long>() > std::numeric_limits<int>::max()) {
      return fail("\"status\" must be an integer");
    }
    event.status = value.get<int>();
  } else if (key == "incoming") {
    return readBool(value, key, &event.incoming);
  } else if (key == "system_blocked") {
    return readBool(value, key, &event.systemBlocked);
  } else if (key == "unique_id") {
    if (!value.is_string()) return fail("\"unique_id\" must be a string");
    event.uniqueId = value.get<std::string>();
  } else if (key == "number") {
    return readText(value, key, &event.number);
  } else if (key == "contact") {
    return readText(value, key, &event.contact);
  } else if (key == "label") {
    return readText(value, key, &event.label);
  } else if (key == "display_name") {
    return readText(value, key, &event.displayName);
  } else if (key == "caller_name") {
    return readText(value, key, &event.callerName);
  }
  return {};
}

Result<ScriptLine> parseCallEvent(const Json& doc) {
  if (!doc.contains("call")) return fail("a call event needs \"call\"");
  if (!doc.contains("status")) return fail("a call event needs \"status\"");
  CallEvent event;
  for (const auto& [key, value] : doc.items()) {
    if (Status read = readMember(key, value, event); !read) return fail(read.error());
  }
  return ScriptLine(std::move(event));
}

void applyText(const TextUpdate& update, std::optional<std::string>* field) {
  if (update) *field = *update;
}

}  // namespace

Result<ScriptLine> parseScriptLine(std::string_view text) {
  if (isBlank(text)) return ScriptLine(BlankLine{});
  const Json doc = parseJsonDocument(text).value_or(nullptr);
  if (!doc.is_object()) return fail("not a JSON object");
  if (doc.contains("sleep")) return parseSleep(doc);
  return parseCallEvent(doc);
}

std::string callKey(const CallEvent& event) {
  return event.call.dump();
}

void applyCallEvent(const CallEvent& event, bool newCall, platform::TUCall& call) {
  if (newCall) {
    call.isIncoming = event.status == platform::kTUCallStatusRinging;
    call.uniqueProxyIdentifier =
        event.call.is_string() ? event.call.get<std::string>() : event.call.dump();
  }
  call.status = event.status;
  if (event.incoming) call.isIncoming = *event.incoming;
  if (event.systemBlocked) call.isBlocked = *event.systemBlocked;
  if (event.uniqueId) call.uniqueProxyIdentifier = *event.uniqueId;
  if (event.number) {
    call.handle = *event.number
                      ? std::optional<platform::TUHandle>(platform::TUHandle{**event.number})
                      : std::nullopt;
  }
  applyText(event.contact, &call.contactIdentifier);
  applyText(event.label, &call.localizedLabel);
  applyText(event.displayName, &call.displayName);
  applyText(event.callerName, &call.callerNameFromNetwork);
}

}  // namespace springboard
