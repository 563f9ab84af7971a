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

bool readText(const Json& value, const std::string& key, TextUpdate* out, std::string* error) {
  if (value.is_null()) {
    *out = std::optional<std::string>();
  } else if (value.is_string()) {
    *out = value.get<std::string>();
  } else {
    *error = "\"" + key + "\" must be a string or null";
    return false;
  }
  return true;
}

bool readBool(const Json& value, const std::string& key, std::optional<bool>* out,
              std::string* error) {
  if (!value.is_boolean()) {
    *error = "\"" + key + "\" must be true or false";
    return false;
  }
  *out = value.get<bool>();
  return true;
}

std::optional<ScriptLine> parseSleep(const Json& doc, std::string* error) {
  if (doc.size() != 1) {
    *error = "a \"sleep\" line has no other members";
    return std::nullopt;
  }
  const Json& value = doc["sleep"];
  if (!value.is_number() || !std::isfinite(value.get<double>()) || value.get<double>() < 0 ||
      value.get<double>() > kMaxSleepMilliseconds) {
    *error = "\"sleep\" must be a number of milliseconds from 0 to a day";
    return std::nullopt;
  }
  return Sleep{
      std::chrono::milliseconds(static_cast<long long>(std::llround(value.get<double>())))};
}

std::optional<ScriptLine> parseCallEvent(const Json& doc, std::string* error) {
  CallEvent event;
  if (!doc.contains("call")) {
    *error = "a call event needs \"call\"";
    return std::nullopt;
  }
  if (!doc.contains("status")) {
    *error = "a call event needs \"status\"";
    return std::nullopt;
  }
  for (const auto& [key, value] : doc.items()) {
    bool ok = true;
    if (key == "call") {
      ok = value.is_string() || value.is_number_integer();
      if (!ok) *error = "\"call\" must be a string or an integer";
      event.call = value;
    } else if (key == "status") {
      ok = value.is_number_integer() && value.get<long long>() >= std::numeric_limits<int>::min() &&
           value.get<long long>() <= std::numeric_limits<int>::max();
      if (!ok) *error = "\"status\" must be an integer";
      if (ok) event.status = value.get<int>();
    } else if (key == "incoming") {
      ok = readBool(value, key, &event.incoming, error);
    } else if (key == "system_blocked") {
      ok = readBool(value, key, &event.systemBlocked, error);
    } else if (key == "unique_id") {
      ok = value.is_string();
      if (!ok) *error = "\"unique_id\" must be a string";
      if (ok) event.uniqueId = value.get<std::string>();
    } else if (key == "number") {
      ok = readText(value, key, &event.number, error);
    } else if (key == "contact") {
      ok = readText(value, key, &event.contact, error);
    } else if (key == "label") {
      ok = readText(value, key, &event.label, error);
    } else if (key == "display_name") {
      ok = readText(value, key, &event.displayName, error);
    } else if (key == "caller_name") {
      ok = readText(value, key, &event.callerName, error);
    }
    if (!ok) return std::nullopt;
  }
  return event;
}

void applyText(const TextUpdate& update, std::optional<std::string>* field) {
  if (update) *field = *update;
}

}  // namespace

std::optional<ScriptLine> parseScriptLine(std::string_view text, std::string* error) {
  if (isBlank(text)) return BlankLine{};
  const Json doc = parseJsonDocument(text).value_or(nullptr);
  if (!doc.is_object()) {
    *error = "not a JSON object";
    return std::nullopt;
  }
  if (doc.contains("sleep")) return parseSleep(doc, error);
  return parseCallEvent(doc, error);
}

std::string callKey(const CallEvent& event) {
  return event.call.dump();
}

void applyCallEvent(const CallEvent& event, bool newCall, platform::TUCall& call) {
  if (newCall) {
    call.isIncoming = event.status == 4;
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
