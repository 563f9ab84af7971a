// Reading the block history file into the records of the main screen.
//
// The file holds one JSON object per line, oldest first (written by the
// screening in the home-screen process). Records are kept as parsed, members
// the settings application does not know included, so that a rewrite of the
// file loses nothing.
#pragma once

#include <string>
#include <string_view>

#include "hushgate-gui/core/history_list.h"

namespace gui {

// The records of a history text, newest first: the text is split at every
// "\n", and each piece that is one JSON object is a record. Empty pieces, and
// pieces that are not JSON or not an object (a torn last line, a stray value),
// are skipped.
HistoryList parseHistoryText(std::string_view text);

// The records of the file at path as above; none when it is missing or
// unreadable.
HistoryList readHistoryFile(const std::string& path);

}  // namespace gui
