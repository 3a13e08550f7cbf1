#include <framework/Time.h>

#include <base/Time.h>

#include <cstdlib>
#include <ctime>
#include <base/ScopedTimeZone.h>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <utility>

namespace {

using tolvar::testing::ScopedTimeZone;

}  // namespace

// Records that hold times keep them as a signed 32-bit count.
static_assert(sizeof(CTime) == 4);

TEST(CTime, LocalFieldsRoundTripAcrossSummerTime) {
  ScopedTimeZone zone("Europe/Berlin");
  struct Case {
    int year, month, day, hour, minute;
    time_t utc;
    int dayOfWeek;
  } cases[] = {
      {2024, 1, 15, 12, 0, 1705316400, 2},   // winter: UTC+1, a Monday
      {2024, 7, 15, 12, 0, 1721037600, 2},   // summer: UTC+2
      {2024, 3, 31, 1, 59, 1711846740, 1},   // the last minute before clocks go forward
      {2024, 3, 31, 3, 0, 1711846800, 1},    // the first after: one real minute later
      {2001, 1, 1, 0, 0, 978303600, 2},
      {2020, 12, 31, 23, 59, 1609455540, 5},
      {2024, 2, 29, 8, 30, 1709191800, 5},   // leap day
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.year << "-" << c.month << "-" << c.day << " " << c.hour);
    CTime t(c.year, c.month, c.day, c.hour, c.minute, 0);
    EXPECT_EQ(t.GetTime(), c.utc);
    EXPECT_EQ(t.GetYear(), c.year);
    EXPECT_EQ(t.GetMonth(), c.month);
    EXPECT_EQ(t.GetDay(), c.day);
    EXPECT_EQ(t.GetHour(), c.hour);
    EXPECT_EQ(t.GetMinute(), c.minute);
    EXPECT_EQ(t.GetSecond(), 0);
    EXPECT_EQ(t.GetDayOfWeek(), c.dayOfWeek);

    SYSTEMTIME st{};
    ASSERT_TRUE(t.GetAsSystemTime(st));
    EXPECT_EQ(CTime(st), t);
    EXPECT_EQ(st.wHour, c.hour);
  }
  // The hour that clocks skip: the C library moves it on by the hour it lacks.
  EXPECT_EQ(CTime(2024, 3, 31, 2, 30, 0).GetHour(), 3);
  // The hour that happens twice: the flag picks which one.
  EXPECT_EQ(CTime(2024, 10, 27, 2, 30, 0, 0) - CTime(2024, 10, 27, 2, 30, 0, 1), CTimeSpan(0, 1, 0, 0));
}

TEST(CTime, FlagAgainstTheSeasonAndZoneChangesAreHonoured) {
  {
    ScopedTimeZone zone("Europe/Berlin");
    EXPECT_EQ(CTime(2024, 7, 15, 12, 0, 0, 0).GetTime(), 1721041200);  // read as standard time, UTC+1
    EXPECT_EQ(CTime(2024, 1, 15, 12, 0, 0, 1).GetTime(), 1705312800);  // read as summer time, UTC+2
  }
  // A zone set later (TZ and tzset) applies to the next conversion in both directions.
  for (const auto& [name, utc] : {std::pair{"America/New_York", 1721059200}, std::pair{"Asia/Tokyo", 1721012400}}) {
    ScopedTimeZone zone(name);
    CTime t(2024, 7, 15, 12, 0, 0);
    EXPECT_EQ(t.GetTime(), utc) << name;
    EXPECT_EQ(CTime(time_t{utc}).GetHour(), 12) << name;
  }
}

