#include "platform/dispatch.h"

#include <gtest/gtest.h>
#include <algorithm>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kPatience = 5s;

TEST(MainQueueTest, RunsTasksInOrderOnCallingThread) {
  std::vector<int> order;
  std::vector<std::thread::id> threads;
  for (int i = 0; i < 50; ++i) {
    platform::mainQueue().async([&order, &threads, i] {
      order.push_back(i);
      threads.push_back(std::this_thread::get_id());
    });
  }
  ASSERT_TRUE(platform::runMainLoopUntil([&] { return order.size() == 50; }, kPatience));
  for (int i = 0; i < 50; ++i) EXPECT_EQ(order[i], i);
  for (const std::thread::id& id : threads) EXPECT_EQ(id, std::this_thread::get_id());
}

TEST(MainQueueTest, AfterRunsByDeadlineNotBeforeIt) {
  // Deadlines count from each call, so they are taken from the clock at the
  // call: a stall of this thread between two calls moves them, not the test.
  struct Task {
    char name;
    Clock::time_point deadline;
    Clock::time_point ran;
  };
  std::vector<Task> tasks;
  tasks.reserve(4);
  std::string order;
  auto schedule = [&](char name, std::chrono::milliseconds delay, auto post) {
    tasks.push_back({name, Clock::now() + delay, {}});
    Task* task = &tasks.back();
    post([task, &order] {
      task->ran = Clock::now();
      order += task->name;
    });
  };
  schedule('a', 60ms, [](auto f) { platform::mainQueue().after(60ms, f); });
  schedule('b', 10ms, [](auto f) { platform::mainQueue().after(10ms, f); });
  schedule('c', 30ms, [](auto f) { platform::afterOnMainQueue(0.03, f); });
  schedule('d', 0ms, [](auto f) { platform::mainQueue().async(f); });

  ASSERT_TRUE(platform::runMainLoopUntil([&] { return order.size() == 4; }, kPatience));
  std::vector<Task> byDeadline = tasks;
  std::stable_sort(byDeadline.begin(), byDeadline.end(),
                   [](const Task& x, const Task& y) { return x.deadline < y.deadline; });
  std::string expected;
  for (const Task& task : byDeadline) expected += task.name;
  EXPECT_EQ(order, expected);
  for (const Task& task : tasks) EXPECT_GE(task.ran, task.deadline) << task.name;
}

TEST(MainQueueTest, OddDelaysRunPromptly) {
  int ran = 0;
  platform::afterOnMainQueue(-5, [&ran] { ++ran; });
  platform::afterOnMainQueue(std::numeric_limits<double>::quiet_NaN(), [&ran] { ++ran; });
  platform::mainQueue().after(-1s, [&ran] { ++ran; });
  platform::afterOnMainQueue(0, [&ran] { ++ran; });
  EXPECT_TRUE(platform::runMainLoopUntil([&] { return ran == 4; }, kPatience));
}

TEST(MainQueueTest, FarFutureTaskDoesNotRun) {
  bool ran = false;
  platform::afterOnMainQueue(1e300, [&ran] { ran = true; });
  platform::mainQueue().after(std::chrono::nanoseconds::max(), [&ran] { ran = true; });
  platform::runMainLoopFor(50ms);
  EXPECT_FALSE(ran);
}

TEST(MainQueueTest, RunUntilTimesOutOnEmptyQueue) {
  const Clock::time_point start = Clock::now();
  EXPECT_FALSE(platform::runMainLoopUntil([] { return false; }, 50ms));
  EXPECT_GE(Clock::now() - start, 50ms);

  const Clock::time_point again = Clock::now();
  EXPECT_TRUE(platform::runMainLoopUntil([] { return true; }, 10s));
  EXPECT_LT(Clock::now() - again, 1s);
}

TEST(MainQueueTest, RunUntilNoticesConditionWithoutTasks) {
  // Nothing is posted: the loop must poll done() on its own.
  std::atomic<bool> flag{false};
  std::thread setter([&flag] {
    std::this_thread::sleep_for(30ms);
    flag = true;
  });
  const Clock::time_point start = Clock::now();
  EXPECT_TRUE(platform::runMainLoopUntil([&flag] { return flag.load(); }, 10s));
  EXPECT_LT(Clock::now() - start, 5s);
  setter.join();
}

TEST(MainQueueTest, LongestTimeoutWaitsForTheCondition) {
  // milliseconds::max() overflows a nanosecond count: it must mean "no limit",
  // not a deadline in the past.
  bool ran = false;
  platform::afterOnMainQueue(0.05, [&ran] { ran = true; });
  const Clock::time_point start = Clock::now();
  EXPECT_TRUE(platform::runMainLoopUntil([&ran] { return ran; }, std::chrono::milliseconds::max()));
  EXPECT_GE(Clock::now() - start, 40ms);
}

TEST(MainQueueTest, LoopCanBeRunAgainAndAgain) {
  // Alternates the ways of running the loop; a stop must not stick to the next run.
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    bool ran = false;
    platform::mainQueue().async([&ran] {
      ran = true;
      platform::stopMainLoop();
    });
    platform::runMainLoop();
    EXPECT_TRUE(ran);

    ran = false;
    platform::mainQueue().async([&ran] { ran = true; });
    EXPECT_TRUE(platform::runMainLoopUntil([&ran] { return ran; }, kPatience));

    ran = false;
    platform::mainQueue().after(1ms, [&ran] { ran = true; });
    platform::runMainLoopFor(30ms);
    EXPECT_TRUE(ran);
  }
}

TEST(MainQueueTest, StopFromAnotherThreadEndsRunLoop) {
  std::thread stopper([] {
    std::this_thread::sleep_for(30ms);
    platform::stopMainLoop();
  });
  const Clock::time_point start = Clock::now();
  platform::runMainLoop();  // an empty queue must not end it early
  EXPECT_GE(Clock::now() - start, 20ms);
  stopper.join();
}

