// The storage under the registry: one SQLite database per hive in the
// registry folder. Internal to the platform library; registry.cpp gives it
// the Win32 shape and reg_file.cpp imports and exports .reg text.
//
// Keys are rows with their parent's id, the name as written and a folded
// (lower-cased) name that makes names unique without regard to case and
// orders subkeys. Values carry a sequence number taken when they are first
// created, so they enumerate in creation order and an overwrite keeps its
// place. Key ids are never reused, so a handle to a deleted key can tell.
//
// Every function here expects the caller to hold StoreLock().
#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/registry.h"

struct sqlite3;
struct sqlite3_stmt;

namespace bkvp::platform::regstore {

using Status = uint32_t;  // ERROR_SUCCESS or a system error code
using KeyId = int64_t;
// The hive's own top key: always present, never a row.
constexpr KeyId kHiveRoot = 0;
// Deepest key path accepted in one call; bounds work on hostile input.
constexpr size_t kMaxKeyDepth = 512;

enum class Hive { CurrentUser, LocalMachine, Users, CurrentConfig };
constexpr int kHiveCount = 4;
// The root's long name ("HKEY_CURRENT_USER"), which also names the file.
const char* HiveName(Hive hive);

// Where a predefined root lives: its hive and the path below the hive's top
// (HKEY_CLASSES_ROOT is SOFTWARE\Classes of HKEY_LOCAL_MACHINE).
struct RootPlace {
  Hive hive;
  std::vector<std::string> prefix;
};
// ERROR_INVALID_HANDLE for roots that hold no keys and for non-roots.
Status PlaceOfRoot(HKEY root, RootPlace* place);
bool IsPredefinedRoot(HKEY key);

// Splits "A\B\C" into its names. A null or empty path gives none; one
// trailing backslash is allowed. Empty names, names over kMaxRegistryName
// bytes and paths deeper than kMaxKeyDepth give ERROR_INVALID_PARAMETER.
Status SplitSubKey(const char* subKey, std::vector<std::string>* names);
// The folded form under which names are compared and ordered.
std::string FoldName(std::string_view name);

std::recursive_mutex& StoreLock();

struct ValueInfo {
  std::string name;
  uint32_t type = 0;
  uint32_t size = 0;
};
struct ValueRecord {
  std::string name;
  uint32_t type = 0;
  std::vector<uint8_t> data;
};
struct SubKeyRecord {
  KeyId id = 0;
  std::string name;
};

class Database {
 public:
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  const std::string& path() const { return path_; }

  // Reads. Enumeration by index is served from lists cached per key, which
  // are dropped whenever this process commits or another process changes
  // the file, so a sequence of calls costs one cheap check each.
  bool KeyExists(KeyId id, Status* status);
  // The key below `base` named by the path; storedNames (optional) receives
  // the names as they are stored.
  Status FindKey(KeyId base, const std::vector<std::string>& names, KeyId* id,
                 std::vector<std::string>* storedNames = nullptr);
  // ERROR_NO_MORE_ITEMS past the end; ERROR_KEY_DELETED for a vanished key.
  Status SubKeyAt(KeyId id, uint32_t index, std::string* name);
  Status ValueAt(KeyId id, uint32_t index, ValueInfo* value);
  Status GetValue(KeyId id, std::string_view name, uint32_t* type, std::vector<uint8_t>* data);
  // Whole lists, for walks over a tree.
  Status SubKeys(KeyId id, std::vector<SubKeyRecord>* subKeys);
  Status Values(KeyId id, std::vector<ValueRecord>* values);

  // Changes; each must run inside a Transaction.
  Status CreateKey(KeyId base, const std::vector<std::string>& names, KeyId* id);
  Status SetValue(KeyId id, std::string_view name, uint32_t type, const uint8_t* data,
                  uint32_t size);
  Status DeleteValue(KeyId id, std::string_view name);
  // Removes the values and subkeys of the key, and the key itself when
  // includeSelf (never for kHiveRoot).
  Status DeleteSubtree(KeyId id, bool includeSelf);
  Status HasSubKeys(KeyId id, bool* has);

 private:
  friend class Transaction;
  friend Status OpenDatabase(const std::string&, bool, std::shared_ptr<Database>*);
  friend Status UseInThisProcess(std::shared_ptr<Database>* db);
  friend class Query;

  explicit Database(std::string path) : path_(std::move(path)) {}
  Status Validate(bool* empty);
  Status Initialize();
  Status Execute(const char* sql);
  sqlite3_stmt* Prepare(const char* sql, Status* status);
  // Drops the enumeration caches when another connection changed the file.
  Status Refresh();
  // Requires: a Transaction is open. Fails for a key that has gone.
  Status PrepareChange(KeyId id);
  void DropCaches();
  static int OnBusy(void* context, int attempts);
  Status CachedSubKeys(KeyId id, const std::vector<std::string>** names);
  Status CachedValues(KeyId id, const std::vector<ValueInfo>** values);

  std::string path_;
  pid_t owner_ = getpid();  // the process that opened the connection
  sqlite3* db_ = nullptr;
  std::unordered_map<const char*, sqlite3_stmt*> statements_;
  int64_t dataVersion_ = -1;
  std::unordered_map<KeyId, std::vector<std::string>> subKeyCache_;
  std::unordered_map<KeyId, std::vector<ValueInfo>> valueCache_;
  bool inTransaction_ = false;
  std::chrono::steady_clock::time_point busySince_;
  bool busyNoticed_ = false;
};

enum class OpenMode {
  Read,   // a missing or empty hive gives ERROR_FILE_NOT_FOUND; nothing is created
  Write,  // creates the registry folder and the database when needed
};
// The hive's database in the current RegistryFolder(), from a per-process
// cache keyed by path. A damaged file gives ERROR_BADDB and is left alone.
Status OpenHive(Hive hive, OpenMode mode, std::shared_ptr<Database>* db);
// The database file of a hive in the current RegistryFolder().
std::string HivePath(Hive hive);
// A connection may be used only by the process that opened it: in a child
// made by fork(), swaps the parent's for one of its own.
Status UseInThisProcess(std::shared_ptr<Database>* db);
// Closes the cached connections that no handle uses any more.
void CloseCachedDatabases();

// One transaction, rolled back unless committed. A write transaction takes
// the write lock at once (BEGIN IMMEDIATE), so that two writers queue on the
// busy timeout instead of one failing; a read transaction gives a
// consistent view of the file for a walk over many keys.
enum class Access { Read, Write };
class Transaction {
 public:
  explicit Transaction(Database& db, Access access = Access::Write);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  Status status() const { return status_; }
  Status Commit();

 private:
  Database& db_;
  Status status_;
  bool open_ = false;
};

}  // namespace bkvp::platform::regstore
