#include <base/Base.h>

#include <cstdlib>
#include <ctime>
#include <base/ScopedTimeZone.h>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

using tolvar::testing::ScopedTimeZone;

ULONGLONG Value(const FILETIME& t) { return (ULONGLONG{t.dwHighDateTime} << 32) | t.dwLowDateTime; }

FILETIME FromValue(ULONGLONG v) { return {static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)}; }

SYSTEMTIME Make(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0,
                WORD ms = 0) {
  return SYSTEMTIME{year, month, 0, day, hour, minute, second, ms};
}

}  // namespace

TEST(Time, SystemTimeAndFileTimeRoundTrip) {
  struct Case {
    SYSTEMTIME time;
    ULONGLONG value;
    WORD dayOfWeek;
  } cases[] = {
      {Make(1601, 1, 1), 0, 1},                                     // the origin, a Monday
      {Make(1970, 1, 1), 116444736000000000ull, 4},                 // the Unix epoch, a Thursday
      {Make(2000, 2, 29, 12, 30, 15, 250), 125963010152500000ull, 2},  // leap day of a 400-year
      {Make(2024, 2, 29, 23, 59, 59, 999), 133537247999990000ull, 4},
      {Make(2038, 1, 19, 3, 14, 8), 137919572480000000ull, 2},      // just past the 32-bit epoch end
      {Make(30827, 12, 31, 23, 59, 59, 999), 0x7FFF35F4F06C58F0ull, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.time.wYear);
    FILETIME ft{};
    ASSERT_TRUE(SystemTimeToFileTime(&c.time, &ft));
    EXPECT_EQ(Value(ft), c.value);
    SYSTEMTIME back{};
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
    EXPECT_EQ(back.wYear, c.time.wYear);
    EXPECT_EQ(back.wMonth, c.time.wMonth);
    EXPECT_EQ(back.wDay, c.time.wDay);
    EXPECT_EQ(back.wHour, c.time.wHour);
    EXPECT_EQ(back.wMinute, c.time.wMinute);
    EXPECT_EQ(back.wSecond, c.time.wSecond);
    EXPECT_EQ(back.wMilliseconds, c.time.wMilliseconds);
    EXPECT_EQ(back.wDayOfWeek, c.dayOfWeek);
  }
}

TEST(Time, SystemTimeToFileTimeRejectsImpossibleDates) {
  const SYSTEMTIME bad[] = {
      Make(1900, 2, 29),            // not a leap year (divisible by 100)
      Make(2023, 2, 29), Make(2024, 4, 31), Make(2024, 13, 1), Make(2024, 0, 1), Make(2024, 1, 0),
      Make(1600, 12, 31), Make(2024, 1, 1, 24), Make(2024, 1, 1, 0, 60), Make(2024, 1, 1, 0, 0, 60),
      Make(2024, 1, 1, 0, 0, 0, 1000),
  };
  for (const auto& t : bad) {
    FILETIME ft{1, 1};
    EXPECT_FALSE(SystemTimeToFileTime(&t, &ft)) << t.wYear << "-" << t.wMonth << "-" << t.wDay;
  }
  SYSTEMTIME weekday = Make(2024, 2, 29);
  weekday.wDayOfWeek = 6;  // wrong, and ignored
  FILETIME ft;
  EXPECT_TRUE(SystemTimeToFileTime(&weekday, &ft));
  FILETIME negative = FromValue(0x8000000000000000ull);
  SYSTEMTIME st;
  EXPECT_FALSE(FileTimeToSystemTime(&negative, &st));
}

TEST(Time, LocalFileTimeFollowsTheZoneAndItsSummerTime) {
  ScopedTimeZone zone("Europe/Berlin");
  struct Case {
    SYSTEMTIME utc;
    int offsetHours;
  } cases[] = {
      {Make(2024, 1, 15, 12), 1},
      {Make(2024, 7, 15, 12), 2},
      {Make(2024, 3, 31, 0, 59, 59), 1},  // the second before the change to summer time
      {Make(2024, 3, 31, 1), 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.utc.wMonth);
    FILETIME utc, local, back;
    ASSERT_TRUE(SystemTimeToFileTime(&c.utc, &utc));
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    EXPECT_EQ(Value(local) - Value(utc), ULONGLONG(c.offsetHours) * 3600 * 10'000'000);
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
    EXPECT_EQ(Value(back), Value(utc));
  }
}

TEST(Time, ClocksAgree) {
  ScopedTimeZone zone("UTC");
  SYSTEMTIME local, system;
  FILETIME now;
  GetLocalTime(&local);
  GetSystemTime(&system);
  GetSystemTimeAsFileTime(&now);
  FILETIME fromSystem;
  ASSERT_TRUE(SystemTimeToFileTime(&system, &fromSystem));
  EXPECT_LT(Value(now) - Value(fromSystem), 10'000'000ull);  // within a second
  EXPECT_EQ(local.wYear, system.wYear);
  EXPECT_EQ(local.wHour, system.wHour);
  EXPECT_LT(std::abs(tolvar::FileTimeToUnixTime(now) - static_cast<std::int64_t>(std::time(nullptr))), 2);

  DWORD before = GetTickCount();
  ULONGLONG before64 = GetTickCount64();
  Sleep(20);
  EXPECT_GE(GetTickCount() - before, 20u);
  EXPECT_GE(GetTickCount64() - before64, 20u);
  // The 32-bit count is the low half of the 64-bit one.
  ULONGLONG wide = GetTickCount64();
  DWORD narrow = GetTickCount();
  EXPECT_LE(narrow - static_cast<DWORD>(wide), 1u);
}

TEST(Time, CompareAndUnixHelpers) {
  FILETIME a = FromValue(5), b = FromValue(0x100000000ull);
  EXPECT_EQ(CompareFileTime(&a, &b), -1);
  EXPECT_EQ(CompareFileTime(&b, &a), 1);
  EXPECT_EQ(CompareFileTime(&a, &a), 0);

  EXPECT_EQ(Value(tolvar::UnixTimeToFileTime(0)), 116444736000000000ull);
  EXPECT_EQ(Value(tolvar::UnixTimeToFileTime(1, 500)), 116444736010000005ull);
  EXPECT_EQ(tolvar::FileTimeToUnixTime(tolvar::UnixTimeToFileTime(-86400)), -86400);
  EXPECT_EQ(tolvar::FileTimeToUnixTime(tolvar::UnixTimeToFileTime(4102444800)), 4102444800);
  EXPECT_EQ(Value(tolvar::UnixTimeToFileTime(-20'000'000'000)), 0u);  // before 1601
}
