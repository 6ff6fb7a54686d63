#include "platform/time.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <fstream>

namespace bkvp::platform {
namespace {

using std::chrono::nanoseconds;

std::tm MakeTm(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = -1;
  return tm;
}

void ExpectTm(const std::tm& tm, int year, int month, int day, int hour, int minute, int second) {
  EXPECT_EQ(tm.tm_year + 1900, year);
  EXPECT_EQ(tm.tm_mon + 1, month);
  EXPECT_EQ(tm.tm_mday, day);
  EXPECT_EQ(tm.tm_hour, hour);
  EXPECT_EQ(tm.tm_min, minute);
  EXPECT_EQ(tm.tm_sec, second);
}

// Runs a test in a given time zone and puts the previous one back.
class TimeZoneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* tz = std::getenv("TZ")) previous_ = tz, hadPrevious_ = true;
  }
  void TearDown() override {
    if (hadPrevious_)
      setenv("TZ", previous_.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }
  // Central European time; the rule string stands in where no zone database is installed.
  void UseBerlin() {
    const bool haveZoneFile = std::ifstream("/usr/share/zoneinfo/Europe/Berlin").good();
    setenv("TZ", haveZoneFile ? "Europe/Berlin" : "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    tzset();
  }

 private:
  std::string previous_;
  bool hadPrevious_ = false;
};

TEST(FileTime, TimespecIsExactFrom1601On) {
  const struct timespec at1601 = TimespecFromFileTime(0);
  EXPECT_EQ(at1601.tv_sec, -11644473600);
  EXPECT_EQ(at1601.tv_nsec, 0);
  EXPECT_EQ(FileTimeFromTimespec(at1601), 0u);

  EXPECT_EQ(FileTimeFromTimespec({0, 0}), kFileTimeUnixEpoch);
  // Half a second before 1970: negative seconds, positive nanoseconds.
  EXPECT_EQ(FileTimeFromTimespec({-1, 500'000'000}), kFileTimeUnixEpoch - 5'000'000);
  const struct timespec back = TimespecFromFileTime(kFileTimeUnixEpoch - 1);
  EXPECT_EQ(back.tv_sec, -1);
  EXPECT_EQ(back.tv_nsec, 999'999'900);
  // Nanoseconds below 100 are dropped, not rounded.
  EXPECT_EQ(FileTimeFromTimespec({1, 199}), kFileTimeUnixEpoch + 10'000'001);
}

TEST(FileTime, TimespecBefore1601ClampsToZero) {
  EXPECT_EQ(FileTimeFromTimespec({-11644473601, 0}), 0u);
}

TEST(FileTime, TimePointsRoundTripAt100Nanoseconds) {
  const TimePoint epoch{};
  EXPECT_EQ(FileTimeFromTimePoint(epoch), kFileTimeUnixEpoch);
  EXPECT_EQ(FileTimeFromTimePoint(epoch + nanoseconds(123'456'789)),
            kFileTimeUnixEpoch + 1'234'567);
  // Before 1970 the division rounds towards the past, not towards zero.
  EXPECT_EQ(FileTimeFromTimePoint(epoch - nanoseconds(1)), kFileTimeUnixEpoch - 1);
  for (FILETIME ft : std::initializer_list<FILETIME>{
           kFileTimeUnixEpoch - 123'456'789'012ULL, kFileTimeUnixEpoch, 130'000'000'000'000'001ULL})
    EXPECT_EQ(FileTimeFromTimePoint(TimePointFromFileTime(ft)), ft);
}

TEST(FileTime, OutsideTheClockRangeClamps) {
  EXPECT_EQ(TimePointFromFileTime(0), TimePoint::min());
  EXPECT_EQ(TimePointFromFileTime(~0ULL), TimePoint::max());
}

TEST(AutomationDate, CountsDaysFrom30December1899) {
  EXPECT_EQ(DateFromTm(MakeTm(1899, 12, 30)), 0.0);
  EXPECT_EQ(DateFromTm(MakeTm(1900, 1, 1)), 2.0);
  EXPECT_EQ(DateFromTm(MakeTm(1601, 1, 1)), -109205.0);
  EXPECT_DOUBLE_EQ(DateFromTm(MakeTm(2003, 3, 7, 14, 5, 0)), 37687.0 + (14 * 60 + 5) / 1440.0);
  // An out-of-range month moves the year.
  EXPECT_EQ(DateFromTm(MakeTm(2002, 13, 1)), DateFromTm(MakeTm(2003, 1, 1)));
}

TEST(AutomationDate, NegativeDatesKeepAPositiveTimeOfDay) {
  EXPECT_EQ(DateFromTm(MakeTm(1899, 12, 29, 6)), -1.25);
  EXPECT_EQ(DateFromTm(MakeTm(1899, 12, 28, 18)), -2.75);
  ExpectTm(TmFromDate(-1.25), 1899, 12, 29, 6, 0, 0);
  ExpectTm(TmFromDate(-2.75), 1899, 12, 28, 18, 0, 0);
  // Between -1 and 0 the day is 30 December itself.
  ExpectTm(TmFromDate(-0.25), 1899, 12, 30, 6, 0, 0);
}

TEST(AutomationDate, RoundsToTheNearestSecondAcrossBorders) {
  const double second = 1.0 / 86400;
  const DATE newYearsEve = DateFromTm(MakeTm(2003, 12, 31, 23, 59, 59));
  ExpectTm(TmFromDate(newYearsEve + 0.4 * second), 2003, 12, 31, 23, 59, 59);
  ExpectTm(TmFromDate(newYearsEve + 0.6 * second), 2004, 1, 1, 0, 0, 0);
  // Negative: the rounded time of day carries into the next day, 30 December.
  ExpectTm(TmFromDate(-1.0 - (86399.7 / 86400)), 1899, 12, 30, 0, 0, 0);
}

TEST(AutomationDate, FillsWeekdayAndDayOfYear) {
  const std::tm tm = TmFromDate(37687.5);
  ExpectTm(tm, 2003, 3, 7, 12, 0, 0);
  EXPECT_EQ(tm.tm_wday, 5);  // Friday
  EXPECT_EQ(tm.tm_yday, 65);
  EXPECT_EQ(tm.tm_isdst, -1);
  EXPECT_EQ(TmFromDate(-1.0).tm_wday, 5);  // 29 December 1899 was a Friday too
}

TEST(AutomationDate, NonsenseIsClampedNotTrusted) {
  ExpectTm(TmFromDate(std::nan("")), 1899, 12, 30, 0, 0, 0);
  ExpectTm(TmFromDate(1e300), 9999, 12, 31, 23, 59, 59);
  ExpectTm(TmFromDate(-1e300), 100, 1, 1, 0, 0, 0);
}

TEST_F(TimeZoneTest, LocalDatesFollowDaylightSavingChanges) {
  UseBerlin();
  // 30 March 2003, 01:00 UTC: clocks jump from 02:00 CET to 03:00 CEST.
  const std::time_t change = 1048986000;
  ExpectTm(TmFromDate(DateFromTimePoint(Clock::from_time_t(change - 1))), 2003, 3, 30, 1, 59, 59);
  ExpectTm(TmFromDate(DateFromTimePoint(Clock::from_time_t(change))), 2003, 3, 30, 3, 0, 0);
  EXPECT_EQ(UtcOffsetSeconds(change - 1), 3600);
  EXPECT_EQ(UtcOffsetSeconds(change), 7200);
  EXPECT_EQ(TimeZoneName(change - 1), "CET");
  EXPECT_EQ(TimeZoneName(change), "CEST");
  // Summer noon local is 10:00 UTC.
  EXPECT_EQ(Clock::to_time_t(TimePointFromDate(DateFromTm(MakeTm(2003, 7, 1, 12)))), 1057053600);
  EXPECT_EQ(MakeLocalTime(MakeTm(2003, 7, 1, 12)), 1057053600);
}

TEST_F(TimeZoneTest, TimePointsKeepSubsecondsIntoDates) {
  UseBerlin();
  const TimePoint t = Clock::from_time_t(1057053600) + std::chrono::milliseconds(600);
  EXPECT_NEAR(DateFromTimePoint(t), DateFromTm(MakeTm(2003, 7, 1, 12)) + 0.6 / 86400, 1e-9);
  // Back to a time point, the date rounds to the nearest second.
  EXPECT_EQ(Clock::to_time_t(TimePointFromDate(DateFromTimePoint(t))), 1057053601);
}

TEST(DateFormat, LongFormInTheCLocale) {
  std::setlocale(LC_ALL, "C");
  const std::tm tm = MakeTm(2003, 3, 7, 14, 5, 0);
  EXPECT_EQ(FormatLongDateTime(tm), "Friday, March 07, 2003 14:05:00");
  EXPECT_EQ(FormatTime(tm, "Date: %#c."), "Date: Friday, March 07, 2003 14:05:00.");
  EXPECT_EQ(FormatTime(tm, "100%%#c"), "100%#c");  // an escaped percent sign is no conversion
  EXPECT_EQ(FormatTime(tm, "%c"), "Fri Mar  7 14:05:00 2003");
  EXPECT_EQ(FormatTime(tm, "%p"), "PM");
  EXPECT_EQ(FormatTime(tm, ""), "");
}

TEST(DateFormat, LongResultsAreNotCutShort) {
  const std::string format(3000, 'x');
  EXPECT_EQ(FormatTime(MakeTm(2003, 3, 7), format + "%Y"), format + "2003");
}

}  // namespace
}  // namespace bkvp::platform
