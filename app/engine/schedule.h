// The schedule record and the calendar rules built on it: the sentence shown
// to the user, which days are run days, and the moment of the next run.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace bkvp::engine {

enum ScheduleKind : uint32_t { kDaily = 0, kWeekly = 1, kMonthly = 2 };
enum MonthlyMode : uint32_t { kDayNumber = 0, kOrdinalWeekday = 1 };
constexpr uint32_t kOrdinalLast = 4;

// Stored as the 32-byte "Settings" value: eight little-endian 32-bit fields
// in declaration order.
struct ScheduleRecord {
  uint32_t kind = kDaily;
  uint32_t timeOfDay = 0;    // seconds since 1970 UTC; its local h:m:s is the run time
  uint32_t keepCount = 0;    // archives kept after a scheduled run; 0 keeps all
  uint32_t weekdayMask = 0;  // bit 0 Sunday ... bit 6 Saturday
  uint32_t monthlyMode = kDayNumber;
  uint32_t dayNumber = 1;
  uint32_t ordinal = 0;  // 0 "1st" ... 3 "4th", 4 "last"
  uint32_t weekday = 0;  // 0 Sunday ... 6 Saturday

  static constexpr size_t kSize = 32;
  std::vector<uint8_t> Encode() const;
  // nullopt unless exactly 32 bytes.
  static std::optional<ScheduleRecord> Decode(const std::vector<uint8_t>& bytes);
};

std::string ScheduleSentence(const ScheduleRecord& record);

// The record's "time of day": the moment of `day`'s local date at
// hour:minute:00. Only its local time of day counts later on.
uint32_t TimeOfDayOn(std::time_t day, int hour, int minute);

// Whether the local calendar day holding `day` (its year, month, day of month
// and weekday fields) is a run day.
bool IsRunDay(const ScheduleRecord& record, const std::tm& day);

// Days searched before a record is taken to have no run day at all: more
// than a leap year, so every monthly rule meets each of its months.
constexpr int kNextRunSearchDays = 400;

// The first moment after `now` on a run day at the record's local time of
// day. Steps by calendar days, so the wall-clock time holds across daylight
// saving changes. nullopt when no run day lies within the search window.
std::optional<std::time_t> ComputeNextRun(const ScheduleRecord& record, std::time_t now);

}  // namespace bkvp::engine
