#include "app/engine/schedule.h"

#include <cstdlib>

#include "platform/time.h"
#include "tests/support/calendar_time.h"
#include "tests/support/test_support.h"

namespace bkvp::engine {
namespace {

// Schedules are local-time rules: every test runs in one fixed zone with
// daylight saving (last Sunday of March and of October).
class BerlinTime : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* tz = std::getenv("TZ")) previous_ = tz, hadPrevious_ = true;
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
  }
  void TearDown() override {
    if (hadPrevious_)
      setenv("TZ", previous_.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }
  static std::time_t At(int year, int month, int day, int hour, int minute) {
    return platform::MakeLocalTime(testing::CalendarTime(year, month, day, hour, minute));
  }
  static std::tm Day(int year, int month, int day) {
    return platform::LocalTime(At(year, month, day, 12, 0));
  }
  static std::string Local(std::time_t t) {
    return platform::FormatTime(platform::LocalTime(t), "%Y-%m-%d %H:%M %a");
  }
  static ScheduleRecord Monthly(uint32_t dayNumber) {
    ScheduleRecord r;
    r.kind = kMonthly;
    r.dayNumber = dayNumber;
    return r;
  }
  static ScheduleRecord MonthlyOrdinal(uint32_t ordinal, uint32_t weekday) {
    ScheduleRecord r;
    r.kind = kMonthly;
    r.monthlyMode = kOrdinalWeekday;
    r.ordinal = ordinal;
    r.weekday = weekday;
    return r;
  }

 private:
  std::string previous_;
  bool hadPrevious_ = false;
};

TEST_F(BerlinTime, SentencesForEveryRule) {
  ScheduleRecord r;
  r.timeOfDay = uint32_t(At(2003, 3, 7, 22, 30));
  EXPECT_EQ(ScheduleSentence(r), "every day at 22:30");
  r.kind = kWeekly;
  r.weekdayMask = (1 << 1) | (1 << 5);
  EXPECT_EQ(ScheduleSentence(r), "every Monday, Friday at 22:30");
  ScheduleRecord m = Monthly(22);
  m.timeOfDay = uint32_t(At(2003, 3, 7, 3, 0));
  EXPECT_EQ(ScheduleSentence(m), "On the 22th of every month at 03:00");
  m.dayNumber = 1;
  EXPECT_EQ(ScheduleSentence(m), "On the 1st of every month at 03:00");
  m.dayNumber = 3;
  EXPECT_EQ(ScheduleSentence(m), "On the 3rd of every month at 03:00");
  ScheduleRecord o = MonthlyOrdinal(1, 0);
  o.timeOfDay = m.timeOfDay;
  EXPECT_EQ(ScheduleSentence(o), "On the 2nd Sunday of every month at 03:00");
  o.ordinal = 4;
  o.weekday = 5;
  EXPECT_EQ(ScheduleSentence(o), "On the last Friday of every month at 03:00");
}

TEST_F(BerlinTime, WeeklyRunsOnTheMaskedWeekdaysOnly) {
  ScheduleRecord r;
  r.kind = kWeekly;
  r.weekdayMask = (1 << 0) | (1 << 3);          // Sunday, Wednesday
  EXPECT_TRUE(IsRunDay(r, Day(2023, 3, 5)));    // Sunday
  EXPECT_FALSE(IsRunDay(r, Day(2023, 3, 6)));   // Monday
  EXPECT_TRUE(IsRunDay(r, Day(2023, 3, 8)));    // Wednesday
  EXPECT_FALSE(IsRunDay(r, Day(2023, 3, 11)));  // Saturday
}

TEST_F(BerlinTime, Day31RunsOnTheLastDayOfShorterMonths) {
  const ScheduleRecord r = Monthly(31);
  EXPECT_TRUE(IsRunDay(r, Day(2023, 4, 30)));
  EXPECT_TRUE(IsRunDay(r, Day(2023, 2, 28)));
  EXPECT_FALSE(IsRunDay(r, Day(2024, 2, 28)));  // leap year: the 29th is the last
  EXPECT_TRUE(IsRunDay(r, Day(2024, 2, 29)));
  EXPECT_TRUE(IsRunDay(r, Day(2023, 5, 31)));
  EXPECT_FALSE(IsRunDay(r, Day(2023, 5, 30)));
}

TEST_F(BerlinTime, Day30IsNeverMovedIntoFebruary) {
  const ScheduleRecord r = Monthly(30);
  for (int day = 1; day <= 29; ++day) EXPECT_FALSE(IsRunDay(r, Day(2024, 2, day))) << day;
  EXPECT_TRUE(IsRunDay(r, Day(2024, 4, 30)));
  const auto next = ComputeNextRun(r, At(2024, 1, 31, 12, 0));
  ASSERT_TRUE(next);
  EXPECT_EQ(Local(*next).substr(0, 10), "2024-03-30");
}

