#include "hosts/common/stop_signals.h"

#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>

#include "platform/dispatch.h"

namespace hosts {

namespace {

sigset_t stopSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  return set;
}

}  // namespace

StopSignals::StopSignals() {
  const sigset_t set = stopSignals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  signals_ = signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
  wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (signals_ < 0 || wake_ < 0) {
    // Without the thread the signals keep their usual effect.
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    return;
  }
  thread_ = std::thread([this] { run(); });
}

StopSignals::~StopSignals() {
  if (thread_.joinable()) {
    const uint64_t one = 1;
    if (write(wake_, &one, sizeof one) < 0) std::perror("stop signals");
    thread_.join();
  }
  if (signals_ >= 0) close(signals_);
  if (wake_ >= 0) close(wake_);
}

void StopSignals::run() {
  pollfd fds[2] = {{signals_, POLLIN, 0}, {wake_, POLLIN, 0}};
  for (;;) {
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents != 0) return;
    signalfd_siginfo info;
    if (read(signals_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
      received_.store(true);
      platform::stopMainLoop();
    }
  }
}

}  // namespace hosts
