// A module's string table: user-visible texts and identifiers kept by number.
// Every client keeps 100 the module name and 101 and 102 the backup and
// restore page class identifiers. The mail and browser clients go on with
// 103 the display name and 104 the service class identifier; the files
// client numbers the rest its own way, so a table says where its two naming
// entries are.
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

// The numbers of the entries that name the client.
struct NamingEntries {
  int displayName = kStrDisplayName;
  int serviceClsid = kStrServiceClsid;
};

class StringTable {
 public:
  StringTable(std::initializer_list<std::pair<const int, std::string>> entries,
              NamingEntries naming = {});
  // The text with that number, or "" when the table has none.
  std::string Load(int id) const;
  bool Has(int id) const { return entries_.count(id) != 0; }

  std::string ModuleName() const { return Load(kStrModuleName); }
  std::string DisplayName() const { return Load(naming_.displayName); }
  // In registry string form, braces included: it names the client's option
  // key and keys its archive section.
  std::string ServiceClsid() const { return Load(naming_.serviceClsid); }

 private:
  std::map<int, std::string> entries_;
  NamingEntries naming_;
};

}  // namespace bkvp::clients
