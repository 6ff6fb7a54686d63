#include "platform/registry_store.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <thread>
#include <utility>

#include "platform/paths.h"
#include "platform/text.h"
#include "platform/ui.h"

namespace bkvp::platform::regstore {
namespace {

// Marks a database as a hive of this store ("BkVp"), and the schema version.
constexpr int64_t kApplicationId = 0x426B5670;
constexpr int64_t kSchemaVersion = 1;
// Long enough for another process to finish a large import;
// BKVP_STORE_WAIT_MS sets another bound (scripts and tests that must not wait).
std::chrono::milliseconds BusyTimeout() {
  const char* text = std::getenv("BKVP_STORE_WAIT_MS");
  if (!text || !*text) return std::chrono::seconds(15);
  return std::chrono::milliseconds(std::strtoul(text, nullptr, 10));
}
// A wait shorter than this goes unmentioned.
constexpr auto kBusyNoticeAfter = std::chrono::seconds(1);
constexpr auto kBusyPoll = std::chrono::milliseconds(20);
// Connections kept open for folders other than the current one.
constexpr size_t kMaxCachedDatabases = 8;
// Keys whose enumeration lists are kept at once.
constexpr size_t kMaxCachedKeys = 256;

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS keys("
    "  id INTEGER PRIMARY KEY AUTOINCREMENT,"
    "  parent INTEGER NOT NULL,"
    "  name TEXT NOT NULL,"
    "  folded TEXT NOT NULL,"
    "  UNIQUE(parent, folded));"
    "CREATE TABLE IF NOT EXISTS vals("
    "  key INTEGER NOT NULL,"
    "  folded TEXT NOT NULL,"
    "  name TEXT NOT NULL,"
    "  seq INTEGER NOT NULL,"
    "  type INTEGER NOT NULL,"
    "  data BLOB NOT NULL,"
    "  PRIMARY KEY(key, folded)) WITHOUT ROWID;"
    "CREATE INDEX IF NOT EXISTS vals_in_order ON vals(key, seq);";

Status FromSqlite(int rc, bool writing) {
  switch (rc & 0xff) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
      return ERROR_SUCCESS;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_FORMAT:
      return ERROR_BADDB;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return ERROR_LOCK_VIOLATION;
    case SQLITE_FULL:
      return ERROR_DISK_FULL;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
      return ERROR_ACCESS_DENIED;
    case SQLITE_CANTOPEN:
      return ERROR_CANTOPEN;
    case SQLITE_NOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_TOOBIG:
      return ERROR_INVALID_PARAMETER;
    case SQLITE_IOERR:
      return writing ? ERROR_CANTWRITE : ERROR_CANTREAD;
    default:
      return ERROR_GEN_FAILURE;
  }
}

// Once a wait has run out, later calls do not wait again until the store
// has been found free: a run with many values to write stalls once, not
// once per value, while another program holds the store.
std::atomic<bool> gStoreUnavailable{false};

void NoteStoreFree() { gStoreUnavailable.store(false); }

}  // namespace

// SQLite's busy handler: waits up to BusyTimeout() for a store another
// process holds, saying once what it waits for.
int Database::OnBusy(void* context, int attempts) {
  auto* db = static_cast<Database*>(context);
  const auto now = std::chrono::steady_clock::now();
  if (attempts == 0) {
    db->busySince_ = now;
    db->busyNoticed_ = false;
  }
  if (gStoreUnavailable.load()) return 0;
  const auto waited = now - db->busySince_;
  const auto timeout = BusyTimeout();
  if (waited >= timeout) {
    gStoreUnavailable.store(true);
    ui::Notice("The settings store " + db->path_ +
               " is still held by another program; going on without it.");
    return 0;
  }
  if (waited >= kBusyNoticeAfter && !std::exchange(db->busyNoticed_, true))
    ui::Notice("Waiting up to " +
               std::to_string(std::chrono::duration_cast<std::chrono::seconds>(timeout).count()) +
               " s for the settings store " + db->path_ + ", which another program holds.");
  std::this_thread::sleep_for(kBusyPoll);
  return 1;
}

// One prepared statement in use; reset when it goes out of scope so that
// the statement cache can hand it out again.
class Query {
 public:
  Query(Database& db, const char* sql) : db_(db), stmt_(db.Prepare(sql, &status_)) {}
  ~Query() {
    if (stmt_) {
      sqlite3_reset(stmt_);
      sqlite3_clear_bindings(stmt_);
    }
  }
  Query(const Query&) = delete;
  Query& operator=(const Query&) = delete;

