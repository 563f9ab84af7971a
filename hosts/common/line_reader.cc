#include "hosts/common/line_reader.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/dispatch.h"

namespace hosts {

LineReader::LineReader(int fd, LineHandler onLine, EndHandler onEnd)
    : fd_(fd), onLine_(std::move(onLine)), onEnd_(std::move(onEnd)) {
  wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake_ < 0) {
    std::fprintf(stderr, "cannot read input: %s\n", std::strerror(errno));
    platform::mainQueue().async(onEnd_);
    return;
  }
  thread_ = std::thread([this] { run(); });
}

LineReader::~LineReader() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  released_.notify_all();
  if (thread_.joinable()) {
    const uint64_t one = 1;
    if (write(wake_, &one, sizeof one) < 0) {
      std::fprintf(stderr, "cannot stop reading input: %s\n", std::strerror(errno));
    }
    thread_.join();
  }
  if (wake_ >= 0) close(wake_);
}

void LineReader::release() {
  {
    std::lock_guard lock(mutex_);
    if (unreleased_ > 0) --unreleased_;
  }
  released_.notify_one();
}

bool LineReader::post(std::optional<std::string> line) {
  {
    std::unique_lock lock(mutex_);
    released_.wait(lock, [this] { return stopping_ || unreleased_ < kMaxUnreleasedLines; });
    if (stopping_) return false;
    ++unreleased_;
  }
  platform::mainQueue().async(
      [handler = onLine_, line = std::move(line)]() mutable { handler(std::move(line)); });
  return true;
}

void LineReader::run() {
  std::string pending;
  bool overlong = false;  // dropping the rest of a line that is too long
  char buffer[8192];
  pollfd fds[2] = {{fd_, POLLIN, 0}, {wake_, POLLIN, 0}};
  for (;;) {
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[1].revents != 0) return;  // stopped: no end handler
    const ssize_t n = read(fd_, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) break;
    for (ssize_t i = 0; i < n; ++i) {
      const char c = buffer[i];
      if (c == '\n') {
        if (!pending.empty() && pending.back() == '\r') pending.pop_back();
        if (!post(overlong ? std::nullopt : std::optional<std::string>(std::move(pending)))) {
          return;  // stopped: no end handler
        }
        pending.clear();
        overlong = false;
      } else if (!overlong) {
        pending += c;
        if (pending.size() > kMaxLineLength) {
          overlong = true;
          pending.clear();
        }
      }
    }
  }
  if (overlong) {
    if (!post(std::nullopt)) return;
  } else if (!pending.empty()) {
    if (!post(std::move(pending))) return;
  }
  platform::mainQueue().async(onEnd_);
}

}  // namespace hosts
