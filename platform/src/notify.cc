#include "platform/notify.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "platform/paths.h"
#include "platform/unique_fd.h"

namespace platform {

namespace {

using platform::UniqueFd;

constexpr uint32_t kWatchMask = IN_CLOSE_WRITE | IN_ONLYDIR;
constexpr int kRepairIntervalMs = 500;

// A name is one file in the notification folder.
bool isValidName(const char* name) {
  if (name == nullptr) return false;
  const std::string_view view(name);
  return !view.empty() && view.size() <= NAME_MAX && view != "." && view != ".." &&
         view.find('/') == std::string_view::npos;
}

// <root>/run/notify of the device root in force now, created if missing.
bool notifyDirectory(std::string* out) {
  std::string directory = devicePath("/run/notify");
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  if (!std::filesystem::is_directory(directory, error)) return false;
  *out = std::move(directory);
  return true;
}

struct Registration {
  int token = 0;
  int watch = -1;         // inotify watch of the folder; -1 once the folder is gone
  std::string directory;  // the folder it watches
  std::string name;
  DispatchQueue* queue = nullptr;
  std::function<void(int)> handler;
  std::atomic<bool> cancelled{false};
};

using RegistrationRef = std::shared_ptr<Registration>;

// The process's registrations and the one thread that watches their folders.
// The registry itself is never destroyed, so cancelling stays safe during
// exit; the thread starts with the first registration and is stopped and
// joined at exit, after which registering fails.
class Registry {
 public:
  Registry() = default;
  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;

  uint32_t add(const std::string& directory, const char* name, DispatchQueue& queue,
               std::function<void(int)> handler, int* outToken);
  uint32_t cancel(int token);
  // Stops and joins the watcher thread and closes its descriptors.
  void shutDown();

 private:
  bool startLocked();
  void watchLoop();
  // Turns a buffer of inotify events into the registrations to notify.
  std::vector<RegistrationRef> collect(const char* buffer, size_t length);
  void releaseWatchLocked(int watch);
  // Makes the folder of every registration that lost it again and watches
  // it; each one repaired is due a delivery, since posts made while it was
  // gone were not seen. Returns whether any is still without a watch.
  bool repairLocked(std::vector<RegistrationRef>& due);

