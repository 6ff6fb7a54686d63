// Archive names carry the moment of their run: "Vopalarc" + month, day,
// year - 2000, hour and minute in base 36 + ".KV", upper case.
#pragma once

#include <compare>
#include <ctime>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/engine/backup_job.h"

namespace bkvp::engine {

// The search pattern every archive name matches (years 2000 to 2035).
constexpr const char* kArchivePattern = "Vopalarc??????.KV";

// A name character that is not a base-36 digit.
class bad_number : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string ArchiveName(const std::tm& local);

// The moment a name encodes (year without 2000 added); compares in time order.
struct ArchiveMoment {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  auto operator<=>(const ArchiveMoment&) const = default;
};
// Reads the fields at positions 8, 9, 10, 11 and 12-13; throws bad_number.
ArchiveMoment DecodeArchiveName(std::string_view name);
// The moment as a calendar time, daylight saving left for mktime to find.
std::tm TmOf(const ArchiveMoment& moment);

// The files of `folder` (ending in "/") named like archives, with the
// moments their names encode; names that look like ours but do not decode
// go to `undecodable` when given.
struct FoundArchive {
  ArchiveMoment moment;
  std::string name;
};
std::vector<FoundArchive> ArchivesIn(const std::string& folder,
                                     std::vector<std::string>* undecodable = nullptr);

// The name of the minute after the one `name` encodes (the hour, day, month
// or year moving on with it); "" after the last minute of 2035. Throws
// bad_number for a name that does not decode.
std::string NextMinuteName(std::string_view name);

// The archive name for the moment that no file in `folder` (ending in "/")
// has: the moment's own, or when that is taken the next free minute's, so
// that two archives of one minute never share a name and the later one
// sorts after the earlier. "" when every later name is taken too.
std::string FreeArchiveName(const std::string& folder, const std::tm& local);

// The first name from `name` on (its own minute's, then the following
// minutes') that `taken` refuses; "" when every later name is taken too.
std::string FirstFreeName(std::string name, const std::function<bool(const std::string&)>& taken);

// The log line telling that the archive took `path` because `wanted` (a
// path or a name) was taken.
std::string NameTakenNote(const std::string& wanted, const std::string& path);

// The path under the first free name after the minute of `archivePath`, in
// its folder; "" when every later name is taken (or the name is no archive
// name).
std::string NextFreeArchivePath(const std::string& archivePath);

}  // namespace bkvp::engine
