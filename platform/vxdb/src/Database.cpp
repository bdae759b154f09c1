#include "vxdb/Database.h"

#include <chrono>

#include "Sqlite.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>
#include <system_error>
#include <tuple>

namespace vxdb {

namespace fs = std::filesystem;

namespace {

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

// Reports rows with values of the wrong kind; after the first few only their number.
class RowProblems {
 public:
  RowProblems(const Database& db, std::vector<std::string>* sink) : file_(db.file()), sink_(sink) {}
  void add(const char* table, const std::string& row, const std::string& problem) {
    if (sink_ && ++count_ <= kShown) sink_->push_back(messages::wrongValues(file_, table, row, problem));
  }
  void finish() {
    if (sink_ && count_ > kShown) sink_->push_back(messages::moreRowsSkipped(file_, count_ - kShown));
  }

 private:
  static constexpr std::size_t kShown = 5;
  std::string file_;
  std::vector<std::string>* sink_;
  std::size_t count_ = 0;
};

struct Chronicle {
  std::set<std::int64_t> created, invalidated;
};

Chronicle readChronicle(Database& chronicle, std::vector<std::string>* problems) {
  Chronicle result;
  RowProblems bad(chronicle, problems);
  Statement query(chronicle, "SELECT rowid, resource, effect FROM run_resources");
  while (query.step()) {
    const std::string effect = query.storageClass(2) == SQLITE_TEXT ? query.text(2) : std::string();
    if (query.storageClass(1) != SQLITE_INTEGER) {
      bad.add("run_resources", query.text(0), "names a resource that is not a whole number");
    } else if (effect == "created") {
      result.created.insert(query.integer(1));
    } else if (effect == "invalidated") {
      result.invalidated.insert(query.integer(1));
    } else {
      bad.add("run_resources", query.text(0), "has an effect other than 'created' or 'invalidated'");
    }
  }
  bad.finish();
  return result;
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

// Empty when the values of the resources row under `query` have the kinds the schema gives.
std::string wrongKind(const Statement& query) {
  static const char* const kColumnNames[] = {"id", nullptr, "type", "process", "epoch"};
  if (query.storageClass(1) != SQLITE_TEXT) return "has a path that is not text";
  if (query.text(1).empty()) return "has an empty path";
  for (int column : {0, 2, 3, 4})
    if (query.storageClass(column) != SQLITE_INTEGER)
      return std::string("has a non-numeric ") + kColumnNames[column];
  return {};
}

}  // namespace

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
                                vx::MSG::PRC to, bool meshIndexOnly, std::vector<std::string>* problems) {
  PathsAndIds result;
  if (!resources || !chronicle) return result;
  // A damaged database yields nothing rather than a partial answer; a bad row only loses itself.
  auto report = [&](const SqliteError& failure, const Database& db) {
    if (problems) problems->push_back(messages::readFailure(db.file(), failure.code(), failure.reason()));
  };
  Chronicle runs;
  try {
    runs = readChronicle(*chronicle, problems);
  } catch (const SqliteError& failure) {
    report(failure, *chronicle);
    return result;
  }
  std::map<int, Row> latest;  // per result type
  try {
    RowProblems bad(*resources, problems);
    // Every row is read so that rows with wrong kinds of values are seen, not filtered out.
    Statement query(*resources, "SELECT id, path, type, process, epoch FROM resources");
    while (query.step()) {
      const std::string problem = wrongKind(query);
      if (!problem.empty()) {
        bad.add("resources", query.text(0), problem);
        continue;
      }
      Row row{query.integer(0), query.text(1), static_cast<int>(query.integer(2)),
              static_cast<int>(query.integer(3)), query.integer(4)};
      if (row.process < from || row.process > to) continue;
      // A resource the chronicle does not know belongs to no recorded run (e.g. another project).
      if (!runs.created.count(row.id) || runs.invalidated.count(row.id)) continue;
      if (meshIndexOnly && !isMeshIndex(row.path)) continue;
      auto found = latest.find(row.type);
      if (found == latest.end() || std::tie(row.epoch, row.id) > std::tie(found->second.epoch, found->second.id)) {
        latest[row.type] = row;
      }
    }
    bad.finish();
  } catch (const SqliteError& failure) {
    report(failure, *resources);
    return result;
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

void registerModuleResults(const std::string& projectFolder, const std::vector<vx::ModuleResult>& results) {
  if (results.empty()) return;
  const fs::path internal = fs::u8path(projectFolder) / "Internal";
  const auto resources = DatabaseIO::openForWriting((internal / "resources.vxdb").u8string());
  const auto chronicle = DatabaseIO::openForWriting((internal / "chronicle.vxdb").u8string());
  const std::int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                               std::chrono::system_clock::now().time_since_epoch()).count();
  for (const vx::ModuleResult& result : results)
    registerResource(*resources, *chronicle, result.type, {result.path}, {result.process}, {now});
}

}  // namespace vxdb
