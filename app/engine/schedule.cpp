#include "app/engine/schedule.h"

#include "platform/time.h"

namespace bkvp::engine {
namespace {

constexpr const char* kWeekdayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                         "Thursday", "Friday", "Saturday"};
constexpr const char* kOrdinalNames[] = {"1st", "2nd", "3rd", "4th", "last"};

const char* DaySuffix(uint32_t day) {
  switch (day) {
    case 1:
      return "st";
    case 2:
      return "nd";
    case 3:
      return "rd";
    default:
      return "th";
  }
}

template <size_t N>
const char* NameAt(const char* const (&names)[N], uint32_t index) {
  return index < N ? names[index] : "?";
}

// The calendar day `offset` days after `day`, normalised (weekday included).
std::tm DayAfter(const std::tm& day, int offset) {
  std::tm next{};
  next.tm_year = day.tm_year;
  next.tm_mon = day.tm_mon;
  next.tm_mday = day.tm_mday + offset;
  next.tm_hour = 12;  // midday keeps daylight-saving shifts off the date
  next.tm_isdst = -1;
  return platform::LocalTime(platform::MakeLocalTime(next));
}

}  // namespace

std::vector<uint8_t> ScheduleRecord::Encode() const {
  const uint32_t fields[] = {kind,        timeOfDay, keepCount, weekdayMask,
                             monthlyMode, dayNumber, ordinal,   weekday};
  std::vector<uint8_t> bytes;
  bytes.reserve(kSize);
  for (uint32_t f : fields)
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(uint8_t(f >> shift));
  return bytes;
}

std::optional<ScheduleRecord> ScheduleRecord::Decode(const std::vector<uint8_t>& bytes) {
  if (bytes.size() != kSize) return std::nullopt;
  uint32_t f[8];
  for (int i = 0; i < 8; ++i)
    f[i] = uint32_t(bytes[4 * i]) | uint32_t(bytes[4 * i + 1]) << 8 |
           uint32_t(bytes[4 * i + 2]) << 16 | uint32_t(bytes[4 * i + 3]) << 24;
  return ScheduleRecord{f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7]};
}

std::string ScheduleSentence(const ScheduleRecord& r) {
  std::string s;
  if (r.kind == kDaily) {
    s = "every day";
  } else if (r.kind == kWeekly) {
    s = "every ";
    bool first = true;
    for (uint32_t d = 0; d < 7; ++d) {
      if (!(r.weekdayMask & (1u << d))) continue;
      if (!first) s += ", ";
      s += kWeekdayNames[d];
      first = false;
    }
  } else if (r.monthlyMode == kDayNumber) {
    s = "On the " + std::to_string(r.dayNumber) + DaySuffix(r.dayNumber) + " of every month";
  } else {
    s = std::string("On the ") + NameAt(kOrdinalNames, r.ordinal) + " " +
        NameAt(kWeekdayNames, r.weekday) + " of every month";
  }
  return s + " at " + platform::FormatTime(platform::LocalTime(r.timeOfDay), "%H:%M");
}

bool IsRunDay(const ScheduleRecord& r, const std::tm& day) {
  switch (r.kind) {
    case kDaily:
      return true;
    case kWeekly:
      return (r.weekdayMask >> day.tm_wday) & 1u;
    case kMonthly:
      break;
    default:
      return false;
  }
  if (r.monthlyMode == kDayNumber) {
    if (uint32_t(day.tm_mday) == r.dayNumber) return true;
    return r.dayNumber == 31 && DayAfter(day, 1).tm_mon != day.tm_mon;
  }
  if (r.monthlyMode != kOrdinalWeekday || uint32_t(day.tm_wday) != r.weekday) return false;
  if (r.ordinal == kOrdinalLast) return DayAfter(day, 7).tm_mon != day.tm_mon;
  return r.ordinal < kOrdinalLast && uint32_t(day.tm_mday - 1) / 7 == r.ordinal;
}

uint32_t TimeOfDayOn(std::time_t day, int hour, int minute) {
  std::tm local = platform::LocalTime(day);
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = 0;
  return static_cast<uint32_t>(platform::MakeLocalTime(local));
}

std::optional<std::time_t> ComputeNextRun(const ScheduleRecord& r, std::time_t now) {
  const std::tm today = platform::LocalTime(now);
  const std::tm runTime = platform::LocalTime(r.timeOfDay);
  for (int offset = 0; offset <= kNextRunSearchDays; ++offset) {
    std::tm candidate{};
    candidate.tm_year = today.tm_year;
    candidate.tm_mon = today.tm_mon;
    candidate.tm_mday = today.tm_mday + offset;
    candidate.tm_hour = runTime.tm_hour;
    candidate.tm_min = runTime.tm_min;
    candidate.tm_sec = runTime.tm_sec;
    const std::time_t t = platform::MakeLocalTime(candidate);
    if (t > now && IsRunDay(r, platform::LocalTime(t))) return t;
  }
  return std::nullopt;
}

}  // namespace bkvp::engine
