// Reading the block history file into the records of the main screen, and
// writing them back.
#pragma once

#include <string>
#include <string_view>

#include "hushgate-gui/core/models/history_list.h"

namespace gui {

// The records of a history text, newest first (the file is oldest first;
// which lines count as records: parseBlockHistory).
HistoryList parseHistoryText(std::string_view text);

// The records of the file at path as above; none when it is missing or
// unreadable.
HistoryList readHistoryFile(const std::string& path);

// The file text of a list: oldest (last) record first, one line each.
std::string historyFileText(const HistoryList& history);

}  // namespace gui
