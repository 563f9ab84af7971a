// The preference store: the main document read by the screening tweak and
// written by the settings application, and the Phone-side document.
//
// Main document "/var/mobile/hushgate/hushgate-pref.json" (a JSON object; every
// key optional): "enabled", "block-unknown-enabled", "bypass-contacts-enabled"
// (booleans); "blacklist" and "ignored-prefixes" (arrays of [pattern,
// expression, comment]); "keywords", "blocked-groups",
// "blocked-cities-flattened", "mobile-blocked-groups",
// "mobile-blocked-cities-flattened" (arrays of strings); "blocked-cities",
// "mobile-blocked-cities" (objects: group -> array of city keys); "version".
// Phone-side document "<Phone container>/Documents/hushgate-pref.json":
// "mp-injection-enabled" (boolean) and "version".
//
// Files are written compactly in UTF-8 and replaced atomically.
#pragma once

#include <memory>
#include <nlohmann/json.hpp>
#include <string>

using Json = nlohmann::json;

class Preference {
 public:
  // The process-wide instance; created on first use under a once-only guard,
  // safe to call from any thread. Creating it makes the data directory and
  // loads both documents. The documents it holds are always JSON objects: a
  // file that parses to anything else (a top-level array, a number, null) is
  // taken like an unreadable one, and the default document stands in for it.
  static Preference& sharedInstance();

  // The main document; callers change it in place, then save or saveOnly.
  // Only the main thread touches it (no lock).
  Json& pref() { return pref_; }
  // The Phone-side document; changed in place, then saveMPPref.
  Json& mpPref() { return mpPref_; }

  // Stamps "version", writes the main document atomically and posts
  // "com.tevrin.hushgate.preference-updated" (also when the write failed; not
  // when the document could not be serialised). Failures are logged.
  void save();
  // Stamps "version" and writes the main document atomically; posts nothing.
  void saveOnly();
  // Stamps "version" and writes the Phone-side document atomically, creating
  // the container's "Documents" folder when missing; posts nothing.
  void saveMPPref();
  // The saves stamp "version" (platform::mainBundleShortVersion()) only into a
  // document that is a JSON object; a document that a caller replaced with
  // another JSON value is written as it is.

  // Migrates once per process, then reads the main document; the default main
  // document when it is missing, unreadable or not JSON. The parsed value is
  // returned unchecked: it may be any JSON value (read it with the helpers
  // below).
  static Json load();
  // Reads the Phone-side document; its default when that fails.
  static Json loadMPPref();
  // Moves the main document from its former location when only that exists.
  // Acts once per process (thread-safe; later calls return at once).
  static void migrate();
  // The Phone-side document's path in the Phone application's container.
  static std::string mpPrefFilePath();

  // The paths and defaults of the documents.
  static std::string dataDirectoryPath();   // "/var/mobile/hushgate"
  static std::string prefFilePath();        // ".../hushgate/hushgate-pref.json"
  static std::string formerPrefFilePath();  // "/var/mobile/hushgate-pref.json"
  static Json defaultPref();
  static Json defaultMPPref();

  // For tests only: an instance made as sharedInstance() makes its own (under
  // the current device root), independent of the process-wide one; and a
  // migration flag set back so that the next migrate() acts again.
  static std::unique_ptr<Preference> makeForTesting();
  static void resetMigrationForTesting();
  // For tests only: destroys the process-wide instance and sets the migration
  // flag back, so that the next sharedInstance() makes a new one as at process
  // start (under the device root then in force). No reference to the old
  // instance may be used afterwards, and no other thread may be using it.
  static void resetSharedInstanceForTesting();

  Preference(const Preference&) = delete;
  Preference& operator=(const Preference&) = delete;

 private:
  Preference();
  Json pref_;
  Json mpPref_;
};

// Notification posted by save().
inline constexpr const char* kPreferenceUpdatedNotification =
    "com.tevrin.hushgate.preference-updated";

// Reading values of a document of any shape: a missing key or a value of
// another JSON type (also when doc itself is not an object) reads as false,
// empty text or an empty list.
bool prefBool(const Json& doc, const char* key);
// prefArray refers into doc, or to a shared empty array.
const Json& prefArray(const Json& doc, const char* key);  // an array or an empty array
std::string jsonString(const Json& value);                // a string or ""
