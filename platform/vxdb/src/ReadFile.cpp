// Opening a project database for reading, and the messages of everything that can be wrong with
// it. Projects come from other people and other machines, so every way a file can be unusable ends
// in a sentence that names the file and says what to do.

#include "vxdb/Database.h"

#include "Sqlite.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

namespace vxdb {

namespace fs = std::filesystem;

namespace {

// Far above any real project (a million results take about 100 MB); a larger file is not one of
// ours, and refusing it keeps a stray disk image from being searched page by page.
constexpr std::uintmax_t kMaxDatabaseBytes = std::uintmax_t(1) << 30;

const char* const kRestore =
    " Restore it from a backup of the project, or run the processing again to rewrite it.";

std::string subject(const std::string& file) { return "The project database " + file; }

std::string joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

std::vector<std::string> column(Database& db, const char* sql, const std::string& argument = {}) {
  Statement query(db, sql);
  if (!argument.empty()) query.bind(1, argument);
  std::vector<std::string> values;
  while (query.step()) values.push_back(query.text(0));
  return values;
}

const char* const kTables =
    "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' ORDER BY name";
const char* const kColumns = "SELECT name FROM pragma_table_info(?)";

std::int64_t pragma(Database& db, const char* sql) {
  Statement query(db, sql);
  return query.step() ? query.integer(0) : 0;
}

// SQLite reads the missing end of a cut file as zeros and only notices where that breaks a page.
bool isCutShort(Database& db) {
  std::error_code error;
  const std::uintmax_t size = fs::file_size(fs::u8path(db.file()), error);
  const std::int64_t pageSize = pragma(db, "PRAGMA page_size");
  return !error && pageSize > 0 &&
         (size % std::uintmax_t(pageSize) != 0 || size < std::uintmax_t(pageSize * pragma(db, "PRAGMA page_count")));
}

// Empty when `db` holds every table and column of kSchema; otherwise what lacks.
std::string schemaProblem(Database& db) {
  sqlite3* memory = nullptr;
  sqlite3_open(":memory:", &memory);
  Database reference(memory, ":memory:");
  reference.execute(kSchema);

  std::vector<std::string> missingTables, missingColumns;
  const std::vector<std::string> present = column(db, kTables);
  for (const std::string& table : column(reference, kTables)) {
    if (std::find(present.begin(), present.end(), table) == present.end()) {
      missingTables.push_back(table);
      continue;
    }
    const std::vector<std::string> columns = column(db, kColumns, table);
    for (const std::string& name : column(reference, kColumns, table))
      if (std::find(columns.begin(), columns.end(), name) == columns.end())
        missingColumns.push_back(table + "." + name);
  }
  if (!missingTables.empty())
    return subject(db.file()) + " lacks the table" + (missingTables.size() > 1 ? "s " : " ") +
           joined(missingTables) + "; it is damaged or not a project database." + kRestore;
  if (!missingColumns.empty())
    return subject(db.file()) + " lacks the column" + (missingColumns.size() > 1 ? "s " : " ") +
           joined(missingColumns) + "; it is damaged or not a project database." + kRestore;
  return {};
}

std::string fileProblem(const std::string& file) {
  std::error_code error;
  const fs::file_status status = fs::status(fs::u8path(file), error);  // follows links
  if (!fs::exists(status)) return subject(file) + " does not exist." + kRestore;
  if (!fs::is_regular_file(status))
    return subject(file) + " is not a regular file (a folder, device or pipe stands in its place)." +
           " Remove it, then restore the file from a backup of the project.";
  const std::uintmax_t size = fs::file_size(fs::u8path(file), error);
  if (error) return messages::readFailure(file, SQLITE_CANTOPEN, error.message());
  if (size == 0) return subject(file) + " is empty." + kRestore;
  if (size > kMaxDatabaseBytes)
    return subject(file) + " is " + std::to_string(size >> 20) + " MB, larger than a project database can be (" +
           std::to_string(kMaxDatabaseBytes >> 20) + " MB); it is damaged or not a project database." + kRestore;
  return {};
}

}  // namespace

std::string absoluteUtf8(const std::string& utf8Path) {
  std::error_code error;
  fs::path path = fs::absolute(fs::u8path(utf8Path), error);
  return (error ? fs::u8path(utf8Path) : path.lexically_normal()).u8string();
}

namespace messages {

std::string readFailure(const std::string& file, int code, const std::string& detail) {
  switch (code) {
    case SQLITE_NOTADB:
      return subject(file) + " is not an SQLite database." + kRestore;
    case SQLITE_CORRUPT:
      return subject(file) + " is damaged (" + detail + ")." + kRestore;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return subject(file) + " is locked by another program. Wait until the processing that writes it has " +
             "finished, then open the project again.";
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
      return subject(file) + " cannot be opened (" + detail + "). Check that you may read the file and its folder.";
    default:
      return subject(file) + " could not be read (" + detail + ")." + kRestore;
  }
}

std::string wrongValues(const std::string& file, const std::string& table, const std::string& row,
                        const std::string& problem) {
  return subject(file) + ": row " + row + " of the table " + table + " " + problem +
         "; it was skipped. Run the processing again to rewrite the entry.";
}

std::string moreRowsSkipped(const std::string& file, std::size_t count) {
  return subject(file) + ": " + std::to_string(count) + " more rows with wrong values were skipped.";
}

}  // namespace messages

std::shared_ptr<Database> DatabaseIO::readFile(const std::string& utf8Path, std::string* error) {
  const std::string file = absoluteUtf8(utf8Path);
  std::string problem = fileProblem(file);
  std::shared_ptr<Database> db;
  if (problem.empty()) {
    sqlite3* handle = nullptr;
    const int opened = sqlite3_open_v2(file.c_str(), &handle, SQLITE_OPEN_READONLY, nullptr);
    if (opened != SQLITE_OK) {
      problem = messages::readFailure(file, opened & 0xff, handle ? sqlite3_errmsg(handle) : "out of memory");
      sqlite3_close_v2(handle);
    } else {
      db = std::make_shared<Database>(handle, file);
      sqlite3_busy_timeout(handle, 2000);  // a processing module may be writing
      try {
        pragma(*db, "PRAGMA schema_version");  // the first read: a file that is no database fails here
        problem = isCutShort(*db) ? messages::readFailure(file, SQLITE_CORRUPT, "the file is cut short")
                                  : schemaProblem(*db);
      } catch (const SqliteError& failure) {
        problem = messages::readFailure(file, failure.code(), failure.reason());
      }
    }
  }
  if (problem.empty()) return db;
  if (error) *error = problem;
  return nullptr;
}

}  // namespace vxdb
