#include "hushgate/screening/rules_reloader.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <utility>

#include "platform/dispatch.h"

namespace {

// A queue whose tasks run only when the test says so, one at a time.
class ManualQueue : public platform::DispatchQueue {
 public:
  void async(platform::Task task) override { tasks_.push_back(std::move(task)); }
  void after(std::chrono::nanoseconds, platform::Task task) override { async(std::move(task)); }

  size_t size() const { return tasks_.size(); }
  // Runs the task at position i (0: the oldest).
  void runAt(size_t i) {
    platform::Task task = std::move(tasks_.at(i));
    tasks_.erase(tasks_.begin() + static_cast<long>(i));
    task();
  }
  void runAll() {
    while (!tasks_.empty()) runAt(0);
  }

 private:
  std::deque<platform::Task> tasks_;
};

// Screening on, blocking exactly the number given.
Json blocking(const std::string& number) {
  return {{"enabled", true},
          {"blacklist", Json::array({Json::array({number, "^" + number + "$", ""})})}};
}

class RulesReloaderTest : public ::testing::Test {
 protected:
  RulesReloaderTest()
      : current_(std::make_shared<const ScreeningRules>(blocking("400"))),
        reloader_(
            main_, work_, [this] { return disk_; },
            [this](std::shared_ptr<const ScreeningRules> rules) {
              return std::exchange(current_, std::move(rules));
            }) {}

  // Which of 400, 500 and 600 the rules in force block.
  std::string blockedNow() const {
    std::string blocked;
    for (const char* number : {"400", "500", "600"}) {
      IncomingCallInfo call;
      call.number = number;
      if (screenIncomingCall(call, *current_, {}, {}).reason == BlockReasonBlacklist) {
        blocked += number;
      }
    }
    return blocked;
  }

  ManualQueue main_;
  ManualQueue work_;
  Json disk_ = blocking("500");
  std::shared_ptr<const ScreeningRules> current_;
  RulesReloader reloader_;
};

// The document is read and compiled on the work queue; the rules change
// only when the main queue takes them, and calls judged before that use the
// rules in force when they came.
TEST_F(RulesReloaderTest, NewRulesComeIntoForceOnTheMainQueue) {
  reloader_.reload();
  const struct {
    const char* step;
    void (ManualQueue::*drain)();
    ManualQueue* queue;
    const char* blocked;
    size_t mainTasks;
  } steps[] = {
      {"asked", nullptr, nullptr, "400", 0},
      {"compiled", &ManualQueue::runAll, &work_, "400", 1},
      {"installed", &ManualQueue::runAll, &main_, "500", 0},
  };
  for (const auto& step : steps) {
    if (step.drain != nullptr) (step.queue->*step.drain)();
    EXPECT_EQ(blockedNow(), step.blocked) << step.step;
    EXPECT_EQ(main_.size(), step.mainTasks) << step.step;
  }
}

// Of two reloads under way, the later request decides, whichever finishes
// first; the rules of the earlier one are dropped when they come back late.
TEST_F(RulesReloaderTest, TheLastRequestWins) {
  const struct {
    const char* name;
    size_t firstToCompile;  // position on the work queue
    const char* blocked;
  } cases[] = {
      {"in order", 0, "600"},
      {"the earlier one finishes last", 1, "600"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    current_ = std::make_shared<const ScreeningRules>(blocking("400"));
    reloader_.reload();
    reloader_.reload();
    // Each compile reads the document as it is when it runs.
    disk_ = blocking(c.firstToCompile == 0 ? "500" : "600");
    work_.runAt(c.firstToCompile);
    main_.runAll();
    disk_ = blocking(c.firstToCompile == 0 ? "600" : "500");
    work_.runAll();
    main_.runAll();
    EXPECT_EQ(blockedNow(), c.blocked);
    work_.runAll();  // releases what was retired
  }
}

// Replaced rules are released on the work queue, not on the main queue.
TEST_F(RulesReloaderTest, ReplacedRulesAreReleasedOnTheWorkQueue) {
  const std::weak_ptr<const ScreeningRules> old = current_;
  reloader_.reload();
  work_.runAll();
  main_.runAll();
  EXPECT_EQ(blockedNow(), "500");
  EXPECT_FALSE(old.expired());
  ASSERT_EQ(work_.size(), 1u);
  work_.runAll();
  EXPECT_TRUE(old.expired());
}

}  // namespace
