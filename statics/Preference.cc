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

constexpr const char* kPhoneApplication = "com.apple.mobilephone";
constexpr const char* kPrefFileName = "hushgate-pref.json";

// The migration flag: set by the first migrate() of the process, whatever that
// call achieved. The mutex makes concurrent first calls wait for the one that
// acts, and lets tests set the flag back.
struct Migration {
  std::mutex mutex;
  bool done = false;
};

Migration& migration() {
  static Migration state;
  return state;
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
  if (doc.is_object()) doc["version"] = platform::mainBundleShortVersion();
  std::string error;
  const std::optional<std::string> bytes = serializeJsonDocument(doc, error);
  if (!bytes) {
    Log(serialiseFailedFormat, error);
    return false;
  }
  error = writeFileAtomically(path, *bytes);
  if (!error.empty()) Log(writeFailedFormat, error);
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
  static SharedPreference* state = new SharedPreference();
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
  const auto proxy = platform::LSBundleProxy::bundleProxyForIdentifier(kPhoneApplication);
  if (!proxy) return {};
  return stringWithFormat("%@/Documents/%@", proxy->dataContainerURL(), kPrefFileName);
}

std::string Preference::dataDirectoryPath() {
  return platform::devicePath("/var/mobile/hushgate");
}

std::string Preference::prefFilePath() {
  return platform::devicePath("/var/mobile/hushgate/hushgate-pref.json");
}

std::string Preference::formerPrefFilePath() {
  return platform::devicePath("/var/mobile/hushgate-pref.json");
}

Json Preference::defaultPref() {
  Json pref = Json::object();
  pref["bypass-contacts-enabled"] = true;
  pref["block-unknown-enabled"] = true;
  pref["ignored-prefixes"] =
      Json::array({Json::array({"12583?", "^12583\\d\\d+", "中国移动和多号"})});
  pref["keywords"] =
      Json::array({"响一声", "广告", "推销", "骚扰", "诈骗", "保险", "理财", "房产中介"});
  return pref;
}

Json Preference::defaultMPPref() {
  Json pref = Json::object();
  pref["mp-injection-enabled"] = true;
  return pref;
}

bool prefBool(const Json& doc, const char* key) {
  if (key == nullptr || !doc.is_object()) return false;
  const auto it = doc.find(key);
  return it != doc.end() && it->is_boolean() && it->get<bool>();
}

const Json& prefArray(const Json& doc, const char* key) {
  static const Json kEmpty = Json::array();
  if (key == nullptr || !doc.is_object()) return kEmpty;
  const auto it = doc.find(key);
  return it != doc.end() && it->is_array() ? *it : kEmpty;
}

std::string jsonString(const Json& value) {
  return value.is_string() ? value.get_ref<const std::string&>() : std::string();
}
