#include "hushgate/screening/caller_label_db.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <sqlite3.h>

#include "hushgate/screening/sqlite_handles.h"
#include "support/temp_root.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kDatabase = "/var/mobile/Library/CallDirectory/CallDirectory.db";
constexpr const char* kLogFile = "/var/mobile/hushgate.log";

SqliteConnection openForWriting(const std::string& path) {
  fs::create_directories(fs::path(path).parent_path());
  sqlite3* raw = nullptr;
  const int status =
      sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  SqliteConnection db(raw);
  EXPECT_EQ(status, SQLITE_OK);
  return db;
}

void exec(sqlite3* db, const std::string& sql) {
  char* error = nullptr;
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
      << (error ? error : "") << "\n"
      << sql;
  sqlite3_free(error);
}

// A caller-identification database with the tables the query reads; labels
// are given by lookup key. A label of std::nullopt is stored as NULL.
void makeLabelDatabase(
    const std::string& path,
    const std::vector<std::pair<std::string, std::optional<std::string>>>& rows) {
  SqliteConnection db = openForWriting(path);
  exec(db.get(),
       "CREATE TABLE PhoneNumber (id INTEGER PRIMARY KEY, number INTEGER NOT NULL UNIQUE);"
       "CREATE TABLE Label (id INTEGER PRIMARY KEY, localized_label TEXT);"
       "CREATE TABLE PhoneNumberIdentificationEntry (phone_number_id INTEGER NOT NULL,"
       " label_id INTEGER NOT NULL, PRIMARY KEY (phone_number_id, label_id));");
  int id = 0;
  for (const auto& [key, label] : rows) {
    ++id;
    const std::string n = std::to_string(id);
    exec(db.get(), "INSERT INTO PhoneNumber VALUES (" + n + ", " + key + ");");
    const std::string text = label ? "'" + *label + "'" : "NULL";
    exec(db.get(), "INSERT INTO Label VALUES (" + n + ", " + text + ");");
    exec(db.get(), "INSERT INTO PhoneNumberIdentificationEntry VALUES (" + n + ", " + n + ");");
  }
  // A number listed without an identification entry.
  exec(db.get(), "INSERT INTO PhoneNumber VALUES (9999, 8613700000000);");
}

class CallerLabelDatabaseTest : public ::testing::Test {
 protected:
  std::string path() const { return root_.at(kDatabase); }
  void makeDefaultDatabase() const {
    makeLabelDatabase(path(), {{"8613800138000", "快递"},
                               {"8675512345678", "诈骗电话"},
                               {"10086", "中国移动"},
                               {"95555", "Bank"},
                               {"8613600000000", std::nullopt}});
  }

  testing_support::TempDeviceRoot root_;
};

TEST_F(CallerLabelDatabaseTest, DefaultPathIsUnderTheDeviceRoot) {
  EXPECT_EQ(CallerLabelDatabase::defaultPath(), path());
}

