#pragma once
// Calendar arithmetic the month calendar and the date-time picker share: days counted from
// 1 January 1970 (the proleptic Gregorian calendar), so that stepping, comparing and clamping dates
// is integer arithmetic, and the names the controls show.
#include <base/WinDef.h>

#include <algorithm>

namespace tolvar::controls::dates {

inline bool Leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }
inline int DaysIn(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && Leap(year) ? 29 : kDays[(month - 1) % 12];
}

// Days from 1970-01-01 (the civil-from-days algorithm, valid for every year the controls allow).
inline long DayNumber(int year, int month, int day) {
  year -= month <= 2;
  const long era = (year >= 0 ? year : year - 399) / 400;
  const long yoe = year - era * 400;
  const long doy = (153L * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}
inline void FromDayNumber(long days, int& year, int& month, int& day) {
  days += 719468;
  const long era = (days >= 0 ? days : days - 146096) / 146097;
  const long doe = days - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}
// 0 Sunday .. 6 Saturday.
inline int WeekDay(long days) { return static_cast<int>(((days % 7) + 11) % 7); }

inline long DayOf(const SYSTEMTIME& time) { return DayNumber(time.wYear, time.wMonth, time.wDay); }
inline SYSTEMTIME DateOf(long days) {
  int year, month, day;
  FromDayNumber(days, year, month, day);
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(year);
  time.wMonth = static_cast<WORD>(month);
  time.wDay = static_cast<WORD>(day);
  time.wDayOfWeek = static_cast<WORD>(WeekDay(days));
  return time;
}

// The years the controls accept, as the system's own date conversions do.
constexpr int kFirstYear = 1601;
constexpr int kLastYear = 9999;
inline bool ValidDate(const SYSTEMTIME& time) {
  return time.wYear >= kFirstYear && time.wYear <= kLastYear && time.wMonth >= 1 && time.wMonth <= 12 &&
         time.wDay >= 1 && time.wDay <= DaysIn(time.wYear, time.wMonth);
}
inline bool ValidTime(const SYSTEMTIME& time) {
  return time.wHour < 24 && time.wMinute < 60 && time.wSecond < 60 && time.wMilliseconds < 1000;
}

// Seconds from 1970 of a date and time, for comparing against a range.
inline long long Moment(const SYSTEMTIME& time) {
  return DayOf(time) * 86400LL + time.wHour * 3600 + time.wMinute * 60 + time.wSecond;
}

// A month index (year * 12 + month - 1), for stepping whole months.
inline int MonthIndex(int year, int month) { return year * 12 + month - 1; }

// The picker's own message to the calendar it drops: notify wParam's window, not the owner (a
// pop-up's owner is the picker's top-level window).
constexpr UINT kCalendarNotifyTo = 0x1000 + 0x80;

inline const char* const kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                          "July",    "August",   "September", "October", "November", "December"};
inline const char* const kDayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

}  // namespace tolvar::controls::dates
