// The preference store: the one reader and writer of the two preference
// documents. Where they lie: statics/contracts/names.h (kPrefFilePath,
// kMPPrefFileName); their keys, shapes and defaults:
// statics/contracts/pref_document.h.
//
// Files are written compactly in UTF-8 and replaced atomically.
//
// Several processes write the main document (the settings window, its URL
// handler, the tools), so every change is a read-modify-write of the file
// under its lock (statics/file_lock.h): update() reads the document as it is
// on disk, applies the one change, writes it and only then announces it. A
// document that exists but cannot be read is never replaced: it is moved
// aside first (kSetAsideSuffixFormat) and the update says where it went.
//
//   Result<Preference::Update> done = Preference::sharedInstance().update(
//       [](Json& pref) { pref[kEnabledKey] = true; });
//   if (!done) ... nothing was written: done.error() says why
//   else if (!done->announced) ... written, but the screening may not know yet
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "statics/contracts/names.h"
#include "statics/contracts/pref_document.h"
#include "statics/result.h"

class Preference {
 public:
  // The process-wide instance; created on first use under a once-only guard,
  // safe to call from any thread. Creating it makes the data directory and
  // loads both documents. The documents it holds are always JSON objects: a
  // file that parses to anything else (a top-level array, a number, null) is
  // taken like an unreadable one, and the default document stands in for it.
  static Preference& sharedInstance();

  // The main document as last read or written by this instance. Only the
  // main thread touches it (no lock).
  Json& pref() { return pref_; }
  // The Phone-side document, held the same way.
  Json& mpPref() { return mpPref_; }

  // Whether an update that wrote posts kPreferenceUpdatedNotification. A
  // change that cannot affect screening (a comment) is written quietly.
  enum class Announce { kPost, kQuiet };

  // What one update did.
  struct Update {
    // The change altered the document and it was written. False when the
    // change left it as it was: then nothing was written or posted.
    bool written = false;
    // After a write with Announce::kPost: whether the notification was
    // posted where the screening listens. A failure means the document is
    // saved but a running screening may not have the change yet.
    Status announced;
    // Where the document that stood at the path was moved before the write,
    // because it could not be read, or only in part (members nested too deep
    // are left out); "" when nothing was moved.
    std::string setAsidePath;
  };

  // One change of the main document: takes its lock, reads the document as
  // it is on disk (the default document when there is none; pref() when it
  // cannot be read), applies change to it, and when that altered it stamps
  // kVersionKey, moves an unreadable document aside, writes atomically,
  // unlocks and posts (Announce::kPost). pref() then holds what was
  // written, or what was read when nothing was. Fails, writing and posting
  // nothing, when the document cannot be locked, serialised, moved aside or
  // written (a folder at its path, no space, a file-size limit); failures are
  // logged. Usable from any process (no window, no main queue needed), by
  // one thread at a time.
  [[nodiscard]] Result<Update> update(const std::function<void(Json& pref)>& change,
                                      Announce announce = Announce::kPost);
  // The same for the Phone-side document, whose folder is made when missing;
  // posts nothing.
  [[nodiscard]] Result<Update> updateMPPref(const std::function<void(Json& mpPref)>& change);

  // Reads both documents again, after another process changed them: a
  // missing document reads as its default; one that cannot be read leaves
  // what is held. Returns whether pref() or mpPref() changed.
  bool reload();

  // Write pref() or mpPref() whole, as held, through the same locked write
  // as update (and so with the same setting aside); for code that changed
  // the held document in place. save posts kPreferenceUpdatedNotification
  // after a successful write; saveOnly and saveMPPref post nothing.
  // Failures are logged.
  void save();
  void saveOnly();
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
