// How ModemManager's call states become the call statuses of the platform's
// call objects (platform/telephony.h), which the screening reads:
//
//   ModemManager state     call status
//   ringing-in             4  ringing (incoming)
//   waiting                4  ringing: an incoming call that rings while
//                             another call is in progress
//   dialing, ringing-out   3  sending (an outgoing call on its way)
//   active                 1  active
//   held                   2  held
//   terminated             6  ended
//   unknown, anything else none: no call event
//
// An incoming call is one whose direction is incoming; the screening judges a
// call when its first event is status 4 and the call is incoming.
#pragma once

#include <ModemManager.h>

#include <optional>

namespace modem {

inline constexpr int kCallStatusActive = 1;
inline constexpr int kCallStatusHeld = 2;
inline constexpr int kCallStatusSending = 3;
inline constexpr int kCallStatusRinging = 4;
inline constexpr int kCallStatusEnded = 6;

// The call status for a state as ModemManager sends it (any integer).
std::optional<int> callStatusForState(int state);

// The state's name for log lines ("ringing-in"; "not a call state" for other numbers).
const char* callStateName(int state);
const char* callDirectionName(int direction);

}  // namespace modem