  Query& Bind(int index, int64_t value) {
    if (stmt_) Check(sqlite3_bind_int64(stmt_, index, value));
    return *this;
  }
  Query& Bind(int index, std::string_view text) {
    if (stmt_)
      Check(sqlite3_bind_text(stmt_, index, text.data(), int(text.size()), SQLITE_TRANSIENT));
    return *this;
  }
  Query& BindBlob(int index, const uint8_t* data, uint32_t size) {
    // A zero-length blob must not be bound from a null pointer: that is NULL.
    if (stmt_)
      Check(size == 0 ? sqlite3_bind_zeroblob(stmt_, index, 0)
                      : sqlite3_bind_blob64(stmt_, index, data, size, SQLITE_TRANSIENT));
    return *this;
  }
  // True with a row to read; false when done or failed (see status()).
  bool Step() {
    if (!stmt_ || status_ != ERROR_SUCCESS) return false;
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW || rc == SQLITE_DONE) NoteStoreFree();
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) Check(rc);
    return false;
  }
  // Runs a statement that returns no rows.
  Status Run() {
    while (Step()) {
    }
    return status_;
  }
  Status status() const { return status_; }

  int64_t Int(int column) const { return sqlite3_column_int64(stmt_, column); }
  std::string Text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return text ? std::string(text, size_t(sqlite3_column_bytes(stmt_, column))) : std::string();
  }
  std::vector<uint8_t> Blob(int column) const {
    const auto* data = static_cast<const uint8_t*>(sqlite3_column_blob(stmt_, column));
    const int size = sqlite3_column_bytes(stmt_, column);
    return data ? std::vector<uint8_t>(data, data + size) : std::vector<uint8_t>();
  }

 private:
  void Check(int rc) {
    if (status_ == ERROR_SUCCESS && rc != SQLITE_OK) status_ = FromSqlite(rc, db_.inTransaction_);
  }

  Database& db_;
  Status status_ = ERROR_SUCCESS;
  sqlite3_stmt* stmt_;
};

// ---------------------------------------------------------------------------
// Names and roots

const char* HiveName(Hive hive) {
  switch (hive) {
    case Hive::CurrentUser:
      return "HKEY_CURRENT_USER";
    case Hive::LocalMachine:
      return "HKEY_LOCAL_MACHINE";
    case Hive::Users:
      return "HKEY_USERS";
    case Hive::CurrentConfig:
      return "HKEY_CURRENT_CONFIG";
  }
  return "";
}

std::string FoldName(std::string_view name) { return ToLower(name); }

Status SplitSubKey(const char* subKey, std::vector<std::string>* names) {
  names->clear();
  if (!subKey || !*subKey) return ERROR_SUCCESS;
  std::string_view rest(subKey);
  if (rest.back() == '\\') rest.remove_suffix(1);
  while (true) {
    const size_t cut = rest.find('\\');
    const std::string_view name = rest.substr(0, cut);
    if (name.empty() || name.size() > kMaxRegistryName || names->size() >= kMaxKeyDepth)
      return ERROR_INVALID_PARAMETER;
    names->emplace_back(name);
    if (cut == std::string_view::npos) return ERROR_SUCCESS;
    rest.remove_prefix(cut + 1);
  }
}

bool IsPredefinedRoot(HKEY key) {
  const auto value = reinterpret_cast<uintptr_t>(key);
  return value >= 0x80000000u && value <= 0x80000006u;
}

