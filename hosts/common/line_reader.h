// Reads lines from a file descriptor on a thread of its own and hands each to
// the main queue, so that a host's main loop never waits for its input.
#pragma once

#include <functional>
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

  // Starts reading fd, which stays open and is not closed here. The handlers
  // run on the main queue, in input order.
  LineReader(int fd, LineHandler onLine, EndHandler onEnd);
  // Stops reading (a read in progress is abandoned) and joins the thread.
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

 private:
  void run();
  void post(std::optional<std::string> line);

  int fd_;
  int wake_ = -1;  // eventfd that stops the thread
  LineHandler onLine_;
  EndHandler onEnd_;
  std::thread thread_;
};

}  // namespace hosts
