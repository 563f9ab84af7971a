#include "hushgate-gui/core/models/history_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <unordered_map>

#include "statics/Log.h"
#include "statics/atomic_file.h"
#include "statics/file_lock.h"
#include "statics/history_lines.h"

namespace gui {

namespace {

// Records to remove, counted by identity; they stay in the caller's list.
struct RecordByIdentity {
  size_t operator()(const HistoryRecord* record) const { return BlockRecordHash()(*record); }
  bool operator()(const HistoryRecord* a, const HistoryRecord* b) const { return *a == *b; }
};
using RecordCounts =
    std::unordered_map<const HistoryRecord*, size_t, RecordByIdentity, RecordByIdentity>;

bool isMissing(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) != 0 && errno == ENOENT;
}

}  // namespace

HistoryList parseHistoryText(std::string_view text) {
  HistoryList records = parseBlockHistory(text);
  std::reverse(records.begin(), records.end());
  return records;
}

HistoryList readHistoryFile(const std::string& path) {
  const auto start = std::chrono::steady_clock::now();
  HistoryList records;
  // Room for every record at once (lines are longer than 64 bytes; room
  // never filled takes no memory): growing the list while it fills costs
  // more than the reading.
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(path, error);
  if (!error) records.reserve(static_cast<size_t>(std::min<uintmax_t>(size / 64, 1u << 20)));
  const Status read = readHistoryRecords(
      path, [&](BlockRecord&& record, std::string_view) { records.push_back(std::move(record)); });
  if (!read) return {};
  std::reverse(records.begin(), records.end());
  const auto elapsed = std::chrono::steady_clock::now() - start;
  Log("== history read: %@ records in %@ ms", records.size(),
      std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
  return records;
}

std::string historyFileText(const HistoryList& history) {
  return blockHistoryText(HistoryList(history.rbegin(), history.rend()));
}

Result<HistoryList> removeHistoryRecords(const std::string& path, const HistoryList& removed) {
  RecordCounts toRemove;
  for (const HistoryRecord& record : removed) ++toRemove[&record];

  // Held for the read and the write only.
  Result<FileLock> lock = FileLock::acquire(path);
  if (!lock) return fail(lock.error());
  std::string text;
  HistoryList kept;
  const Status read = readHistoryRecords(path, [&](BlockRecord&& record, std::string_view line) {
    const auto found = toRemove.find(&record);
    if (found != toRemove.end() && found->second > 0) {
      --found->second;
      return;
    }
    text.append(line);
    text += '\n';
    kept.push_back(std::move(record));
  });
  if (!read && !isMissing(path)) return fail(read.error());
  const Status written = writeFileAtomically(path, text);
  if (!written) return fail(written.error());
  std::reverse(kept.begin(), kept.end());
  return kept;
}

}  // namespace gui
