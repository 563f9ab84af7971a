// The platform's caller-identification database, opened read-only once and
// kept open for the life of the process. The query is prepared once per
// connection and reset after every lookup, so that no read transaction stays
// open between calls.
#pragma once

#include <optional>
#include <string>

#include "hushgate/screening/sqlite_handles.h"

class CallerLabelDatabase {
 public:
  // Not open yet; the file is looked for on the first lookup.
  explicit CallerLabelDatabase(std::string path);
  ~CallerLabelDatabase();
  CallerLabelDatabase(const CallerLabelDatabase&) = delete;
  CallerLabelDatabase& operator=(const CallerLabelDatabase&) = delete;

  // kCallDirectoryDatabasePath under the device root.
  static std::string defaultPath();

  // Opens the file read-only if a regular file is there (links followed),
  // replacing any connection held before. A file that exists but cannot be
  // opened leaves a connection that answers no query; it is not tried again.
  void open();
  // open() was called on a regular file.
  bool isOpen() const { return opened_; }

  // The label of a normalised number (looked up under callerLabelLookupKey),
  // or none. Looks for the file first when no connection was made yet, and
  // finds no label while it does not exist. Once connected, every lookup runs
  // the query and logs "== label found in db: %@". A locked, corrupt or
  // foreign file gives no label at once (no busy timeout); a label that is
  // NULL or not UTF-8 text counts as none. Never throws.
  std::optional<std::string> lookupCallerLabel(const std::string& normalisedNumber);

 private:
  // The connection's prepared query; prepared on first use and again after a
  // failed prepare (a locked or not yet readable file), never across
  // connections.
  sqlite3_stmt* statement();

  std::string path_;
  SqliteConnection db_;
  SqliteStatement query_;  // declared after db_: finalised before it is closed
  bool opened_ = false;
};

// The query, exactly as the phone runs it.
extern const char* const kCallerLabelQuery;
