#include "statics/Log.h"

#include <fcntl.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <ctime>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/bundle.h"
#include "platform/paths.h"
#include "platform/unique_fd.h"
#include "statics/contracts/names.h"

namespace {

constexpr const char* kPattern = "yyyy-MM-dd HH:mm:ss.SSS";
constexpr const char* kZone = kChinaTimeZone;

// The zone has kept UTC+8 without daylight saving since 1991; used
// only when ICU cannot make the formatter.
std::string fixedOffsetTimestamp(long long milliseconds) {
  const long long shifted = milliseconds + 8LL * 3600 * 1000;
  long long seconds = shifted / 1000;
  long long millis = shifted % 1000;
  if (millis < 0) {
    millis += 1000;
    --seconds;
  }
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  if (gmtime_r(&t, &tm) == nullptr) return {};
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03lld", tm.tm_year + 1900,
                tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, millis);
  return buffer;
}

// The process's time-stamp formatter: made once, on first use, and kept for
// the life of the process. ICU formatters must not format on two threads at
// once, so every use holds the mutex.
class TimestampFormatter {
 public:
  static TimestampFormatter& instance() {
    // Never destroyed, so that logging still works while the process exits.
    static TimestampFormatter* const formatter = new TimestampFormatter();  // never destroyed
    return *formatter;
  }

  std::string format(long long milliseconds) {
    std::lock_guard lock(mutex_);
    if (!formatter_) return fixedOffsetTimestamp(milliseconds);
    icu::UnicodeString text;
    formatter_->format(static_cast<UDate>(milliseconds), text);
    std::string out;
    text.toUTF8String(out);
    return out;
  }

 private:
  TimestampFormatter() {
    UErrorCode status = U_ZERO_ERROR;
    auto formatter = std::make_unique<icu::SimpleDateFormat>(icu::UnicodeString(kPattern),
                                                             icu::Locale("en_US_POSIX"), status);
    if (U_FAILURE(status)) return;
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone(kZone));
    icu::UnicodeString id;
    if (!zone || zone->getID(id) != icu::UnicodeString(kZone)) return;
    formatter->adoptTimeZone(zone.release());
    formatter_ = std::move(formatter);
  }

  std::mutex mutex_;
  std::unique_ptr<icu::SimpleDateFormat> formatter_;
};

long long nowInMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

// What the last attempt to open the log file found: the file's path and,
// when it could not be opened, until when that answer holds. One per process
// (the log file is one per process); every use holds the mutex.
class LogSwitch {
 public:
  static LogSwitch& instance() {
    static LogSwitch* const logSwitch = new LogSwitch();  // never destroyed
    return *logSwitch;
  }

  bool knownOff(const std::string& path, std::chrono::steady_clock::time_point now) {
    std::lock_guard lock(mutex_);
    return offUntil_ && now < *offUntil_ && path == path_;
  }
  void found(const std::string& path, bool opened, std::chrono::steady_clock::time_point now) {
    std::lock_guard lock(mutex_);
    path_ = path;
    if (opened) {
      offUntil_.reset();
    } else {
      offUntil_ = now + kLogRecheckInterval;
    }
  }

 private:
  std::mutex mutex_;
  std::string path_;
  std::optional<std::chrono::steady_clock::time_point> offUntil_;
};

void writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
}

}  // namespace

std::string logFilePath() {
  if (platform::mainBundleIdentifier() == kMobilePhoneBundleIdentifier) {
    return stringWithFormat("%@/%@/%@", platform::NSHomeDirectory(), kDocumentsFolderName,
                            kMPLogFileName);
  }
  return platform::devicePath(kLogFilePath);
}

std::string logTimestamp(double secondsSince1970) {
  const double milliseconds = secondsSince1970 * 1000.0;
  // A time that does not fit 64-bit milliseconds has no stamp.
  if (!std::isfinite(milliseconds) || std::fabs(milliseconds) > 9.0e18) return {};
  return TimestampFormatter::instance().format(std::llround(milliseconds));
}

bool logMayBeOn() {
  // steady_clock reads the clock without entering the kernel.
  return !LogSwitch::instance().knownOff(logFilePath(), std::chrono::steady_clock::now());
}

void logMessage(std::string_view message) {
  const std::string path = logFilePath();
  const auto now = std::chrono::steady_clock::now();
  LogSwitch& logSwitch = LogSwitch::instance();
  if (logSwitch.knownOff(path, now)) return;
  // Without O_CREAT: a missing file means logging is off. O_NONBLOCK keeps a
  // FIFO without a reader from blocking the caller.
  platform::UniqueFd fd(
      ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  logSwitch.found(path, fd.valid(), now);
  if (!fd.valid()) return;
  std::string line = TimestampFormatter::instance().format(nowInMilliseconds());
  line += ' ';
  line += message;
  line += '\n';
  writeAll(fd.get(), line);
}
