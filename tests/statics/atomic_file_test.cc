#include "statics/atomic_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_root.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> folderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

mode_t permissionsOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

class AtomicFileTest : public ::testing::Test {
 protected:
  testing_support::TempDeviceRoot root_;
  std::string folder_ = root_.path();
  std::string file_ = root_.at("doc.json");
};

TEST_F(AtomicFileTest, WritesNewFileWithoutLeavingTemporaries) {
  const std::string bytes("{\"a\":\"中\"}\0tail", 15);
  EXPECT_TRUE(writeFileAtomically(file_, bytes));
  EXPECT_EQ(readWholeFile(file_), bytes);
  EXPECT_EQ(folderEntries(folder_), std::vector<std::string>{"doc.json"});
  EXPECT_EQ(permissionsOf(file_), 0644u);
}

TEST_F(AtomicFileTest, ReplacesOldContentAndKeepsItsPermissions) {
  root_.write("doc.json", "old content that is longer");
  ASSERT_EQ(::chmod(file_.c_str(), 0600), 0);
  EXPECT_TRUE(writeFileAtomically(file_, "new"));
  EXPECT_EQ(readWholeFile(file_), "new");
  EXPECT_EQ(permissionsOf(file_), 0600u);
  EXPECT_EQ(folderEntries(folder_), std::vector<std::string>{"doc.json"});
}

TEST_F(AtomicFileTest, FailuresLeaveTheOldStateAndNoTemporaries) {
  // A folder in place of the file.
  fs::create_directories(root_.at("doc.json/inner"));
  EXPECT_FALSE(writeFileAtomically(file_, "x"));
  EXPECT_TRUE(fs::is_directory(root_.at("doc.json/inner")));
  EXPECT_EQ(folderEntries(folder_), std::vector<std::string>{"doc.json"});

  // A missing folder, and a file in place of the folder.
  EXPECT_FALSE(writeFileAtomically(root_.at("missing/doc.json"), "x"));
  EXPECT_FALSE(fs::exists(root_.at("missing")));
  root_.write("plain", "p");
  EXPECT_FALSE(writeFileAtomically(root_.at("plain/doc.json"), "x"));
  EXPECT_EQ(root_.read("plain"), "p");
}

// A write that fails half-way (the file size limit stands in for a full disk)
// must leave the old file as it was.
TEST_F(AtomicFileTest, FailedWriteHalfWayKeepsOldFile) {
  root_.write("doc.json", "old");
  rlimit previous{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = previous;
  small.rlim_cur = 1024;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const Status written = writeFileAtomically(file_, std::string(100000, 'x'));
  const std::string error = written.error();
  ::setrlimit(RLIMIT_FSIZE, &previous);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(written);
  EXPECT_NE(error.find("doc.json"), std::string::npos) << error;
  EXPECT_EQ(readWholeFile(file_), "old");
  EXPECT_EQ(folderEntries(folder_), std::vector<std::string>{"doc.json"});
}

// What writers killed before their rename left behind goes at the next
// save; a young one may be another writer's, and other names are not ours.
TEST_F(AtomicFileTest, StaleTemporariesOfOursAreRemoved) {
  const struct {
    const char* name;
    bool old;
    bool kept;
  } cases[] = {
      {".doc.json.Ab3dEf", true, false}, {".doc.json.zzzzzz", false, true},
      {".doc.json.toolong", true, true}, {".other.json.abcdef", true, true},
      {"doc.json.abcdef", true, true},
  };
  for (const auto& c : cases) {
    root_.write(c.name, std::string(1000, 'x'));
    if (c.old) {
      const timespec times[2] = {{1, 0}, {1, 0}};
      ASSERT_EQ(::utimensat(AT_FDCWD, root_.at(c.name).c_str(), times, 0), 0);
    }
  }
  ASSERT_TRUE(writeFileAtomically(file_, "new"));
  for (const auto& c : cases) EXPECT_EQ(fs::exists(root_.at(c.name)), c.kept) << c.name;
  EXPECT_EQ(readWholeFile(file_), "new");
}

TEST_F(AtomicFileTest, ReadWholeFileReadsOnlyRegularFiles) {
  EXPECT_EQ(readWholeFile(root_.at("missing")), std::nullopt);
  fs::create_directories(root_.at("folder"));
  EXPECT_EQ(readWholeFile(root_.at("folder")), std::nullopt);
  // A FIFO without a writer would block an ordinary open for reading.
  ASSERT_EQ(::mkfifo(root_.at("fifo").c_str(), 0600), 0);
  EXPECT_EQ(readWholeFile(root_.at("fifo")), std::nullopt);
  root_.write("empty", "");
  EXPECT_EQ(readWholeFile(root_.at("empty")), "");
  const std::string large(300000, 'z');
  root_.write("large", large);
  EXPECT_EQ(readWholeFile(root_.at("large")), large);
  // Beyond the limit nothing is read or reserved: a sparse 40 GB file costs
  // no memory.
  EXPECT_EQ(readWholeFile(root_.at("large"), large.size()), large);
  EXPECT_EQ(readWholeFile(root_.at("large"), large.size() - 1), std::nullopt);
  root_.write("huge", "");
  ASSERT_EQ(::truncate(root_.at("huge").c_str(), 40LL << 30), 0);
  EXPECT_EQ(readWholeFile(root_.at("huge")), std::nullopt);
}

}  // namespace
