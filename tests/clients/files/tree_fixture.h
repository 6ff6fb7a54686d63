// Helpers for the files client's tests: dates, file trees with chosen
// modification days, and list entries.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "clients/files/file_selection.h"
#include "tests/support/test_support.h"

namespace bkvp::files::testing {

// 2003-03-05 was a Wednesday. firstWeekday: 0 = Monday ... 6 = Sunday.
inline DateContext ContextOn(const CalendarDate& today = {2003, 3, 5}, int firstWeekday = 0) {
  return {DayNumber(today), firstWeekday};
}

// Writes the file (creating folders), last written at noon UTC of that day.
inline void WriteFileOnDay(const std::string& path, const std::string& content, int64_t day) {
  bkvp::testing::WriteFile(path, content);
  struct timespec times[2] = {{static_cast<time_t>(day * 86400 + 43200), 0},
                              {static_cast<time_t>(day * 86400 + 43200), 0}};
  if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0)
    throw std::runtime_error("cannot set the time of " + path);
}

inline std::vector<std::string> PathsOf(const std::vector<BackupItem>& items) {
  std::vector<std::string> paths;
  for (const BackupItem& item : items) paths.push_back(item.fullPath);
  return paths;
}

inline FolderEntry Folder(const std::string& path, const std::string& include = "*.*",
                          const std::string& exclude = "", bool recursive = true) {
  FolderEntry entry;
  entry.path = path;
  entry.includeMasks = include;
  entry.excludeMasks = exclude;
  entry.recursive = recursive;
  return entry;
}

}  // namespace bkvp::files::testing