TEST_F(CallerLabelDatabaseTest, LooksUpByKey) {
  makeDefaultDatabase();
  CallerLabelDatabase db(CallerLabelDatabase::defaultPath());
  const struct {
    const char* number;
    std::optional<std::string> label;
  } cases[] = {
      {"13800138000", "快递"},       // key 8613800138000
      {"075512345678", "诈骗电话"},  // key 8675512345678
      {"10086", "中国移动"},         // short numbers as they are
      {"95555", "Bank"},
      {"13900000000", std::nullopt},    // not listed
      {"13700000000", std::nullopt},    // listed without a label
      {"13600000000", std::nullopt},    // label NULL
      {"8613800138000", std::nullopt},  // the key itself is not a normalised number
      {"", std::nullopt},
      {"'; drop table Label; --", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(db.lookupCallerLabel(c.number), c.label) << c.number;
  }
  EXPECT_TRUE(db.isOpen());
  EXPECT_EQ(db.lookupCallerLabel("13800138000"), "快递");  // the table is still there
}

TEST_F(CallerLabelDatabaseTest, MissingFileIsLookedForAgain) {
  CallerLabelDatabase db(path());
  EXPECT_EQ(db.lookupCallerLabel("13800138000"), std::nullopt);
  EXPECT_FALSE(db.isOpen());
  makeDefaultDatabase();
  EXPECT_EQ(db.lookupCallerLabel("13800138000"), "快递");
  EXPECT_TRUE(db.isOpen());
}

TEST_F(CallerLabelDatabaseTest, ConnectionIsKept) {
  makeDefaultDatabase();
  CallerLabelDatabase db(path());
  db.open();
  ASSERT_TRUE(db.isOpen());
  fs::remove(path());
  // The open connection still reads the file it opened.
  EXPECT_EQ(db.lookupCallerLabel("10086"), "中国移动");
}

TEST_F(CallerLabelDatabaseTest, FilesThatAreNotDatabasesGiveNoLabel) {
  const std::vector<std::pair<const char*, std::string>> files = {
      {"empty file", ""},
      {"text file", std::string(5000, 'x')},
      {"truncated header", std::string("SQLite format 3\0\x10\x00", 18)},
  };
  for (const auto& [name, bytes] : files) {
    SCOPED_TRACE(name);
    root_.write(kDatabase, bytes);
    CallerLabelDatabase db(path());
    EXPECT_EQ(db.lookupCallerLabel("13800138000"), std::nullopt);
    EXPECT_EQ(db.lookupCallerLabel("10086"), std::nullopt);
    EXPECT_TRUE(db.isOpen());
  }
}

// A folder or a FIFO at the path is no database: it is not opened (SQLite
// would wait on the FIFO for ever) and looked for again later.
TEST_F(CallerLabelDatabaseTest, WhatIsNotARegularFileIsNotOpened) {
  const std::function<void(const std::string&)> makers[] = {
      [](const std::string& at) { fs::create_directories(at); },
      [](const std::string& at) { ASSERT_EQ(::mkfifo(at.c_str(), 0600), 0); },
  };
  for (const auto& make : makers) {
    fs::remove_all(path());
    make(path());
    CallerLabelDatabase db(path());
    db.open();
    EXPECT_EQ(db.lookupCallerLabel("10086"), std::nullopt);
    EXPECT_FALSE(db.isOpen());
  }
}

TEST_F(CallerLabelDatabaseTest, LockedDatabaseAnswersAtOnce) {
  makeDefaultDatabase();
  SqliteConnection writer = openForWriting(path());
  exec(writer.get(), "BEGIN EXCLUSIVE;");
  CallerLabelDatabase db(path());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(db.lookupCallerLabel("13800138000"), std::nullopt);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
  exec(writer.get(), "COMMIT;");
  EXPECT_EQ(db.lookupCallerLabel("13800138000"), "快递");
}

TEST_F(CallerLabelDatabaseTest, LabelThatIsNotUtf8IsNone) {
  makeDefaultDatabase();
  {
    SqliteConnection writer = openForWriting(path());
    exec(writer.get(), "UPDATE Label SET localized_label = CAST(X'E5B9FF' AS TEXT) WHERE id = 1;");
  }
  CallerLabelDatabase db(path());
  EXPECT_EQ(db.lookupCallerLabel("13800138000"), std::nullopt);
}

TEST_F(CallerLabelDatabaseTest, LogsEachQuery) {
  root_.write(kLogFile, "");
  CallerLabelDatabase db(path());
  db.lookupCallerLabel("10086");  // no file yet: no query, no line
  EXPECT_EQ(root_.read(kLogFile), "");
  makeDefaultDatabase();
  db.lookupCallerLabel("10086");
  db.lookupCallerLabel("10010");
  const std::string log = root_.read(kLogFile);
  EXPECT_NE(log.find(" == label found in db: 中国移动\n"), std::string::npos) << log;
  EXPECT_NE(log.find(" == label found in db: (null)\n"), std::string::npos) << log;
}

// The statement is kept between lookups but reset after each: no lookup
// leaves a read lock that would keep the platform's writer out.
TEST_F(CallerLabelDatabaseTest, LookupsLeaveNoLockBehind) {
  makeDefaultDatabase();
  CallerLabelDatabase db(path());
  SqliteConnection writer = openForWriting(path());
  const struct {
    const char* number;
    std::optional<std::string> label;
  } cases[] = {
      {"10086", "中国移动"},
      {"13900000000", std::nullopt},
      {"13600000000", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(db.lookupCallerLabel(c.number), c.label) << c.number;
    EXPECT_EQ(sqlite3_exec(writer.get(), "BEGIN EXCLUSIVE; UPDATE Label SET id = id; COMMIT;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK)
        << c.number;
  }
  EXPECT_EQ(db.lookupCallerLabel("95555"), "Bank");
}

// A file put in place of the one opened is read once the connection is made
// again, with a statement of its own.
TEST_F(CallerLabelDatabaseTest, ReopeningReadsTheReplacedFile) {
  makeDefaultDatabase();
  CallerLabelDatabase db(path());
  EXPECT_EQ(db.lookupCallerLabel("10086"), "中国移动");
  const std::string next = path() + ".next";
  makeLabelDatabase(next, {{"10086", "新标签"}});
  fs::rename(next, path());
  const struct {
    bool reopen;
    const char* label;
  } steps[] = {{false, "中国移动"}, {true, "新标签"}, {false, "新标签"}};
  for (const auto& step : steps) {
    if (step.reopen) db.open();
    EXPECT_EQ(db.lookupCallerLabel("10086"), step.label) << step.reopen;
  }
}

// The query runs on indexes alone, on the platform's tables and on the
// example database the scripts make: no step scans a table.
TEST_F(CallerLabelDatabaseTest, QueryPlanUsesIndexes) {
  makeDefaultDatabase();
  std::ifstream in(HUSHGATE_CALLER_ID_SQL);
  const std::string example((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(example.empty());
  const std::string examplePath = root_.at("/example.db");
  exec(openForWriting(examplePath).get(), example);
  for (const std::string& database : {path(), examplePath}) {
    SqliteConnection db = openForWriting(database);
    sqlite3_stmt* raw = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db.get(),
                                 ("EXPLAIN QUERY PLAN " + std::string(kCallerLabelQuery)).c_str(),
                                 -1, &raw, nullptr),
              SQLITE_OK);
    const SqliteStatement plan(raw);
    std::vector<std::string> steps;
    while (sqlite3_step(raw) == SQLITE_ROW) {
      steps.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(raw, 3)));
    }
    ASSERT_EQ(steps.size(), 3u) << database;
    for (const std::string& step : steps) {
      EXPECT_EQ(step.rfind("SEARCH ", 0), 0u) << database << ": " << step;
    }
  }
}

}  // namespace
