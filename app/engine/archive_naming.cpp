#include "app/engine/archive_naming.h"

#include "platform/files.h"
#include "platform/text.h"
#include "platform/time.h"

namespace bkvp::engine {
namespace {

std::string Base36(int value) {
  static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  unsigned v = value < 0 ? 0 : static_cast<unsigned>(value);
  std::string digits;
  do {
    digits.insert(digits.begin(), kDigits[v % 36]);
    v /= 36;
  } while (v != 0);
  return digits;
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  throw bad_number(std::string("not a base-36 digit: '") + c + "'");
}

int Field(std::string_view name, size_t first, size_t length) {
  if (name.size() < first + length) throw bad_number("archive name too short");
  int value = 0;
  int scale = 1;
  for (size_t i = first + length; i-- > first;) {
    value += DigitValue(name[i]) * scale;
    scale *= 36;
  }
  return value;
}

}  // namespace

std::string ArchiveName(const std::tm& local) {
  std::string minute = Base36(local.tm_min);
  if (minute.size() == 1) minute.insert(minute.begin(), '0');
  const std::string name = "Vopalarc" + Base36(local.tm_mon + 1) + Base36(local.tm_mday) +
                           Base36(local.tm_year + 1900 - 2000) + Base36(local.tm_hour) + minute +
                           ".KV";
  return platform::ToUpper(name);
}

ArchiveMoment DecodeArchiveName(std::string_view name) {
  ArchiveMoment m;
  m.month = Field(name, 8, 1);
  m.day = Field(name, 9, 1);
  m.year = Field(name, 10, 1);
  m.hour = Field(name, 11, 1);
  m.minute = Field(name, 12, 2);
  return m;
}

namespace {

// The last year the name's single year digit holds: 2000 + 35.
constexpr int kLastYear = 2035;

// The first name from `name` on that no file in the folder has.
std::string FirstFreeFrom(const std::string& folder, std::string name) {
  return FirstFreeName(std::move(name),
                       [&](const std::string& n) { return platform::FileExists(folder + n); });
}

}  // namespace

std::tm TmOf(const ArchiveMoment& moment) {
  std::tm local{};
  local.tm_year = moment.year + 100;  // names count years from 2000
  local.tm_mon = moment.month - 1;
  local.tm_mday = moment.day;
  local.tm_hour = moment.hour;
  local.tm_min = moment.minute;
  local.tm_isdst = -1;
  return local;
}

std::vector<FoundArchive> ArchivesIn(const std::string& folder,
                                     std::vector<std::string>* undecodable) {
  std::vector<FoundArchive> archives;
  for (const auto& found : platform::FindFiles(folder + kArchivePattern)) {
    if (found.attributes & platform::FILE_ATTRIBUTE_DIRECTORY) continue;
    try {
      archives.push_back({DecodeArchiveName(found.name), found.name});
    } catch (const bad_number&) {
      if (undecodable) undecodable->push_back(found.name);
    }
  }
  return archives;
}

std::string NextMinuteName(std::string_view name) {
  // Counted as UTC, where every minute exists once.
  std::tm t = TmOf(DecodeArchiveName(name));
  ++t.tm_min;
  const time_t next = timegm(&t);
  std::tm out{};
  if (!gmtime_r(&next, &out) || out.tm_year + 1900 > kLastYear) return "";
  return ArchiveName(out);
}

std::string FreeArchiveName(const std::string& folder, const std::tm& local) {
  return FirstFreeFrom(folder, ArchiveName(local));
}

std::string FirstFreeName(std::string name, const std::function<bool(const std::string&)>& taken) {
  while (!name.empty() && taken(name)) name = NextMinuteName(name);
  return name;
}

std::string NameTakenNote(const std::string& wanted, const std::string& path) {
  return "The name " + platform::EscapeControls(platform::FileNameOf(wanted)) +
         " is taken; the archive is " + platform::EscapeControls(path) + ".";
}

std::string NextFreeArchivePath(const std::string& archivePath) {
  const std::string parent = platform::ParentFolder(archivePath);
  const std::string folder = parent.empty() ? "" : parent + "/";
  try {
    const std::string next =
        FirstFreeFrom(folder, NextMinuteName(platform::FileNameOf(archivePath)));
    return next.empty() ? "" : folder + next;
  } catch (const bad_number&) {
    return "";
  }
}

}  // namespace bkvp::engine
