// A module's string table: user-visible texts and identifiers kept by number.
// The mail and browser clients number theirs alike: 100 module name, 101 and
// 102 the backup and restore page class identifiers, 103 the display name,
// 104 the service class identifier.
#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <utility>

namespace bkvp::clients {

constexpr int kStrModuleName = 100;
constexpr int kStrBackupPageClsid = 101;
constexpr int kStrRestorePageClsid = 102;
constexpr int kStrDisplayName = 103;
constexpr int kStrServiceClsid = 104;

// Texts are loaded through a 512-byte buffer: longer ones are cut (on a
// character boundary) to 511 bytes.
constexpr size_t kStringBufferSize = 512;

class StringTable {
 public:
  StringTable(std::initializer_list<std::pair<const int, std::string>> entries);
  // The text with that number, or "" when the table has none.
  std::string Load(int id) const;
  bool Has(int id) const { return entries_.count(id) != 0; }

 private:
  std::map<int, std::string> entries_;
};

}  // namespace bkvp::clients
