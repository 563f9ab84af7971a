#include "hushgate-gui/core/history_reader.h"

#include <algorithm>
#include <optional>

#include "statics/atomic_file.h"
#include "statics/json_document.h"

namespace gui {

HistoryList parseHistoryText(std::string_view text) {
  HistoryList records;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    if (!line.empty()) {
      std::optional<nlohmann::json> record = parseJsonDocument(line);
      if (record && record->is_object()) records.push_back(std::move(*record));
    }
    start = end + 1;
  }
  // The file is oldest first; the list is newest first.
  std::reverse(records.begin(), records.end());
  return records;
}

HistoryList readHistoryFile(const std::string& path) {
  const std::optional<std::string> text = readWholeFile(path);
  return text ? parseHistoryText(*text) : HistoryList();
}

}  // namespace gui
