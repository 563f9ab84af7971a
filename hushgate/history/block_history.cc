#include "hushgate/history/block_history.h"

#include <fcntl.h>
#include <sys/stat.h>

#include "statics/contracts/block_record.h"
#include "statics/contracts/fired_rule.h"
#include "statics/history_lines.h"

namespace {

// Whether the recents list marks the record's call: it names one, and the
// call was blocked, not let through.
bool isMarkedBlock(const BlockRecord& record) {
  return !record.uniqueId.empty() && !blockRecordPassed(record);
}

}  // namespace

std::vector<std::string> blockedCallUniqueIdsFromHistory(std::string_view text) {
  std::vector<std::string> ids;
  for (BlockRecord& record : parseBlockHistory(text)) {
    if (isMarkedBlock(record)) ids.push_back(std::move(record.uniqueId));
  }
  return ids;
}

std::vector<std::string> loadMPBlockHistory(const std::string& path) {
  std::vector<std::string> ids;
  const Status read = readHistoryRecords(path, [&](BlockRecord&& record, std::string_view) {
    if (isMarkedBlock(record)) ids.push_back(std::move(record.uniqueId));
  });
  if (!read) return {};
  return ids;
}

void MPBlockHistory::startOver() {
  file_.reset();
  offset_ = 0;
  ids_.clear();
}

void MPBlockHistory::load() {
  lastRead_ = 0;
  struct stat named {};
  struct stat open {};
  const bool sameFile = file_.valid() && ::stat(path_.c_str(), &named) == 0 &&
                        ::fstat(file_.get(), &open) == 0 && named.st_dev == open.st_dev &&
                        named.st_ino == open.st_ino &&
                        static_cast<uint64_t>(open.st_size) >= offset_;
  if (!sameFile) {
    startOver();
    platform::UniqueFd fd(::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.valid() || ::fstat(fd.get(), &open) != 0 || !S_ISREG(open.st_mode)) return;
    file_ = std::move(fd);
  }
  const Result<uint64_t> end =
      readHistoryLines(file_.get(), offset_, [&](std::string_view line, bool) {
        if (line.empty()) return;
        std::optional<BlockRecord> record = parseBlockRecordLine(line);
        if (record && isMarkedBlock(*record)) ids_.insert(std::move(record->uniqueId));
      });
  if (!end) {
    startOver();
    return;
  }
  lastRead_ = *end - offset_;
  offset_ = *end;
}