Status PlaceOfRoot(HKEY root, RootPlace* place) {
  place->prefix.clear();
  if (root == HKEY_CURRENT_USER) {
    place->hive = Hive::CurrentUser;
  } else if (root == HKEY_LOCAL_MACHINE) {
    place->hive = Hive::LocalMachine;
  } else if (root == HKEY_CLASSES_ROOT) {
    place->hive = Hive::LocalMachine;
    place->prefix = {"SOFTWARE", "Classes"};
  } else if (root == HKEY_USERS) {
    place->hive = Hive::Users;
  } else if (root == HKEY_CURRENT_CONFIG) {
    place->hive = Hive::CurrentConfig;
  } else {
    return ERROR_INVALID_HANDLE;
  }
  return ERROR_SUCCESS;
}

std::recursive_mutex& StoreLock() {
  static std::recursive_mutex lock;
  return lock;
}

// ---------------------------------------------------------------------------
// Database: opening and checking

Database::~Database() {
  for (auto& [sql, stmt] : statements_) sqlite3_finalize(stmt);
  if (db_) sqlite3_close(db_);
}

sqlite3_stmt* Database::Prepare(const char* sql, Status* status) {
  *status = ERROR_SUCCESS;
  if (auto it = statements_.find(sql); it != statements_.end()) return it->second;
  sqlite3_stmt* stmt = nullptr;
  const int rc = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
  if (rc != SQLITE_OK) {
    *status = FromSqlite(rc, inTransaction_);
    return nullptr;
  }
  statements_.emplace(sql, stmt);
  return stmt;
}

Status Database::Execute(const char* sql) {
  return FromSqlite(sqlite3_exec(db_, sql, nullptr, nullptr, nullptr), inTransaction_);
}

// Tells our own hives (checked through) from empty files (to be set up)
// and anything else (refused as damaged). Nothing here writes to the file.
Status Database::Validate(bool* empty) {
  int64_t applicationId = 0, schemaVersion = 0, objects = 0;
  {
    // One statement, so one snapshot: another process may be setting up
    // the file at this very moment.
    Query q(*this,
            "SELECT (SELECT * FROM pragma_application_id), (SELECT * FROM pragma_user_version),"
            " (SELECT count(*) FROM sqlite_master)");
    if (!q.Step()) return q.status() ? q.status() : ERROR_BADDB;
    applicationId = q.Int(0);
    schemaVersion = q.Int(1);
    objects = q.Int(2);
  }
  *empty = objects == 0 && applicationId == 0 && schemaVersion == 0;
  if (*empty) return ERROR_SUCCESS;
  if (applicationId != kApplicationId || schemaVersion != kSchemaVersion) return ERROR_BADDB;
  Query check(*this, "PRAGMA quick_check(1)");
  if (!check.Step()) return check.status() ? check.status() : ERROR_BADDB;
  return check.Text(0) == "ok" ? ERROR_SUCCESS : ERROR_BADDB;
}

Status Database::Initialize() {
  // Several processes may set up the same new file at once: the schema is
  // written under the write lock and every statement tolerates a repeat.
  Transaction transaction(*this);
  if (transaction.status()) return transaction.status();
  if (Status status = Execute(kSchema)) return status;
  const std::string marks = "PRAGMA application_id = " + std::to_string(kApplicationId) +
                            "; PRAGMA user_version = " + std::to_string(kSchemaVersion) + ";";
  if (Status status = Execute(marks.c_str())) return status;
  return transaction.Commit();
}

Status OpenDatabase(const std::string& path, bool create, std::shared_ptr<Database>* out) {
  struct stat info {};
  if (!create && stat(path.c_str(), &info) != 0) return ERROR_FILE_NOT_FOUND;
  std::shared_ptr<Database> db(new Database(path));
  const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
  if (int rc = sqlite3_open_v2(path.c_str(), &db->db_, flags, nullptr); rc != SQLITE_OK)
    return FromSqlite(rc, false);
  sqlite3_extended_result_codes(db->db_, 1);
  sqlite3_busy_handler(db->db_, &Database::OnBusy, db.get());

  bool empty = false;
  if (Status status = db->Validate(&empty)) return status;
  if (empty && !create) return ERROR_FILE_NOT_FOUND;
  // Only now, with the file known to be ours or empty, may settings be
  // written to it. WAL lets readers go on while another process writes;
  // if another connection holds the file just now, the mode it has stays.
  db->Execute("PRAGMA journal_mode=WAL");
  db->Execute("PRAGMA synchronous=NORMAL");
  if (empty) {
    if (Status status = db->Initialize()) return status;
  }
  *out = std::move(db);
  return ERROR_SUCCESS;
}

