#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "vx/Msg.h"
#include "vx/Results.h"

namespace vxdb {

struct Resource {
  using Type = vx::ResultType;
};

namespace attribute {
struct Path {
  std::string value;  // relative to the project folder, '/' separated
};
struct Process {
  int value = 0;  // a vx::MSG::PRC code
};
struct Epoch {
  std::int64_t value = 0;  // seconds since 1970, UTC
};
struct Type {
  Resource::Type value = Resource::Type::Unknown;
};
enum class MessageType : int { Info = 2, Warning = 3, Error = 4 };
}  // namespace attribute

// An open project database file (resources.vxdb or chronicle.vxdb): a SQLite 3 database.
class Database;

class DatabaseIO {
 public:
  // Opens an existing database read-only. Empty when the file is missing, not a regular file,
  // empty, far too large, locked, not a SQLite database, damaged, or lacks a table or column of
  // the schema; then `error`, when given, receives a sentence that names the file and says what
  // to do. Never throws.
  static std::shared_ptr<Database> readFile(const std::string& utf8Path, std::string* error = nullptr);
  // Opens a database for writing, creating the file and its tables when absent.
  // Throws std::runtime_error naming the file when it cannot be created.
  static std::shared_ptr<Database> openForWriting(const std::string& utf8Path);
};

struct PathsAndIds {
  std::vector<std::string> paths;  // absolute, native separators
  std::vector<std::int64_t> ids;
};

// The current resources whose process lies in [from, to]: per result type the latest resource
// (highest epoch, then highest id) that the chronicle has not invalidated. With
// `meshIndexOnly` only results whose file is a mesh index ("*.osgb", "*.osg") are returned.
// Stored paths are relative to the project folder (the parent of the folder holding the resources
// database) and are returned absolute. Order: by process code,
// then by result type. Empty when either database is empty or cannot be read. Rows with values
// of the wrong kind are skipped. Each read failure and skipped row adds a sentence naming the
// file to `problems`, when given.
PathsAndIds getCurrentResources(const std::shared_ptr<Database>& resources,
                                const std::shared_ptr<Database>& chronicle, vx::MSG::PRC from,
                                vx::MSG::PRC to, bool meshIndexOnly,
                                std::vector<std::string>* problems = nullptr);

// Writers used by processing modules: record one result and the run that made it.
// Returns the new resource id. Throws std::runtime_error on a database error.
std::int64_t registerResource(Database& resources, Database& chronicle, Resource::Type type,
                              const attribute::Path& path, const attribute::Process& process,
                              const attribute::Epoch& epoch);
// Marks a resource as invalidated by a later run (it is then no longer current).
void invalidateResource(Database& chronicle, std::int64_t resourceId, const attribute::Epoch& epoch);

// Registers what a whole module run made in the databases of the project in `projectFolder`, at
// the present time: the engine's vx::ResultRegistrar. Throws std::runtime_error naming the file.
void registerModuleResults(const std::string& projectFolder, const std::vector<vx::ModuleResult>& results);

// The library's set-up object, built once at start.
class Init {
 public:
  Init();
};

}  // namespace vxdb
