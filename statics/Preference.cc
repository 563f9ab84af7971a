#include "statics/Preference.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <optional>

#include "platform/bundle.h"
#include "platform/notify.h"
#include "platform/paths.h"
#include "statics/Log.h"
#include "statics/atomic_file.h"
#include "statics/file_lock.h"
#include "statics/json_document.h"

namespace fs = std::filesystem;

namespace {

// The migration flag: set by the first migrate() of the process, whatever that
// call achieved. The mutex makes concurrent first calls wait for the one that
// acts, and lets tests set the flag back.
struct Migration {
  std::mutex mutex;
  bool done = false;
};

Migration& migration() {
  static Migration* const state = new Migration();  // never destroyed
  return *state;
}

// A document as found at its path.
struct DocumentOnDisk {
  enum class State {
    kMissing,     // nothing at the path
    kRead,        // read whole
    kPartial,     // read, but members nested too deep were left out
    kUnreadable,  // a file that cannot be read or parsed
    kNotAFile,    // a folder or another non-file: nothing to read, nothing to move
  };
  State state = State::kMissing;
  Json doc;            // kRead and kPartial
  std::string reason;  // kPartial, kUnreadable, kNotAFile
};

DocumentOnDisk readDocumentFile(const std::string& path) {
  using State = DocumentOnDisk::State;
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return {};
    return {State::kUnreadable, {}, std::strerror(errno)};
  }
  if (!S_ISREG(info.st_mode)) return {State::kNotAFile, {}, "not a regular file"};
  const std::optional<std::string> bytes = readWholeFile(path);
  if (!bytes) return {State::kUnreadable, {}, "cannot be read"};
  std::optional<PrefDocumentRead> read = parsePrefDocument(*bytes);
  if (!read) return {State::kUnreadable, {}, "not a JSON document"};
  if (read->droppedMembers.empty()) return {State::kRead, std::move(read->doc), {}};
  std::string members;
  for (const std::string& member : read->droppedMembers) {
    members += (members.empty() ? "\"" : ", \"") + member + "\"";
  }
  return {State::kPartial, std::move(read->doc), "members nested too deep: " + members};
}

std::optional<Json> readDocument(const std::string& path) {
  DocumentOnDisk found = readDocumentFile(path);
  if (found.state == DocumentOnDisk::State::kPartial) {
    Log("== pref file %@ read without its %@", path, found.reason);
  }
  if (found.state != DocumentOnDisk::State::kRead && found.state != DocumentOnDisk::State::kPartial)
    return std::nullopt;
  return std::move(found.doc);
}

// Moves from to to unless to exists; errors are ignored.
void moveUnlessTaken(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return;
  if (errno == EINVAL || errno == ENOSYS) (void)std::rename(from.c_str(), to.c_str());
}

// Moves the document at path beside it, under a name that says when and
// why, never over another file. The new name, or why it could not be moved.
Result<std::string> setAside(const std::string& path) {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  char suffix[64] = {};
  if (::gmtime_r(&now, &utc) == nullptr ||
      std::strftime(suffix, sizeof suffix, kSetAsideSuffixFormat, &utc) == 0) {
    return fail("cannot format the time");
  }
  for (int attempt = 1; attempt <= 100; ++attempt) {
    const std::string target =
        path + suffix + (attempt == 1 ? std::string() : "-" + std::to_string(attempt));
    if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
      return target;
    }
    if (errno == EEXIST) continue;
    return fail("cannot move " + path + " to " + target + ": " + std::strerror(errno));
  }
  return fail("cannot move " + path + " aside: every name is taken");
}

// How one document is written.
struct DocumentKind {
  const char* serialiseFailedFormat;
  const char* writeFailedFormat;
  Json (*fallback)();
};

const DocumentKind kMainDocument{"== pref to json failed: %@",
                                 "== pref json write to file failed: %@", &defaultPref};
const DocumentKind kMPDocument{"== mppref to json failed: %@",
                               "== mppref json write to file failed: %@", &defaultMPPref};

