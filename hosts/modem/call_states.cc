#include "hosts/modem/call_states.h"

namespace modem {

std::optional<int> callStatusForState(int state) {
  switch (state) {
    case MM_CALL_STATE_RINGING_IN:
    case MM_CALL_STATE_WAITING:
      return kCallStatusRinging;
    case MM_CALL_STATE_DIALING:
    case MM_CALL_STATE_RINGING_OUT:
      return kCallStatusSending;
    case MM_CALL_STATE_ACTIVE:
      return kCallStatusActive;
    case MM_CALL_STATE_HELD:
      return kCallStatusHeld;
    case MM_CALL_STATE_TERMINATED:
      return kCallStatusEnded;
    default:
      return std::nullopt;
  }
}

const char* callStateName(int state) {
  switch (state) {
    case MM_CALL_STATE_UNKNOWN:
      return "unknown";
    case MM_CALL_STATE_DIALING:
      return "dialing";
    case MM_CALL_STATE_RINGING_OUT:
      return "ringing-out";
    case MM_CALL_STATE_RINGING_IN:
      return "ringing-in";
    case MM_CALL_STATE_ACTIVE:
      return "active";
    case MM_CALL_STATE_HELD:
      return "held";
    case MM_CALL_STATE_WAITING:
      return "waiting";
    case MM_CALL_STATE_TERMINATED:
      return "terminated";
    default:
      return "not a call state";
  }
}

const char* callDirectionName(int direction) {
  switch (direction) {
    case MM_CALL_DIRECTION_INCOMING:
      return "incoming";
    case MM_CALL_DIRECTION_OUTGOING:
      return "outgoing";
    default:
      return "unknown";
  }
}

}  // namespace modem
