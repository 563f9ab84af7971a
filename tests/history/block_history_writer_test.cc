#include "hushgate/history/block_history_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>
#include <vector>

#include "hushgate/history/block_history.h"
#include "platform/dispatch.h"
#include "platform/notify.h"
#include "statics/atomic_file.h"
#include "statics/file_lock.h"
#include "statics/history_file.h"
#include "support/temp_root.h"

namespace {

using namespace std::chrono_literals;
using std::chrono::system_clock;

constexpr auto kPatience = 5s;

platform::TUCall makeCall(std::string uniqueId, std::optional<std::string> number) {
  platform::TUCall call;
  call.uniqueProxyIdentifier = std::move(uniqueId);
  if (number) call.handle = platform::TUHandle{*number};
  return call;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

class BlockHistoryWriterTest : public ::testing::Test {
 protected:
  ~BlockHistoryWriterTest() override {
    // Run the notification posts still queued, so none reaches a later test.
    bool drained = false;
    platform::mainQueue().async([&] { drained = true; });
    platform::runMainLoopUntil([&] { return drained; }, kPatience);
  }

  std::string read() const { return readWholeFile(path_).value_or("<missing>"); }
  std::vector<BlockRecord> records() const {
    std::vector<BlockRecord> result;
    for (const std::string& line : linesOf(read())) {
      const std::optional<BlockRecord> record = parseBlockRecordLine(line);
      EXPECT_TRUE(record) << "not a record: " << line;
      if (record) result.push_back(*record);
    }
    return result;
  }

  testing_support::TempDeviceRoot root_;
  const std::string path_ = mpHistoryFilePathFromOutside();
};

TEST_F(BlockHistoryWriterTest, PrepareCreatesFolderAndFileOnce) {
  ASSERT_FALSE(std::filesystem::exists(std::filesystem::path(path_).parent_path()));
  BlockHistoryWriter writer(path_);
  writer.prepareMPHistoryFile();
  EXPECT_TRUE(writer.hasOpenHandle());
  EXPECT_EQ(read(), "");

  ASSERT_TRUE(writeFileAtomically(path_, "{\"u\":\"kept\"}\n"));
  BlockHistoryWriter again(path_);
  again.prepareMPHistoryFile();
  EXPECT_EQ(read(), "{\"u\":\"kept\"}\n") << "an existing file keeps its content";
}

TEST_F(BlockHistoryWriterTest, AppendsTheRecordOfTheCall) {
  // Blocked 0.9 s past a second: stored with that second.
  const auto now = system_clock::time_point(1700000000s + 900ms);
  BlockHistoryWriter writer(path_, [now] { return now; });
  writer.prepareMPHistoryFile();

  writer.appendBlockRecord(makeCall("call-1", "+8612583113800138000"), 4, "");
  writer.appendBlockRecord(makeCall("call-2", "4001234567"), 5, "骚扰电话");
  writer.appendBlockRecord(makeCall("call-3", std::nullopt), 1, "");
  writer.appendBlockRecord(makeCall("", "10086"), 99, "");

  const std::vector<BlockRecord> expected = {
      {"call-1", "+8612583113800138000", 1700000000, 4, ""},
      {"call-2", "4001234567", 1700000000, 5, "骚扰电话"},
      {"call-3", "", 1700000000, 1, ""},
      {"", "10086", 1700000000, 99, ""},
  };
  EXPECT_EQ(records(), expected);
  EXPECT_EQ(read().back(), '\n');
}

TEST_F(BlockHistoryWriterTest, AnnouncesEachAppendOnTheMainQueue) {
  int deliveries = 0;
  int token = -1;
  ASSERT_EQ(platform::notify_register_dispatch(kMPBlockHistoryAddedNotification, &token,
                                               platform::mainQueue(), [&](int) { ++deliveries; }),
            platform::NOTIFY_STATUS_OK);
  BlockHistoryWriter writer(path_);
  writer.prepareMPHistoryFile();
  writer.appendBlockRecord(makeCall("call-1", "10086"), 4, "");
  EXPECT_TRUE(platform::runMainLoopUntil([&] { return deliveries > 0; }, kPatience));
  // The record is on storage before the notification: a reader finds it.
  EXPECT_EQ(loadMPBlockHistory(path_), std::vector<std::string>{"call-1"});
  platform::notify_cancel(token);
}

TEST_F(BlockHistoryWriterTest, UnwritableFileDropsTheRecordButStillAnnounces) {
  // The Documents "folder" is a regular file: nothing can be created below it.
  root_.write("/var/mobile/Containers/Data/Application/com.apple.mobilephone/Documents", "x");
  int deliveries = 0;
  int token = -1;
  ASSERT_EQ(platform::notify_register_dispatch(kMPBlockHistoryAddedNotification, &token,
                                               platform::mainQueue(), [&](int) { ++deliveries; }),
            platform::NOTIFY_STATUS_OK);
  BlockHistoryWriter writer(path_);
  writer.prepareMPHistoryFile();
  EXPECT_FALSE(writer.hasOpenHandle());
  writer.appendBlockRecord(makeCall("call-1", "10086"), 4, "");
  EXPECT_TRUE(platform::runMainLoopUntil([&] { return deliveries > 0; }, kPatience));
  platform::notify_cancel(token);

  BlockHistoryWriter noPath("");
  noPath.prepareMPHistoryFile();
  EXPECT_FALSE(noPath.appendRecord({"a", "1", 1, 4, ""}));
}

TEST_F(BlockHistoryWriterTest, FollowsTheFileThatAnotherProcessPutInPlace) {
  BlockHistoryWriter writer(path_);
  writer.prepareMPHistoryFile();
  ASSERT_TRUE(writer.appendRecord({"old-1", "1", 1, 4, ""}));
  ASSERT_TRUE(writer.appendRecord({"old-2", "2", 2, 4, ""}));

  // The settings application keeps one record and replaces the file, and a
  // call is blocked before the reopen notification has arrived.
  ASSERT_TRUE(writeFileAtomically(path_, blockRecordLine({"old-2", "2", 2, 4, ""})));
  ASSERT_TRUE(writer.appendRecord({"new-1", "3", 3, 4, ""}));
  EXPECT_EQ(loadMPBlockHistory(path_), (std::vector<std::string>{"old-2", "new-1"}));

  // The late notification reopens the same file: nothing changes.
  writer.openMPHistoryFileWriteHandle();
  ASSERT_TRUE(writer.appendRecord({"new-2", "4", 4, 4, ""}));
  EXPECT_EQ(loadMPBlockHistory(path_), (std::vector<std::string>{"old-2", "new-1", "new-2"}));

  // Removed altogether: the next record starts a new file.
  ASSERT_EQ(::unlink(path_.c_str()), 0);
  ASSERT_TRUE(writer.appendRecord({"new-3", "5", 5, 4, ""}));
  EXPECT_EQ(loadMPBlockHistory(path_), std::vector<std::string>{"new-3"});

  // Emptied by the settings application (delete all).
  ASSERT_TRUE(writeFileAtomically(path_, ""));
  ASSERT_TRUE(writer.appendRecord({"new-4", "6", 6, 4, ""}));
  EXPECT_EQ(read(), blockRecordLine({"new-4", "6", 6, 4, ""}));
}

TEST_F(BlockHistoryWriterTest, ARecordNeverJoinsATornLastLine) {
  const std::string kept = blockRecordLine({"kept", "1", 1, 4, ""});
  root_.write(
      "/var/mobile/Containers/Data/Application/com.apple.mobilephone/Documents/"
      "hushgate-history.txt",
      kept + R"({"u":"torn","p":"13)");
  BlockHistoryWriter writer(path_);
  writer.prepareMPHistoryFile();
  ASSERT_TRUE(writer.appendRecord({"new", "2", 2, 4, ""}));
  ASSERT_TRUE(writer.appendRecord({"newer", "3", 3, 4, ""}));
  EXPECT_EQ(loadMPBlockHistory(path_), (std::vector<std::string>{"kept", "new", "newer"}));
  EXPECT_EQ(read(), kept + R"({"u":"torn","p":"13)" + "\n" +
                        blockRecordLine({"new", "2", 2, 4, ""}) +
                        blockRecordLine({"newer", "3", 3, 4, ""}));
}

TEST_F(BlockHistoryWriterTest, ConcurrentAppendsStayWholeAndComplete) {
  BlockHistoryWriter writer(path_);
  writer.prepareMPHistoryFile();
  constexpr int kThreads = 8;
  constexpr int kPerThread = 100;
  const std::string longDetail(3000, 'x');  // long lines would show interleaved writes
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kPerThread; ++i) {
        const std::string id = std::to_string(t) + "-" + std::to_string(i);
        if (i % 10 == 0 && t == 0) writer.openMPHistoryFileWriteHandle();  // reopens interleave
        writer.appendBlockRecord(makeCall(id, "10086"), 5, i % 3 == 0 ? longDetail : "骚扰");
      }
    });
  }
  for (std::thread& thread : threads) thread.join();

  const std::vector<BlockRecord> all = records();
  ASSERT_EQ(all.size(), size_t(kThreads * kPerThread));
  std::set<std::string> ids;
  for (const BlockRecord& record : all) ids.insert(record.uniqueId);
  EXPECT_EQ(ids.size(), size_t(kThreads * kPerThread)) << "a record was lost or doubled";
  // Each thread's records are in its own order.
  for (int t = 0; t < kThreads; ++t) {
    int next = 0;
    for (const BlockRecord& record : all) {
      if (record.uniqueId.rfind(std::to_string(t) + "-", 0) == 0) {
        EXPECT_EQ(record.uniqueId, std::to_string(t) + "-" + std::to_string(next++));
      }
    }
  }
}

