// The Phone side of the block history: the unique ids of the blocked calls,
// which the recents list marks. Where the file lies: statics/history_file.h;
// its lines: statics/contracts/block_record.h.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The unique ids ("u") of the records of a history text, in file order,
// duplicates kept (which lines are records: parseBlockHistory). An empty id
// is skipped: it names no call, and would match every recent call that lacks
// an id.
std::vector<std::string> blockedCallUniqueIdsFromHistory(std::string_view text);

// loadMPBlockHistory: the unique ids of the history file at path, as above; a
// missing or unreadable file gives none.
std::vector<std::string> loadMPBlockHistory(const std::string& path);