namespace {

// Keeps a connection of the parent process from ever being closed here.
void NeverClose(std::shared_ptr<Database> db) {
  static auto* abandoned = new std::vector<std::shared_ptr<Database>>();
  abandoned->push_back(std::move(db));
}

// The open databases of this process, by path. A child made by fork() must
// not touch its parent's connections, not even to close them, so they are
// abandoned there.
class DatabaseCache {
 public:
  ~DatabaseCache() {
    if (owner_ != getpid()) Abandon();
  }
  std::shared_ptr<Database> Find(const std::string& path) {
    if (owner_ != getpid()) {
      Abandon();
      owner_ = getpid();
    }
    for (auto& db : open_)
      if (db->path() == path) return db;
    return nullptr;
  }
  void Add(std::shared_ptr<Database> db) {
    open_.push_back(std::move(db));
    if (open_.size() > kMaxCachedDatabases) open_.pop_front();
  }
  void Clear() {
    if (owner_ == getpid()) open_.clear();
  }

 private:
  void Abandon() {
    for (auto& db : open_) NeverClose(std::move(db));
    open_.clear();
  }

  pid_t owner_ = getpid();
  std::deque<std::shared_ptr<Database>> open_;
};

DatabaseCache& Cache() {
  static DatabaseCache cache;
  return cache;
}

Status OpenPath(const std::string& path, OpenMode mode, std::shared_ptr<Database>* db) {
  if ((*db = Cache().Find(path))) return ERROR_SUCCESS;
  if (mode == OpenMode::Write) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    if (ec) return ErrorFromErrno(ec.value());
  }
  if (Status status = OpenDatabase(path, mode == OpenMode::Write, db)) return status;
  Cache().Add(*db);
  return ERROR_SUCCESS;
}

}  // namespace

std::string HivePath(Hive hive) { return RegistryFolder() + HiveName(hive) + ".db"; }

Status OpenHive(Hive hive, OpenMode mode, std::shared_ptr<Database>* db) {
  return OpenPath(HivePath(hive), mode, db);
}

Status UseInThisProcess(std::shared_ptr<Database>* db) {
  if ((*db)->owner_ == getpid()) return ERROR_SUCCESS;
  NeverClose(*db);
  const std::string path = (*db)->path();
  return OpenPath(path, OpenMode::Read, db);
}

void CloseCachedDatabases() { Cache().Clear(); }

// ---------------------------------------------------------------------------
// Transactions

Transaction::Transaction(Database& db, Access access) : db_(db) {
  const char* begin = access == Access::Write ? "BEGIN IMMEDIATE" : "BEGIN";
  status_ = db_.inTransaction_ ? ERROR_INVALID_PARAMETER : db_.Execute(begin);
  open_ = status_ == ERROR_SUCCESS;
  db_.inTransaction_ = open_;
  if (open_ && access == Access::Write) NoteStoreFree();
}

Transaction::~Transaction() {
  if (!open_) return;
  db_.Execute("ROLLBACK");
  db_.inTransaction_ = false;
  db_.DropCaches();
}

Status Transaction::Commit() {
  if (!open_) return status_ ? status_ : ERROR_INVALID_PARAMETER;
  status_ = db_.Execute("COMMIT");
  if (status_ == ERROR_SUCCESS) {
    open_ = false;
    db_.inTransaction_ = false;
    db_.DropCaches();
  }
  return status_;
}

// ---------------------------------------------------------------------------
// Reads

void Database::DropCaches() {
  subKeyCache_.clear();
  valueCache_.clear();
}

