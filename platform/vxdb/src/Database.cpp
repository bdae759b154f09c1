// Both project databases share one SQLite schema (see platform/README.md): resources.vxdb fills
// `resources`, chronicle.vxdb fills `runs` and `run_resources`.

#include "vxdb/Database.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>
#include <system_error>
#include <tuple>

namespace vxdb {

namespace fs = std::filesystem;

class Database {
 public:
  Database(sqlite3* handle, std::string file) : handle_(handle), file_(std::move(file)) {}
  ~Database() { sqlite3_close_v2(handle_); }
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  sqlite3* handle() const { return handle_; }
  const std::string& file() const { return file_; }

  [[noreturn]] void fail(const std::string& action) const {
    throw std::runtime_error("Project database " + file_ + ": " + action + " failed: " +
                             sqlite3_errmsg(handle_));
  }
  void execute(const char* sql) {
    if (sqlite3_exec(handle_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) fail(sql);
  }

 private:
  sqlite3* handle_;
  std::string file_;  // absolute, UTF-8
};

namespace {

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

constexpr int kTableCount = 4;

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

 private:
  Database& db_;
  sqlite3_stmt* statement_ = nullptr;
};

// Groups writes; rolls back unless committed.
class Transaction {
 public:
  explicit Transaction(Database& db) : db_(db) { db_.execute("BEGIN IMMEDIATE"); }
  ~Transaction() {
    if (!committed_) sqlite3_exec(db_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
  }
  void commit() {
    db_.execute("COMMIT");
    committed_ = true;
  }

 private:
  Database& db_;
  bool committed_ = false;
};

std::string absoluteUtf8(const std::string& utf8Path) {
  std::error_code error;
  fs::path path = fs::absolute(fs::u8path(utf8Path), error);
  return (error ? fs::u8path(utf8Path) : path.lexically_normal()).u8string();
}

bool hasSchema(Database& db) {
  Statement count(db,
                  "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN "
                  "('vxdb_info', 'resources', 'runs', 'run_resources')");
  return count.step() && count.integer(0) == kTableCount;
}

std::set<std::int64_t> resourcesWithEffect(Database& chronicle, const char* effect) {
  Statement query(chronicle, "SELECT resource FROM run_resources WHERE effect = ?");
  query.bind(1, std::string(effect));
  std::set<std::int64_t> ids;
  while (query.step()) ids.insert(query.integer(0));
  return ids;
}

bool isMeshIndex(const std::string& path) {
  auto endsWith = [&](const std::string& suffix) {
    return path.size() >= suffix.size() &&
           path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0;
  };
  return endsWith(".osgb") || endsWith(".osg");
}

struct Row {
  std::int64_t id;
  std::string path;
  int type;
  int process;
  std::int64_t epoch;
};

std::int64_t insertRun(Database& chronicle, int process, std::int64_t epoch, std::int64_t resource,
                       const char* effect) {
  Statement run(chronicle, "INSERT INTO runs(process, epoch) VALUES(?, ?)");
  run.bind(1, process).bind(2, epoch).step();
  const std::int64_t runId = sqlite3_last_insert_rowid(chronicle.handle());
  Statement link(chronicle, "INSERT INTO run_resources(run, resource, effect) VALUES(?, ?, ?)");
  link.bind(1, runId).bind(2, resource).bind(3, std::string(effect)).step();
  return runId;
}

}  // namespace

std::shared_ptr<Database> DatabaseIO::readFile(const std::string& utf8Path) {
  std::error_code error;
  if (!fs::is_regular_file(fs::u8path(utf8Path), error)) return nullptr;
  sqlite3* handle = nullptr;
  const std::string file = absoluteUtf8(utf8Path);
  if (sqlite3_open_v2(file.c_str(), &handle, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close_v2(handle);
    return nullptr;
  }
  auto db = std::make_shared<Database>(handle, file);
  sqlite3_busy_timeout(handle, 2000);  // a processing module may be writing
  try {
    return hasSchema(*db) ? db : nullptr;
  } catch (const std::exception&) {
    return nullptr;  // not a SQLite file, or a corrupt one
  }
}

std::shared_ptr<Database> DatabaseIO::openForWriting(const std::string& utf8Path) {
  sqlite3* handle = nullptr;
  const std::string file = absoluteUtf8(utf8Path);
  if (sqlite3_open_v2(file.c_str(), &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
      SQLITE_OK) {
    const std::string reason = handle ? sqlite3_errmsg(handle) : "out of memory";
    sqlite3_close_v2(handle);
    throw std::runtime_error("Cannot open the project database " + file + ": " + reason);
  }
  auto db = std::make_shared<Database>(handle, file);
  sqlite3_busy_timeout(handle, 2000);
  db->execute(kSchema);
  return db;
}

PathsAndIds getCurrentResources(const std::shared_ptr<Database>& resources,
                                const std::shared_ptr<Database>& chronicle, vx::MSG::PRC from,
                                vx::MSG::PRC to, bool meshIndexOnly) {
  PathsAndIds result;
  if (!resources || !chronicle) return result;
  std::map<int, Row> latest;  // per result type
  try {
    const std::set<std::int64_t> created = resourcesWithEffect(*chronicle, "created");
    const std::set<std::int64_t> invalidated = resourcesWithEffect(*chronicle, "invalidated");
    Statement query(*resources,
                    "SELECT id, path, type, process, epoch FROM resources WHERE process BETWEEN ? AND ?");
    query.bind(1, static_cast<std::int64_t>(from)).bind(2, static_cast<std::int64_t>(to));
    while (query.step()) {
      Row row{query.integer(0), query.text(1), static_cast<int>(query.integer(2)),
              static_cast<int>(query.integer(3)), query.integer(4)};
      // A resource the chronicle does not know belongs to no recorded run (e.g. another project).
      if (!created.count(row.id) || invalidated.count(row.id)) continue;
      if (meshIndexOnly && !isMeshIndex(row.path)) continue;
      auto found = latest.find(row.type);
      if (found == latest.end() || std::tie(row.epoch, row.id) > std::tie(found->second.epoch, found->second.id)) {
        latest[row.type] = row;
      }
    }
  } catch (const std::exception&) {
    return result;  // a damaged database yields nothing rather than a partial answer
  }
  std::vector<Row> rows;
  for (const auto& entry : latest) rows.push_back(entry.second);
  std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
    return std::tie(a.process, a.type, a.id) < std::tie(b.process, b.type, b.id);
  });
  const fs::path projectFolder = fs::u8path(resources->file()).parent_path().parent_path();
  for (const Row& row : rows) {
    // operator/ keeps an absolute stored path unchanged.
    result.paths.push_back((projectFolder / fs::u8path(row.path)).make_preferred().u8string());
    result.ids.push_back(row.id);
  }
  return result;
}

std::int64_t registerResource(Database& resources, Database& chronicle, Resource::Type type,
                              const attribute::Path& path, const attribute::Process& process,
                              const attribute::Epoch& epoch) {
  std::string relative = path.value;
  std::replace(relative.begin(), relative.end(), '\\', '/');
  if (relative.empty() || fs::u8path(relative).is_absolute() || relative.front() == '/') {
    throw std::runtime_error("Project database " + resources.file() +
                             ": a resource path must be relative to the project folder, not \"" +
                             path.value + "\".");
  }
  Transaction resourceWrite(resources);
  Statement insert(resources, "INSERT INTO resources(path, type, process, epoch) VALUES(?, ?, ?, ?)");
  insert.bind(1, relative)
      .bind(2, static_cast<std::int64_t>(type))
      .bind(3, static_cast<std::int64_t>(process.value))
      .bind(4, epoch.value)
      .step();
  const std::int64_t id = sqlite3_last_insert_rowid(resources.handle());
  // The resource only counts once the chronicle records its run, so commit it last.
  Transaction chronicleWrite(chronicle);
  insertRun(chronicle, process.value, epoch.value, id, "created");
  chronicleWrite.commit();
  resourceWrite.commit();
  return id;
}

void invalidateResource(Database& chronicle, std::int64_t resourceId, const attribute::Epoch& epoch) {
  Transaction write(chronicle);
  insertRun(chronicle, vx::MSG::PRC_NONE, epoch.value, resourceId, "invalidated");
  write.commit();
}

Init::Init() { sqlite3_initialize(); }

}  // namespace vxdb