TEST(CTime, OutOfRangeIsInvalidNotWrapped) {
  ScopedTimeZone zone("UTC");
  struct Case {
    CTime time;
    time_t expected;
  } cases[] = {
      {CTime(2038, 1, 19, 3, 14, 7), 2147483647},
      {CTime(2038, 1, 19, 3, 14, 8), -1},
      {CTime(2100, 1, 1, 0, 0, 0), -1},
      {CTime(1901, 12, 13, 20, 45, 52), -2147483648LL},
      {CTime(1900, 1, 1, 0, 0, 0), -1},
      {CTime(1899, 12, 31, 0, 0, 0), -1},
      {CTime(2024, 13, 1, 0, 0, 0), -1},
      {CTime(2024, 0, 1, 0, 0, 0), -1},
      {CTime(2024, 1, 32, 0, 0, 0), -1},
      {CTime(2024, 1, 1, 24, 0, 0), -1},
      {CTime(2024, 1, 1, 0, 60, 0), -1},
      {CTime(2023, 2, 30, 0, 0, 0), 1677715200},  // rolls into March, as the C library does
      {CTime(time_t{1} << 32), -1},
      {CTime(2038, 1, 19, 0, 0, 0) + CTimeSpan(1, 0, 0, 0), -1},
      {CTime(1970, 1, 1, 0, 0, 0) - CTimeSpan(25000, 0, 0, 0), -1},
  };
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].time.GetTime(), cases[i].expected) << "case " << i;

  CTime invalid(2100, 1, 1, 0, 0, 0);
  SYSTEMTIME st;
  EXPECT_FALSE(invalid.GetAsSystemTime(st));
  EXPECT_STREQ(invalid.Format("%d/%m/%Y"), "");
}

TEST(CTime, FormatsLocalAndUtcFields) {
  ScopedTimeZone zone("Europe/Berlin");
  CTime t(2024, 7, 5, 9, 3, 7);
  EXPECT_STREQ(t.Format("%d/%m/%Y"), "05/07/2024");
  EXPECT_STREQ(t.Format("%H:%M"), "09:03");
  EXPECT_STREQ(t.Format("%Y%m%d%H%M_1"), "202407050903_1");
  EXPECT_STREQ(t.FormatGmt("%H:%M:%S"), "07:03:07");
  EXPECT_STREQ(t.Format(""), "");
  EXPECT_EQ(t.Format(std::string(500, 'x').c_str()).GetLength(), 500);  // longer than a first guess
}

TEST(CTime, ConstructsFromFileTimeAndSystemTime) {
  ScopedTimeZone zone("Europe/Berlin");
  FILETIME ft = tolvar::UnixTimeToFileTime(1721037600, 999'999'900);
  EXPECT_EQ(CTime(ft).GetTime(), 1721037600);  // the UTC moment, sub-seconds dropped
  SYSTEMTIME local{2024, 7, 0, 15, 12, 0, 0, 0};  // local fields: 10:00 UTC
  EXPECT_EQ(CTime(local).GetTime(), 1721037600);
  FILETIME far = tolvar::UnixTimeToFileTime(int64_t{1} << 31);
  EXPECT_EQ(CTime(far).GetTime(), -1);

  CTime now = CTime::GetCurrentTime();
  EXPECT_LE(std::abs(static_cast<long long>(now.GetTime() - std::time(nullptr))), 1);
}

TEST(CTimeSpan, Arithmetic) {
  CTimeSpan span(2, 3, 4, 5);
  EXPECT_EQ(span.GetTotalSeconds(), 2 * 86400 + 3 * 3600 + 4 * 60 + 5);
  EXPECT_EQ(span.GetDays(), 2);
  EXPECT_EQ(span.GetHours(), 3);
  EXPECT_EQ(span.GetTotalHours(), 51);
  EXPECT_EQ(span.GetMinutes(), 4);
  EXPECT_EQ(span.GetTotalMinutes(), 51 * 60 + 4);
  EXPECT_EQ(span.GetSeconds(), 5);
  EXPECT_EQ(CTimeSpan(0, 0, 0, 90), CTimeSpan(0, 0, 1, 30));
  EXPECT_EQ(CTimeSpan(0, 25, 0, 0).GetDays(), 1);

  CTime start(1700000000);
  CTime later = start + span;
  EXPECT_EQ(later - start, span);
  EXPECT_EQ(later - span, start);
  EXPECT_LT(start, later);
  later -= CTimeSpan(3, 0, 0, 0);
  EXPECT_EQ((later - start).GetTotalSeconds(), -(86400 - 3 * 3600 - 4 * 60 - 5));
  // Two valid times may lie further apart than 32 bits can say.
  EXPECT_EQ((CTime(2147483647) - CTime(-2147483647 - 1)).GetTotalSeconds(), 4294967295LL);
}