TEST_F(BlockHistoryWriterTest, AnyPathIsSafe) {
  // A container folder name that a shell would have split, expanded and run,
  // in the working folder.
  const std::string container = root_.path() +
                                "/odd container 'single' \"double\"; touch executed; "
                                "$(touch executed) `touch executed` & |*? ~";
  const std::string path = mpHistoryFilePathInContainer(container);
  BlockHistoryWriter writer(path);
  writer.prepareMPHistoryFile();
  ASSERT_TRUE(writer.hasOpenHandle());
  writer.appendBlockRecord(makeCall("call-1", "10086"), 4, "");
  EXPECT_EQ(loadMPBlockHistory(path), std::vector<std::string>{"call-1"});
  EXPECT_FALSE(std::filesystem::exists("executed")) << "something was run";
  // Only the one container folder was made under the root.
  std::vector<std::string> made;
  for (const auto& entry : std::filesystem::directory_iterator(root_.path())) {
    made.push_back(entry.path().string());
  }
  EXPECT_EQ(made, std::vector<std::string>{container});
}

TEST_F(BlockHistoryWriterTest, RefusesWhatIsNotARegularFile) {
  std::filesystem::create_directories(std::filesystem::path(path_).parent_path());
  ASSERT_EQ(::mkfifo(path_.c_str(), 0644), 0);
  BlockHistoryWriter writer(path_);
  writer.prepareMPHistoryFile();  // must not block on the FIFO
  EXPECT_FALSE(writer.hasOpenHandle());
  EXPECT_FALSE(writer.appendRecord({"a", "1", 1, 4, ""}));

  ASSERT_EQ(::unlink(path_.c_str()), 0);
  ASSERT_TRUE(std::filesystem::create_directory(path_));
  EXPECT_FALSE(writer.appendRecord({"a", "1", 1, 4, ""}));

  // A symbolic link, to a file outside the device or to none yet, is not
  // followed: nothing is written through it.
  std::filesystem::remove(path_);
  const std::string outside = root_.at("/../outside-" + std::to_string(::getpid()));
  for (const bool targetExists : {true, false}) {
    std::filesystem::remove(outside);
    if (targetExists) root_.write("/../outside-" + std::to_string(::getpid()), "");
    std::filesystem::remove(path_);
    std::filesystem::create_symlink(outside, path_);
    BlockHistoryWriter linked(path_);
    linked.prepareMPHistoryFile();
    EXPECT_FALSE(linked.appendRecord({"a", "1", 1, 4, ""}));
    std::error_code ignored;
    EXPECT_EQ(std::filesystem::file_size(outside, ignored), targetExists ? 0u : uintmax_t(-1));
  }
  std::filesystem::remove(outside);
}

