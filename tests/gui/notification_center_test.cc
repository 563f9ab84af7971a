#include "hushgate-gui/core/kit/notification_center.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using gui::NotificationCenter;
using gui::ObserverToken;
using gui::UserInfo;

class NotificationCenterTest : public ::testing::Test {
 protected:
  ~NotificationCenterTest() override {
    for (const ObserverToken token : tokens_) center().removeObserver(token);
  }
  static NotificationCenter& center() { return NotificationCenter::defaultCenter(); }
  ObserverToken observe(const std::string& name, std::function<void(const UserInfo&)> block) {
    tokens_.push_back(center().addObserverForName(name, std::move(block)));
    return tokens_.back();
  }
  std::vector<ObserverToken> tokens_;
};

TEST_F(NotificationCenterTest, DeliversByNameInRegistrationOrderWithUserInfo) {
  std::vector<std::string> calls;
  observe("test-a", [&](const UserInfo& info) { calls.push_back("1:" + info.dump()); });
  observe("test-b", [&](const UserInfo&) { calls.push_back("b"); });
  observe("test-a", [&](const UserInfo& info) { calls.push_back("2:" + info.dump()); });
  center().postNotificationName("test-a", {{"group", "gd"}, {"enabled", true}});
  EXPECT_EQ(calls, (std::vector<std::string>{R"(1:{"enabled":true,"group":"gd"})",
                                             R"(2:{"enabled":true,"group":"gd"})"}));
  calls.clear();
  center().postNotificationName("test-a");
  EXPECT_EQ(calls, (std::vector<std::string>{"1:null", "2:null"}));
  EXPECT_EQ(center().observerCount("test-a"), 2u);
  EXPECT_EQ(center().observerCount("test-none"), 0u);
}

TEST_F(NotificationCenterTest, RemovedObserverIsNotCalledEvenWithinTheSamePost) {
  int first = 0;
  int second = 0;
  ObserverToken secondToken = 0;
  observe("test-remove", [&](const UserInfo&) {
    ++first;
    center().removeObserver(secondToken);
  });
  secondToken = observe("test-remove", [&](const UserInfo&) { ++second; });
  center().postNotificationName("test-remove");
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 0);
  EXPECT_EQ(center().observerCount("test-remove"), 1u);
}

TEST_F(NotificationCenterTest, AnObserverMayRemoveItselfWhileRunning) {
  int calls = 0;
  ObserverToken token = 0;
  token = observe("test-self", [&](const UserInfo&) {
    center().removeObserver(token);
    ++calls;  // still running after its own removal
  });
  center().postNotificationName("test-self");
  center().postNotificationName("test-self");
  EXPECT_EQ(calls, 1);
}

TEST_F(NotificationCenterTest, ObserverAddedDuringAPostWaitsForTheNextOne) {
  int late = 0;
  observe("test-late", [&](const UserInfo&) {
    if (late == 0 && tokens_.size() == 1) observe("test-late", [&](const UserInfo&) { ++late; });
  });
  center().postNotificationName("test-late");
  EXPECT_EQ(late, 0);
  center().postNotificationName("test-late");
  EXPECT_EQ(late, 1);
}

}  // namespace