TEST_F(BerlinTime, LastFridayIsAlsoAFifthFriday) {
  const ScheduleRecord last = MonthlyOrdinal(kOrdinalLast, 5);
  const ScheduleRecord fourth = MonthlyOrdinal(3, 5);
  // March 2023 has five Fridays: 3, 10, 17, 24, 31.
  EXPECT_TRUE(IsRunDay(last, Day(2023, 3, 31)));
  EXPECT_FALSE(IsRunDay(last, Day(2023, 3, 24)));
  EXPECT_TRUE(IsRunDay(fourth, Day(2023, 3, 24)));
  EXPECT_FALSE(IsRunDay(fourth, Day(2023, 3, 31)));
  // February 2023 has four: the 24th is both the 4th and the last.
  EXPECT_TRUE(IsRunDay(last, Day(2023, 2, 24)));
  EXPECT_TRUE(IsRunDay(fourth, Day(2023, 2, 24)));
  EXPECT_FALSE(IsRunDay(last, Day(2023, 2, 23)));  // a Thursday
}

TEST_F(BerlinTime, WeeklyNextRunFromBeforeAndAfterTheTimeOfDay) {
  ScheduleRecord r;
  r.kind = kWeekly;
  r.weekdayMask = 1 << 1;  // Monday
  r.timeOfDay = uint32_t(At(2000, 1, 1, 8, 0));
  // 6 March 2023 is a Monday.
  EXPECT_EQ(Local(*ComputeNextRun(r, At(2023, 3, 6, 9, 0))), "2023-03-13 08:00 Mon");
  EXPECT_EQ(Local(*ComputeNextRun(r, At(2023, 3, 6, 7, 0))), "2023-03-06 08:00 Mon");
}

TEST_F(BerlinTime, DailyRunKeepsItsWallClockTimeAcrossDaylightSaving) {
  ScheduleRecord r;
  r.timeOfDay = uint32_t(At(2000, 1, 1, 8, 0));
  // Summer time starts on 26 March 2023 at 02:00.
  EXPECT_EQ(Local(*ComputeNextRun(r, At(2023, 3, 25, 9, 0))), "2023-03-26 08:00 Sun");
  EXPECT_EQ(Local(*ComputeNextRun(r, At(2023, 3, 26, 9, 0))), "2023-03-27 08:00 Mon");
  // And ends on 29 October 2023.
  EXPECT_EQ(Local(*ComputeNextRun(r, At(2023, 10, 28, 9, 0))), "2023-10-29 08:00 Sun");
}

TEST_F(BerlinTime, ARecordWithoutRunDaysStopsSearching) {
  ScheduleRecord weekly;
  weekly.kind = kWeekly;
  weekly.weekdayMask = 0;
  EXPECT_FALSE(ComputeNextRun(weekly, At(2023, 3, 6, 9, 0)));
  ScheduleRecord unknown;
  unknown.kind = 7;
  EXPECT_FALSE(ComputeNextRun(unknown, At(2023, 3, 6, 9, 0)));
  ScheduleRecord badMode = Monthly(1);
  badMode.monthlyMode = 3;
  EXPECT_FALSE(ComputeNextRun(badMode, At(2023, 3, 6, 9, 0)));
}

TEST_F(BerlinTime, LeapDayScheduleFindsTheNextLeapYear) {
  // Day 29 exists in every month but February of common years.
  const auto next = ComputeNextRun(Monthly(29), At(2023, 2, 1, 9, 0));
  EXPECT_EQ(Local(*next).substr(0, 10), "2023-03-29");
  const auto leap = ComputeNextRun(Monthly(29), At(2024, 2, 1, 9, 0));
  EXPECT_EQ(Local(*leap).substr(0, 10), "2024-02-29");
}

TEST(ScheduleRecord, RoundTripsThroughItsThirtyTwoBytes) {
  ScheduleRecord r{kMonthly, 0xFEDCBA98u, 5, 0x41, kOrdinalWeekday, 17, 4, 6};
  const auto bytes = r.Encode();
  ASSERT_EQ(bytes.size(), 32u);
  EXPECT_EQ(bytes[4], 0x98);  // little-endian, unsigned time of day
  EXPECT_EQ(bytes[7], 0xFE);
  const auto back = ScheduleRecord::Decode(bytes);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->timeOfDay, 0xFEDCBA98u);
  EXPECT_EQ(back->weekday, 6u);
  EXPECT_FALSE(ScheduleRecord::Decode(std::vector<uint8_t>(31)));
  EXPECT_FALSE(ScheduleRecord::Decode(std::vector<uint8_t>(33)));
}

}  // namespace
}  // namespace bkvp::engine
