// Processes on one history file and one preference document: the
// screening's writer appends blocked calls while the viewer's rewrite deletes
// some of them one at a time, and the viewer and a third process add
// blacklist entries through the URL command's read-modify-write (the path of
// the window and of --handle-url), one per deletion between them. Afterwards
// every record that was not deleted is there exactly once and every entry is
// in the document. HUSHGATE_STRESS_SCALE=1 runs it at full size (10,000
// appends, 1,000 deletions, 1,000 rule changes); CI runs a twentieth of it.
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
#include "hushgate-gui/core/models/url_command.h"
#include "hushgate/history/block_history_writer.h"
#include "statics/Preference.h"
#include "statics/contracts/block_record.h"
#include "statics/contracts/pref_document.h"
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

// A rule change as the URL command makes it; false when it was not saved.
bool addRule(const std::string& number) {
  const gui::AddToBlacklistResult added = gui::addToBlacklist({number, "stress", ""});
  return added.outcome == gui::AddToBlacklistResult::Outcome::kAdded;
}

std::string ruleOf(char writer, int i) {
  return std::string(1, writer) + std::to_string(1000000 + i);
}

// The second writer of rules: count entries, then ends.
[[noreturn]] void addRules(int count) {
  int failures = 0;
  for (int i = 0; i < count; ++i) failures += addRule(ruleOf('9', i)) ? 0 : 1;
  ::_exit(failures == 0 ? 0 : 1);
}

TEST(HistoryStressTest, AppendsDeletionsAndRuleChangesInThreeProcessesLoseNothing) {
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
  const int deletions = (records + kDeleteEvery - 1) / kDeleteEvery;
  const int otherRules = deletions / 2;
  const pid_t ruleWriter = ::fork();
  ASSERT_GE(ruleWriter, 0);
  if (ruleWriter == 0) addRules(otherRules);
  int viewerRules = 0;
  int failedRules = 0;

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
    if (viewerRules < deletions - otherRules)
      failedRules += addRule(ruleOf('8', viewerRules++)) ? 0 : 1;
  }
  ::close(pipeEnds[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(appender, &status, 0), appender);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "an append failed";
  ASSERT_EQ(::waitpid(ruleWriter, &status, 0), ruleWriter);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a rule change failed";
  EXPECT_EQ(failedDeletions, 0);
  EXPECT_EQ(failedRules, 0);

  // Every rule change of both writers is in the document on disk.
  std::map<std::string, int> rules;
  const Json document = Preference::load();
  for (const Json& entry : prefArray(document, kBlacklistKey)) {
    if (entry.is_array() && !entry.empty() && entry[0].is_string())
      ++rules[entry[0].get<std::string>()];
  }
  EXPECT_EQ(rules.size(), size_t(deletions));
  for (int i = 0; i < otherRules; ++i) EXPECT_EQ(rules[ruleOf('9', i)], 1) << ruleOf('9', i);
  for (int i = 0; i < viewerRules; ++i) EXPECT_EQ(rules[ruleOf('8', i)], 1) << ruleOf('8', i);

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
  std::printf(
      "%d appends, %zu deletions and %zu rule changes in three processes: %.2f s, %d bad "
      "lines\n",
      records, deleted.size(), rules.size(), seconds, badLines);
}

}  // namespace
