// The backup list and the restore choices as the registry holds them under
// the client key: "backuper" has one REG_SZ value "file<N>" per entry (N from
// 0 in list order; values whose names do not begin with "file" are not
// entries), "restorer" has "Destination" (REG_SZ) and "Overwrite" (REG_DWORD).
#pragma once

#include <string>
#include <vector>

#include "clients/files/backup_entry.h"
#include "platform/registry.h"

namespace bkvp::files {

// The entries in the registry's value order; values that do not parse, or
// are not strings, are skipped. A missing key gives an empty list.
std::vector<ListEntry> ReadBackupList();
// Whether "backuper" holds a value named "file..." (any case), parsed or not.
bool HasBackupEntries();
// Replaces every value of "backuper" with the entries, in order.
platform::LSTATUS WriteBackupList(const std::vector<ListEntry>& entries);

struct RestoreChoices {
  std::string destination;  // empty: every file goes back to its original path
  bool overwrite = false;
  // With a destination: each file at its original full path below it,
  // instead of all files side by side in it.
  bool keepFolders = false;
};
// Missing values read as the defaults above.
RestoreChoices ReadRestoreChoices();
// Replaces every value of "restorer" with the choices.
platform::LSTATUS WriteRestoreChoices(const RestoreChoices& choices);

}  // namespace bkvp::files
