#include "hushgate/screening/call_event_handler.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <mutex>
#include <vector>

#include "platform/telephony.h"
#include "support/temp_root.h"

namespace {

using platform::TUCall;
using platform::TUCallRef;

// Blocks every call from 400, lets every other call through.
Json rulesDocument(bool enabled) {
  Json doc = {{"blacklist", Json::array({Json::array({"400", "^400$", ""})})}};
  if (enabled) doc["enabled"] = true;
  return doc;
}

TUCallRef makeCall(const std::string& number, int status, bool incoming = true) {
  auto call = std::make_shared<TUCall>();
  call->status = status;
  call->isIncoming = incoming;
  call->handle = platform::TUHandle{number};
  call->uniqueProxyIdentifier = "id-" + number;
  return call;
}

struct Recorded {
  std::mutex mutex;
  std::vector<std::string> appended;  // "uniqueId|number|reason|detail"
  std::promise<void> firstAppend;
  bool signalled = false;
};

class CallEventHandlerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::TUCallCenter::sharedInstance().setDisconnectHandler(
        [this](const TUCallRef& call) { disconnected_.push_back(call); });
  }
  void TearDown() override { platform::TUCallCenter::sharedInstance().setDisconnectHandler({}); }

  CallEventHandler makeHandler(bool enabled) {
    CallEventServices services;
    services.regionLookup = [](const std::string&) { return std::string(); };
    services.labelLookup = [](const std::string&) { return std::optional<std::string>(); };
    services.appendBlockRecord = [rec = recorded_](const TUCall& call,
                                                   const ScreeningResult& result) {
      std::lock_guard lock(rec->mutex);
      rec->appended.push_back(call.uniqueProxyIdentifier + "|" +
                              (call.handle ? call.handle->value : "") + "|" +
                              std::to_string(result.reason) + "|" + result.detail);
      if (!rec->signalled) {
        rec->signalled = true;
        rec->firstAppend.set_value();
      }
    };
    CallEventHandler handler(std::move(services));
    handler.setRules(std::make_shared<const ScreeningRules>(rulesDocument(enabled)));
    return handler;
  }

  // Delivers one event; returns the outcome and whether the host handler ran.
  std::pair<CallEventOutcome, bool> deliver(CallEventHandler& handler, const TUCallRef& call,
                                            int status) {
    call->status = status;
    bool hostCalled = false;
    const CallEventResult result =
        handler.handleCallEvent({"event", call}, [&hostCalled] { hostCalled = true; });
    return {result.outcome, hostCalled};
  }

  testing_support::TempDeviceRoot root_;
  std::vector<TUCallRef> disconnected_;
  std::shared_ptr<Recorded> recorded_ = std::make_shared<Recorded>();
};

constexpr auto Passed = CallEventOutcome::Passed;
constexpr auto Swallowed = CallEventOutcome::Swallowed;
constexpr auto Blocked = CallEventOutcome::Blocked;

struct Step {
  const char* call;  // "a" or "b"
  int status;
  CallEventOutcome outcome;
  bool pendingAfter;
  bool blockedAfter;
};

struct Scenario {
  const char* name;
  const char* numberA;
  const char* numberB;
  std::vector<Step> steps;
};

TEST_F(CallEventHandlerTest, FollowsThePendingCallStateMachine) {
  const std::vector<Scenario> scenarios = {
      {"passed call answered",
       "100",
       "200",
       {{"a", 4, Passed, true, false},
        {"a", 2, Passed, true, false},
        {"a", 1, Passed, false, false}}},
      {"passed call ends unanswered",
       "100",
       "200",
       {{"a", 4, Passed, true, false}, {"a", 6, Passed, false, false}}},
      {"blocked call: later events swallowed until it ends",
       "400",
       "200",
       {{"a", 4, Blocked, true, true},
        {"a", 3, Swallowed, true, true},
        {"a", 6, Swallowed, false, false},
        {"b", 4, Passed, true, false}}},
      {"blocked call that becomes active is passed on and forgotten",
       "400",
       "200",
       {{"a", 4, Blocked, true, true}, {"a", 1, Passed, false, false}}},
      {"second ringing call while one is pending is not screened",
       "100",
       "400",
       {{"a", 4, Passed, true, false},
        {"b", 4, Passed, true, false},
        {"a", 6, Passed, false, false},
        {"b", 4, Blocked, true, true}}},
      {"events of other calls while a blocked call is pending go to the host",
       "400",
       "200",
       {{"a", 4, Blocked, true, true}, {"b", 1, Passed, true, true}, {"b", 6, Passed, true, true}}},
      {"idle: events other than a ringing incoming call pass",
       "100",
       "200",
       {{"a", 1, Passed, false, false},
        {"a", 6, Passed, false, false},
        {"a", 3, Passed, false, false}}},
  };

  for (const Scenario& scenario : scenarios) {
    SCOPED_TRACE(scenario.name);
    CallEventHandler handler = makeHandler(true);
    const TUCallRef a = makeCall(scenario.numberA, 0);
    const TUCallRef b = makeCall(scenario.numberB, 0);
    for (size_t i = 0; i < scenario.steps.size(); ++i) {
      const Step& step = scenario.steps[i];
      SCOPED_TRACE("step " + std::to_string(i));
      const auto [outcome, hostCalled] = deliver(handler, step.call[0] == 'a' ? a : b, step.status);
      EXPECT_EQ(outcome, step.outcome);
      EXPECT_EQ(hostCalled, step.outcome == Passed);
      EXPECT_EQ(handler.pendingIncomingTUCall() != nullptr, step.pendingAfter);
      EXPECT_EQ(handler.pendingIncomingTUCallBlocked(), step.blockedAfter);
    }
  }
}

