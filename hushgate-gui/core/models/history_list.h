// The blocked-call records of the main screen, newest first: one record of
// the block history file each (statics/contracts/block_record.h). The main
// screen owns the one list; the history viewer holds it weakly and deletes
// from it.
#pragma once

#include <vector>

#include "statics/contracts/block_record.h"

namespace gui {

using HistoryRecord = BlockRecord;
using HistoryList = std::vector<HistoryRecord>;

}  // namespace gui
