// The registry: a hierarchical store of keys and typed values with the
// Win32 shape the rest of the system is written against. Each hive is one
// SQLite database in the registry folder (see paths.h); HKEY_CLASSES_ROOT is a
// view of HKEY_LOCAL_MACHINE\SOFTWARE\Classes. Key and value names are
// case-insensitive and case-preserving; subkeys enumerate in case-insensitive
// name order, values in the order they were first created. Every change is
// one transaction, and several processes may use the store at once.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/errors.h"

#pragma GCC visibility push(default)

namespace bkvp::platform {

using LSTATUS = int32_t;
struct RegKey;  // opaque
using HKEY = RegKey*;

// Predefined roots (the Windows handle values).
inline HKEY const HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(uintptr_t{0x80000000});
inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(uintptr_t{0x80000001});
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(uintptr_t{0x80000002});
inline HKEY const HKEY_USERS = reinterpret_cast<HKEY>(uintptr_t{0x80000003});
inline HKEY const HKEY_PERFORMANCE_DATA = reinterpret_cast<HKEY>(uintptr_t{0x80000004});
inline HKEY const HKEY_CURRENT_CONFIG = reinterpret_cast<HKEY>(uintptr_t{0x80000005});
inline HKEY const HKEY_DYN_DATA = reinterpret_cast<HKEY>(uintptr_t{0x80000006});

constexpr uint32_t REG_NONE = 0;
constexpr uint32_t REG_SZ = 1;
constexpr uint32_t REG_EXPAND_SZ = 2;
constexpr uint32_t REG_BINARY = 3;
constexpr uint32_t REG_DWORD = 4;
constexpr uint32_t REG_DWORD_BIG_ENDIAN = 5;
constexpr uint32_t REG_LINK = 6;
constexpr uint32_t REG_MULTI_SZ = 7;
constexpr uint32_t REG_QWORD = 11;

// Longest key or value name, in bytes, without the terminating zero.
constexpr uint32_t kMaxRegistryName = 255;

// All calls return ERROR_SUCCESS (0) or a system error code (errors.h):
// ERROR_FILE_NOT_FOUND for a missing key or value, ERROR_INVALID_HANDLE for a
// bad handle or a root without keys, ERROR_MORE_DATA when a buffer is too
// small, ERROR_NO_MORE_ITEMS at the end of an enumeration, ERROR_BADDB when a
// hive database is damaged. A subkey path uses "\" between levels; a null or
// empty subKey names the key itself (a new handle to it).
LSTATUS RegOpenKey(HKEY parent, const char* subKey, HKEY* result);
// Opens the key, creating it and any missing parents.
LSTATUS RegCreateKey(HKEY parent, const char* subKey, HKEY* result);
LSTATUS RegCloseKey(HKEY key);

// *nameSize: in, the buffer size in bytes including room for the zero; out,
// the name length without the zero. ERROR_MORE_DATA when it does not fit.
LSTATUS RegEnumKey(HKEY key, uint32_t index, char* name, uint32_t* nameSize);
// As RegEnumKey for the name; type, data and dataSize may each be null. When
// data is given and *dataSize is too small: ERROR_MORE_DATA and *dataSize is
// set to the size needed.
LSTATUS RegEnumValue(HKEY key, uint32_t index, char* name, uint32_t* nameSize, uint32_t* type,
                     uint8_t* data, uint32_t* dataSize);
// name null or "" is the default value. Same buffer rules as RegEnumValue.
LSTATUS RegQueryValue(HKEY key, const char* name, uint32_t* type, uint8_t* data,
                      uint32_t* dataSize);
// String types are stored as given: callers pass the terminating zero in size.
LSTATUS RegSetValue(HKEY key, const char* name, uint32_t type, const uint8_t* data, uint32_t size);
LSTATUS RegDeleteValue(HKEY key, const char* name);
// Deletes a key without subkeys; ERROR_ACCESS_DENIED when it has subkeys.
LSTATUS RegDeleteKey(HKEY parent, const char* subKey);
// Deletes the key (subKey null or "": the key's contents) and its subtree.
LSTATUS RegDeleteTree(HKEY parent, const char* subKey);

// Owns an open key and closes it.
class RegKeyHandle {
 public:
  RegKeyHandle() = default;
  explicit RegKeyHandle(HKEY key) : key_(key) {}
  RegKeyHandle(const RegKeyHandle&) = delete;
  RegKeyHandle& operator=(const RegKeyHandle&) = delete;
  RegKeyHandle(RegKeyHandle&& other) noexcept : key_(other.key_) { other.key_ = nullptr; }
  RegKeyHandle& operator=(RegKeyHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      key_ = other.key_;
      other.key_ = nullptr;
    }
    return *this;
  }
  ~RegKeyHandle() { Reset(); }
  HKEY get() const { return key_; }
  HKEY* out() {
    Reset();
    return &key_;
  }
  explicit operator bool() const { return key_ != nullptr; }
  void Reset() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
  }

 private:
  HKEY key_ = nullptr;
};

