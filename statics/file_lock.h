// The advisory lock that every writer of a shared file holds for the whole of
// a read-modify-write, so no writer's change is lost to another's.
//
// Atomic saves replace a file's inode, so the lock is not taken on the file
// itself but on a sibling, PATH + kLockFileSuffix (statics/contracts/names.h),
// which is created on first use and never removed. Every process that writes
// PATH (the settings application, its URL handler, the tools, the tweak's
// history writer) takes the same lock; readers need none, since every write is
// atomic or a single append.
//
//   Result<FileLock> lock = FileLock::acquire(path);
//   if (!lock) return fail(lock.error());
//   ... read PATH, change it, writeFileAtomically(PATH, ...) ...
//   // released when lock goes out of scope
#pragma once

#include <optional>
#include <string>

#include "statics/result.h"

class FileLock {
 public:
  // Waits until the lock on path is held. Fails when the lock file cannot be
  // opened (no folder, no permission, a symbolic link or a non-regular file
  // at its name).
  [[nodiscard]] static Result<FileLock> acquire(const std::string& path);
  // Takes the lock only when no one holds it: nullopt when someone does.
  // Fails as acquire does.
  [[nodiscard]] static Result<std::optional<FileLock>> tryAcquire(const std::string& path);

  FileLock(FileLock&& other) noexcept;
  FileLock& operator=(FileLock&& other) noexcept;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  ~FileLock();

 private:
  explicit FileLock(int fd) : fd_(fd) {}
  int fd_ = -1;
};

// The lock file that guards path.
std::string lockFilePath(const std::string& path);