// The locked read-modify-write behind update, updateMPPref and the saves.
// held is the instance's copy of the document; force writes even when the
// change altered nothing.
Result<Preference::Update> updateDocument(Json& held, const std::string& path,
                                          const DocumentKind& kind,
                                          const std::function<void(Json&)>& change, bool force) {
  using State = DocumentOnDisk::State;
  if (path.empty()) return fail("no path for the document");
  std::error_code ignored;
  fs::create_directories(fs::path(path).parent_path(), ignored);
  Result<FileLock> lock = FileLock::acquire(path);
  if (!lock) {
    Log(kind.writeFailedFormat, lock.error());
    return fail(lock.error());
  }

  DocumentOnDisk found = readDocumentFile(path);
  if (found.state == State::kNotAFile) {
    const std::string error = path + " is " + found.reason;
    Log(kind.writeFailedFormat, error);
    return fail(error);
  }
  const bool readable =
      (found.state == State::kRead || found.state == State::kPartial) && found.doc.is_object();
  const bool mustSetAside = found.state == State::kUnreadable ||
                            (found.state != State::kMissing && !found.doc.is_object());
  Json base = found.state == State::kMissing ? kind.fallback()
              : readable                     ? std::move(found.doc)
                                             : held;
  // After an update that wrote nothing, the instance holds what is on disk;
  // a whole-document save that failed keeps what it was asked to write.
  const auto holdWhatWasRead = [&] {
    if ((readable || found.state == State::kMissing) && !force) held = base;
  };

  Json doc = base;
  try {
    change(doc);
  } catch (const std::exception& e) {
    holdWhatWasRead();
    return fail(std::string("the change failed: ") + e.what());
  }
  Preference::Update done;
  if (!force && doc == base) {
    holdWhatWasRead();
    return done;
  }

  if (doc.is_object()) doc[kVersionKey] = platform::mainBundleShortVersion();
  const Result<std::string> bytes = serializeJsonDocument(doc);
  if (!bytes) {
    Log(kind.serialiseFailedFormat, bytes.error());
    holdWhatWasRead();
    return fail(bytes.error());
  }
  if (mustSetAside || found.state == State::kPartial) {
    const std::string why = found.reason.empty() ? "not a JSON object" : found.reason;
    Result<std::string> moved = setAside(path);
    if (!moved) {
      Log("== pref file %@ could not be read (%@) and not be moved aside: %@", path, why,
          moved.error());
      holdWhatWasRead();
      return fail(moved.error());
    }
    Log("== pref file %@ could not be read (%@); moved it to %@", path, why, *moved);
    done.setAsidePath = std::move(*moved);
  }
  const Status written = writeFileAtomically(path, *bytes);
  if (!written) {
    Log(kind.writeFailedFormat, written.error());
    holdWhatWasRead();
    return fail(written.error());
  }
  held = std::move(doc);
  done.written = true;
  return done;
}

// Posts the preference notification after a write; the status says whether
// it went out.
Status postNotification(const std::string& name) {
  if (platform::notify_post(name.c_str()) == platform::NOTIFY_STATUS_OK) return {};
  Log("== preference notification not posted: %@", name);
  return fail("cannot post " + name);
}

Json objectOr(Json loaded, Json fallback) {
  return loaded.is_object() ? std::move(loaded) : std::move(fallback);
}

}  // namespace

Preference::Preference() {
  std::error_code ignored;
  fs::create_directories(dataDirectoryPath(), ignored);
  pref_ = objectOr(load(), defaultPref());
  mpPref_ = objectOr(loadMPPref(), defaultMPPref());
}

namespace {

// The process-wide instance: made once under the mutex, then read without it.
// It lives until the process ends (or a test resets it).
struct SharedPreference {
  std::mutex mutex;
  std::atomic<Preference*> instance{nullptr};
};

SharedPreference& sharedPreference() {
  static SharedPreference* const state = new SharedPreference();  // never destroyed
  return *state;
}

}  // namespace

Preference& Preference::sharedInstance() {
  SharedPreference& shared = sharedPreference();
  if (Preference* instance = shared.instance.load(std::memory_order_acquire)) return *instance;
  std::lock_guard lock(shared.mutex);
  Preference* instance = shared.instance.load(std::memory_order_relaxed);
  if (instance == nullptr) {
    instance = new Preference();
    shared.instance.store(instance, std::memory_order_release);
  }
  return *instance;
}