Status Database::Refresh() {
  Query q(*this, "PRAGMA data_version");
  if (!q.Step()) return q.status() ? q.status() : ERROR_BADDB;
  if (q.Int(0) != dataVersion_) {
    DropCaches();
    dataVersion_ = q.Int(0);
  }
  if (subKeyCache_.size() + valueCache_.size() > kMaxCachedKeys) DropCaches();
  return ERROR_SUCCESS;
}

bool Database::KeyExists(KeyId id, Status* status) {
  *status = ERROR_SUCCESS;
  if (id == kHiveRoot) return true;
  Query q(*this, "SELECT 1 FROM keys WHERE id = ?1");
  const bool found = q.Bind(1, id).Step();
  *status = q.status();
  return found;
}

Status Database::FindKey(KeyId base, const std::vector<std::string>& names, KeyId* id,
                         std::vector<std::string>* storedNames) {
  if (storedNames) storedNames->clear();
  KeyId current = base;
  for (const std::string& name : names) {
    Query q(*this, "SELECT id, name FROM keys WHERE parent = ?1 AND folded = ?2");
    if (!q.Bind(1, current).Bind(2, FoldName(name)).Step())
      return q.status() ? q.status() : ERROR_FILE_NOT_FOUND;
    current = q.Int(0);
    if (storedNames) storedNames->push_back(q.Text(1));
  }
  *id = current;
  return ERROR_SUCCESS;
}

Status Database::CachedSubKeys(KeyId id, const std::vector<std::string>** names) {
  if (Status status = Refresh()) return status;
  if (auto it = subKeyCache_.find(id); it != subKeyCache_.end()) {
    *names = &it->second;
    return ERROR_SUCCESS;
  }
  Status status;
  if (!KeyExists(id, &status)) return status ? status : ERROR_KEY_DELETED;
  std::vector<std::string> list;
  Query q(*this, "SELECT name FROM keys WHERE parent = ?1 ORDER BY folded");
  q.Bind(1, id);
  while (q.Step()) list.push_back(q.Text(0));
  if (q.status()) return q.status();
  *names = &(subKeyCache_[id] = std::move(list));
  return ERROR_SUCCESS;
}

Status Database::CachedValues(KeyId id, const std::vector<ValueInfo>** values) {
  if (Status status = Refresh()) return status;
  if (auto it = valueCache_.find(id); it != valueCache_.end()) {
    *values = &it->second;
    return ERROR_SUCCESS;
  }
  Status status;
  if (!KeyExists(id, &status)) return status ? status : ERROR_KEY_DELETED;
  std::vector<ValueInfo> list;
  Query q(*this, "SELECT name, type, length(data) FROM vals WHERE key = ?1 ORDER BY seq");
  q.Bind(1, id);
  while (q.Step()) list.push_back({q.Text(0), uint32_t(q.Int(1)), uint32_t(q.Int(2))});
  if (q.status()) return q.status();
  *values = &(valueCache_[id] = std::move(list));
  return ERROR_SUCCESS;
}

Status Database::SubKeyAt(KeyId id, uint32_t index, std::string* name) {
  const std::vector<std::string>* names = nullptr;
  if (Status status = CachedSubKeys(id, &names)) return status;
  if (index >= names->size()) return ERROR_NO_MORE_ITEMS;
  *name = (*names)[index];
  return ERROR_SUCCESS;
}

Status Database::ValueAt(KeyId id, uint32_t index, ValueInfo* value) {
  const std::vector<ValueInfo>* values = nullptr;
  if (Status status = CachedValues(id, &values)) return status;
  if (index >= values->size()) return ERROR_NO_MORE_ITEMS;
  *value = (*values)[index];
  return ERROR_SUCCESS;
}

Status Database::GetValue(KeyId id, std::string_view name, uint32_t* type,
                          std::vector<uint8_t>* data) {
  Query q(*this, "SELECT type, data FROM vals WHERE key = ?1 AND folded = ?2");
  if (!q.Bind(1, id).Bind(2, FoldName(name)).Step()) {
    if (q.status()) return q.status();
    Status status;
    return KeyExists(id, &status) ? ERROR_FILE_NOT_FOUND : (status ? status : ERROR_KEY_DELETED);
  }
  *type = uint32_t(q.Int(0));
  *data = q.Blob(1);
  return ERROR_SUCCESS;
}

