// Two processes on one history file: the screening's writer appends blocked
// calls while the viewer's rewrite deletes some of them one at a time.
// Afterwards every record that was not deleted is there exactly once.
// HUSHGATE_STRESS_SCALE=1 runs it at full size (10,000 appends, 1,000
// deletions); CI runs a twentieth of it.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "hushgate-gui/core/models/history_reader.h"
#include "hushgate/history/block_history_writer.h"
#include "statics/contracts/block_record.h"
#include "statics/history_file.h"
#include "statics/history_lines.h"
#include "support/stress_scale.h"
#include "support/temp_root.h"

namespace {

constexpr int kDeleteEvery = 10;

std::string idOf(int i) {
  return "call-" + std::to_string(i);
}

// The appending process: every record, and the number of every tenth one on
// the pipe once it is on storage.
[[noreturn]] void appendRecords(const std::string& path, int records, int announce) {
  BlockHistoryWriter writer(path);
  writer.prepareMPHistoryFile();
  int failures = 0;
  for (int i = 0; i < records; ++i) {
    if (!writer.appendRecord({idOf(i), "13800138000", 1700000000 + i, 4, ""})) ++failures;
    if (i % kDeleteEvery == 0 && ::write(announce, &i, sizeof i) != ssize_t(sizeof i)) ++failures;
  }
  ::close(announce);
  ::_exit(failures == 0 ? 0 : 1);
}

TEST(HistoryStressTest, AppendsAndDeletionsInTwoProcessesLoseNothing) {
  testing_support::TempDeviceRoot root;
  const std::string path = mpHistoryFilePathFromOutside();
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  const int records = testing_support::stressCount(10000, 0.05);

  int pipeEnds[2];
  ASSERT_EQ(::pipe(pipeEnds), 0);
  const auto start = std::chrono::steady_clock::now();
  const pid_t appender = ::fork();
  ASSERT_GE(appender, 0);
  if (appender == 0) {
    ::close(pipeEnds[0]);
    appendRecords(path, records, pipeEnds[1]);
  }
  ::close(pipeEnds[1]);

  // The viewer: for each announced record, the list as read from the file,
  // then the deletion of that one record.
  std::map<std::string, bool> deleted;
  int failedDeletions = 0;
  for (int i; ::read(pipeEnds[0], &i, sizeof i) == ssize_t(sizeof i);) {
    const gui::HistoryList shown = gui::readHistoryFile(path);
    const auto chosen = std::find_if(shown.begin(), shown.end(),
                                     [&](const BlockRecord& r) { return r.uniqueId == idOf(i); });
    if (chosen == shown.end()) {
      ++failedDeletions;
      continue;
    }
    if (!gui::removeHistoryRecords(path, {*chosen})) ++failedDeletions;
    deleted[idOf(i)] = true;
  }
  ::close(pipeEnds[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(appender, &status, 0), appender);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "an append failed";
  EXPECT_EQ(failedDeletions, 0);

  std::map<std::string, int> found;
  int badLines = 0;
  const Status read = readHistoryRecords(
      path, [&](BlockRecord&& record, std::string_view) { ++found[record.uniqueId]; });
  ASSERT_TRUE(read) << read.error();
  std::ifstream file(path);
  for (std::string line; std::getline(file, line);) {
    if (!parseBlockRecordLine(line)) ++badLines;
  }
  EXPECT_EQ(badLines, 0);
  for (int i = 0; i < records; ++i) {
    const std::string id = idOf(i);
    EXPECT_EQ(found[id], deleted.count(id) > 0 ? 0 : 1) << id;
  }
  EXPECT_EQ(deleted.size(), size_t((records + kDeleteEvery - 1) / kDeleteEvery));
  std::printf("%d appends and %zu deletions in two processes: %.2f s, %d bad lines\n", records,
              deleted.size(), seconds, badLines);
}

}  // namespace
