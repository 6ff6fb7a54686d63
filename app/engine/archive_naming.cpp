#include "app/engine/archive_naming.h"

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

std::string ArchiveNameForDate(DATE time) { return ArchiveName(platform::TmFromDate(time)); }

ArchiveMoment DecodeArchiveName(std::string_view name) {
  ArchiveMoment m;
  m.month = Field(name, 8, 1);
  m.day = Field(name, 9, 1);
  m.year = Field(name, 10, 1);
  m.hour = Field(name, 11, 1);
  m.minute = Field(name, 12, 2);
  return m;
}

}  // namespace bkvp::engine
