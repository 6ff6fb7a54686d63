// How the backup list shows an entry in its "Include Mask" and "Exclude Mask"
// columns: the masks followed by the date rule in words. The backup page and
// "bkvp files list" show the same texts.
#pragma once

#include <string>

#include "clients/files/backup_entry.h"

namespace bkvp::files {

struct EntryColumns {
  std::string include;
  std::string exclude;
};

// A file's exclude column reads "[none]"; its include column names its rule,
// "Backup Allways" for no rule.
EntryColumns ColumnsOf(const ListEntry& entry);

constexpr const char* kNoExcludeText = "[none]";
constexpr const char* kAlwaysText = "Backup Allways";
// What a file freshly put on the list shows before its properties were
// opened, letter case as the list has always shown it.
constexpr const char* kFreshFileText = "Backup allways";

}  // namespace bkvp::files
