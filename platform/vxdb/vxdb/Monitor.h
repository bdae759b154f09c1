#pragma once

// The history of processing runs: a database monitor receives a run's status messages and records
// when each module started and how it ended in the project's chronicle.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vx {
class VEXAProject;
}

namespace vxdb {

class Database;

// The writing side of one project's chronicle (Internal/chronicle.vxdb, made when absent).
class DatabaseProxyObj {
 public:
  // Opens the project's chronicle. When it cannot be opened the run keeps no history and error()
  // says why; nothing throws.
  void setData(const vx::VEXAProject& project);
  bool isOpen() const { return chronicle_ != nullptr; }
  const std::string& error() const { return error_; }

  // A module's run begins; a run of the same module still open is closed as failed first.
  void moduleStarted(int module);
  // The open run of `module` (every open run when `module` is 0) ends with `result`
  // ("finished", "failed", "canceled") and, for failures, the message.
  void moduleEnded(int module, const std::string& result, const std::string& message);

 private:
  void close(int module, std::int64_t run, const std::string& result, const std::string& message);

  std::shared_ptr<Database> chronicle_;
  std::string error_;
  std::map<int, std::int64_t> open_;  // module step code -> its unfinished run
};

class DatabaseFactory {
 public:
  static std::shared_ptr<DatabaseProxyObj> createDatabaseProxy();
};

// Turns status messages into the proxy's records: type 2 of a module step starts a run, type 9
// ends it as finished, type 5 ends it as failed ("canceled" for "Canceled by user"); an error of
// a step that is no module ends every open run.
class MonitorObj {
 public:
  void connectProxy(std::shared_ptr<DatabaseProxyObj> proxy);
  void receive(int code, const char* format, const double* doubles, const int* ints, const char* string);

 private:
  std::mutex mutex_;
  std::shared_ptr<DatabaseProxyObj> proxy_;
};

// The status callback of the monitor given as `user` (null: nothing happens). Never throws: a
// database failure loses the record, never the run.
void listen(int code, const char* format, const double* doubles, const int* ints, const char* string, void* user);

// One recorded module run.
struct ModuleRun {
  std::int64_t id = 0;
  int module = 0;              // step code of the module
  std::int64_t started = 0;    // seconds since 1970, UTC
  std::int64_t ended = -1;     // -1 while open (or when the process died)
  std::string result;          // empty while open
  std::string message;
};
// The recorded runs in order; empty for a chronicle without history. Throws std::runtime_error
// on a database error.
std::vector<ModuleRun> readModuleRuns(Database& chronicle);

}  // namespace vxdb
