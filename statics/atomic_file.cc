#include "statics/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <random>

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

std::optional<std::string> readWholeFile(const std::string& path, size_t limit) {
  platform::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd.valid()) return std::nullopt;
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  if (info.st_size < 0 || static_cast<uint64_t>(info.st_size) > limit) return std::nullopt;
  std::string bytes;
  bytes.reserve(static_cast<size_t>(info.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    // The file may grow while it is read.
    if (bytes.size() + static_cast<size_t>(n) > limit) return std::nullopt;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  return bytes;
}

namespace {

// A temporary file of ours for path: "." + name + "." + six characters.
bool isTemporaryNameOf(std::string_view entry, std::string_view name) {
  return entry.size() == name.size() + 8 && entry[0] == '.' &&
         entry.substr(1, name.size()) == name && entry[name.size() + 1] == '.';
}

// Removes temporary files of ours that a writer killed before its rename
// left behind; one younger than kStaleAge may still be another writer's.
void removeStaleTemporaries(const std::string& folder, std::string_view name) {
  constexpr time_t kStaleAge = 60;
  DIR* raw = ::opendir(folder.c_str());
  if (raw == nullptr) return;
  const std::unique_ptr<DIR, int (*)(DIR*)> directory(raw, ::closedir);
  const time_t now = ::time(nullptr);
  while (const dirent* entry = ::readdir(raw)) {
    if (!isTemporaryNameOf(entry->d_name, name)) continue;
    struct stat info {};
    if (::fstatat(::dirfd(raw), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISREG(info.st_mode) || now - info.st_mtime < kStaleAge) continue;
    (void)::unlinkat(::dirfd(raw), entry->d_name, 0);
  }
}

std::string randomSuffix() {
  static constexpr char kCharacters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::random_device device;
  std::string suffix(6, 'x');
  for (char& c : suffix) c = kCharacters[device() % (sizeof kCharacters - 1)];
  return suffix;
}

// Writes bytes to fd, flushes them and sets the mode.
Status fillTemporary(int fd, std::string_view bytes, mode_t mode, const std::string& name) {
  if (::fchmod(fd, mode) != 0) return fail(errorText("cannot set the mode of", name, errno));
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return fail(errorText("cannot write", name, errno));
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  if (::fsync(fd) != 0) return fail(errorText("cannot flush", name, errno));
  return {};
}

// The content in an unnamed file of the folder, given a temporary name only
// at the end: a writer killed while writing leaves nothing behind. nullopt
// when the folder's file system or /proc cannot do it.
std::optional<Status> writeUnnamedThenRename(const std::string& folder, const std::string& path,
                                             std::string_view name, std::string_view bytes,
                                             mode_t mode) {
  platform::UniqueFd fd(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
  if (!fd.valid()) return std::nullopt;
  if (Status filled = fillTemporary(fd.get(), bytes, mode, path); !filled) return filled;
  const std::string self = "/proc/self/fd/" + std::to_string(fd.get());
  for (int attempt = 0; attempt < 8; ++attempt) {
    const std::string temporary = folder + "/." + std::string(name) + "." + randomSuffix();
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW) != 0) {
      if (errno == EEXIST) continue;
      return std::nullopt;
    }
    TemporaryFile named(temporary);
    if (fd.reset() != 0) return fail(errorText("cannot close", temporary, errno));
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
      return fail(errorText("cannot replace", path, errno));
    }
    named.release();
    return Status();
  }
  return std::nullopt;
}

}  // namespace

Status writeFileAtomically(const std::string& path, std::string_view bytes) {
  const std::string folder = parentFolder(path);
  const size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) return fail(errorText("cannot write", path, EISDIR));
  removeStaleTemporaries(folder, name);

  mode_t mode = 0644;
  struct stat old {};
  if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) mode = old.st_mode & 07777;

  std::optional<Status> written = writeUnnamedThenRename(folder, path, name, bytes, mode);
  if (!written) {
    std::string pattern = folder + "/." + name + ".XXXXXX";
    platform::UniqueFd fd(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!fd.valid()) return fail(errorText("cannot create a temporary file for", path, errno));
    TemporaryFile temporary(pattern);
    if (Status filled = fillTemporary(fd.get(), bytes, mode, pattern); !filled) return filled;
    if (fd.reset() != 0) return fail(errorText("cannot close", pattern, errno));
    if (::rename(pattern.c_str(), path.c_str()) != 0) {
      return fail(errorText("cannot replace", path, errno));
    }
    temporary.release();
    written = Status();
  }
  if (!*written) return *written;

  // Make the rename itself durable. The new content is in place whatever
  // happens here, and some file systems cannot flush a folder, so a failure
  // is not reported.
  platform::UniqueFd directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.valid()) (void)::fsync(directory.get());
  return {};
}
