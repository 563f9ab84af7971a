// The home screen's memory of recent blocks, for the repeated-call
// allowance: the latest block of each number (as the call delivered it)
// within the last kRecentBlocksSpan seconds. Filled from the end of the
// history file at launch and whenever the file is replaced, and told of
// every block as it happens. Records of calls let through are no blocks.
// Safe to use from any thread.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

// The longest allowance (an hour) the memory must serve.
inline constexpr int64_t kRecentBlocksSpan = 60 * 60;
// How much of the end of the history file a load reads: far more than an
// hour of blocked calls.
inline constexpr uint64_t kRecentBlocksTailBytes = 1 << 20;

class RecentBlocks {
 public:
  // A block of number at date.
  void note(const std::string& number, int64_t date);
  // The date of number's latest block known, or nullopt.
  std::optional<int64_t> lastBlock(const std::string& number) const;
  // Forgets everything (but blocks noted at now or later, which the file
  // may not hold yet) and reads the blocks of the last kRecentBlocksSpan
  // before now from the last kRecentBlocksTailBytes of the history file at
  // path. A missing or unreadable file leaves the memory empty.
  void loadFromHistory(const std::string& path, int64_t now);

 private:
  void noteLocked(const std::string& number, int64_t date);

  mutable std::mutex mutex_;
  std::unordered_map<std::string, int64_t> latest_;  // guarded by mutex_
  int64_t newest_ = 0;                               // guarded by mutex_
};
