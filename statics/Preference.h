// The preference store: the main document read by the screening tweak and
// written by the settings application, and the Phone-side document.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

using Json = nlohmann::json;

class Preference {
 public:
  // The process-wide instance; created on first use under a once-only guard.
  // Creating it makes the data directory and loads both documents.
  static Preference& sharedInstance();

  // The main document; callers change it in place, then save or saveOnly.
  Json& pref() { return pref_; }
  // The Phone-side document; changed in place, then saveMPPref.
  Json& mpPref() { return mpPref_; }

  // Stamps "version", writes the main document atomically and posts
  // "com.tevrin.hushgate.preference-updated".
  void save();
  // Stamps "version" and writes the main document atomically; posts nothing.
  void saveOnly();
  // Stamps "version" and writes the Phone-side document atomically; posts nothing.
  void saveMPPref();

  // Migrates once per process, then reads the main document; the default main
  // document when it is missing, unreadable or not JSON. The parsed value is
  // returned unchecked: it may be any JSON value.
  static Json load();
  // Reads the Phone-side document; its default when that fails.
  static Json loadMPPref();
  // Moves the main document from its former location, once per process.
  static void migrate();
  // The Phone-side document's path in the Phone application's container.
  static std::string mpPrefFilePath();

  // The paths and defaults of the documents.
  static std::string dataDirectoryPath();   // "/var/mobile/hushgate"
  static std::string prefFilePath();        // ".../hushgate/hushgate-pref.json"
  static std::string formerPrefFilePath();  // "/var/mobile/hushgate-pref.json"
  static Json defaultPref();
  static Json defaultMPPref();

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
// another JSON type reads as false, empty text or an empty list.
bool prefBool(const Json& doc, const char* key);
const Json& prefArray(const Json& doc, const char* key);  // an array or an empty array
std::string jsonString(const Json& value);                // a string or ""
