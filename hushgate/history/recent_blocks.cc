#include "hushgate/history/recent_blocks.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <string_view>
#include <utility>

#include "platform/unique_fd.h"
#include "statics/Log.h"
#include "statics/contracts/block_record.h"
#include "statics/contracts/fired_rule.h"
#include "statics/history_lines.h"

namespace {

// Past this many numbers the memory drops those older than the span.
constexpr size_t kPruneAbove = 4096;

}  // namespace

void RecentBlocks::note(const std::string& number, int64_t date) {
  std::lock_guard lock(mutex_);
  noteLocked(number, date);
}

void RecentBlocks::noteLocked(const std::string& number, int64_t date) {
  if (number.empty()) return;
  int64_t& latest = latest_.try_emplace(number, date).first->second;
  latest = std::max(latest, date);
  newest_ = std::max(newest_, date);
  if (latest_.size() > kPruneAbove) {
    std::erase_if(latest_,
                  [this](const auto& entry) { return entry.second < newest_ - kRecentBlocksSpan; });
  }
}

std::optional<int64_t> RecentBlocks::lastBlock(const std::string& number) const {
  std::lock_guard lock(mutex_);
  const auto it = latest_.find(number);
  if (it == latest_.end()) return std::nullopt;
  return it->second;
}

void RecentBlocks::loadFromHistory(const std::string& path, int64_t now) {
  std::unordered_map<std::string, int64_t> blocks;
  const platform::UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat info = {};
  if (file.valid() && ::fstat(file.get(), &info) == 0 && S_ISREG(info.st_mode)) {
    const uint64_t size = static_cast<uint64_t>(info.st_size);
    const uint64_t start = size > kRecentBlocksTailBytes ? size - kRecentBlocksTailBytes : 0;
    // Reading from the middle of the file, the first piece may be the end
    // of a line cut in two: it ends in the record's closing brace with no
    // opening one, so it never reads as a record.
    const Result<uint64_t> read =
        readHistoryLines(file.get(), start, [&](std::string_view line, bool) {
          if (line.empty()) return;
          const std::optional<BlockRecord> record = parseBlockRecordLine(line);
          if (!record || record->number.empty() || blockRecordPassed(*record)) return;
          if (record->date < now - kRecentBlocksSpan) return;
          int64_t& latest = blocks.try_emplace(record->number, record->date).first->second;
          latest = std::max(latest, record->date);
        });
    if (!read) Log("== recent blocks not read from %@: %@", path, read.error());
  }
  std::lock_guard lock(mutex_);
  // A block noted while the file was read may not be in the file yet.
  for (const auto& [number, date] : latest_) {
    if (date >= now) {
      int64_t& latest = blocks.try_emplace(number, date).first->second;
      latest = std::max(latest, date);
    }
  }
  latest_.swap(blocks);
  newest_ = std::max(newest_, now);
}