Status Database::SubKeys(KeyId id, std::vector<SubKeyRecord>* subKeys) {
  subKeys->clear();
  Query q(*this, "SELECT id, name FROM keys WHERE parent = ?1 ORDER BY folded");
  q.Bind(1, id);
  while (q.Step()) subKeys->push_back({q.Int(0), q.Text(1)});
  return q.status();
}

Status Database::Values(KeyId id, std::vector<ValueRecord>* values) {
  values->clear();
  Query q(*this, "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY seq");
  q.Bind(1, id);
  while (q.Step()) values->push_back({q.Text(0), uint32_t(q.Int(1)), q.Blob(2)});
  return q.status();
}

Status Database::HasSubKeys(KeyId id, bool* has) {
  Query q(*this, "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1");
  *has = q.Bind(1, id).Step();
  return q.status();
}

// ---------------------------------------------------------------------------
// Changes

Status Database::PrepareChange(KeyId id) {
  if (!inTransaction_) return ERROR_INVALID_PARAMETER;
  DropCaches();
  Status status;
  return KeyExists(id, &status) ? ERROR_SUCCESS : (status ? status : ERROR_KEY_DELETED);
}

Status Database::CreateKey(KeyId base, const std::vector<std::string>& names, KeyId* id) {
  if (Status status = PrepareChange(base)) return status;
  KeyId current = base;
  for (const std::string& name : names) {
    const std::string folded = FoldName(name);
    Query find(*this, "SELECT id FROM keys WHERE parent = ?1 AND folded = ?2");
    if (find.Bind(1, current).Bind(2, folded).Step()) {
      current = find.Int(0);
      continue;
    }
    if (find.status()) return find.status();
    Query insert(*this, "INSERT INTO keys(parent, name, folded) VALUES(?1, ?2, ?3)");
    if (Status s = insert.Bind(1, current).Bind(2, name).Bind(3, folded).Run()) return s;
    current = sqlite3_last_insert_rowid(db_);
  }
  *id = current;
  return ERROR_SUCCESS;
}

Status Database::SetValue(KeyId id, std::string_view name, uint32_t type, const uint8_t* data,
                          uint32_t size) {
  if (Status status = PrepareChange(id)) return status;
  // A new value goes after the key's others; an overwrite keeps its place
  // and the name as first written.
  Query q(*this,
          "INSERT INTO vals(key, folded, name, seq, type, data) VALUES(?1, ?2, ?3,"
          " (SELECT ifnull(max(seq), 0) + 1 FROM vals WHERE key = ?1), ?4, ?5)"
          " ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type, data = excluded.data");
  return q.Bind(1, id)
      .Bind(2, FoldName(name))
      .Bind(3, name)
      .Bind(4, int64_t{type})
      .BindBlob(5, data, size)
      .Run();
}

Status Database::DeleteValue(KeyId id, std::string_view name) {
  if (Status status = PrepareChange(id)) return status;
  Query q(*this, "DELETE FROM vals WHERE key = ?1 AND folded = ?2");
  if (Status s = q.Bind(1, id).Bind(2, FoldName(name)).Run()) return s;
  return sqlite3_changes(db_) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

Status Database::DeleteSubtree(KeyId id, bool includeSelf) {
  if (Status status = PrepareChange(id)) return status;
  // UNION (not UNION ALL) ends the walk even if a damaged file had a cycle.
  Query values(*this,
               "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION"
               " SELECT keys.id FROM keys JOIN tree ON keys.parent = tree.id)"
               " DELETE FROM vals WHERE key IN tree");
  if (Status s = values.Bind(1, id).Run()) return s;
  Query keys(*this,
             "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION"
             " SELECT keys.id FROM keys JOIN tree ON keys.parent = tree.id)"
             " DELETE FROM keys WHERE id IN tree AND (?2 OR id <> ?1)");
  return keys.Bind(1, id).Bind(2, int64_t{includeSelf && id != kHiveRoot}).Run();
}

}  // namespace bkvp::platform::regstore
