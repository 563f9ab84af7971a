#include "hushgate/screening/call_event_handler.h"

#include <chrono>

#include "platform/dispatch.h"
#include "statics/Log.h"

namespace {

CallEventResult passOn(const std::function<void()>& hostHandler) {
  if (hostHandler) hostHandler();
  return {CallEventOutcome::Passed, {}};
}

CallEventResult swallow() {
  return {CallEventOutcome::Swallowed, {}};
}

}  // namespace

IncomingCallInfo incomingCallInfoFromTUCall(const platform::TUCall& call) {
  IncomingCallInfo info;
  if (call.handle) info.number = call.handle->value;
  info.contactIdentifier = call.contactIdentifier;
  info.systemBlocked = call.isBlocked;
  info.uniqueId = call.uniqueProxyIdentifier;
  info.localizedLabel = call.localizedLabel;
  info.sourceIdentifier = call.sourceIdentifier;
  info.displayName = call.displayName;
  info.callerNameFromNetwork = call.callerNameFromNetwork;
  return info;
}

CallEventHandler::CallEventHandler(CallEventServices services) : services_(std::move(services)) {}

CallEventResult CallEventHandler::handleCallEvent(const platform::NSNotification& notification,
                                                  const std::function<void()>& hostHandler) {
  // Hold the document for the whole event, even if a reload replaces it.
  const std::shared_ptr<const ScreeningRules> rules = rules_;
  const platform::TUCallRef& call = notification.object;
  if (!rules || !rules->enabled()) {
    // Screening is off, but the pending call still ends or is answered: drop
    // it, or every later call would count as another call and pass unscreened.
    if (call && call == pendingIncomingTUCall_ &&
        (call->status == platform::kTUCallStatusActive ||
         call->status == platform::kTUCallStatusDisconnected)) {
      pendingIncomingTUCall_.reset();
      pendingIncomingTUCallBlocked_ = false;
    }
    return passOn(hostHandler);
  }
  if (!call) return passOn(hostHandler);
  Log("call.status: %d", call->status);

  if (!pendingIncomingTUCall_) {
    if (call->isIncoming && call->status == platform::kTUCallStatusRinging) {
      return screenNewIncomingCall(call, *rules, hostHandler);
    }
    return passOn(hostHandler);
  }

  if (call != pendingIncomingTUCall_) return passOn(hostHandler);

  switch (call->status) {
    case platform::kTUCallStatusActive:
      pendingIncomingTUCall_.reset();
      pendingIncomingTUCallBlocked_ = false;
      return passOn(hostHandler);
    case platform::kTUCallStatusDisconnected: {
      pendingIncomingTUCall_.reset();
      const bool wasBlocked = pendingIncomingTUCallBlocked_;
      pendingIncomingTUCallBlocked_ = false;
      return wasBlocked ? swallow() : passOn(hostHandler);
    }
    default:
      return pendingIncomingTUCallBlocked_ ? swallow() : passOn(hostHandler);
  }
}

void CallEventHandler::queueAppend(const platform::TUCall& call, const ScreeningResult& result) {
  if (!services_.appendBlockRecord) return;
  // The append gets its own copy: the host goes on changing the live call object.
  platform::globalQueue().async([append = services_.appendBlockRecord, snapshot = call, result] {
    append(snapshot, result);
  });
}

CallEventResult CallEventHandler::screenNewIncomingCall(const platform::TUCallRef& call,
                                                        const ScreeningRules& rules,
                                                        const std::function<void()>& hostHandler) {
  const IncomingCallInfo info = incomingCallInfoFromTUCall(*call);
  Log("== pendingIncomingTUCall: %@, contact: %@, label: %@, isBlocked: %@, sourceIdentifier: %@, "
      "displayName: %@, callerNameFromNetwork: %@",
      call->handle ? std::optional<std::string>(info.number) : std::nullopt, info.contactIdentifier,
      info.localizedLabel, info.systemBlocked ? "Y" : "N", info.sourceIdentifier, info.displayName,
      info.callerNameFromNetwork);

  pendingIncomingTUCall_ = call;
  ScreeningContext context;
  context.regionLookup = services_.regionLookup;
  context.labelLookup = services_.labelLookup;
  context.placeLookup = services_.placeLookup;
  context.lastBlockLookup = services_.lastBlockLookup;
  context.moment =
      services_.moment ? services_.moment() : callMomentAt(std::chrono::system_clock::now());
  ScreeningResult result = screenIncomingCall(info, rules, context);
  const bool letThrough = result.overruledReason != BlockReasonNone;
  if (result.reason == BlockReasonNone) {
    passOn(hostHandler);
    if (letThrough) queueAppend(*call, result);
    return {CallEventOutcome::Passed, std::move(result)};
  }

  pendingIncomingTUCallBlocked_ = true;
  platform::TUCallCenter::sharedInstance().disconnectCall(call);
  if (services_.noteBlock) services_.noteBlock(info.number, context.moment.date);
  queueAppend(*call, result);
  return {CallEventOutcome::Blocked, std::move(result)};
}
