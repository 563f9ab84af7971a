// The Phone side of the block history: the unique ids of the blocked calls,
// which the recents list marks. Where the file lies: statics/history_file.h;
// its lines: statics/contracts/block_record.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/unique_fd.h"

// The unique ids ("u") of the records of a history text, in file order,
// duplicates kept (which lines are records: parseBlockHistory). An empty id
// is skipped: it names no call, and would match every recent call that lacks
// an id. So is the record of a call that was let through (blockRecordPassed).
std::vector<std::string> blockedCallUniqueIdsFromHistory(std::string_view text);

// The unique ids of the history file at path, as above, read line by line in
// bounded memory; a missing or unreadable file gives none.
std::vector<std::string> loadMPBlockHistory(const std::string& path);

// The blocked call ids as the recents list asks them: once per row, in
// constant time.
using BlockedCallUniqueIds = std::unordered_set<std::string>;

// The Phone application's view of the history file, kept up to date by
// load(): the first load reads the whole file, each later one only what was
// appended since (the file stays open, so its identity, device and inode,
// cannot pass to another file). The whole file is read again when the path
// names another file (the settings application replaced it) or the file
// shrank. A piece after the last "\n" is read again next time, so a record
// that was being written when the file was read is not missed.
class MPBlockHistory {
 public:
  explicit MPBlockHistory(std::string path) : path_(std::move(path)) {}

  // loadMPBlockHistory: brings the ids up to date with the file; a missing
  // or unreadable file gives none.
  void load();

  const BlockedCallUniqueIds& blockedCallUniqueIds() const { return ids_; }
  // Bytes read by the last load: what it cost.
  uint64_t bytesReadByLastLoad() const { return lastRead_; }

 private:
  void startOver();

  std::string path_;
  platform::UniqueFd file_;  // the file read so far
  uint64_t offset_ = 0;      // just past its last "\n" read
  uint64_t lastRead_ = 0;
  BlockedCallUniqueIds ids_;
};
