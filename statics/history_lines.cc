#include "statics/history_lines.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/unique_fd.h"

namespace {

constexpr size_t kChunkBytes = 64 * 1024;

}  // namespace

Result<uint64_t> readHistoryLines(int fd, uint64_t offset, const HistoryLineHandler& onLine) {
  std::string chunk(kChunkBytes, '\0');
  std::string line;      // the line read so far, never longer than the limit
  bool tooLong = false;  // the line read so far is over the limit: skipped
  uint64_t at = offset;  // where the next read starts
  uint64_t lineEnd = offset;
  for (;;) {
    const ssize_t n = ::pread(fd, chunk.data(), chunk.size(), static_cast<off_t>(at));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return fail(std::string("cannot read the history: ") + std::strerror(errno));
    if (n == 0) break;
    std::string_view bytes(chunk.data(), static_cast<size_t>(n));
    while (!bytes.empty()) {
      const size_t end = bytes.find('\n');
      const std::string_view piece = bytes.substr(0, end);
      if (!tooLong) {
        if (line.size() + piece.size() > kMaxBlockRecordLineBytes) {
          tooLong = true;
          line.clear();
        } else {
          line.append(piece);
        }
      }
      if (end == std::string_view::npos) break;
      if (!tooLong) onLine(line, true);
      line.clear();
      tooLong = false;
      bytes.remove_prefix(end + 1);
      lineEnd = at + static_cast<uint64_t>(n) - bytes.size();
    }
    at += static_cast<uint64_t>(n);
  }
  if (!tooLong && !line.empty()) onLine(line, false);
  return lineEnd;
}

Status readHistoryRecords(const std::string& path, const HistoryRecordHandler& onRecord) {
  platform::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd.valid()) return fail("cannot open " + path + ": " + std::strerror(errno));
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
    return fail(path + " is not a regular file");
  const Result<uint64_t> read = readHistoryLines(fd.get(), 0, [&](std::string_view line, bool) {
    if (line.empty()) return;
    if (std::optional<BlockRecord> record = parseBlockRecordLine(line))
      onRecord(std::move(*record), line);
  });
  if (!read) return fail(read.error());
  return {};
}
