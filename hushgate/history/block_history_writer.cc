#include "hushgate/history/block_history_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/dispatch.h"
#include "platform/notify.h"
#include "statics/Log.h"
#include "statics/contracts/names.h"
#include "statics/file_lock.h"

namespace {

std::string parentFolder(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  return path.substr(0, slash);
}

// Whether the file is empty or its last byte is "\n".
bool endsWithLineFeed(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0 || info.st_size == 0) return true;
  char last = '\n';
  return ::pread(fd, &last, 1, info.st_size - 1) != 1 || last == '\n';
}

// Writes all bytes; one write() unless the kernel takes fewer.
bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(size_t(n));
  }
  return true;
}

}  // namespace

BlockRecord blockRecordForCall(const platform::TUCall& call, unsigned reason, std::string detail,
                               int64_t date) {
  BlockRecord record;
  record.uniqueId = call.uniqueProxyIdentifier;
  if (call.handle) record.number = call.handle->value;
  record.date = date;
  record.reason = reason;
  record.detail = std::move(detail);
  return record;
}

BlockHistoryWriter::BlockHistoryWriter(std::string mpHistoryFilePath, Clock clock)
    : mpHistoryFilePath_(std::move(mpHistoryFilePath)),
      clock_(clock ? std::move(clock) : [] { return std::chrono::system_clock::now(); }) {}

void BlockHistoryWriter::prepareMPHistoryFile() {
  const std::string folder = parentFolder(mpHistoryFilePath_);
  if (!folder.empty()) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) Log("== cannot create %@: %@", folder, error.message());
  }
  openMPHistoryFileWriteHandle();
}

void BlockHistoryWriter::openMPHistoryFileWriteHandle() {
  std::lock_guard lock(mutex_);
  openLocked();
}

void BlockHistoryWriter::appendBlockRecord(const platform::TUCall& call, unsigned reason,
                                           const std::string& detail, const FiredRule& rule,
                                           bool passed) {
  BlockRecord record = blockRecordForCall(call, reason, detail, blockRecordDate(clock_()));
  if (rule.kind != RuleKind::kNone || passed) setBlockRecordRule(record, rule, passed);
  const Status appended = appendRecord(record);
  if (!appended) Log("== block record not written to %@: %@", mpHistoryFilePath_, appended.error());
  platform::mainQueue().async([] { platform::notify_post(kMPBlockHistoryAddedNotification); });
}

Status BlockHistoryWriter::appendRecord(const BlockRecord& record) {
  const std::string line = blockRecordLine(blockRecordFittingLine(record));
  // The file lock first, the handle's mutex after it: a reopen on the main
  // queue waits only for an append under way, never for a rewrite.
  Result<FileLock> fileLock = FileLock::acquire(mpHistoryFilePath_);
  if (!fileLock) Log("== appending without the history lock: %@", fileLock.error());
  std::lock_guard lock(mutex_);
  if (!handleIsCurrentLocked()) openLocked();
  if (!mpHistoryFileHandle_.valid()) return fail("the file is not open");

  const int fd = mpHistoryFileHandle_.get();
  errno = 0;
  const bool written = endsWithLineFeed(fd) ? writeAll(fd, line) : writeAll(fd, "\n" + line);
  if (!written) return fail(std::strerror(errno));
  if (::fdatasync(fd) != 0) return fail(std::strerror(errno));
  return {};
}

bool BlockHistoryWriter::hasOpenHandle() const {
  std::lock_guard lock(mutex_);
  return mpHistoryFileHandle_.valid();
}

void BlockHistoryWriter::openLocked() {
  mpHistoryFileHandle_.reset();
  if (mpHistoryFilePath_.empty()) return;
  // Read access serves only the torn-line check, so a file that may only be
  // written is still appended to. O_NONBLOCK keeps a FIFO placed there from
  // stalling the open; it is refused below. O_NOFOLLOW refuses a symbolic
  // link, which could lead the appends out of the device.
  constexpr int kFlags = O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW;
  platform::UniqueFd fd(::open(mpHistoryFilePath_.c_str(), O_RDWR | kFlags, 0644));
  if (!fd.valid() && errno == EACCES) {
    fd = platform::UniqueFd(::open(mpHistoryFilePath_.c_str(), O_WRONLY | kFlags, 0644));
  }
  struct stat info {};
  if (!fd.valid() || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    Log("== cannot open %@ for appending", mpHistoryFilePath_);
    return;
  }
  mpHistoryFileHandle_ = std::move(fd);
}

bool BlockHistoryWriter::handleIsCurrentLocked() const {
  if (!mpHistoryFileHandle_.valid()) return false;
  struct stat open {};
  struct stat named {};
  if (::fstat(mpHistoryFileHandle_.get(), &open) != 0) return false;
  if (::lstat(mpHistoryFilePath_.c_str(), &named) != 0) return false;
  return open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}
