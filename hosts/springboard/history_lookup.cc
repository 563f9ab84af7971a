#include "hosts/springboard/history_lookup.h"

#include <filesystem>
#include <fstream>

#include "statics/contracts/block_record.h"
#include "statics/history_file.h"

namespace springboard {

std::string historyFilePath() {
  return mpHistoryFilePathFromOutside();
}

std::uintmax_t historyFileSize(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : size;
}

std::optional<HistoryRecord> findHistoryRecord(const std::string& path, const std::string& uniqueId,
                                               std::uintmax_t from) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  if (from > historyFileSize(path)) from = 0;
  if (from > 0) {
    // Start at a line boundary: the byte before from must end a line.
    in.seekg(static_cast<std::streamoff>(from - 1));
    std::string rest;
    std::getline(in, rest);
  }
  std::string line;
  while (std::getline(in, line)) {
    const std::optional<BlockRecord> found = parseBlockRecordLine(line);
    if (!found || found->uniqueId != uniqueId) continue;
    return HistoryRecord{found->reason, found->detail};
  }
  return std::nullopt;
}

}  // namespace springboard
