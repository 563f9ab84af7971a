#include "statics/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/unique_fd.h"

namespace {

std::string errorText(std::string_view what, const std::string& path, int error) {
  char buffer[256];
  // The GNU strerror_r returns the message, not necessarily in buffer.
  const char* message = strerror_r(error, buffer, sizeof buffer);
  std::string text(what);
  text += " ";
  text += path;
  text += ": ";
  text += message;
  return text;
}

std::string parentFolder(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Removes the temporary file unless the write got as far as the rename.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
  ~TemporaryFile() {
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  const std::string& path() const { return path_; }
  void release() { path_.clear(); }

 private:
  std::string path_;
};

}  // namespace

std::optional<std::string> readWholeFile(const std::string& path) {
  platform::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd.valid()) return std::nullopt;
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  std::string bytes;
  if (info.st_size > 0) bytes.reserve(static_cast<size_t>(info.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  return bytes;
}

Status writeFileAtomically(const std::string& path, std::string_view bytes) {
  const std::string folder = parentFolder(path);
  const size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) return fail(errorText("cannot write", path, EISDIR));

  std::string pattern = folder + "/." + name + ".XXXXXX";
  platform::UniqueFd fd(::mkostemp(pattern.data(), O_CLOEXEC));
  if (!fd.valid()) return fail(errorText("cannot create a temporary file for", path, errno));
  TemporaryFile temporary(pattern);

  mode_t mode = 0644;
  struct stat old {};
  if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) mode = old.st_mode & 07777;
  if (::fchmod(fd.get(), mode) != 0)
    return fail(errorText("cannot set the mode of", pattern, errno));

  while (!bytes.empty()) {
    const ssize_t n = ::write(fd.get(), bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return fail(errorText("cannot write", pattern, errno));
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  if (::fsync(fd.get()) != 0) return fail(errorText("cannot flush", pattern, errno));
  if (fd.reset() != 0) return fail(errorText("cannot close", pattern, errno));
  if (::rename(pattern.c_str(), path.c_str()) != 0) {
    return fail(errorText("cannot replace", path, errno));
  }
  temporary.release();

  // Make the rename itself durable. The new content is in place whatever
  // happens here, and some file systems cannot flush a folder, so a failure
  // is not reported.
  platform::UniqueFd directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.valid()) (void)::fsync(directory.get());
  return {};
}
