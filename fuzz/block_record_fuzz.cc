// Fuzz target of the block history's one line reader and writer: the input
// is a history text. Every record read is written back as one line that
// reads as the same record (when that line is not over the length limit:
// written back, a member can take more room than it did), a record cut to
// fit reads back whole, and a history text made of the records reads back
// as them.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "statics/contracts/block_record.h"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<BlockRecord> records;
  for (BlockRecord& record : parseBlockHistory(text)) {
    const std::string line = blockRecordLine(record);
    check(!line.empty() && line.back() == '\n' && line.find('\n') == line.size() - 1);
    const std::optional<BlockRecord> back =
        parseBlockRecordLine(std::string_view(line).substr(0, line.size() - 1));
    if (line.size() > kMaxBlockRecordLineBytes + 1) {
      check(!back.has_value());
      const std::string fitted = blockRecordLine(blockRecordFittingLine(record));
      check(fitted.size() <= kMaxBlockRecordLineBytes + 1 &&
            parseBlockRecordLine(std::string_view(fitted).substr(0, fitted.size() - 1)));
      continue;
    }
    check(back.has_value() && *back == record);
    records.push_back(std::move(record));
  }
  check(parseBlockHistory(blockHistoryText(records)) == records);
  return 0;
}
