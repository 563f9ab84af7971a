// The home-screen side of the screening: every call event passes through
// here. The handler tracks the one pending incoming call, screens a new
// incoming call, hangs up and records a blocked one, keeps the blocked call's
// later events away from the home screen and passes every other event on to
// the host's own handler.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/telephony.h"
#include "statics/screening/screening.h"

// What the event layer needs from the rest of the tweak.
struct CallEventServices {
  RegionLookup regionLookup;
  LabelLookup labelLookup;
  PlaceLookup placeLookup;
  LastBlockLookup lastBlockLookup;
  // The moment of a call; callMomentAt(now) when empty.
  std::function<CallMoment()> moment;
  // Appends the history record of a blocked call, or of a call that the
  // repeated-call allowance let through (result.overruledReason is then the
  // reason of the rule it overruled). Runs on the global queue with its own
  // copy of the call object and the result.
  std::function<void(const platform::TUCall& call, const ScreeningResult& result)>
      appendBlockRecord;
  // Told at once, on the event thread, of every block (not of a call let
  // through), with the number as delivered and the call's moment.
  std::function<void(const std::string& number, int64_t date)> noteBlock;
};

// What became of one event.
enum class CallEventOutcome {
  Passed,     // handed to the host handler
  Swallowed,  // kept from the host handler (a later event of a blocked call)
  Blocked,    // a new incoming call that a rule blocked: hung up, not passed on
};

struct CallEventResult {
  CallEventOutcome outcome = CallEventOutcome::Passed;
  ScreeningResult screening;  // reason and detail when the event was screened
};

// The call record of a platform call object.
IncomingCallInfo incomingCallInfoFromTUCall(const platform::TUCall& call);

class CallEventHandler {
 public:
  explicit CallEventHandler(CallEventServices services);

  // The rules of the current preference document ("pref"). Replaced whole on
  // reload, read afresh at each event; none means switched off.
  void setRules(std::shared_ptr<const ScreeningRules> rules) { rules_ = std::move(rules); }
  const std::shared_ptr<const ScreeningRules>& rules() const { return rules_; }

  // Handles one call event; hostHandler is called exactly when the event is
  // passed on. Runs on the thread that delivers call events (the main thread).
  CallEventResult handleCallEvent(const platform::NSNotification& notification,
                                  const std::function<void()>& hostHandler);

  // The pending-call tracker.
  const platform::TUCallRef& pendingIncomingTUCall() const { return pendingIncomingTUCall_; }
  bool pendingIncomingTUCallBlocked() const { return pendingIncomingTUCallBlocked_; }

 private:
  CallEventResult screenNewIncomingCall(const platform::TUCallRef& call,
                                        const ScreeningRules& rules,
                                        const std::function<void()>& hostHandler);
  void queueAppend(const platform::TUCall& call, const ScreeningResult& result);

  CallEventServices services_;
  std::shared_ptr<const ScreeningRules> rules_;
  platform::TUCallRef pendingIncomingTUCall_;
  bool pendingIncomingTUCallBlocked_ = false;
};
