// Reading the block history file into the records of the main screen, and
// removing records from it.
#pragma once

#include <string>
#include <string_view>

#include "hushgate-gui/core/models/history_list.h"
#include "statics/result.h"

namespace gui {

// The records of a history text, newest first (the file is oldest first;
// which lines count as records: parseBlockHistory).
HistoryList parseHistoryText(std::string_view text);

// The records of the file at path as above, read line by line in bounded
// memory; none when it is missing or unreadable.
HistoryList readHistoryFile(const std::string& path);

// The file text of a list: oldest (last) record first, one line each.
std::string historyFileText(const HistoryList& history);

// Removes the records the user chose from the history file at path, and
// nothing else: under the file's FileLock (which the screening's append
// holds too) the file is read again, one line is left out for each record of
// removed (records are told apart by identity, statics/contracts/block_record.h),
// every other record's line is kept as it is, also a record appended since
// the list was read, and the file is replaced atomically. Lines that are no
// record are not written back. A missing file is an empty history. Gives the
// records the file holds now, newest first; fails, writing nothing, when the
// lock cannot be had or the file cannot be read or written.
[[nodiscard]] Result<HistoryList> removeHistoryRecords(const std::string& path,
                                                       const HistoryList& removed);

}  // namespace gui