TEST(MainQueueTest, StopEndsRunUntil) {
  platform::mainQueue().async([] { platform::stopMainLoop(); });
  const Clock::time_point start = Clock::now();
  EXPECT_FALSE(platform::runMainLoopUntil([] { return false; }, 10s));
  EXPECT_LT(Clock::now() - start, 5s);
}

TEST(MainQueueTest, ThrowingTaskDoesNotStopTheLoop) {
  bool after = false;
  platform::mainQueue().async([] { throw std::runtime_error("task failed"); });
  platform::mainQueue().async([] { throw 42; });
  platform::mainQueue().async([&after] { after = true; });
  EXPECT_TRUE(platform::runMainLoopUntil([&after] { return after; }, kPatience));
}

TEST(GlobalQueueTest, RunsOffMainThreadAndHandsBack) {
  const std::thread::id mainThread = std::this_thread::get_id();
  constexpr int kTasks = 20;
  std::vector<std::thread::id> workers(kTasks);
  std::vector<int> handedBack;
  for (int i = 0; i < kTasks; ++i) {
    platform::globalQueue().async([&workers, &handedBack, mainThread, i] {
      workers[i] = std::this_thread::get_id();
      platform::mainQueue().async([&handedBack, mainThread, i] {
        EXPECT_EQ(std::this_thread::get_id(), mainThread);
        handedBack.push_back(i);
      });
    });
  }
  ASSERT_TRUE(platform::runMainLoopUntil([&] { return handedBack.size() == kTasks; }, kPatience));
  for (const std::thread::id& id : workers) EXPECT_NE(id, mainThread);
}

TEST(GlobalQueueTest, RunsTasksConcurrently) {
  // Each task waits for the other: both finish only on two threads at once.
  std::mutex mutex;
  std::condition_variable changed;
  int arrived = 0;
  std::atomic<int> metPartner{0};
  std::atomic<int> finished{0};
  for (int i = 0; i < 2; ++i) {
    platform::globalQueue().async([&] {
      std::unique_lock lock(mutex);
      ++arrived;
      changed.notify_all();
      if (changed.wait_for(lock, kPatience, [&] { return arrived == 2; })) ++metPartner;
      ++finished;
    });
  }
  ASSERT_TRUE(platform::runMainLoopUntil([&] { return finished == 2; }, 2 * kPatience));
  EXPECT_EQ(metPartner, 2);
}

TEST(GlobalQueueTest, AfterRunsOffMainThreadOnceDue) {
  const std::thread::id mainThread = std::this_thread::get_id();
  const Clock::time_point start = Clock::now();
  std::atomic<bool> ran{false};
  std::atomic<bool> offMain{false};
  Clock::duration elapsed{};
  platform::globalQueue().after(20ms, [&] {
    elapsed = Clock::now() - start;
    offMain = std::this_thread::get_id() != mainThread;
    ran = true;
  });
  ASSERT_TRUE(platform::runMainLoopUntil([&] { return ran.load(); }, kPatience));
  EXPECT_TRUE(offMain);
  EXPECT_GE(elapsed, 20ms);
}

// A front end's queue: records what it is given.
class RecordingQueue : public platform::DispatchQueue {
 public:
  void async(platform::Task task) override { tasks.push_back(std::move(task)); }
  void after(std::chrono::nanoseconds delay, platform::Task task) override {
    delays.push_back(delay);
    tasks.push_back(std::move(task));
  }
  std::vector<platform::Task> tasks;
  std::vector<std::chrono::nanoseconds> delays;
};

TEST(InstallMainQueueTest, FrontEndQueueTakesMainQueueWork) {
  platform::DispatchQueue& builtin = platform::mainQueue();
  RecordingQueue frontEnd;
  platform::installMainQueue(&frontEnd);
  EXPECT_EQ(&platform::mainQueue(), &frontEnd);

  int ran = 0;
  platform::mainQueue().async([&ran] { ++ran; });
  platform::afterOnMainQueue(1.5, [&ran] { ++ran; });
  ASSERT_EQ(frontEnd.tasks.size(), 2u);
  ASSERT_EQ(frontEnd.delays.size(), 1u);
  EXPECT_EQ(frontEnd.delays[0], 1500ms);

  platform::installMainQueue(nullptr);
  EXPECT_EQ(&platform::mainQueue(), &builtin);
  platform::runMainLoopFor(20ms);
  EXPECT_EQ(ran, 0);  // the built-in loop never saw them
  for (auto& task : frontEnd.tasks) task();
  EXPECT_EQ(ran, 2);
}

// Exit tears the queues down while work is queued, running and still
// arriving; the process must end at once with its own status. Run in a fresh
// process so that the teardown is this test's own.
TEST(DispatchExitTest, ExitWithWorkPendingIsClean) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        // Registered before the queues exist, so it runs after their teardown.
        std::atexit([] {
          platform::mainQueue().async([] { std::abort(); });
          platform::globalQueue().async([] { std::abort(); });
          platform::afterOnMainQueue(0, [] { std::abort(); });
        });
        for (int i = 0; i < 100; ++i) {
          platform::globalQueue().async([] {
            std::this_thread::sleep_for(5ms);
            platform::mainQueue().async([] {});
            platform::globalQueue().async([] {});
          });
        }
        platform::globalQueue().after(1h, [] { std::abort(); });
        platform::afterOnMainQueue(3600, [] { std::abort(); });
        platform::mainQueue().async([] {});
        platform::runMainLoopFor(10ms);
        std::exit(3);
      },
      ::testing::ExitedWithCode(3), "");
}

}  // namespace
