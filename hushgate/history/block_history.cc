#include "hushgate/history/block_history.h"

#include "statics/atomic_file.h"
#include "statics/contracts/block_record.h"

std::vector<std::string> blockedCallUniqueIdsFromHistory(std::string_view text) {
  std::vector<std::string> ids;
  for (BlockRecord& record : parseBlockHistory(text)) {
    if (!record.uniqueId.empty()) ids.push_back(std::move(record.uniqueId));
  }
  return ids;
}

std::vector<std::string> loadMPBlockHistory(const std::string& path) {
  const std::optional<std::string> text = readWholeFile(path);
  if (!text) return {};
  return blockedCallUniqueIdsFromHistory(*text);
}
