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

Result<FileLock> FileLock::acquire(const std::string& path) {
  const std::string lockPath = lockFilePath(path);
  const int fd =
      ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
  if (fd < 0) return fail("cannot open " + lockPath + ": " + std::strerror(errno));
  FileLock lock(fd);
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
    return fail(lockPath + " is not a regular file");
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
