#include "platform/dispatch.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
#include <mutex>
#include <utility>

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/thread_pool.hpp>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kGlobalQueueThreads = 4;
constexpr std::chrono::milliseconds kCheckInterval(10);
constexpr std::chrono::milliseconds kLongestTimeout =
    std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::nanoseconds::max());

Clock::time_point deadlineAfter(std::chrono::nanoseconds delay) {
  const Clock::time_point now = Clock::now();
  if (delay <= std::chrono::nanoseconds::zero()) return now;
  if (delay >= Clock::time_point::max() - now) return Clock::time_point::max();
  return now + std::chrono::duration_cast<Clock::duration>(delay);
}

// Posts task to run on executor once the deadline has come. The timer is made
// on the executor itself, so each timer is only touched by the threads of its
// own context.
template <typename Executor>
void postAt(const Executor& executor, Clock::time_point deadline, Task task) {
  boost::asio::post(executor, [executor, deadline, task = std::move(task)]() mutable {
    auto timer = std::make_shared<boost::asio::steady_timer>(executor, deadline);
    timer->async_wait([timer, task = std::move(task)](const boost::system::error_code& error) {
      if (!error) runTask(task);
    });
  });
}

// The built-in main loop and the global thread pool. Made on first use and
// torn down by the exit-time destructors: queued work is dropped, a task
// that is running on the pool is waited for.
class Runtime {
 public:
  Runtime() = default;
  ~Runtime();
  Runtime(const Runtime&) = delete;
  Runtime& operator=(const Runtime&) = delete;

  boost::asio::io_context& main() { return main_; }
  boost::asio::thread_pool& pool() { return pool_; }

 private:
  boost::asio::io_context main_;
  boost::asio::executor_work_guard<boost::asio::io_context::executor_type> mainWork_ =
      boost::asio::make_work_guard(main_);
  boost::asio::thread_pool pool_{kGlobalQueueThreads};
};

// Process-wide state that outlives the runtime: the queue objects handed out
// by mainQueue() and globalQueue() stay valid through exit and simply drop
// tasks once the runtime is gone.
struct Dispatch {
  std::mutex mutex;
  Runtime* runtime = nullptr;  // the live runtime, or null
  bool tornDown = false;       // the runtime has been destroyed at exit
  std::atomic<DispatchQueue*> installedMain{nullptr};
};

Dispatch& dispatch() {
  static Dispatch* const state = new Dispatch();  // never destroyed
  return *state;
}

// The one object here that is destroyed at exit: its destructor stops the
// queues and marks the dispatch torn down.
Runtime& makeRuntime() {
  static Runtime runtime;
  return runtime;
}

// Runs f(runtime) under the lock unless the runtime has been torn down.
// Creates the runtime on first use.
template <typename F>
void withRuntime(F&& f) {
  Dispatch& d = dispatch();
  std::lock_guard lock(d.mutex);
  if (d.tornDown) return;
  if (d.runtime == nullptr) d.runtime = &makeRuntime();
  f(*d.runtime);
}

// The runtime for running the main loop, or null after teardown. The caller
// runs without the lock: the loop must have returned before the process exits.
Runtime* liveRuntime() {
  Runtime* result = nullptr;
  withRuntime([&](Runtime& runtime) { result = &runtime; });
  return result;
}

Runtime::~Runtime() {
  {
    Dispatch& d = dispatch();
    std::lock_guard lock(d.mutex);
    d.runtime = nullptr;
    d.tornDown = true;
  }
  // From here on posts are dropped. Finish what the workers are running;
  // the members' destructors then discard queued tasks and timers.
  pool_.stop();
  pool_.join();
  mainWork_.reset();
  main_.stop();
}

class BuiltinMainQueue : public DispatchQueue {
 public:
  void async(Task task) override {
    if (!task) return;
    withRuntime([&](Runtime& runtime) {
      boost::asio::post(runtime.main(), [task = std::move(task)] { runTask(task); });
    });
  }
  void after(std::chrono::nanoseconds delay, Task task) override {
    if (!task) return;
    const Clock::time_point deadline = deadlineAfter(delay);
    withRuntime([&](Runtime& runtime) {
      postAt(runtime.main().get_executor(), deadline, std::move(task));
    });
  }
};

class GlobalQueue : public DispatchQueue {
 public:
  void async(Task task) override {
    if (!task) return;
    withRuntime([&](Runtime& runtime) {
      boost::asio::post(runtime.pool(), [task = std::move(task)] { runTask(task); });
    });
  }
  void after(std::chrono::nanoseconds delay, Task task) override {
    if (!task) return;
    const Clock::time_point deadline = deadlineAfter(delay);
    withRuntime([&](Runtime& runtime) {
      postAt(runtime.pool().get_executor(), deadline, std::move(task));
    });
  }
};

BuiltinMainQueue& builtinMainQueue() {
  static BuiltinMainQueue* const queue = new BuiltinMainQueue();  // never destroyed
  return *queue;
}

GlobalQueue& builtinGlobalQueue() {
  static GlobalQueue* const queue = new GlobalQueue();  // never destroyed
  return *queue;
}

}  // namespace

void runTask(const Task& task) noexcept {
  try {
    task();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "hushgate: a dispatched task threw: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "hushgate: a dispatched task threw an unknown exception\n");
  }
}

DispatchQueue& mainQueue() {
  DispatchQueue* installed = dispatch().installedMain.load(std::memory_order_acquire);
  return installed != nullptr ? *installed : builtinMainQueue();
}

void installMainQueue(DispatchQueue* queue) {
  dispatch().installedMain.store(queue, std::memory_order_release);
}

DispatchQueue& globalQueue() {
  return builtinGlobalQueue();
}

void afterOnMainQueue(double seconds, Task task) {
  // Not-a-number and negative delays run as soon as possible; very long ones
  // are capped well below what a nanosecond count can hold.
  constexpr double kMaxSeconds = 1e9;
  std::chrono::nanoseconds delay(0);
  if (seconds > 0) {
    delay = std::chrono::nanoseconds(static_cast<int64_t>(std::min(seconds, kMaxSeconds) * 1e9));
  }
  mainQueue().after(delay, std::move(task));
}

void runMainLoop() {
  Runtime* runtime = liveRuntime();
  if (runtime == nullptr) return;
  runtime->main().restart();
  runtime->main().run();
}

void stopMainLoop() {
  withRuntime([](Runtime& runtime) { runtime.main().stop(); });
}

bool runMainLoopUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  Runtime* runtime = liveRuntime();
  if (runtime == nullptr) return done();
  boost::asio::io_context& loop = runtime->main();
  loop.restart();
  // A timeout too long for a nanosecond count (milliseconds::max()) means no
  // time limit; converting it would overflow into the past.
  const Clock::time_point deadline =
      timeout >= kLongestTimeout ? Clock::time_point::max() : deadlineAfter(timeout);
  while (!done()) {
    const Clock::time_point now = Clock::now();
    if (now >= deadline) return false;
    const auto slice = std::min<Clock::duration>(kCheckInterval, deadline - now);
    loop.run_one_for(slice);
    if (loop.stopped()) return done();  // stopMainLoop() was called
  }
  return true;
}

void runMainLoopFor(std::chrono::milliseconds duration) {
  runMainLoopUntil([] { return false; }, duration);
}

}  // namespace platform
