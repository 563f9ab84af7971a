#include "platform/notify.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_root.h"

namespace {

using namespace std::chrono_literals;
using platform::NOTIFY_STATUS_FAILED;
using platform::NOTIFY_STATUS_OK;

constexpr auto kPatience = 5s;
constexpr char kPreferenceUpdated[] = "com.tevrin.hushgate.preference-updated";

// Registers handlers that count deliveries per token, and cancels whatever
// is still registered at the end.
class NotifyTest : public ::testing::Test {
 protected:
  ~NotifyTest() override {
    for (int token : tokens_) platform::notify_cancel(token);
  }

  int registerCounting(const char* name, platform::DispatchQueue& queue = platform::mainQueue()) {
    int token = -1;
    EXPECT_EQ(platform::notify_register_dispatch(name, &token, queue,
                                                 [this](int t) {
                                                   ++deliveries_[t];
                                                   threads_.push_back(std::this_thread::get_id());
                                                 }),
              NOTIFY_STATUS_OK)
        << name;
    tokens_.push_back(token);
    return token;
  }

  void cancel(int token) {
    EXPECT_EQ(platform::notify_cancel(token), NOTIFY_STATUS_OK);
    std::erase(tokens_, token);
  }

  int delivered(int token) { return deliveries_[token]; }

  bool runUntilDelivered(int token) {
    return platform::runMainLoopUntil([&] { return deliveries_[token] > 0; }, kPatience);
  }

