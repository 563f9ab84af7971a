// Reads lines from a file descriptor on a thread of its own and hands each to
// the main queue, so that a host's main loop never waits for its input.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace hosts {

class LineReader {
 public:
  // Each line without its line feed (and a carriage return before it); the
  // last line may lack the line feed. A line longer than kMaxLineLength is
  // dropped and handed over as nullopt.
  using LineHandler = std::function<void(std::optional<std::string> line)>;
  // Runs once after the last line: at end of input or a read error.
  using EndHandler = std::function<void()>;

  static constexpr size_t kMaxLineLength = 1 << 20;
  // At most this many lines are handed over and not yet released; then the
  // reader waits, and the input's writer with it.
  static constexpr size_t kMaxUnreleasedLines = 1024;

  // Starts reading fd, which stays open and is not closed here. The handlers
  // run on the main queue, in input order.
  LineReader(int fd, LineHandler onLine, EndHandler onEnd);
  // Stops reading (a read in progress is abandoned) and joins the thread.
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // The consumer is done with one line handed over: the reader may read on.
  // Any thread.
  void release();

 private:
  void run();
  // Hands the line over; false when the reader was stopped while it waited.
  bool post(std::optional<std::string> line);

  int fd_;
  int wake_ = -1;  // eventfd that stops the thread
  LineHandler onLine_;
  EndHandler onEnd_;
  std::mutex mutex_;
  std::condition_variable released_;
  size_t unreleased_ = 0;  // guarded by mutex_
  bool stopping_ = false;  // guarded by mutex_
  std::thread thread_;
};

}  // namespace hosts