// Whether some process or thread waits for a flock on the file at path
// (the kernel lists waiters in /proc/locks with "->").
bool someoneWaitsForLock(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  const std::string inode = ":" + std::to_string(info.st_ino) + " ";
  std::ifstream locks("/proc/locks");
  for (std::string entry; std::getline(locks, entry);) {
    if (entry.find("->") != std::string::npos && entry.find(inode) != std::string::npos)
      return true;
  }
  return false;
}

TEST_F(BlockHistoryWriterTest, AnAppendWaitsForARewriteAndGoesToTheNewFile) {
  BlockHistoryWriter writer(path_);
  writer.prepareMPHistoryFile();
  ASSERT_TRUE(writer.appendRecord({"old", "1", 1, 4, ""}));

  // The settings application holds the lock for its read and write; a call
  // blocked meanwhile waits, and then goes to the file put in place.
  Result<FileLock> rewrite = FileLock::acquire(path_);
  ASSERT_TRUE(rewrite) << rewrite.error();
  std::thread append([&] { EXPECT_TRUE(writer.appendRecord({"new", "2", 2, 4, ""})); });
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (!someoneWaitsForLock(lockFilePath(path_)) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::yield();
  EXPECT_TRUE(someoneWaitsForLock(lockFilePath(path_))) << "the append did not wait for the lock";
  // Meanwhile the main queue's reopen is not held up by the waiting append.
  writer.openMPHistoryFileWriteHandle();
  ASSERT_TRUE(writeFileAtomically(path_, blockRecordLine({"kept", "0", 0, 4, ""})));
  { FileLock released = std::move(*rewrite); }
  append.join();
  EXPECT_EQ(loadMPBlockHistory(path_), (std::vector<std::string>{"kept", "new"}));
}

TEST_F(BlockHistoryWriterTest, ARecordTooLongForTheReadersIsCutToFit) {
  const struct {
    BlockRecord record;
    BlockRecord written;
  } cases[] = {
      {{"a", "1", 1, 5, "骚扰"}, {"a", "1", 1, 5, "骚扰"}},
      {{"a", "1", 1, 5, std::string(8000, 'x')},
       {"a", "1", 1, 5, std::string(4000, 'x')}},  // halved once
  };
  BlockHistoryWriter writer(path_);
  writer.prepareMPHistoryFile();
  for (const auto& c : cases) {
    ASSERT_TRUE(writer.appendRecord(c.record));
    ASSERT_FALSE(records().empty());
    EXPECT_EQ(records().back(), c.written);
  }
  // Any text: what is written is always read back.
  for (const std::string& text : {std::string(20000, '\x01'), std::string(3000, 'y') + "电话"}) {
    const BlockRecord fitted = blockRecordFittingLine({text, text, 1, 5, text, R"({"x":1})"});
    EXPECT_LE(blockRecordLine(fitted).size(), kMaxBlockRecordLineBytes + 1);
    const std::string line = blockRecordLine(fitted);
    EXPECT_EQ(parseBlockRecordLine(line.substr(0, line.size() - 1)), fitted);
  }
}

}  // namespace