  testing_support::TempDeviceRoot root_;
  std::map<int, int> deliveries_;
  std::vector<std::thread::id> threads_;
  std::vector<int> tokens_;
};

TEST_F(NotifyTest, DeliversOnMainQueueWithToken) {
  const int token = registerCounting(kPreferenceUpdated);
  ASSERT_EQ(platform::notify_post(kPreferenceUpdated), NOTIFY_STATUS_OK);
  ASSERT_TRUE(runUntilDelivered(token));
  EXPECT_EQ(deliveries_.size(), 1u);
  ASSERT_FALSE(threads_.empty());
  EXPECT_EQ(threads_[0], std::this_thread::get_id());
  EXPECT_TRUE(root_.exists(std::string("/run/notify/") + kPreferenceUpdated));
}

TEST_F(NotifyTest, EveryRegistrationIsInForceOnReturn) {
  // A post made right after registering must always arrive.
  for (int i = 0; i < 20; ++i) {
    const std::string name = "com.tevrin.hushgate.round-" + std::to_string(i);
    const int token = registerCounting(name.c_str());
    ASSERT_EQ(platform::notify_post(name.c_str()), NOTIFY_STATUS_OK);
    ASSERT_TRUE(runUntilDelivered(token)) << name;
  }
}

TEST_F(NotifyTest, NamesAreKeptApart) {
  const int prefix = registerCounting("com.tevrin.hushgate.mp-history");
  const int posted = registerCounting("com.tevrin.hushgate.mp-history-file-changed");
  const int other = registerCounting("com.tevrin.hushgate.mp-block-history-added");
  const int last = registerCounting("last");
  ASSERT_EQ(platform::notify_post("com.tevrin.hushgate.mp-history-file-changed"), NOTIFY_STATUS_OK);
  // Posts are seen in order: once "last" arrives, any wrong delivery has too.
  ASSERT_EQ(platform::notify_post("last"), NOTIFY_STATUS_OK);
  ASSERT_TRUE(runUntilDelivered(last));
  ASSERT_TRUE(runUntilDelivered(posted));
  EXPECT_EQ(delivered(prefix), 0);
  EXPECT_EQ(delivered(other), 0);
}

TEST_F(NotifyTest, EveryHandlerOfOneNameIsCalled) {
  const int first = registerCounting(kPreferenceUpdated);
  const int second = registerCounting(kPreferenceUpdated);
  EXPECT_NE(first, second);
  ASSERT_EQ(platform::notify_post(kPreferenceUpdated), NOTIFY_STATUS_OK);
  EXPECT_TRUE(platform::runMainLoopUntil(
      [&] { return delivered(first) > 0 && delivered(second) > 0; }, kPatience));
}

TEST_F(NotifyTest, CancelStopsHandler) {
  const int cancelled = registerCounting(kPreferenceUpdated);
  const int kept = registerCounting(kPreferenceUpdated);
  cancel(cancelled);
  ASSERT_EQ(platform::notify_post(kPreferenceUpdated), NOTIFY_STATUS_OK);
  ASSERT_TRUE(runUntilDelivered(kept));
  // Every delivery of the post above comes before the sentinel's.
  const int sentinel = registerCounting("sentinel");
  ASSERT_EQ(platform::notify_post("sentinel"), NOTIFY_STATUS_OK);
  ASSERT_TRUE(runUntilDelivered(sentinel));
  EXPECT_EQ(delivered(cancelled), 0);

  EXPECT_EQ(platform::notify_cancel(cancelled), NOTIFY_STATUS_FAILED);  // already gone
  EXPECT_EQ(platform::notify_cancel(-7), NOTIFY_STATUS_FAILED);
}

// A queue that holds tasks until the test runs them.
class HeldQueue : public platform::DispatchQueue {
 public:
  void async(platform::Task task) override {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  void after(std::chrono::nanoseconds, platform::Task task) override { async(std::move(task)); }
  std::vector<platform::Task> take() {
    std::lock_guard lock(mutex_);
    return std::exchange(tasks_, {});
  }

 private:
  std::mutex mutex_;
  std::vector<platform::Task> tasks_;
};

TEST_F(NotifyTest, CancelDropsDeliveryAlreadyQueued) {
  HeldQueue queue;
  const int token = registerCounting(kPreferenceUpdated, queue);
  ASSERT_EQ(platform::notify_post(kPreferenceUpdated), NOTIFY_STATUS_OK);
  std::vector<platform::Task> held;
  for (auto deadline = std::chrono::steady_clock::now() + kPatience;
       held.empty() && std::chrono::steady_clock::now() < deadline;) {
    held = queue.take();
    std::this_thread::sleep_for(1ms);
  }
  ASSERT_FALSE(held.empty()) << "the delivery never reached the queue";
  cancel(token);
  for (auto& task : held) task();
  EXPECT_EQ(delivered(token), 0);
}

TEST_F(NotifyTest, HandlerMayCancelItself) {
  int calls = 0;
  int token = -1;
  ASSERT_EQ(platform::notify_register_dispatch(kPreferenceUpdated, &token, platform::mainQueue(),
                                               [&calls](int t) {
                                                 ++calls;
                                                 EXPECT_EQ(platform::notify_cancel(t),
                                                           NOTIFY_STATUS_OK);
                                               }),
            NOTIFY_STATUS_OK);
  const int sentinel = registerCounting("sentinel");
  ASSERT_EQ(platform::notify_post(kPreferenceUpdated), NOTIFY_STATUS_OK);
  ASSERT_TRUE(platform::runMainLoopUntil([&] { return calls > 0; }, kPatience));
  ASSERT_EQ(platform::notify_post(kPreferenceUpdated), NOTIFY_STATUS_OK);
  ASSERT_EQ(platform::notify_post("sentinel"), NOTIFY_STATUS_OK);
  ASSERT_TRUE(runUntilDelivered(sentinel));
  EXPECT_EQ(calls, 1);
}

TEST_F(NotifyTest, ManyPostsCoalesceButNoneAfterCancel) {
  const int token = registerCounting(kPreferenceUpdated);
  constexpr int kPosts = 200;
  for (int i = 0; i < kPosts; ++i) {
    ASSERT_EQ(platform::notify_post(kPreferenceUpdated), NOTIFY_STATUS_OK);
  }
  // Every delivery of the posts above comes before the first sentinel's.
  const int first = registerCounting("sentinel");
  ASSERT_EQ(platform::notify_post("sentinel"), NOTIFY_STATUS_OK);
  ASSERT_TRUE(runUntilDelivered(first));
  const int before = delivered(token);
  EXPECT_GE(before, 1);
  EXPECT_LE(before, kPosts);

  cancel(token);
  const int sentinel = registerCounting("sentinel");
  for (int i = 0; i < 50; ++i) {
    ASSERT_EQ(platform::notify_post(kPreferenceUpdated), NOTIFY_STATUS_OK);
  }
  ASSERT_EQ(platform::notify_post("sentinel"), NOTIFY_STATUS_OK);
  ASSERT_TRUE(runUntilDelivered(sentinel));
  EXPECT_EQ(delivered(token), before);
}

TEST_F(NotifyTest, WatchesRootInForceAtRegistration) {
  const int outer = registerCounting(kPreferenceUpdated);
  {
    testing_support::TempDeviceRoot inner;
    const int innerToken = registerCounting(kPreferenceUpdated);
    ASSERT_EQ(platform::notify_post(kPreferenceUpdated), NOTIFY_STATUS_OK);
    ASSERT_TRUE(runUntilDelivered(innerToken));
    EXPECT_TRUE(inner.exists(std::string("/run/notify/") + kPreferenceUpdated));
    cancel(innerToken);
  }
  EXPECT_EQ(delivered(outer), 0);
  ASSERT_EQ(platform::notify_post(kPreferenceUpdated), NOTIFY_STATUS_OK);
  EXPECT_TRUE(runUntilDelivered(outer));
}

TEST_F(NotifyTest, BadNamesAndArgumentsFail) {
  const std::string tooLong(256, 'n');
  const char* names[] = {nullptr, "", ".", "..", "a/b", "/abs", "trailing/", tooLong.c_str()};
  for (const char* name : names) {
    SCOPED_TRACE(name == nullptr ? "(null)" : name);
    int token = -1;
    EXPECT_EQ(platform::notify_post(name), NOTIFY_STATUS_FAILED);
    EXPECT_EQ(platform::notify_register_dispatch(name, &token, platform::mainQueue(), [](int) {}),
              NOTIFY_STATUS_FAILED);
    EXPECT_EQ(token, -1);
  }
  int token = -1;
  EXPECT_EQ(platform::notify_register_dispatch("ok", nullptr, platform::mainQueue(), [](int) {}),
            NOTIFY_STATUS_FAILED);
  EXPECT_EQ(platform::notify_register_dispatch("ok", &token, platform::mainQueue(), nullptr),
            NOTIFY_STATUS_FAILED);
  EXPECT_EQ(token, -1);

  const std::string longest(255, 'n');
  EXPECT_EQ(platform::notify_post(longest.c_str()), NOTIFY_STATUS_OK);
}

TEST_F(NotifyTest, PostFailsWhereNameIsNotAFile) {
  const std::filesystem::path folder = root_.at("/run/notify");
  std::filesystem::create_directories(folder / "a-folder");
  ASSERT_EQ(mkfifo((folder / "a-fifo").c_str(), 0600), 0);
  std::filesystem::create_symlink(root_.at("/outside"), folder / "a-link");

  EXPECT_EQ(platform::notify_post("a-folder"), NOTIFY_STATUS_FAILED);
  EXPECT_EQ(platform::notify_post("a-fifo"), NOTIFY_STATUS_FAILED);  // must not block
  EXPECT_EQ(platform::notify_post("a-link"), NOTIFY_STATUS_FAILED);
  EXPECT_FALSE(root_.exists("/outside"));
}

TEST_F(NotifyTest, FolderMadeWhenMissing) {
  ASSERT_FALSE(root_.exists("/run"));
  ASSERT_EQ(platform::notify_post(kPreferenceUpdated), NOTIFY_STATUS_OK);
  EXPECT_TRUE(root_.exists(std::string("/run/notify/") + kPreferenceUpdated));
}

// The folder mends itself under a registration: removed, it is made again
// and watched anew, and posts made meanwhile are not lost.
TEST_F(NotifyTest, ARegistrationOutlivesItsFolder) {
  const int token = registerCounting(kPreferenceUpdated);
  const std::filesystem::path folder = root_.at("/run/notify");
  for (const char* round : {"removed", "removed again"}) {
    SCOPED_TRACE(round);
    std::filesystem::remove_all(folder);
    const int before = delivered(token);
    ASSERT_EQ(platform::notify_post(kPreferenceUpdated), NOTIFY_STATUS_OK);
    ASSERT_TRUE(platform::runMainLoopUntil([&] { return delivered(token) > before; }, kPatience));
    // Watched again: the next post is heard as any other.
    const int after = delivered(token);
    ASSERT_EQ(platform::notify_post(kPreferenceUpdated), NOTIFY_STATUS_OK);
    ASSERT_TRUE(platform::runMainLoopUntil([&] { return delivered(token) > after; }, kPatience));
  }
}

TEST(NotifyExitTest, ExitWhileRegisteredIsClean) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        // The watcher thread and a registration are still alive at exit, with
        // posts that no one ran. A cancel made later in the exit still works.
        static int token = 0;
        std::atexit([] {
          if (platform::notify_cancel(token) != NOTIFY_STATUS_OK) _exit(6);
        });
        bool called = false;
        {
          testing_support::TempDeviceRoot root;
          platform::notify_register_dispatch(kPreferenceUpdated, &token, platform::mainQueue(),
                                             [&called](int) { called = true; });
          platform::notify_post(kPreferenceUpdated);
          platform::runMainLoopUntil([&called] { return called; }, kPatience);
          for (int i = 0; i < 20; ++i) platform::notify_post(kPreferenceUpdated);
        }
        std::exit(called ? 4 : 5);
      },
      ::testing::ExitedWithCode(4), "");
}

}  // namespace
