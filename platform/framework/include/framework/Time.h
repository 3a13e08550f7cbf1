#pragma once
// CTime: a moment as a signed 32-bit count of seconds since 1970-01-01 00:00 UTC, built from and
// broken into local fields. A moment the 32-bit count cannot hold (before 1901-12-13 20:45:52 UTC or
// after 2038-01-19 03:14:07 UTC) is invalid: GetTime() gives -1, and so does arithmetic that leaves
// the range, rather than wrapping to a wrong date.
// CTimeSpan: a signed difference in seconds.
#include <base/WinDef.h>
#include <framework/String.h>

#include <compare>
#include <cstdint>
#include <ctime>

class CTimeSpan {
public:
  CTimeSpan() = default;
  CTimeSpan(std::int64_t seconds) : m_timeSpan(seconds) {}
  CTimeSpan(LONG days, int hours, int minutes, int seconds)
      : m_timeSpan(((std::int64_t{days} * 24 + hours) * 60 + minutes) * 60 + seconds) {}

  LONG GetDays() const { return static_cast<LONG>(m_timeSpan / 86400); }
  LONG GetTotalHours() const { return static_cast<LONG>(m_timeSpan / 3600); }
  int GetHours() const { return static_cast<int>(m_timeSpan / 3600 % 24); }
  LONG GetTotalMinutes() const { return static_cast<LONG>(m_timeSpan / 60); }
  int GetMinutes() const { return static_cast<int>(m_timeSpan / 60 % 60); }
  std::int64_t GetTotalSeconds() const { return m_timeSpan; }
  int GetSeconds() const { return static_cast<int>(m_timeSpan % 60); }

  CTimeSpan operator+(CTimeSpan other) const { return m_timeSpan + other.m_timeSpan; }
  CTimeSpan operator-(CTimeSpan other) const { return m_timeSpan - other.m_timeSpan; }
  CTimeSpan& operator+=(CTimeSpan other) { m_timeSpan += other.m_timeSpan; return *this; }
  CTimeSpan& operator-=(CTimeSpan other) { m_timeSpan -= other.m_timeSpan; return *this; }
  CTimeSpan operator-() const { return -m_timeSpan; }
  friend bool operator==(CTimeSpan, CTimeSpan) = default;
  friend auto operator<=>(CTimeSpan, CTimeSpan) = default;

private:
  std::int64_t m_timeSpan = 0;
};

class CTime {
public:
  CTime() = default;  // the epoch
  CTime(time_t time);
  // Local fields; `dst` is 1 for summer time, 0 for standard time, -1 to let the zone's rules decide.
  // Fields outside year 1900-, month 1-12, day 1-31, hour 0-23, minute 0-59, second 0-59 give an
  // invalid time; a day past the month's end rolls into the next month, as the C library does.
  CTime(int year, int month, int day, int hour, int minute, int second, int dst = -1);
  CTime(const SYSTEMTIME& localTime, int dst = -1);  // local fields, as above
  CTime(const FILETIME& fileTime);                   // the UTC moment of the file time

  static CTime GetCurrentTime();

  time_t GetTime() const { return m_time; }
  int GetYear() const;
  int GetMonth() const;
  int GetDay() const;
  int GetHour() const;
  int GetMinute() const;
  int GetSecond() const;
  int GetDayOfWeek() const;  // 1 = Sunday

  // strftime codes on the local (Format) or UTC (FormatGmt) fields; the invalid time gives "".
  CString Format(LPCSTR format) const;
  CString FormatGmt(LPCSTR format) const;
  BOOL GetAsSystemTime(SYSTEMTIME& localTime) const;  // local fields, milliseconds 0; FALSE if invalid

  CTimeSpan operator-(CTime other) const { return std::int64_t{m_time} - other.m_time; }
  CTime operator+(CTimeSpan span) const { return CTime(static_cast<time_t>(std::int64_t{m_time} + span.GetTotalSeconds())); }
  CTime operator-(CTimeSpan span) const { return CTime(static_cast<time_t>(std::int64_t{m_time} - span.GetTotalSeconds())); }
  CTime& operator+=(CTimeSpan span) { return *this = *this + span; }
  CTime& operator-=(CTimeSpan span) { return *this = *this - span; }
  friend bool operator==(CTime, CTime) = default;
  friend auto operator<=>(CTime, CTime) = default;

private:
  std::tm LocalFields() const;
  std::int32_t m_time = 0;
};
