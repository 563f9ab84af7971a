// Notifications between processes: this test process and hushgate-notify
// children, all under one temporary device root.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "env_var.h"
#include "platform/dispatch.h"
#include "platform/notify.h"
#include "support/child_process.h"
#include "support/temp_root.h"

namespace {

using namespace std::chrono_literals;
using testing_support::ChildProcess;
using testing_support::describeStatus;
using testing_support::exitedWith;

constexpr char kTool[] = HUSHGATE_NOTIFY_TOOL;
constexpr auto kPatience = 10s;
constexpr char kHistoryAdded[] = "com.tevrin.hushgate.mp-block-history-added";

std::unique_ptr<ChildProcess> startTool(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {kTool};
  argv.insert(argv.end(), args.begin(), args.end());
  auto child = ChildProcess::start(argv);
  EXPECT_NE(child, nullptr) << "cannot start " << kTool;
  return child;
}

// Starts `hushgate-notify wait NAME SECONDS` and waits for its "ready" line.
std::unique_ptr<ChildProcess> startWaiter(const std::string& name, const std::string& seconds) {
  auto child = startTool({"wait", name, seconds});
  if (child == nullptr) return nullptr;
  const auto line = child->readLine(kPatience);
  EXPECT_EQ(line.value_or("(no line)"), "ready") << name;
  return child;
}

class NotifyProcessTest : public ::testing::Test {
 protected:
  testing_support::TempDeviceRoot root_;
};

TEST_F(NotifyProcessTest, PostFromAnotherProcessReachesThisOne) {
  int deliveries = 0;
  int token = 0;
  ASSERT_EQ(platform::notify_register_dispatch(kHistoryAdded, &token, platform::mainQueue(),
                                               [&deliveries](int) { ++deliveries; }),
            platform::NOTIFY_STATUS_OK);
  auto poster = startTool({"post", kHistoryAdded});
  ASSERT_NE(poster, nullptr);
  const auto status = poster->wait(kPatience);
  EXPECT_TRUE(exitedWith(status, 0)) << describeStatus(status);
  EXPECT_TRUE(platform::runMainLoopUntil([&] { return deliveries > 0; }, kPatience));
  platform::notify_cancel(token);
}

TEST_F(NotifyProcessTest, EveryRegisteredProcessGetsThePost) {
  std::vector<std::unique_ptr<ChildProcess>> waiters;
  for (int i = 0; i < 3; ++i) {
    waiters.push_back(startWaiter(kHistoryAdded, "10"));
    ASSERT_NE(waiters.back(), nullptr);
  }
  ASSERT_EQ(platform::notify_post(kHistoryAdded), platform::NOTIFY_STATUS_OK);
  for (size_t i = 0; i < waiters.size(); ++i) {
    const auto status = waiters[i]->wait(kPatience);
    EXPECT_TRUE(exitedWith(status, 0)) << "waiter " << i << ": " << describeStatus(status);
  }
}

TEST_F(NotifyProcessTest, OtherNamesAndOtherRootsAreNotWoken) {
  auto sameName = startWaiter(kHistoryAdded, "10");
  auto otherName = startWaiter("com.tevrin.hushgate.mp-history-file-changed", "1");
  std::unique_ptr<ChildProcess> otherRoot;
  {
    const std::string elsewhere = root_.at("/elsewhere");
    platform_testing::ScopedEnv env("HUSHGATE_ROOT", elsewhere.c_str());
    otherRoot = startWaiter(kHistoryAdded, "1");
  }
  ASSERT_TRUE(sameName && otherName && otherRoot);

  ASSERT_EQ(platform::notify_post(kHistoryAdded), platform::NOTIFY_STATUS_OK);
  const auto woken = sameName->wait(kPatience);
  EXPECT_TRUE(exitedWith(woken, 0)) << describeStatus(woken);
  // Time-outs end with status 1.
  const auto other = otherName->wait(kPatience);
  EXPECT_TRUE(exitedWith(other, 1)) << describeStatus(other);
  const auto rooted = otherRoot->wait(kPatience);
  EXPECT_TRUE(exitedWith(rooted, 1)) << describeStatus(rooted);
}

TEST_F(NotifyProcessTest, ToolCommandLine) {
  const struct {
    std::vector<std::string> args;
    int status;
    const char* output;  // all of standard output; usage goes to standard error
  } cases[] = {
      {{}, 2, ""},
      {{"post"}, 2, ""},
      {{"post", "a", "b"}, 2, ""},
      {{"wait"}, 2, ""},
      {{"wait", "n", "soon"}, 2, ""},
      {{"wait", "n", "-1"}, 2, ""},
      {{"wait", "n", "1s"}, 2, ""},
      {{"wait", "n", ""}, 2, ""},
      {{"wait", "n", "1", "2"}, 2, ""},
      {{"shout", "n"}, 2, ""},
      {{"post", "a/b"}, 1, ""},
      {{"post", ""}, 1, ""},
      {{"wait", "", "1"}, 1, ""},
      {{"wait", "n", "0"}, 1, "ready\n"},
      {{"wait", "n", "0.05"}, 1, "ready\n"},
      {{"post", "com.tevrin.hushgate.preference-updated"}, 0, ""},
  };
  for (const auto& c : cases) {
    std::string joined;
    for (const std::string& arg : c.args) joined += " [" + arg + "]";
    SCOPED_TRACE(joined);
    auto child = startTool(c.args);
    ASSERT_NE(child, nullptr);
    const std::string output = child->readAll(kPatience);
    const auto status = child->wait(kPatience);
    EXPECT_TRUE(exitedWith(status, c.status)) << describeStatus(status);
    EXPECT_EQ(output, c.output);
  }
  EXPECT_TRUE(root_.exists("/run/notify/com.tevrin.hushgate.preference-updated"));
}

TEST_F(NotifyProcessTest, HelpDocumentsReadyLine) {
  auto child = startTool({"--help"});
  ASSERT_NE(child, nullptr);
  const std::string usage = child->readAll(kPatience);
  EXPECT_EQ(usage.rfind("usage: hushgate-notify", 0), 0u) << usage;
  EXPECT_NE(usage.find("\"ready\""), std::string::npos) << usage;
  EXPECT_TRUE(exitedWith(child->wait(kPatience), 0));
}

}  // namespace