  std::mutex mutex_;
  UniqueFd inotify_;
  UniqueFd wake_;  // eventfd that tells the thread to stop
  std::thread thread_;
  std::map<int, int> watchUsers_;  // watch -> registrations using it
  std::map<int, RegistrationRef> registrations_;
  int nextToken_ = 1;
  bool shutDown_ = false;
  bool deaf_ = false;          // some registration has no watch
  bool reportedDeaf_ = false;  // and that was said on standard error
};

Registry& registry() {
  static Registry* const instance = new Registry();  // never destroyed
  return *instance;
}

void shutDownAtExit() {
  registry().shutDown();
}

bool Registry::startLocked() {
  if (shutDown_) return false;
  if (thread_.joinable()) return true;
  UniqueFd inotify(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
  UniqueFd wake(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
  if (!inotify.valid() || !wake.valid()) return false;
  if (std::atexit(shutDownAtExit) != 0) return false;
  inotify_ = std::move(inotify);
  wake_ = std::move(wake);
  thread_ = std::thread([this] { watchLoop(); });
  return true;
}

void Registry::shutDown() {
  {
    std::lock_guard lock(mutex_);
    if (shutDown_ || !thread_.joinable()) return;
    shutDown_ = true;
  }
  // The thread takes the lock to deliver, so it is joined without it.
  const uint64_t one = 1;
  if (write(wake_.get(), &one, sizeof one) < 0) {
    std::fprintf(stderr, "hushgate: cannot stop the notification watcher: %s\n",
                 std::strerror(errno));
  }
  if (thread_.get_id() == std::this_thread::get_id()) {
    thread_.detach();  // exit() called from a handler run on the watcher itself
  } else {
    thread_.join();
  }
  std::lock_guard lock(mutex_);
  inotify_.reset();
  wake_.reset();
}

uint32_t Registry::add(const std::string& directory, const char* name, DispatchQueue& queue,
                       std::function<void(int)> handler, int* outToken) {
  std::lock_guard lock(mutex_);
  if (!startLocked()) return NOTIFY_STATUS_FAILED;
  // Once the watch is added the kernel queues every later post for the
  // thread, so the registration is in force when this returns.
  const int watch = inotify_add_watch(inotify_.get(), directory.c_str(), kWatchMask);
  if (watch < 0) return NOTIFY_STATUS_FAILED;
  ++watchUsers_[watch];

  auto registration = std::make_shared<Registration>();
  registration->token = nextToken_++;
  registration->watch = watch;
  registration->directory = directory;
  registration->name = name;
  registration->queue = &queue;
  registration->handler = std::move(handler);
  registrations_[registration->token] = registration;
  *outToken = registration->token;
  return NOTIFY_STATUS_OK;
}

uint32_t Registry::cancel(int token) {
  std::lock_guard lock(mutex_);
  auto it = registrations_.find(token);
  if (it == registrations_.end()) return NOTIFY_STATUS_FAILED;
  // Deliveries already queued see the flag and skip the handler.
  it->second->cancelled.store(true);
  releaseWatchLocked(it->second->watch);
  registrations_.erase(it);
  return NOTIFY_STATUS_OK;
}

void Registry::releaseWatchLocked(int watch) {
  auto it = watchUsers_.find(watch);
  if (it == watchUsers_.end()) return;
  if (--it->second == 0) {
    if (inotify_.valid()) inotify_rm_watch(inotify_.get(), watch);
    watchUsers_.erase(it);
  }
}

std::vector<RegistrationRef> Registry::collect(const char* buffer, size_t length) {
  std::vector<RegistrationRef> due;
  auto addDue = [&due](const RegistrationRef& registration) {
    for (const RegistrationRef& r : due) {
      if (r == registration) return;  // several posts in one batch: one delivery
    }
    due.push_back(registration);
  };

  std::lock_guard lock(mutex_);
  size_t offset = 0;
  while (offset + sizeof(inotify_event) <= length) {
    inotify_event event;
    std::memcpy(&event, buffer + offset, sizeof event);
    const char* nameStart = buffer + offset + sizeof(inotify_event);
    offset += sizeof(inotify_event) + event.len;
    if (offset > length) break;
    const std::string_view name(nameStart, strnlen(nameStart, event.len));

    if (event.mask & IN_Q_OVERFLOW) {
      // Posts were lost from the kernel queue: tell everyone.
      for (const auto& [token, registration] : registrations_) {
        if (registration->watch >= 0) addDue(registration);
      }
    } else if (event.mask & IN_IGNORED) {
      // The folder was removed; its registrations can no longer hear posts
      // until it is made and watched again.
      watchUsers_.erase(event.wd);
      for (const auto& [token, registration] : registrations_) {
        if (registration->watch == event.wd) {
          registration->watch = -1;
          deaf_ = true;
        }
      }
    } else if (event.mask & IN_CLOSE_WRITE) {
      for (const auto& [token, registration] : registrations_) {
        if (registration->watch == event.wd && registration->name == name) addDue(registration);
      }
    }
  }
  if (deaf_) deaf_ = repairLocked(due);
  return due;
}

bool Registry::repairLocked(std::vector<RegistrationRef>& due) {
  bool stillDeaf = false;
  for (const auto& [token, registration] : registrations_) {
    if (registration->watch >= 0) continue;
    std::error_code error;
    std::filesystem::create_directories(registration->directory, error);
    const int watch =
        inotify_add_watch(inotify_.get(), registration->directory.c_str(), kWatchMask);
    if (watch < 0) {
      if (!reportedDeaf_) {
        std::fprintf(stderr, "hushgate: cannot watch %s again for %s: %s; retrying\n",
                     registration->directory.c_str(), registration->name.c_str(),
                     std::strerror(errno));
      }
      stillDeaf = true;
      continue;
    }
    registration->watch = watch;
    ++watchUsers_[watch];
    if (std::find(due.begin(), due.end(), registration) == due.end()) due.push_back(registration);
  }
  reportedDeaf_ = stillDeaf;
  return stillDeaf;
}

void Registry::watchLoop() {
  alignas(inotify_event) char buffer[16 * 1024];
  pollfd fds[2] = {{inotify_.get(), POLLIN, 0}, {wake_.get(), POLLIN, 0}};
  for (;;) {
    bool deaf = false;
    {
      std::lock_guard lock(mutex_);
      deaf = deaf_;
    }
    // While a registration has no folder to watch, its repair is tried again
    // every so often.
    const int ready = poll(fds, 2, deaf ? kRepairIntervalMs : -1);
    if (ready == 0) {
      std::vector<RegistrationRef> due;
      {
        std::lock_guard lock(mutex_);
        if (deaf_) deaf_ = repairLocked(due);
      }
      for (const RegistrationRef& registration : due) {
        registration->queue->async([registration] {
          if (!registration->cancelled.load()) registration->handler(registration->token);
        });
      }
      continue;
    }
    if (ready < 0) {
      if (errno == EINTR) continue;
      std::fprintf(stderr, "hushgate: notification watcher stopped: %s\n", std::strerror(errno));
      return;
    }
    if (fds[1].revents != 0) return;
    const ssize_t length = read(inotify_.get(), buffer, sizeof buffer);
    if (length < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      std::fprintf(stderr, "hushgate: notification watcher stopped: %s\n", std::strerror(errno));
      return;
    }
    for (const RegistrationRef& registration : collect(buffer, static_cast<size_t>(length))) {
      registration->queue->async([registration] {
        if (!registration->cancelled.load()) registration->handler(registration->token);
      });
    }
  }
}

}  // namespace

uint32_t notify_post(const char* name) {
  if (!isValidName(name)) return NOTIFY_STATUS_FAILED;
  std::string directory;
  if (!notifyDirectory(&directory)) return NOTIFY_STATUS_FAILED;
  const std::string path = directory + "/" + name;
  // Opening for writing and closing is what watchers see (IN_CLOSE_WRITE).
  // O_NONBLOCK keeps a stray FIFO from blocking; O_NOFOLLOW keeps a post
  // inside the folder.
  // Anything but a file at the name (a folder, a FIFO, a link) means the
  // post would reach no one: the poster is told.
  UniqueFd file(open(path.c_str(),
                     O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0666));
  return file.valid() ? NOTIFY_STATUS_OK : NOTIFY_STATUS_FAILED;
}

uint32_t notify_register_dispatch(const char* name, int* out_token, DispatchQueue& queue,
                                  std::function<void(int token)> handler) {
  if (!isValidName(name) || out_token == nullptr || !handler) return NOTIFY_STATUS_FAILED;
  std::string directory;
  if (!notifyDirectory(&directory)) return NOTIFY_STATUS_FAILED;
  return registry().add(directory, name, queue, std::move(handler), out_token);
}

uint32_t notify_cancel(int token) {
  return registry().cancel(token);
}

}  // namespace platform
