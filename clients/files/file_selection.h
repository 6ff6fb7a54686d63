// Turns the backup list into the files to save: folder entries are walked
// with their masks and recursion, every candidate passes the date check, and
// the result is sorted with duplicates removed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "clients/files/backup_entry.h"
#include "clients/files/date_check.h"

namespace bkvp::files {

struct BackupItem {
  std::string fullPath;
  std::string localName;  // last component of fullPath
};

// The last component of a path, a trailing separator disregarded; the whole
// path when it has no separator.
std::string LocalNameOf(std::string_view path);

// The files the entries select, in walk order; a file reached twice is listed twice.
std::vector<BackupItem> SelectFiles(const std::vector<ListEntry>& entries,
                                    const DateContext& context);

// Sorts by full path ignoring letter case and drops repeats of a file.
void SortAndRemoveDuplicates(std::vector<BackupItem>& items);

}  // namespace bkvp::files
