#include "vxdb/Monitor.h"

#include <chrono>
#include <exception>
#include <filesystem>

#include "Sqlite.h"
#include "vx/MessageText.h"
#include "vx/Msg.h"
#include "vx/VEXAProject.h"
#include "vxdb/Database.h"

namespace vxdb {

namespace {

// Kept apart from the schema that readers check, so that chronicles made before it stay readable.
constexpr const char* kModuleRunsTable = R"sql(
  CREATE TABLE IF NOT EXISTS module_runs(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    module INTEGER NOT NULL,
    started INTEGER NOT NULL,
    ended INTEGER,
    result TEXT CHECK(result IN ('finished', 'failed', 'canceled')),
    message TEXT);
)sql";

std::int64_t now() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

}  // namespace

void DatabaseProxyObj::setData(const vx::VEXAProject& project) {
  chronicle_.reset();
  open_.clear();
  error_.clear();
  const std::filesystem::path file =
      std::filesystem::u8path(project.projectFolderUtf8()) / "Internal" / "chronicle.vxdb";
  try {
    if (project.projectFolderUtf8().empty()) throw std::runtime_error("The project has no folder.");
    auto chronicle = DatabaseIO::openForWriting(file.u8string());
    chronicle->execute(kModuleRunsTable);
    chronicle_ = chronicle;
  } catch (const std::exception& e) {
    error_ = std::string("The history of this run is not kept: ") + e.what();
  }
}

void DatabaseProxyObj::moduleStarted(int module) {
  if (!chronicle_) return;
  const auto previous = open_.find(module);
  if (previous != open_.end()) close(module, previous->second, "failed", "started again before it ended");
  Statement insert(*chronicle_, "INSERT INTO module_runs(module, started) VALUES(?, ?)");
  insert.bind(1, module).bind(2, now()).step();
  open_[module] = sqlite3_last_insert_rowid(chronicle_->handle());
}

void DatabaseProxyObj::moduleEnded(int module, const std::string& result, const std::string& message) {
  if (!chronicle_) return;
  if (module != 0) {
    const auto run = open_.find(module);
    if (run != open_.end()) close(module, run->second, result, message);
    return;
  }
  while (!open_.empty()) close(open_.begin()->first, open_.begin()->second, result, message);
}

void DatabaseProxyObj::close(int module, std::int64_t run, const std::string& result, const std::string& message) {
  open_.erase(module);
  Statement update(*chronicle_, "UPDATE module_runs SET ended = ?, result = ?, message = ? WHERE id = ?");
  update.bind(1, now()).bind(2, result).bind(3, message).bind(4, run).step();
}

std::shared_ptr<DatabaseProxyObj> DatabaseFactory::createDatabaseProxy() { return std::make_shared<DatabaseProxyObj>(); }

void MonitorObj::connectProxy(std::shared_ptr<DatabaseProxyObj> proxy) {
  std::lock_guard<std::mutex> lock(mutex_);
  proxy_ = std::move(proxy);
}

void MonitorObj::receive(int code, const char* format, const double* doubles, const int* ints, const char* string) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!proxy_) return;
  const int type = vx::MSG::typeOfCode(code);
  const int step = vx::MSG::stepOfCode(code);
  const bool module = vx::MSG::isModuleStep(step);
  if (type == vx::MSG::TYPE_PROCESS_STARTED && module) {
    proxy_->moduleStarted(step);
  } else if (type == vx::MSG::TYPE_MODULE_FINISHED && module) {
    proxy_->moduleEnded(step, "finished", "");
  } else if (type == vx::MSG::TYPE_ERROR) {
    const std::string text = vx::msgtext::format(format, doubles, ints, string);
    const bool canceled = text.find("Canceled by user") != std::string::npos;
    proxy_->moduleEnded(module ? step : 0, canceled ? "canceled" : "failed", text);
  }
}

void listen(int code, const char* format, const double* doubles, const int* ints, const char* string, void* user) {
  if (!user) return;
  try {
    static_cast<MonitorObj*>(user)->receive(code, format, doubles, ints, string);
  } catch (...) {
    // The record is lost; the run goes on.
  }
}

std::vector<ModuleRun> readModuleRuns(Database& chronicle) {
  std::vector<ModuleRun> runs;
  Statement table(chronicle, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'module_runs'");
  if (!table.step()) return runs;
  Statement query(chronicle, "SELECT id, module, started, ended, result, message FROM module_runs ORDER BY id");
  while (query.step()) {
    ModuleRun run;
    run.id = query.integer(0);
    run.module = static_cast<int>(query.integer(1));
    run.started = query.integer(2);
    run.ended = query.storageClass(3) == SQLITE_NULL ? -1 : query.integer(3);
    run.result = query.text(4);
    run.message = query.text(5);
    runs.push_back(run);
  }
  return runs;
}

}  // namespace vxdb
