// Reading the block history file line by line in bounded memory, whatever
// it holds: one chunk and one line of at most kMaxBlockRecordLineBytes
// (statics/contracts/block_record.h) are held at a time. A longer line is
// skipped whole as a bad line without ever being held.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "statics/contracts/block_record.h"
#include "statics/result.h"

// A line as read: its bytes without the "\n"; terminated is false only for
// the piece after the file's last "\n" (a torn last line, or a last record
// whose line end is missing).
using HistoryLineHandler = std::function<void(std::string_view line, bool terminated)>;

// Hands out every line of the open file fd from offset to its end, in order,
// empty lines included, lines longer than kMaxBlockRecordLineBytes left out.
// Gives the offset just past the last "\n" read: where a later read of what
// was appended since starts.
[[nodiscard]] Result<uint64_t> readHistoryLines(int fd, uint64_t offset,
                                                const HistoryLineHandler& onLine);

// The records of the history file at path, in file order, each with the line
// it was read from (which lines are records: parseBlockRecordLine). Fails
// when the file cannot be opened or read or is not a regular file (a FIFO or
// a device is never read, so a reader never blocks on one).
using HistoryRecordHandler = std::function<void(BlockRecord&& record, std::string_view line)>;
[[nodiscard]] Status readHistoryRecords(const std::string& path,
                                        const HistoryRecordHandler& onRecord);
