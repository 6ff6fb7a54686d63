#include "clients/files/backup_list_store.h"

#include <cstdio>
#include <optional>

#include "clients/files/entry_text.h"
#include "clients/files/files_identity.h"
#include "platform/text.h"

namespace bkvp::files {

using namespace platform;

namespace {

// Stored entries are a path and a few numbers; anything longer than this is
// not an entry and is not read into memory.
constexpr uint32_t kMaxEntryBytes = 1u << 20;

struct StoredValue {
  std::string name;
  uint32_t type = REG_NONE;
  std::string data;
};

bool IsEntryName(std::string_view name) {
  return name.size() >= 4 && EqualsIgnoreCase(name.substr(0, 4), "file");
}

// One value by index; nullopt at the end of the enumeration or on an error
// that ends it. A value too large to be an entry comes back without data.
std::optional<StoredValue> EnumValue(HKEY key, uint32_t index, bool withData) {
  StoredValue value;
  char name[kMaxRegistryName + 1];
  std::string buffer(withData ? 512 : 0, '\0');
  for (;;) {
    uint32_t nameSize = sizeof name;
    uint32_t dataSize = static_cast<uint32_t>(buffer.size());
    const LSTATUS status =
        RegEnumValue(key, index, name, &nameSize, &value.type,
                     withData ? reinterpret_cast<uint8_t*>(buffer.data()) : nullptr,
                     withData ? &dataSize : nullptr);
    if (status == ERROR_MORE_DATA && withData && dataSize > buffer.size() &&
        dataSize <= kMaxEntryBytes) {
      buffer.resize(dataSize);
      continue;
    }
    if (status == ERROR_MORE_DATA && withData) {
      value.type = REG_NONE;  // oversized: not an entry
      return value;
    }
    if (status != ERROR_SUCCESS) return std::nullopt;
    value.name.assign(name, nameSize);
    buffer.resize(withData ? dataSize : 0);
    value.data = std::move(buffer);
    return value;
  }
}

std::vector<StoredValue> ListValues(const std::string& keyPath, bool withData) {
  std::vector<StoredValue> values;
  RegKeyHandle key;
  if (RegOpenKeyPath(keyPath, key.out()) != ERROR_SUCCESS) return values;
  for (uint32_t i = 0;; ++i) {
    auto value = EnumValue(key.get(), i, withData);
    if (!value) break;
    values.push_back(std::move(*value));
  }
  return values;
}

// Deletes every value of the key (creating the key when it is missing).
LSTATUS ClearValues(const std::string& keyPath, RegKeyHandle& key) {
  if (const LSTATUS status = RegCreateKeyPath(keyPath, key.out()); status != ERROR_SUCCESS)
    return status;
  for (const StoredValue& value : ListValues(keyPath, false))
    if (const LSTATUS status = RegDeleteValue(key.get(), value.name.c_str());
        status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
      return status;
  return ERROR_SUCCESS;
}

LSTATUS SetString(HKEY key, const char* name, const std::string& text) {
  return RegSetValue(key, name, REG_SZ, reinterpret_cast<const uint8_t*>(text.c_str()),
                     static_cast<uint32_t>(text.size() + 1));
}

}  // namespace

std::vector<ListEntry> ReadBackupList() {
  std::vector<ListEntry> entries;
  for (StoredValue& value : ListValues(BackuperKeyPath(), true)) {
    if (!IsEntryName(value.name) || (value.type != REG_SZ && value.type != REG_EXPAND_SZ)) continue;
    // The stored bytes end with the terminating zero; the text stops there.
    const size_t end = value.data.find('\0');
    if (end != std::string::npos) value.data.resize(end);
    if (auto entry = ParseEntry(value.data)) entries.push_back(std::move(*entry));
  }
  return entries;
}

bool HasBackupEntries() {
  for (const StoredValue& value : ListValues(BackuperKeyPath(), false))
    if (IsEntryName(value.name)) return true;
  return false;
}

LSTATUS WriteBackupList(const std::vector<ListEntry>& entries) {
  RegKeyHandle key;
  if (const LSTATUS status = ClearValues(BackuperKeyPath(), key); status != ERROR_SUCCESS)
    return status;
  for (size_t i = 0; i < entries.size(); ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "file%zu", i);
    if (const LSTATUS status = SetString(key.get(), name, FormatEntry(entries[i]));
        status != ERROR_SUCCESS)
      return status;
  }
  return ERROR_SUCCESS;
}

RestoreChoices ReadRestoreChoices() {
  RestoreChoices choices;
  choices.destination = RegReadString(RestorerKeyPath(), "Destination").value_or("");
  choices.overwrite = RegReadDword(RestorerKeyPath(), "Overwrite").value_or(0) != 0;
  choices.keepFolders = RegReadDword(RestorerKeyPath(), "KeepFolders").value_or(0) != 0;
  return choices;
}

LSTATUS WriteRestoreChoices(const RestoreChoices& choices) {
  RegKeyHandle key;
  if (const LSTATUS status = ClearValues(RestorerKeyPath(), key); status != ERROR_SUCCESS)
    return status;
  if (const LSTATUS status = SetString(key.get(), "Destination", choices.destination);
      status != ERROR_SUCCESS)
    return status;
  const uint32_t overwrite = choices.overwrite ? 1 : 0;
  if (const LSTATUS status =
          RegSetValue(key.get(), "Overwrite", REG_DWORD,
                      reinterpret_cast<const uint8_t*>(&overwrite), sizeof overwrite);
      status != ERROR_SUCCESS)
    return status;
  const uint32_t keepFolders = choices.keepFolders ? 1 : 0;
  return RegSetValue(key.get(), "KeepFolders", REG_DWORD,
                     reinterpret_cast<const uint8_t*>(&keepFolders), sizeof keepFolders);
}

}  // namespace bkvp::files
