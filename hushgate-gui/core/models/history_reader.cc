#include "hushgate-gui/core/models/history_reader.h"

#include <algorithm>
#include <optional>

#include "statics/atomic_file.h"

namespace gui {

HistoryList parseHistoryText(std::string_view text) {
  HistoryList records = parseBlockHistory(text);
  std::reverse(records.begin(), records.end());
  return records;
}

HistoryList readHistoryFile(const std::string& path) {
  const std::optional<std::string> text = readWholeFile(path);
  return text ? parseHistoryText(*text) : HistoryList();
}

std::string historyFileText(const HistoryList& history) {
  return blockHistoryText(HistoryList(history.rbegin(), history.rend()));
}

}  // namespace gui
