#include "statics/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "statics/contracts/names.h"

std::string lockFilePath(const std::string& path) {
  return path + kLockFileSuffix;
}

namespace {

// The lock file of path, opened; fails for what no lock can be taken on.
Result<int> openLockFile(const std::string& lockPath) {
  const int fd =
      ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
  if (fd < 0) return fail("cannot open " + lockPath + ": " + std::strerror(errno));
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return fail(lockPath + " is not a regular file");
  }
  return fd;
}

}  // namespace

Result<std::optional<FileLock>> FileLock::tryAcquire(const std::string& path) {
  const std::string lockPath = lockFilePath(path);
  Result<int> fd = openLockFile(lockPath);
  if (!fd) return fail(fd.error());
  FileLock lock(*fd);
  while (::flock(*fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK) return std::optional<FileLock>();
    if (errno != EINTR) return fail("cannot lock " + lockPath + ": " + std::strerror(errno));
  }
  return std::optional<FileLock>(std::move(lock));
}

Result<FileLock> FileLock::acquire(const std::string& path) {
  const std::string lockPath = lockFilePath(path);
  Result<int> opened = openLockFile(lockPath);
  if (!opened) return fail(opened.error());
  const int fd = *opened;
  FileLock lock(fd);
  while (::flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) return fail("cannot lock " + lockPath + ": " + std::strerror(errno));
  }
  return lock;
}

FileLock::FileLock(FileLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

FileLock::~FileLock() {
  if (fd_ >= 0) ::close(fd_);  // closing the last descriptor releases the flock
}
