// The springboard host's call script: one JSON object per line, each a call
// event or a pause.
//
// A call event names its call with "call" (a string or an integer; the same
// id is the same call object, and "1" and 1 are two calls) and gives its
// "status" (an integer: 4 ringing, 1 active, 6 ended, ...). The other members
// set the call's fields and keep their values for later events of the call:
// "incoming", "system_blocked" (booleans), "unique_id" (a string), and
// "number", "contact", "label", "display_name", "caller_name" (strings; null
// clears them). Members the script does not know are ignored. A new call is
// incoming when its first status is 4, and its unique id is its call id
// unless "unique_id" says otherwise.
//
// {"sleep": MILLISECONDS} waits that long before the next line. Blank lines
// are skipped.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include <nlohmann/json.hpp>

#include "platform/telephony.h"
#include "statics/result.h"

namespace springboard {

// A text member: absent (unchanged), null (cleared) or a text.
using TextUpdate = std::optional<std::optional<std::string>>;

struct CallEvent {
  nlohmann::ordered_json call;  // the id as the script wrote it
  int status = 0;
  std::optional<bool> incoming;
  std::optional<bool> systemBlocked;
  std::optional<std::string> uniqueId;
  TextUpdate number;
  TextUpdate contact;
  TextUpdate label;
  TextUpdate displayName;
  TextUpdate callerName;
};

struct Sleep {
  std::chrono::milliseconds duration{0};
};

struct BlankLine {};

using ScriptLine = std::variant<BlankLine, CallEvent, Sleep>;

// One line of a script, or why it is a bad line (also one nested deeper than
// kMaxJsonDepth, statics/json_document.h).
Result<ScriptLine> parseScriptLine(std::string_view text);

// The key that tells calls apart: the id's JSON text.
std::string callKey(const CallEvent& event);

// Sets the event's status and the fields it gives on the call object. A new
// call gets its defaults first (see above).
void applyCallEvent(const CallEvent& event, bool newCall, platform::TUCall& call);

}  // namespace springboard
