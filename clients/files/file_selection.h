// Turns the backup list into the files to save: folder entries are walked
// with their masks and recursion, every candidate passes the date check, and
// the result is sorted with duplicates removed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "clients/files/backup_entry.h"
#include "clients/files/date_check.h"

namespace bkvp::files {

struct BackupItem {
  std::string fullPath;
  std::string localName;  // last component of fullPath
  bool link = false;      // a symbolic link, saved as a link
};

// The last component of a path, a trailing separator disregarded; the whole
// path when it has no separator.
std::string LocalNameOf(std::string_view path);

// A source the selection could not read: a folder that is missing or
// cannot be listed, a file that cannot be looked up, a path longer than the
// system allows. A file that is simply not there (any more) is none.
struct SelectionProblem {
  std::string path;
  uint32_t error = 0;  // system error code
  bool folder = false;
};

// The two log lines of a problem: "<Folder|File> Backup <path> FAILED", then
// the path with the system's text for the error.
std::vector<std::string> LogLinesOf(const SelectionProblem& problem);

struct Selection {
  // In walk order; a file reached twice is listed twice.
  std::vector<BackupItem> items;
  // What could not be read.
  std::vector<SelectionProblem> problems;
  // What was left out on purpose, one log line each: sockets, pipes and
  // devices, which hold no data to save, and the folder the backup is
  // written to.
  std::vector<std::string> leftOut;
};

// The files the entries select. `destination` is the folder the backup is
// written to ("" for none): a folder entry that holds it below its own
// folder leaves it out, or every run would save the runs before it.
Selection SelectFiles(const std::vector<ListEntry>& entries, const DateContext& context,
                      const std::string& destination = "");

// Sorts by full path ignoring letter case and drops repeats of a file.
void SortAndRemoveDuplicates(std::vector<BackupItem>& items);

}  // namespace bkvp::files
