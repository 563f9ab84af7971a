// The home-screen process's classes that the tweak hooks: "SpringBoard" (the
// application; applicationDidFinishLaunching:, see ui_application.h) and
// "SBTelephonyManager", whose callEventHandler: receives every call event of
// the telephony layer. Both are host classes that the springboard host
// registers.
#pragma once

#include "platform/runtime.h"
#include "platform/telephony.h"

namespace platform {

inline constexpr char kSpringBoardClassName[] = "SpringBoard";
inline constexpr char kTelephonyManagerClassName[] = "SBTelephonyManager";

// SBTelephonyManager callEventHandler:: one call event; notification->object
// is the call the event is about (the same TUCall object for every event of
// one call).
using CallEventHandlerIMP = void (*)(id self, SEL _cmd, NSNotification* notification);
inline constexpr char kCallEventHandlerSelector[] = "callEventHandler:";

}  // namespace platform
