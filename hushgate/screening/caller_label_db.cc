#include "hushgate/screening/caller_label_db.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include <sqlite3.h>

#include "statics/screening/screening.h"
#include "hushgate/screening/sqlite_handles.h"
#include "platform/paths.h"
#include "statics/Log.h"
#include "statics/contracts/names.h"
#include "statics/utf8.h"

// clang-format off
const char* const kCallerLabelQuery =
    "select localized_label from                       (select * from                        (select id from PhoneNumber where number = ?) as A                        left join PhoneNumberIdentificationEntry as B on A.id = B.phone_number_id) as C                       left join Label as L where L.id = C.label_id";
// clang-format on

namespace {

// The database is opened only when a regular file (links followed) is
// there: SQLite would wait on a FIFO for a writer that never comes.
bool isRegularFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

// Hands the statement back reset, with its binding cleared, whatever the
// lookup did: a statement left on a row would hold the read lock.
struct ResetOnExit {
  sqlite3_stmt* statement;
  ~ResetOnExit() {
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
  }
};

// Column 0 of the first row as text; none without a row, for NULL, for text
// that is not UTF-8 and for any error.
std::optional<std::string> queryLabel(sqlite3_stmt* statement, const std::string& key) {
  if (statement == nullptr) return std::nullopt;
  const ResetOnExit reset{statement};
  if (sqlite3_bind_text(statement, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC) !=
          SQLITE_OK ||
      sqlite3_step(statement) != SQLITE_ROW) {
    return std::nullopt;
  }
  const unsigned char* text = sqlite3_column_text(statement, 0);
  const int length = sqlite3_column_bytes(statement, 0);
  if (text == nullptr) return std::nullopt;
  std::string label(reinterpret_cast<const char*>(text), static_cast<size_t>(length));
  if (!isWellFormedUtf8(label)) return std::nullopt;
  return label;
}

}  // namespace

CallerLabelDatabase::CallerLabelDatabase(std::string path) : path_(std::move(path)) {}

CallerLabelDatabase::~CallerLabelDatabase() = default;

std::string CallerLabelDatabase::defaultPath() {
  return platform::devicePath(kCallDirectoryDatabasePath);
}

void CallerLabelDatabase::open() {
  if (!isRegularFile(path_)) return;
  query_.reset();
  db_.reset();
  opened_ = true;
  sqlite3* raw = nullptr;
  const int status = sqlite3_open_v2(path_.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
  // A failed open still hands back a handle to release; the connection then
  // stays empty and answers no query.
  SqliteConnection connection(raw);
  if (status == SQLITE_OK) db_ = std::move(connection);
}

std::optional<std::string> CallerLabelDatabase::lookupCallerLabel(
    const std::string& normalisedNumber) {
  if (!opened_) {
    open();
    if (!opened_) return std::nullopt;
  }
  std::optional<std::string> label =
      queryLabel(statement(), callerLabelLookupKey(normalisedNumber));
  Log("== label found in db: %@", label);
  return label;
}

sqlite3_stmt* CallerLabelDatabase::statement() {
  if (query_ == nullptr && db_ != nullptr) {
    sqlite3_stmt* raw = nullptr;
    const int status = sqlite3_prepare_v3(db_.get(), kCallerLabelQuery, -1,
                                          SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
    SqliteStatement prepared(raw);
    if (status == SQLITE_OK) query_ = std::move(prepared);
  }
  return query_.get();
}
