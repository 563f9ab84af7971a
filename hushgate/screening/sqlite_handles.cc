#include "hushgate/screening/sqlite_handles.h"

#include <sqlite3.h>

void SqliteConnectionCloser::operator()(sqlite3* db) const {
  sqlite3_close_v2(db);
}

void SqliteStatementFinalizer::operator()(sqlite3_stmt* statement) const {
  sqlite3_finalize(statement);
}
