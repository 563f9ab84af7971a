// The home-screen side of the block history: appends one record per blocked
// call to the history file and announces it.
//
// One writer lives as long as its process and owns the append handle. Appends
// (from the global queue) and reopens (from the main queue) are serialised by
// the writer, so it may be used from any thread.
#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <string>

#include "platform/telephony.h"
#include "platform/unique_fd.h"
#include "statics/contracts/block_record.h"
#include "statics/contracts/fired_rule.h"
#include "statics/result.h"

// The record of a blocked call: "u" the call's uniqueProxyIdentifier ("" when
// the call has none; readers that match calls skip an empty id), "p" its
// handle value as delivered ("" without a handle), "r" and "rd" as given.
BlockRecord blockRecordForCall(const platform::TUCall& call, unsigned reason, std::string detail,
                               int64_t date);

class BlockHistoryWriter {
 public:
  using Clock = std::function<std::chrono::system_clock::time_point()>;

  // Writes to the file at mpHistoryFilePath (where it lies:
  // statics/history_file.h). The clock gives the time of each record; the system clock by
  // default. Opens nothing yet.
  explicit BlockHistoryWriter(std::string mpHistoryFilePath, Clock clock = {});

  BlockHistoryWriter(const BlockHistoryWriter&) = delete;
  BlockHistoryWriter& operator=(const BlockHistoryWriter&) = delete;

  // At launch: creates the file's folder and the file when missing, without
  // touching an existing file's content, then opens the handle. No shell is
  // involved, so any path is safe.
  void prepareMPHistoryFile();

  // (Re)opens the handle for appending, creating the file (not its folder)
  // when missing. When the path cannot be opened as a regular file the handle
  // is none and appends write nothing until a later open succeeds.
  void openMPHistoryFileWriteHandle();

  // Appends the record of a blocked call, dated now, with the rule that
  // fired (none: no "rule" member) and, for a call that was let through
  // instead, its "pass" (statics/contracts/fired_rule.h); then posts
  // kMPBlockHistoryAddedNotification from the main queue, even when nothing
  // could be written (a failure is logged).
  void appendBlockRecord(const platform::TUCall& call, unsigned reason, const std::string& detail,
                         const FiredRule& rule = {}, bool passed = false);

  // Appends one record without announcing it; succeeds when it was written
  // whole and flushed to storage.
  //
  // The append holds the file's FileLock (statics/file_lock.h), which the
  // settings application holds while it reads and rewrites the file, so a
  // record is never written to a file that is being replaced. When the lock
  // cannot be had (no lock file can be made there), the record is appended
  // all the same. A record whose line would be too long for the readers is
  // cut down first (blockRecordFittingLine).
  //
  // The line and its "\n" go out in one append write. If the path no longer
  // names the open file (another process replaced or removed it), or no
  // handle is open, the file is (re)opened first, so no record goes to a file
  // that nobody reads any more. If the file does not end with "\n" (a torn
  // last line), a "\n" goes first, so the torn piece cannot swallow the
  // record.
  Status appendRecord(const BlockRecord& record);

  const std::string& mpHistoryFilePath() const { return mpHistoryFilePath_; }
  bool hasOpenHandle() const;

 private:
  void openLocked();
  bool handleIsCurrentLocked() const;

  const std::string mpHistoryFilePath_;
  const Clock clock_;
  mutable std::mutex mutex_;
  platform::UniqueFd mpHistoryFileHandle_;  // guarded by mutex_
};
