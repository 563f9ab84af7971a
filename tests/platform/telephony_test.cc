#include "platform/telephony.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using platform::TUCall;
using platform::TUCallCenter;
using platform::TUCallRef;

class TUCallCenterTest : public ::testing::Test {
 protected:
  ~TUCallCenterTest() override { TUCallCenter::sharedInstance().setDisconnectHandler(nullptr); }

  static TUCallRef ringingCall() {
    auto call = std::make_shared<TUCall>();
    call->status = 4;
    call->isIncoming = true;
    call->handle = platform::TUHandle{"13800138000"};
    call->uniqueProxyIdentifier = "call-1";
    return call;
  }
};

TEST_F(TUCallCenterTest, WithoutHandlerDisconnectEndsCall) {
  TUCallRef call = ringingCall();
  TUCallCenter::sharedInstance().disconnectCall(call);
  EXPECT_EQ(call->status, 6);
}

TEST_F(TUCallCenterTest, HandlerDecidesWhatDisconnectDoes) {
  std::vector<TUCallRef> disconnected;
  TUCallCenter::sharedInstance().setDisconnectHandler(
      [&disconnected](const TUCallRef& call) { disconnected.push_back(call); });
  TUCallRef call = ringingCall();
  TUCallCenter::sharedInstance().disconnectCall(call);
  ASSERT_EQ(disconnected.size(), 1u);
  EXPECT_EQ(disconnected[0], call);  // the same object, not a copy
  EXPECT_EQ(call->status, 4);        // the host ends the call later

  TUCallCenter::sharedInstance().setDisconnectHandler(nullptr);
  TUCallCenter::sharedInstance().disconnectCall(call);
  EXPECT_EQ(disconnected.size(), 1u);
  EXPECT_EQ(call->status, 6);
}

TEST_F(TUCallCenterTest, NullCallIsIgnored) {
  int calls = 0;
  TUCallCenter::sharedInstance().setDisconnectHandler([&calls](const TUCallRef&) { ++calls; });
  TUCallCenter::sharedInstance().disconnectCall(nullptr);
  EXPECT_EQ(calls, 0);
}

TEST_F(TUCallCenterTest, HandlerMayReplaceItself) {
  // A handler that changes the handler must not deadlock on the center's lock.
  int calls = 0;
  TUCallCenter::sharedInstance().setDisconnectHandler([&calls](const TUCallRef&) {
    ++calls;
    TUCallCenter::sharedInstance().setDisconnectHandler(nullptr);
  });
  TUCallRef call = ringingCall();
  TUCallCenter::sharedInstance().disconnectCall(call);
  TUCallCenter::sharedInstance().disconnectCall(call);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(call->status, 6);
}

}  // namespace
