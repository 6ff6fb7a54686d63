// The Win32-shaped registry calls over the hive databases of
// registry_store.h. A handle is a heap object naming a database and a key
// id; the predefined roots are the constant values and are resolved against
// the registry folder of the moment at every call.
#include "platform/registry.h"

#include <cstring>
#include <unordered_set>

#include "platform/registry_store.h"
#include "platform/text.h"

namespace bkvp::platform {

struct RegKey {
  std::shared_ptr<regstore::Database> db;
  regstore::KeyId id;
};

namespace {

using regstore::Database;
using regstore::KeyId;
using regstore::Status;

// Handles given out and not yet closed, so that a stale or foreign pointer
// is answered with ERROR_INVALID_HANDLE instead of being dereferenced.
std::unordered_set<RegKey*>& LiveHandles() {
  static std::unordered_set<RegKey*> handles;
  return handles;
}

// Where a call starts: the database and key of a handle, or a predefined
// root's hive with the path below its top.
struct Anchor {
  std::shared_ptr<Database> db;  // null for a root whose hive has no file yet
  KeyId id = regstore::kHiveRoot;
  std::vector<std::string> prefix;
  bool isRoot = false;
};

Status AnchorOf(HKEY key, regstore::OpenMode mode, Anchor* anchor) {
  if (regstore::IsPredefinedRoot(key)) {
    regstore::RootPlace place;
    if (Status status = regstore::PlaceOfRoot(key, &place)) return status;
    anchor->isRoot = true;
    anchor->prefix = std::move(place.prefix);
    return regstore::OpenHive(place.hive, mode, &anchor->db);
  }
  if (!key || !LiveHandles().count(key)) return ERROR_INVALID_HANDLE;
  if (Status status = regstore::UseInThisProcess(&key->db)) return status;
  anchor->db = key->db;
  anchor->id = key->id;
  return ERROR_SUCCESS;
}

// The path from the anchor's key: a root's prefix, then the names given.
Status FullNames(const Anchor& anchor, const char* subKey, std::vector<std::string>* names) {
  std::vector<std::string> below;
  if (Status status = regstore::SplitSubKey(subKey, &below)) return status;
  *names = anchor.prefix;
  names->insert(names->end(), below.begin(), below.end());
  return ERROR_SUCCESS;
}

// An existing key, for reads.
struct Located {
  std::shared_ptr<Database> db;
  KeyId id = regstore::kHiveRoot;
};
Status Locate(HKEY key, const char* subKey, Located* located) {
  Anchor anchor;
  if (Status status = AnchorOf(key, regstore::OpenMode::Read, &anchor)) return status;
  std::vector<std::string> names;
  if (Status status = FullNames(anchor, subKey, &names)) return status;
  Status status;
  if (!anchor.db->KeyExists(anchor.id, &status)) return status ? status : ERROR_KEY_DELETED;
  located->db = anchor.db;
  return anchor.db->FindKey(anchor.id, names, &located->id);
}

// A root whose hive has no file yet (or HKEY_CLASSES_ROOT without its key)
// is simply empty.
Status LocateForEnumeration(HKEY key, Located* located) {
  const Status status = Locate(key, nullptr, located);
  if (status == ERROR_FILE_NOT_FOUND && regstore::IsPredefinedRoot(key)) return ERROR_NO_MORE_ITEMS;
  return status;
}

// Runs one change in its own transaction on the key named by (key,
// subKey), created first when `create`. Without `create` a hive that has no
// file is not made for it.
template <class Change>
Status Modify(HKEY key, const char* subKey, bool create, std::shared_ptr<Database>* usedDb,
              Change&& change) {
  Anchor anchor;
  const auto mode = create ? regstore::OpenMode::Write : regstore::OpenMode::Read;
  if (Status status = AnchorOf(key, mode, &anchor)) return status;
  std::vector<std::string> names;
  if (Status status = FullNames(anchor, subKey, &names)) return status;
  Database& db = *anchor.db;
  regstore::Transaction transaction(db);
  if (transaction.status()) return transaction.status();
  KeyId id = regstore::kHiveRoot;
  Status status = create ? db.CreateKey(anchor.id, names, &id) : db.FindKey(anchor.id, names, &id);
  if (status == ERROR_SUCCESS && !create) {
    if (!db.KeyExists(anchor.id, &status) && !status) status = ERROR_KEY_DELETED;
  }
  if (status == ERROR_SUCCESS) status = change(db, id, anchor.isRoot && names == anchor.prefix);
  if (status == ERROR_SUCCESS) status = transaction.Commit();
  if (status == ERROR_SUCCESS && usedDb) *usedDb = anchor.db;
  return status;
}

RegKey* NewHandle(std::shared_ptr<Database> db, KeyId id) {
  auto* handle = new RegKey{std::move(db), id};
  LiveHandles().insert(handle);
  return handle;
}

// Copies a name into a caller's buffer with the sizes of RegEnumKey. When
// it does not fit, *nameSize tells the size needed, zero included.
Status CopyName(const std::string& source, char* name, uint32_t* nameSize) {
  if (!name || !nameSize) return ERROR_INVALID_PARAMETER;
  if (source.size() + 1 > *nameSize) {
    *nameSize = uint32_t(source.size() + 1);
    return ERROR_MORE_DATA;
  }
  std::memcpy(name, source.c_str(), source.size() + 1);
  *nameSize = uint32_t(source.size());
  return ERROR_SUCCESS;
}

Status CopyData(uint32_t sourceType, const std::vector<uint8_t>& source, uint32_t* type,
                uint8_t* data, uint32_t* dataSize) {
  if (type) *type = sourceType;
  if (data && !dataSize) return ERROR_INVALID_PARAMETER;
  if (!dataSize) return ERROR_SUCCESS;
  const auto size = uint32_t(source.size());
  const bool fits = size <= *dataSize;
  *dataSize = size;
  if (!data) return ERROR_SUCCESS;
  if (!fits) return ERROR_MORE_DATA;
  if (size) std::memcpy(data, source.data(), size);
  return ERROR_SUCCESS;
}

Status CheckValueName(const char* name) {
  return name && std::strlen(name) > kMaxRegistryName ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
}

const char* NameOrDefault(const char* name) { return name ? name : ""; }

}  // namespace

LSTATUS RegOpenKey(HKEY parent, const char* subKey, HKEY* result) {
  std::lock_guard lock(regstore::StoreLock());
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  // The same constant comes back for a root itself; closing it is harmless.
  if (regstore::IsPredefinedRoot(parent) && (!subKey || !*subKey)) {
    regstore::RootPlace place;
    if (Status status = regstore::PlaceOfRoot(parent, &place)) return status;
    *result = parent;
    return ERROR_SUCCESS;
  }
  Located located;
  if (Status status = Locate(parent, subKey, &located)) return status;
  *result = NewHandle(std::move(located.db), located.id);
  return ERROR_SUCCESS;
}

LSTATUS RegCreateKey(HKEY parent, const char* subKey, HKEY* result) {
  std::lock_guard lock(regstore::StoreLock());
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  std::shared_ptr<Database> db;
  KeyId created = regstore::kHiveRoot;
  const Status status = Modify(parent, subKey, true, &db, [&](Database&, KeyId id, bool) {
    created = id;
    return Status{ERROR_SUCCESS};
  });
  if (status) return status;
  *result = NewHandle(std::move(db), created);
  return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY key) {
  std::lock_guard lock(regstore::StoreLock());
  if (regstore::IsPredefinedRoot(key)) return ERROR_SUCCESS;
  if (!key || !LiveHandles().erase(key)) return ERROR_INVALID_HANDLE;
  delete key;
  return ERROR_SUCCESS;
}

LSTATUS RegEnumKey(HKEY key, uint32_t index, char* name, uint32_t* nameSize) {
  std::lock_guard lock(regstore::StoreLock());
  if (!name || !nameSize) return ERROR_INVALID_PARAMETER;
  Located located;
  if (Status status = LocateForEnumeration(key, &located)) return status;
  std::string found;
  if (Status s = located.db->SubKeyAt(located.id, index, &found)) return s;
  return CopyName(found, name, nameSize);
}

LSTATUS RegEnumValue(HKEY key, uint32_t index, char* name, uint32_t* nameSize, uint32_t* type,
                     uint8_t* data, uint32_t* dataSize) {
  std::lock_guard lock(regstore::StoreLock());
  if (!name || !nameSize || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
  Located located;
  if (Status status = LocateForEnumeration(key, &located)) return status;
  regstore::ValueInfo info;
  if (Status s = located.db->ValueAt(located.id, index, &info)) return s;
  const Status nameStatus = CopyName(info.name, name, nameSize);
  if (!data) {
    if (type) *type = info.type;
    if (dataSize) *dataSize = info.size;
    return nameStatus;
  }
  uint32_t storedType = 0;
  std::vector<uint8_t> stored;
  if (Status s = located.db->GetValue(located.id, info.name, &storedType, &stored)) return s;
  const Status dataStatus = CopyData(storedType, stored, type, data, dataSize);
  return nameStatus ? nameStatus : dataStatus;
}

LSTATUS RegQueryValue(HKEY key, const char* name, uint32_t* type, uint8_t* data,
                      uint32_t* dataSize) {
  std::lock_guard lock(regstore::StoreLock());
  if (Status status = CheckValueName(name)) return status;
  if (data && !dataSize) return ERROR_INVALID_PARAMETER;
  Located located;
  if (Status status = Locate(key, nullptr, &located)) return status;
  uint32_t storedType = 0;
  std::vector<uint8_t> stored;
  if (Status s = located.db->GetValue(located.id, NameOrDefault(name), &storedType, &stored))
    return s;
  return CopyData(storedType, stored, type, data, dataSize);
}

LSTATUS RegSetValue(HKEY key, const char* name, uint32_t type, const uint8_t* data, uint32_t size) {
  std::lock_guard lock(regstore::StoreLock());
  if (Status status = CheckValueName(name)) return status;
  if (!data && size) return ERROR_INVALID_PARAMETER;
  return Modify(key, nullptr, true, nullptr, [&](Database& db, KeyId id, bool) {
    return db.SetValue(id, NameOrDefault(name), type, data, size);
  });
}

LSTATUS RegDeleteValue(HKEY key, const char* name) {
  std::lock_guard lock(regstore::StoreLock());
  if (Status status = CheckValueName(name)) return status;
  return Modify(key, nullptr, false, nullptr, [&](Database& db, KeyId id, bool) {
    return db.DeleteValue(id, NameOrDefault(name));
  });
}

LSTATUS RegDeleteKey(HKEY parent, const char* subKey) {
  std::lock_guard lock(regstore::StoreLock());
  return Modify(parent, subKey, false, nullptr, [](Database& db, KeyId id, bool isRoot) -> Status {
    if (isRoot || id == regstore::kHiveRoot) return ERROR_ACCESS_DENIED;
    bool hasSubKeys = false;
    if (Status status = db.HasSubKeys(id, &hasSubKeys)) return status;
    if (hasSubKeys) return ERROR_ACCESS_DENIED;
    return db.DeleteSubtree(id, true);
  });
}

LSTATUS RegDeleteTree(HKEY parent, const char* subKey) {
  std::lock_guard lock(regstore::StoreLock());
  const bool contentsOnly = !subKey || !*subKey;
  return Modify(parent, subKey, false, nullptr, [&](Database& db, KeyId id, bool isRoot) -> Status {
    if (!contentsOnly && isRoot) return ERROR_ACCESS_DENIED;
    return db.DeleteSubtree(id, !contentsOnly);
  });
}

// ---------------------------------------------------------------------------
// Full key paths

namespace {

struct RootName {
  HKEY root;
  const char* name;
};
const RootName kRootNames[] = {
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
    {HKEY_USERS, "HKEY_USERS"},
    {HKEY_PERFORMANCE_DATA, "HKEY_PERFORMANCE_DATA"},
    {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG"},
    {HKEY_DYN_DATA, "HKEY_DYN_DATA"},
};

}  // namespace

std::optional<HKEY> RootKeyFromName(std::string_view name) {
  for (const RootName& entry : kRootNames)
    if (EqualsIgnoreCase(name, entry.name)) return entry.root;
  return std::nullopt;
}

const char* RootKeyName(HKEY root) {
  for (const RootName& entry : kRootNames)
    if (entry.root == root) return entry.name;
  return "";
}

std::optional<KeyPath> SplitKeyPath(std::string_view fullPath) {
  const size_t cut = fullPath.find('\\');
  const std::optional<HKEY> root = RootKeyFromName(fullPath.substr(0, cut));
  if (!root) return std::nullopt;
  KeyPath path;
  path.root = *root;
  if (cut != std::string_view::npos) path.subKey = std::string(fullPath.substr(cut + 1));
  return path;
}

std::string JoinKeyPath(std::string_view a, std::string_view b) {
  if (a.empty()) return std::string(b);
  if (b.empty()) return std::string(a);
  if (a.back() == '\\') return std::string(a) + std::string(b);
  return std::string(a) + "\\" + std::string(b);
}

std::string JoinRootAndSubKey(HKEY root, std::string_view subKey) {
  std::string path = RootKeyName(root);
  if (!subKey.empty()) path.append("\\").append(subKey);
  return path;
}

LSTATUS RegOpenKeyPath(std::string_view fullPath, HKEY* result) {
  const std::optional<KeyPath> path = SplitKeyPath(fullPath);
  if (!path) {
    if (result) *result = nullptr;
    return ERROR_FILE_NOT_FOUND;  // an unknown root names no key
  }
  return RegOpenKey(path->root, path->subKey.c_str(), result);
}

LSTATUS RegCreateKeyPath(std::string_view fullPath, HKEY* result) {
  const std::optional<KeyPath> path = SplitKeyPath(fullPath);
  if (!path) {
    if (result) *result = nullptr;
    return ERROR_INVALID_PARAMETER;  // nowhere to create it
  }
  return RegCreateKey(path->root, path->subKey.c_str(), result);
}

// ---------------------------------------------------------------------------
// Convenience reads and writes

namespace {

std::optional<std::vector<uint8_t>> ReadValue(std::string_view fullKeyPath,
                                              std::string_view valueName, uint32_t* type) {
  RegKeyHandle key;
  if (RegOpenKeyPath(fullKeyPath, key.out()) != ERROR_SUCCESS) return std::nullopt;
  const std::string name(valueName);
  // The value may grow between asking its size and reading it.
  for (int attempt = 0; attempt < 4; ++attempt) {
    uint32_t size = 0;
    if (RegQueryValue(key.get(), name.c_str(), type, nullptr, &size) != ERROR_SUCCESS)
      return std::nullopt;
    std::vector<uint8_t> data(size);
    const LSTATUS status = RegQueryValue(key.get(), name.c_str(), type, data.data(), &size);
    if (status == ERROR_SUCCESS) {
      data.resize(size);
      return data;
    }
    if (status != ERROR_MORE_DATA) return std::nullopt;
  }
  return std::nullopt;
}

LSTATUS WriteValue(std::string_view fullKeyPath, std::string_view valueName, uint32_t type,
                   const uint8_t* data, size_t size) {
  if (size > UINT32_MAX) return ERROR_INVALID_PARAMETER;
  RegKeyHandle key;
  if (LSTATUS status = RegCreateKeyPath(fullKeyPath, key.out())) return status;
  const std::string name(valueName);
  return RegSetValue(key.get(), name.c_str(), type, data, uint32_t(size));
}

}  // namespace

std::optional<std::string> RegReadString(std::string_view fullKeyPath, std::string_view valueName) {
  uint32_t type = 0;
  const auto data = ReadValue(fullKeyPath, valueName, &type);
  if (!data || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
  std::string text(data->begin(), data->end());
  // Text ends at its first zero, as a C string read from the value would.
  if (const size_t zero = text.find('\0'); zero != std::string::npos) text.resize(zero);
  return text;
}

std::optional<uint32_t> RegReadDword(std::string_view fullKeyPath, std::string_view valueName) {
  uint32_t type = 0;
  const auto data = ReadValue(fullKeyPath, valueName, &type);
  if (!data || type != REG_DWORD || data->size() != 4) return std::nullopt;
  return uint32_t((*data)[0]) | uint32_t((*data)[1]) << 8 | uint32_t((*data)[2]) << 16 |
         uint32_t((*data)[3]) << 24;
}

std::optional<std::vector<uint8_t>> RegReadBinary(std::string_view fullKeyPath,
                                                  std::string_view valueName) {
  uint32_t type = 0;
  auto data = ReadValue(fullKeyPath, valueName, &type);
  if (!data || type != REG_BINARY) return std::nullopt;
  return data;
}

LSTATUS RegWriteString(std::string_view fullKeyPath, std::string_view valueName,
                       std::string_view text) {
  const std::string stored = std::string(text) + '\0';
  return WriteValue(fullKeyPath, valueName, REG_SZ, reinterpret_cast<const uint8_t*>(stored.data()),
                    stored.size());
}

LSTATUS RegWriteDword(std::string_view fullKeyPath, std::string_view valueName, uint32_t value) {
  const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                            uint8_t(value >> 24)};
  return WriteValue(fullKeyPath, valueName, REG_DWORD, bytes, sizeof bytes);
}

LSTATUS RegWriteBinary(std::string_view fullKeyPath, std::string_view valueName,
                       const std::vector<uint8_t>& data) {
  return WriteValue(fullKeyPath, valueName, REG_BINARY, data.data(), data.size());
}

std::vector<std::string> RegListSubKeys(std::string_view fullKeyPath) {
  std::vector<std::string> names;
  RegKeyHandle key;
  if (RegOpenKeyPath(fullKeyPath, key.out()) != ERROR_SUCCESS) return names;
  char name[kMaxRegistryName + 1];
  for (uint32_t index = 0;; ++index) {
    uint32_t size = sizeof name;
    if (RegEnumKey(key.get(), index, name, &size) != ERROR_SUCCESS) break;
    names.emplace_back(name, size);
  }
  return names;
}

std::optional<StoreProblem> CheckRegistryStore() {
  for (regstore::Hive hive : {regstore::Hive::CurrentUser, regstore::Hive::LocalMachine,
                              regstore::Hive::Users, regstore::Hive::CurrentConfig}) {
    std::shared_ptr<regstore::Database> db;
    const LSTATUS status = regstore::OpenHive(hive, regstore::OpenMode::Read, &db);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
      return StoreProblem{regstore::HivePath(hive), status};
  }
  return std::nullopt;
}

}  // namespace bkvp::platform
