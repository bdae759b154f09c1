#pragma once

// The SQLite handle behind vxdb::Database and the statement wrapper shared by the library's
// reading and writing code.

#include <sqlite3.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vxdb {

// A failed SQLite call; `code` is SQLite's primary result code, which decides the message the
// reader gives.
class SqliteError : public std::runtime_error {
 public:
  SqliteError(const std::string& what, int code, std::string reason)
      : std::runtime_error(what), code_(code), reason_(std::move(reason)) {}
  int code() const { return code_; }
  // SQLite's own words, without the statement.
  const std::string& reason() const { return reason_; }

 private:
  int code_;
  std::string reason_;
};

class Database {
 public:
  Database(sqlite3* handle, std::string file) : handle_(handle), file_(std::move(file)) {}
  ~Database() { sqlite3_close_v2(handle_); }
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  sqlite3* handle() const { return handle_; }
  const std::string& file() const { return file_; }

  [[noreturn]] void fail(const std::string& action) const {
    const std::string reason = sqlite3_errmsg(handle_);
    throw SqliteError("Project database " + file_ + ": " + action + " failed: " + reason,
                      sqlite3_errcode(handle_) & 0xff, reason);
  }
  void execute(const char* sql) {
    if (sqlite3_exec(handle_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) fail(sql);
  }

 private:
  sqlite3* handle_;
  std::string file_;  // absolute, UTF-8
};

class Statement {
 public:
  Statement(Database& db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db.handle(), sql, -1, &statement_, nullptr) != SQLITE_OK) db.fail(sql);
  }
  ~Statement() { sqlite3_finalize(statement_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& bind(int index, std::int64_t value) {
    sqlite3_bind_int64(statement_, index, value);
    return *this;
  }
  Statement& bind(int index, const std::string& value) {
    sqlite3_bind_text(statement_, index, value.c_str(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    return *this;
  }
  // True while rows come; throws on errors (a corrupt page shows only here).
  bool step() {
    int result = sqlite3_step(statement_);
    if (result == SQLITE_ROW) return true;
    if (result != SQLITE_DONE) db_.fail(sqlite3_sql(statement_));
    return false;
  }
  std::int64_t integer(int column) const { return sqlite3_column_int64(statement_, column); }
  std::string text(int column) const {
    const unsigned char* value = sqlite3_column_text(statement_, column);
    return value ? reinterpret_cast<const char*>(value) : "";
  }
  // SQLite's storage class of the value in `column` of the current row (SQLITE_INTEGER, ...).
  int storageClass(int column) const { return sqlite3_column_type(statement_, column); }

 private:
  Database& db_;
  sqlite3_stmt* statement_ = nullptr;
};

// Both databases share this schema: resources.vxdb fills `resources`, chronicle.vxdb fills `runs`
// and `run_resources`. Readers check a file against it.
constexpr const char* kSchema = R"sql(
  CREATE TABLE IF NOT EXISTS vxdb_info(key TEXT PRIMARY KEY, value TEXT NOT NULL);
  INSERT OR IGNORE INTO vxdb_info(key, value) VALUES('schema', '1');
  CREATE TABLE IF NOT EXISTS resources(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    path TEXT NOT NULL,
    type INTEGER NOT NULL,
    process INTEGER NOT NULL,
    epoch INTEGER NOT NULL);
  CREATE TABLE IF NOT EXISTS runs(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    process INTEGER NOT NULL,
    epoch INTEGER NOT NULL);
  CREATE TABLE IF NOT EXISTS run_resources(
    run INTEGER NOT NULL REFERENCES runs(id),
    resource INTEGER NOT NULL,
    effect TEXT NOT NULL CHECK(effect IN ('created', 'invalidated')));
  CREATE INDEX IF NOT EXISTS run_resources_by_resource ON run_resources(resource);
)sql";

// `utf8Path` made absolute and lexically normal; unchanged when that fails.
std::string absoluteUtf8(const std::string& utf8Path);

// The messages readers give: each names the file and says what to do.
namespace messages {
// A SQLite failure while reading `file`, by its result code.
std::string readFailure(const std::string& file, int code, const std::string& detail);
std::string wrongValues(const std::string& file, const std::string& table, const std::string& row,
                        const std::string& problem);
std::string moreRowsSkipped(const std::string& file, std::size_t count);
}  // namespace messages

}  // namespace vxdb
