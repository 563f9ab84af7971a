// The preference store: the one reader and writer of the two preference
// documents. Where they lie: statics/contracts/names.h (kPrefFilePath,
// kMPPrefFileName); their keys, shapes and defaults:
// statics/contracts/pref_document.h.
//
// Files are written compactly in UTF-8 and replaced atomically.
#pragma once

#include <memory>
#include <string>

#include "statics/contracts/names.h"
#include "statics/contracts/pref_document.h"

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

  // Stamps kVersionKey, writes the main document atomically and posts
  // kPreferenceUpdatedNotification (also when the write failed; not
  // when the document could not be serialised). Failures are logged.
  void save();
  // Stamps kVersionKey and writes the main document atomically; posts nothing.
  void saveOnly();
  // Stamps kVersionKey and writes the Phone-side document atomically, creating
  // the container's Documents folder (kDocumentsFolderName) when missing; posts nothing.
  void saveMPPref();
  // The saves stamp kVersionKey (platform::mainBundleShortVersion()) only into a
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
  static std::string dataDirectoryPath();   // kDataDirectoryPath on the device
  static std::string prefFilePath();        // kPrefFilePath on the device
  static std::string formerPrefFilePath();  // kFormerPrefFilePath on the device
  static Json defaultPref() { return ::defaultPref(); }
  static Json defaultMPPref() { return ::defaultMPPref(); }

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
