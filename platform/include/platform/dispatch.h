// Dispatch queues: the process's main queue and the global concurrent queue.
#pragma once

#include <chrono>
#include <functional>

namespace platform {

using Task = std::function<void()>;

// A queue of tasks. On the built-in queues a task that throws has its
// exception reported on stderr and dropped, and the queue goes on; empty tasks
// are ignored.
class DispatchQueue {
 public:
  virtual ~DispatchQueue() = default;
  // Runs the task later, on this queue. Safe from any thread.
  virtual void async(Task task) = 0;
  // Runs the task on this queue once the delay has passed (dispatch_after).
  // A delay of zero or less runs it as soon as possible.
  virtual void after(std::chrono::nanoseconds delay, Task task) = 0;
};

// The main queue: tasks run one at a time on the thread that runs the main
// loop, async tasks in the order posted. By default this is the built-in loop below; a front
// end with its own event loop (the Qt settings application) installs its own
// queue instead.
DispatchQueue& mainQueue();
// Installs a front end's main queue, which must outlive its installation;
// nullptr restores the built-in one.
void installMainQueue(DispatchQueue* queue);

// The global concurrent queue: a process-wide pool of a few threads.
//
// At process exit the built-in main loop and the pool are torn down: tasks
// still queued are dropped without running, a task running on the pool is
// waited for, and tasks posted afterwards are dropped. The main loop must have
// returned before the process exits, and a pool task must not wait for the
// main loop at exit.
DispatchQueue& globalQueue();

// Runs one task as the built-in queues do: an exception it throws is reported
// on stderr and dropped, so it never unwinds through a loop. For front ends
// that install their own main queue.
void runTask(const Task& task) noexcept;

// dispatch_after on the main queue, in seconds. Negative or not-a-number
// delays run as soon as possible.
void afterOnMainQueue(double seconds, Task task);

// The built-in main loop, run by one thread at a time. Each of the calls below
// may be made again after it returns, any number of times in one process.
//
// runMainLoop() runs tasks on the calling thread until stopMainLoop() is
// called (from any thread, or from a task). An empty queue does not end it.
void runMainLoop();
void stopMainLoop();
// Runs the built-in main loop on the calling thread until done() returns true
// (checked after every task and at least every 10 ms), the timeout passes or
// stopMainLoop() is called. Returns done()'s last answer. A timeout of
// milliseconds::max() waits without limit. For tools, hosts and tests.
bool runMainLoopUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
// Runs the built-in main loop for the given time (or until stopMainLoop()).
void runMainLoopFor(std::chrono::milliseconds duration);

}  // namespace platform
