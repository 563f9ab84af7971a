#include "statics/file_lock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "support/temp_root.h"

namespace fs = std::filesystem;

namespace {

// Whether another process finds the lock of path free (it may take it at once).
bool freeInAnotherProcess(const std::string& path) {
  const pid_t child = ::fork();
  if (child == 0) {
    const int fd = ::open(lockFilePath(path).c_str(), O_RDWR | O_CLOEXEC);
    _exit(fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(FileLockTest, HeldUntilItsOwnerGoesOutOfScopeOrMoves) {
  testing_support::TempDeviceRoot root;
  const std::string doc = root.at("doc.json");
  {
    Result<FileLock> lock = FileLock::acquire(doc);
    ASSERT_TRUE(lock) << lock.error();
    EXPECT_FALSE(freeInAnotherProcess(doc));
    FileLock moved = std::move(*lock);
    EXPECT_FALSE(freeInAnotherProcess(doc));
  }
  EXPECT_TRUE(freeInAnotherProcess(doc));
  EXPECT_TRUE(FileLock::acquire(doc)) << "taken again after release";
}

TEST(FileLockTest, RefusesWhatIsNotAPlainLockFile) {
  testing_support::TempDeviceRoot root;
  const std::string doc = root.at("doc.json");
  struct Case {
    const char* what;
    void (*prepare)(const std::string& lockPath);
  };
  const Case cases[] = {
      {"a symbolic link", [](const std::string& p) { fs::create_symlink("/tmp", p); }},
      {"a directory", [](const std::string& p) { fs::create_directory(p); }},
      {"a FIFO", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); }},
  };
  for (const Case& c : cases) {
    fs::remove_all(lockFilePath(doc));
    c.prepare(lockFilePath(doc));
    EXPECT_FALSE(FileLock::acquire(doc)) << c.what;
  }
  EXPECT_FALSE(FileLock::acquire(root.at("missing/doc.json"))) << "a missing folder";
}

}  // namespace
