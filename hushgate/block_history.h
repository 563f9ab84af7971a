// The block history file: how the Phone side reads it (where it lies:
// statics/history_file.h).
//
// The file "hushgate-history.txt" lies in the "Documents" folder of the Phone
// application's data container and holds one BlockRecord per line (see
// block_record.h), oldest first. The home-screen tweak appends to it
// (block_history_writer.h); the settings application may replace it whole.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "statics/history_file.h"

// The unique ids ("u") of the records of a history text, in file order,
// duplicates kept. The text is split at every "\n"; a piece that is empty or
// not one JSON object is skipped (so a torn last line, blank lines and a
// trailing line feed cost nothing), and each piece stands on its own: bad
// bytes in one line never hide another. A "u" that is missing, not text, or
// empty is skipped as well: it names no call, and an empty one would match
// every recent call that lacks an id.
std::vector<std::string> blockedCallUniqueIdsFromHistory(std::string_view text);

// loadMPBlockHistory: the unique ids of the history file at path, as above; a
// missing or unreadable file gives none.
std::vector<std::string> loadMPBlockHistory(const std::string& path);