// Full key paths: a root's long name, "\", and the subkey path.
// The seven root names, compared without regard to letter case.
std::optional<HKEY> RootKeyFromName(std::string_view name);
// The long name of a predefined root ("HKEY_CURRENT_USER"), or "" for others.
const char* RootKeyName(HKEY root);
struct KeyPath {
  HKEY root = nullptr;
  std::string subKey;  // may be empty
};
// Splits "HKEY_CURRENT_USER\Software\X" at the first backslash; nullopt when
// the root name is unknown.
std::optional<KeyPath> SplitKeyPath(std::string_view fullPath);
// "HKEY_CURRENT_USER\Software\X" from a root and a subkey path.
std::string JoinRootAndSubKey(HKEY root, std::string_view subKey);
// "a\b" joined the way key paths are: an empty side gives the other one, and
// a trailing "\" on a is not doubled.
std::string JoinKeyPath(std::string_view a, std::string_view b);
LSTATUS RegOpenKeyPath(std::string_view fullPath, HKEY* result);
LSTATUS RegCreateKeyPath(std::string_view fullPath, HKEY* result);

// Convenience reads and writes by full path. Reads give nullopt when the key
// or value is missing or has another type; string reads accept REG_SZ and
// REG_EXPAND_SZ and drop the terminating zero.
std::optional<std::string> RegReadString(std::string_view fullKeyPath, std::string_view valueName);
std::optional<uint32_t> RegReadDword(std::string_view fullKeyPath, std::string_view valueName);
std::optional<std::vector<uint8_t>> RegReadBinary(std::string_view fullKeyPath,
                                                  std::string_view valueName);
// Writes create the key when needed.
LSTATUS RegWriteString(std::string_view fullKeyPath, std::string_view valueName,
                       std::string_view text);
LSTATUS RegWriteDword(std::string_view fullKeyPath, std::string_view valueName, uint32_t value);
LSTATUS RegWriteBinary(std::string_view fullKeyPath, std::string_view valueName,
                       const std::vector<uint8_t>& data);
// Names of the subkeys of a key, in enumeration order (empty when missing).
std::vector<std::string> RegListSubKeys(std::string_view fullKeyPath);

// A hive file of the store that cannot be used (damaged, or not one of ours),
// so that callers refuse to work on it instead of reading "nothing stored"
// and overwriting it. Missing hives are fine: they are created when written.
struct StoreProblem {
  std::string file;    // the hive's database file
  LSTATUS status = 0;  // ERROR_BADDB for a damaged file
};
std::optional<StoreProblem> CheckRegistryStore();

// REGEDIT4 text. Import applies the whole file or nothing: a syntax error, an
// unknown root or a failing write leaves the store as it was and names the
// line in the error text. "[-KEY]" deletes a key with its subtree and
// "name"=- deletes a value.
struct RegFileResult {
  bool ok = true;
  std::string error;  // empty when ok
};
RegFileResult ImportRegText(std::string_view text);
RegFileResult ImportRegFile(const std::string& path);
// The key and its whole subtree, keys in enumeration order, in REGEDIT4 form
// (header line "REGEDIT4", a blank line, then one section per key).
RegFileResult ExportRegText(std::string_view fullKeyPath, std::string& text);
// Values of one key in .reg syntax (one line per value), for queries.
std::string FormatRegValue(std::string_view name, uint32_t type, const std::vector<uint8_t>& data);

// One value in .reg syntax written as its data arrives, so that a value of
// any size is never held whole: short text and number values get their
// text forms as FormatRegValue gives them, everything larger hex lines.
// `write` receives the text piece by piece; End() adds the line break.
class RegValueWriter {
 public:
  explicit RegValueWriter(std::function<void(std::string_view)> write) : write_(std::move(write)) {}
  void Begin(std::string_view name, uint32_t type, uint32_t size);
  void Data(const uint8_t* bytes, size_t size);
  void End();

 private:
  // Values up to this size are gathered and formatted whole.
  static constexpr uint32_t kGatheredBytes = 64 * 1024;
  std::function<void(std::string_view)> write_;
  std::string name_;
  uint32_t type_ = 0;
  uint32_t size_ = 0;
  uint32_t done_ = 0;
  std::vector<uint8_t> gathered_;
  std::string line_;  // the hex line being filled
};

}  // namespace bkvp::platform

#pragma GCC visibility pop
