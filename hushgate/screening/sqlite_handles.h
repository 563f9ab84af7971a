// Owning handles for SQLite connections and prepared statements.
#pragma once

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

struct SqliteConnectionCloser {
  void operator()(sqlite3* db) const;  // sqlite3_close_v2
};
struct SqliteStatementFinalizer {
  void operator()(sqlite3_stmt* statement) const;  // sqlite3_finalize
};

using SqliteConnection = std::unique_ptr<sqlite3, SqliteConnectionCloser>;
using SqliteStatement = std::unique_ptr<sqlite3_stmt, SqliteStatementFinalizer>;
