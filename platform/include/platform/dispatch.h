// Dispatch queues: the process's main queue and the global concurrent queue.
#pragma once

#include <chrono>
#include <functional>

namespace platform {

using Task = std::function<void()>;

class DispatchQueue {
 public:
  virtual ~DispatchQueue() = default;
  // Runs the task later, on this queue.
  virtual void async(Task task) = 0;
  // Runs the task on this queue once the delay has passed (dispatch_after).
  virtual void after(std::chrono::nanoseconds delay, Task task) = 0;
};

// The main queue: tasks run one at a time on the thread that runs the main loop.
// By default this is the built-in loop below; a front end with its own event
// loop (the Qt settings application) installs its own queue instead.
DispatchQueue& mainQueue();
// Installs a front end's main queue; nullptr restores the built-in one.
void installMainQueue(DispatchQueue* queue);

// The global concurrent queue: a process-wide thread pool.
DispatchQueue& globalQueue();

// dispatch_after on the main queue, in seconds.
void afterOnMainQueue(double seconds, Task task);

// The built-in main loop. runMainLoop() runs tasks on the calling thread until
// stopMainLoop() is called (from any thread).
void runMainLoop();
void stopMainLoop();
// Runs the built-in main loop on the calling thread until done() returns true
// (checked after every task and at least every 10 ms) or the timeout passes.
// Returns done()'s last answer. For tools and tests.
bool runMainLoopUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
// Runs the built-in main loop for the given time.
void runMainLoopFor(std::chrono::milliseconds duration);

}  // namespace platform