void Preference::resetSharedInstanceForTesting() {
  SharedPreference& shared = sharedPreference();
  {
    std::lock_guard lock(shared.mutex);
    delete shared.instance.exchange(nullptr, std::memory_order_acq_rel);
  }
  resetMigrationForTesting();
}

std::unique_ptr<Preference> Preference::makeForTesting() {
  return std::unique_ptr<Preference>(new Preference());
}

void Preference::resetMigrationForTesting() {
  std::lock_guard lock(migration().mutex);
  migration().done = false;
}

Result<Preference::Update> Preference::update(const std::function<void(Json&)>& change,
                                              Announce announce) {
  migrate();
  Result<Update> done = updateDocument(pref_, prefFilePath(), kMainDocument, change, false);
  if (done && done->written && announce == Announce::kPost)
    done->announced = postNotification(kPreferenceUpdatedNotification);
  return done;
}

Result<Preference::Update> Preference::updateMPPref(const std::function<void(Json&)>& change) {
  return updateDocument(mpPref_, mpPrefFilePath(), kMPDocument, change, false);
}

bool Preference::reload() {
  bool changed = false;
  const auto refresh = [&changed](Json& held, const std::string& path, Json (*fallback)()) {
    DocumentOnDisk found = readDocumentFile(path);
    Json doc;
    if (found.state == DocumentOnDisk::State::kMissing) {
      doc = fallback();
    } else if ((found.state == DocumentOnDisk::State::kRead ||
                found.state == DocumentOnDisk::State::kPartial) &&
               found.doc.is_object()) {
      doc = std::move(found.doc);
    } else {
      return;
    }
    if (doc != held) {
      held = std::move(doc);
      changed = true;
    }
  };
  migrate();
  refresh(pref_, prefFilePath(), &defaultPref);
  refresh(mpPref_, mpPrefFilePath(), &defaultMPPref);
  return changed;
}

void Preference::save() {
  const Json whole = pref_;
  const Result<Update> done = updateDocument(
      pref_, prefFilePath(), kMainDocument, [&whole](Json& doc) { doc = whole; }, true);
  if (done && done->written) (void)postNotification(kPreferenceUpdatedNotification);
}

void Preference::saveOnly() {
  const Json whole = pref_;
  (void)updateDocument(
      pref_, prefFilePath(), kMainDocument, [&whole](Json& doc) { doc = whole; }, true);
}

void Preference::saveMPPref() {
  const Json whole = mpPref_;
  (void)updateDocument(
      mpPref_, mpPrefFilePath(), kMPDocument, [&whole](Json& doc) { doc = whole; }, true);
}

Json Preference::load() {
  migrate();
  return readDocument(prefFilePath()).value_or(defaultPref());
}

Json Preference::loadMPPref() {
  return readDocument(mpPrefFilePath()).value_or(defaultMPPref());
}

void Preference::migrate() {
  Migration& state = migration();
  std::lock_guard lock(state.mutex);
  if (state.done) return;
  state.done = true;
  const std::string former = formerPrefFilePath();
  const std::string current = prefFilePath();
  std::error_code ec;
  // Only a file is moved: a folder at the former path is no document.
  if (!fs::is_regular_file(former, ec) || fs::exists(fs::symlink_status(current, ec))) return;
  fs::create_directories(dataDirectoryPath(), ec);
  moveUnlessTaken(former, current);
}

std::string Preference::mpPrefFilePath() {
  const auto proxy =
      platform::LSBundleProxy::bundleProxyForIdentifier(kMobilePhoneBundleIdentifier);
  if (!proxy) return {};
  return stringWithFormat("%@/%@/%@", proxy->dataContainerURL(), kDocumentsFolderName,
                          kMPPrefFileName);
}

std::string Preference::dataDirectoryPath() {
  return platform::devicePath(kDataDirectoryPath);
}

std::string Preference::prefFilePath() {
  return platform::devicePath(kPrefFilePath);
}

std::string Preference::formerPrefFilePath() {
  return platform::devicePath(kFormerPrefFilePath);
}
