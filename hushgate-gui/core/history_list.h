// The blocked-call records of the main screen, newest first: one parsed line
// of the block history file each (members "u", "p", "d", "r", "rd"). The main
// screen owns the one list; the history viewer holds it weakly and deletes
// from it.
#pragma once

#include <memory>
#include <nlohmann/json.hpp>
#include <vector>

namespace gui {

using HistoryRecord = nlohmann::json;
using HistoryList = std::vector<HistoryRecord>;

}  // namespace gui
