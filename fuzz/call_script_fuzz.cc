// Fuzz target of the home-screen host's call-script reader: the input is one
// script line. A line is a call event, a pause or blank, or refused with a
// reason; an event applies to a call object without surprises.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <variant>

#include "hosts/springboard/call_script.h"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const Result<springboard::ScriptLine> parsed = springboard::parseScriptLine(line);
  if (!parsed) {
    check(!parsed.error().empty());
    return 0;
  }
  if (const auto* event = std::get_if<springboard::CallEvent>(&*parsed)) {
    check(!springboard::callKey(*event).empty());
    platform::TUCall call;
    springboard::applyCallEvent(*event, /*newCall=*/true, call);
    check(call.status == event->status);
    springboard::applyCallEvent(*event, /*newCall=*/false, call);
  } else if (const auto* sleep = std::get_if<springboard::Sleep>(&*parsed)) {
    check(sleep->duration.count() >= 0);
  }
  return 0;
}