TEST_F(CallEventHandlerTest, OutgoingRingingCallIsNotScreened) {
  CallEventHandler handler = makeHandler(true);
  const TUCallRef outgoing = makeCall("400", 0, /*incoming=*/false);
  EXPECT_EQ(deliver(handler, outgoing, 4), std::make_pair(Passed, true));
  EXPECT_EQ(handler.pendingIncomingTUCall(), nullptr);
  EXPECT_TRUE(disconnected_.empty());
}

TEST_F(CallEventHandlerTest, SwitchedOffPassesEverythingAndLeavesTrackerAlone) {
  CallEventHandler handler = makeHandler(false);
  const TUCallRef call = makeCall("400", 0);
  for (int status : {4, 2, 6}) {
    EXPECT_EQ(deliver(handler, call, status), std::make_pair(Passed, true));
    EXPECT_EQ(handler.pendingIncomingTUCall(), nullptr);
  }
  EXPECT_TRUE(disconnected_.empty());

  // No document at all (before the launch sequence loaded one) is also off.
  handler.setRules(nullptr);
  EXPECT_EQ(deliver(handler, call, 4), std::make_pair(Passed, true));
  EXPECT_TRUE(disconnected_.empty());
}

TEST_F(CallEventHandlerTest, CallEndingWhileSwitchedOffIsForgotten) {
  // A call rings with screening on, ends (or is answered) while it is off:
  // once it is on again, the next call is screened, not taken for a second
  // call beside the first.
  for (int end : {6, 1}) {
    CallEventHandler handler = makeHandler(true);
    const TUCallRef first = makeCall("100", 0);
    EXPECT_EQ(deliver(handler, first, 4), std::make_pair(Passed, true));
    ASSERT_EQ(handler.pendingIncomingTUCall(), first);
    handler.setRules(std::make_shared<const ScreeningRules>(rulesDocument(false)));
    EXPECT_EQ(deliver(handler, first, end), std::make_pair(Passed, true)) << end;
    EXPECT_EQ(handler.pendingIncomingTUCall(), nullptr) << end;
    handler.setRules(std::make_shared<const ScreeningRules>(rulesDocument(true)));
    const TUCallRef next = makeCall("400", 0);
    EXPECT_EQ(deliver(handler, next, 4).first, Blocked) << end;
  }
}

TEST_F(CallEventHandlerTest, BlockedCallIsHungUpAndRecordedOffTheEventThread) {
  CallEventHandler handler = makeHandler(true);
  const TUCallRef call = makeCall("400", 4);
  const CallEventResult blocked = handler.handleCallEvent(
      {"event", call}, [] { ADD_FAILURE() << "a blocked call must not reach the host handler"; });
  EXPECT_EQ(blocked.outcome, Blocked);
  EXPECT_EQ(blocked.screening.reason, BlockReasonBlacklist);
  ASSERT_EQ(disconnected_.size(), 1u);
  EXPECT_EQ(disconnected_[0], call);

  ASSERT_EQ(recorded_->firstAppend.get_future().wait_for(std::chrono::seconds(10)),
            std::future_status::ready);
  std::lock_guard lock(recorded_->mutex);
  EXPECT_EQ(recorded_->appended, std::vector<std::string>{"id-400|400|4|"});
}

TEST_F(CallEventHandlerTest, RuleChangeTakesEffectAtTheNextEvent) {
  CallEventHandler handler = makeHandler(true);
  const TUCallRef first = makeCall("500", 0);
  EXPECT_EQ(deliver(handler, first, 4).first, Passed);
  EXPECT_EQ(deliver(handler, first, 6).first, Passed);

  Json doc = rulesDocument(true);
  doc["blacklist"].push_back(Json::array({"500", "^500$", ""}));
  handler.setRules(std::make_shared<const ScreeningRules>(doc));
  const TUCallRef second = makeCall("500", 0);
  EXPECT_EQ(deliver(handler, second, 4).first, Blocked);
}

TEST(IncomingCallInfoTest, TakesTheCallObjectsFields) {
  TUCall call;
  call.isBlocked = true;
  call.contactIdentifier = "contact-1";
  call.uniqueProxyIdentifier = "u-1";
  call.displayName = "Display";
  IncomingCallInfo info = incomingCallInfoFromTUCall(call);
  EXPECT_EQ(info.number, "");  // no handle: the empty number
  EXPECT_TRUE(info.systemBlocked);
  EXPECT_EQ(info.contactIdentifier, "contact-1");
  EXPECT_EQ(info.uniqueId, "u-1");
  EXPECT_EQ(info.displayName, "Display");

  call.handle = platform::TUHandle{"+8613800138000"};
  EXPECT_EQ(incomingCallInfoFromTUCall(call).number, "+8613800138000");
}

}  // namespace
