#include "statics/Preference.h"

#include <fcntl.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <optional>

#include "platform/bundle.h"
#include "platform/notify.h"
#include "platform/paths.h"
#include "statics/Log.h"
#include "statics/atomic_file.h"
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

std::optional<Json> readDocument(const std::string& path) {
  const std::optional<std::string> bytes = readWholeFile(path);
  if (!bytes) return std::nullopt;
  return parseJsonDocument(*bytes);
}

// Moves from to to unless to exists; errors are ignored.
void moveUnlessTaken(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return;
  if (errno == EINVAL || errno == ENOSYS) (void)std::rename(from.c_str(), to.c_str());
}

// Stamps, serialises and writes one document. Returns false when it could not
// be serialised (nothing was written), true once a write was attempted.
bool writeDocument(Json& doc, const std::string& path, const char* serialiseFailedFormat,
                   const char* writeFailedFormat) {
  if (doc.is_object()) doc[kVersionKey] = platform::mainBundleShortVersion();
  const Result<std::string> bytes = serializeJsonDocument(doc);
  if (!bytes) {
    Log(serialiseFailedFormat, bytes.error());
    return false;
  }
  const Status written = writeFileAtomically(path, *bytes);
  if (!written) Log(writeFailedFormat, written.error());
  return true;
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

void Preference::save() {
  if (writeDocument(pref_, prefFilePath(), "== pref to json failed: %@",
                    "== pref json write to file failed: %@")) {
    platform::notify_post(kPreferenceUpdatedNotification);
  }
}

void Preference::saveOnly() {
  writeDocument(pref_, prefFilePath(), "== pref to json failed: %@",
                "== pref json write to file failed: %@");
}

void Preference::saveMPPref() {
  const std::string path = mpPrefFilePath();
  // The Phone application may not have made its Documents folder yet; writing
  // into a missing folder would lose the setting.
  std::error_code ignored;
  fs::create_directories(fs::path(path).parent_path(), ignored);
  writeDocument(mpPref_, path, "== mppref to json failed: %@",
                "== mppref json write to file failed: %@");
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
