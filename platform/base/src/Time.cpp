#include <base/Time.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <thread>

namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;        // FILETIME counts 100 ns
constexpr std::int64_t kTicksPerMillisecond = 10'000;
constexpr std::int64_t kSecondsPerDay = 86'400;
constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;

std::uint64_t ToValue(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME FromValue(std::uint64_t value) {
  return FILETIME{static_cast<DWORD>(value & 0xFFFFFFFF), static_cast<DWORD>(value >> 32)};
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back (civil calendar arithmetic on
// 400-year eras, so no table and no loop).
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

void CivilFromDays(std::int64_t days, std::int64_t& year, unsigned& month, unsigned& day) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
  const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned mp = (5 * dayOfYear + 2) / 153;
  day = dayOfYear - (153 * mp + 2) / 5 + 1;
  month = mp < 10 ? mp + 3 : mp - 9;
  year = static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2);
}

bool IsLeapYear(unsigned year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

unsigned DaysInMonth(unsigned year, unsigned month) {
  static constexpr unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

void FillSystemTime(const std::tm& tm, long nanoseconds, SYSTEMTIME* time) {
  time->wYear = static_cast<WORD>(tm.tm_year + 1900);
  time->wMonth = static_cast<WORD>(tm.tm_mon + 1);
  time->wDayOfWeek = static_cast<WORD>(tm.tm_wday);
  time->wDay = static_cast<WORD>(tm.tm_mday);
  time->wHour = static_cast<WORD>(tm.tm_hour);
  time->wMinute = static_cast<WORD>(tm.tm_min);
  time->wSecond = static_cast<WORD>(tm.tm_sec > 59 ? 59 : tm.tm_sec);  // no leap second on Windows
  time->wMilliseconds = static_cast<WORD>(nanoseconds / 1'000'000);
}

timespec RealTime() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return now;
}

// The local clock's offset from UTC, in seconds, at the UTC instant `utc`.
std::int64_t LocalOffsetAt(std::int64_t utc) {
  time_t t = static_cast<time_t>(utc);
  std::tm tm{};
  if (!localtime_r(&t, &tm)) return 0;
  return tm.tm_gmtoff;
}

}  // namespace

DWORD GetTickCount() { return static_cast<DWORD>(GetTickCount64()); }

namespace {

// Off unless a test clock runs; read by every GetTickCount, so lock-free.
std::atomic<bool> g_testClockOn{false};
std::atomic<ULONGLONG> g_testClockMs{0};

}  // namespace

namespace tolvar {

void SetTestTickCount(std::optional<ULONGLONG> milliseconds) {
  if (milliseconds) g_testClockMs.store(*milliseconds);
  g_testClockOn.store(milliseconds.has_value());
}

bool TestTickCountRunning() { return g_testClockOn.load(); }

}  // namespace tolvar

ULONGLONG GetTickCount64() {
  if (g_testClockOn.load()) return g_testClockMs.load();
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<ULONGLONG>(now.tv_sec) * 1000 + static_cast<ULONGLONG>(now.tv_nsec) / 1'000'000;
}

void GetLocalTime(LPSYSTEMTIME time) {
  timespec now = RealTime();
  std::tm tm{};
  localtime_r(&now.tv_sec, &tm);
  FillSystemTime(tm, now.tv_nsec, time);
}

void GetSystemTime(LPSYSTEMTIME time) {
  timespec now = RealTime();
  std::tm tm{};
  gmtime_r(&now.tv_sec, &tm);
  FillSystemTime(tm, now.tv_nsec, time);
}

void GetSystemTimeAsFileTime(LPFILETIME time) {
  timespec now = RealTime();
  *time = tolvar::UnixTimeToFileTime(now.tv_sec, static_cast<std::uint32_t>(now.tv_nsec));
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, LPFILETIME fileTime) {
  if (!systemTime || !fileTime) return FALSE;
  const SYSTEMTIME& st = *systemTime;
  // wDayOfWeek is ignored, as on Windows.
  if (st.wYear < 1601 || st.wYear > 30827 || st.wMonth < 1 || st.wMonth > 12 || st.wDay < 1 ||
      st.wDay > DaysInMonth(st.wYear, st.wMonth) || st.wHour > 23 || st.wMinute > 59 ||
      st.wSecond > 59 || st.wMilliseconds > 999)
    return FALSE;
  std::int64_t days = DaysFromCivil(st.wYear, st.wMonth, st.wDay);
  std::int64_t seconds = (days * kSecondsPerDay + kSecondsFrom1601To1970) + st.wHour * 3600 +
                         st.wMinute * 60 + st.wSecond;
  *fileTime = FromValue(static_cast<std::uint64_t>(seconds * kTicksPerSecond +
                                                   st.wMilliseconds * kTicksPerMillisecond));
  return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime) {
  if (!fileTime || !systemTime) return FALSE;
  std::uint64_t value = ToValue(*fileTime);
  if (value >= 0x8000000000000000ull) return FALSE;  // Windows refuses negative times
  std::int64_t seconds = static_cast<std::int64_t>(value / kTicksPerSecond) - kSecondsFrom1601To1970;
  std::int64_t days = FloorDiv(seconds, kSecondsPerDay);
  std::int64_t secondOfDay = seconds - days * kSecondsPerDay;
  std::int64_t year;
  unsigned month, day;
  CivilFromDays(days, year, month, day);
  systemTime->wYear = static_cast<WORD>(year);
  systemTime->wMonth = static_cast<WORD>(month);
  systemTime->wDay = static_cast<WORD>(day);
  systemTime->wDayOfWeek = static_cast<WORD>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  systemTime->wHour = static_cast<WORD>(secondOfDay / 3600);
  systemTime->wMinute = static_cast<WORD>(secondOfDay / 60 % 60);
  systemTime->wSecond = static_cast<WORD>(secondOfDay % 60);
  systemTime->wMilliseconds = static_cast<WORD>(value % kTicksPerSecond / kTicksPerMillisecond);
  return TRUE;
}

// Both directions use the offset in force at the time converted (not today's, as Windows does), so a
// summer date converts with summer time even in winter.
BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, LPFILETIME localFileTime) {
  if (!fileTime || !localFileTime) return FALSE;
  std::int64_t value = static_cast<std::int64_t>(ToValue(*fileTime));
  std::int64_t offset = LocalOffsetAt(tolvar::FileTimeToUnixTime(*fileTime));
  *localFileTime = FromValue(static_cast<std::uint64_t>(value + offset * kTicksPerSecond));
  return TRUE;
}

BOOL LocalFileTimeToFileTime(const FILETIME* localFileTime, LPFILETIME fileTime) {
  if (!localFileTime || !fileTime) return FALSE;
  std::int64_t value = static_cast<std::int64_t>(ToValue(*localFileTime));
  std::int64_t local = tolvar::FileTimeToUnixTime(*localFileTime);
  // Let the C library resolve the local fields (tm_isdst -1: it decides whether summer time applies).
  time_t asUtc = static_cast<time_t>(local);
  std::tm tm{};
  if (!gmtime_r(&asUtc, &tm)) return FALSE;
  tm.tm_isdst = -1;
  errno = 0;
  time_t utc = mktime(&tm);
  if (utc == static_cast<time_t>(-1) && errno != 0) return FALSE;
  std::int64_t offset = local - static_cast<std::int64_t>(utc);
  *fileTime = FromValue(static_cast<std::uint64_t>(value - offset * kTicksPerSecond));
  return TRUE;
}

LONG CompareFileTime(const FILETIME* a, const FILETIME* b) {
  std::uint64_t x = ToValue(*a), y = ToValue(*b);
  return x < y ? -1 : x > y ? 1 : 0;
}

void Sleep(DWORD milliseconds) {
  if (milliseconds == 0) {
    std::this_thread::yield();
    return;
  }
  if (milliseconds == INFINITE) {
    for (;;) std::this_thread::sleep_for(std::chrono::hours(24));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

namespace tolvar {

FILETIME UnixTimeToFileTime(std::int64_t seconds, std::uint32_t nanoseconds) {
  if (seconds < -kSecondsFrom1601To1970) return FromValue(0);  // FILETIME has nothing before 1601
  std::int64_t ticks = (seconds + kSecondsFrom1601To1970) * kTicksPerSecond + nanoseconds / 100;
  return FromValue(static_cast<std::uint64_t>(ticks));
}

std::int64_t FileTimeToUnixTime(const FILETIME& time) {
  return static_cast<std::int64_t>(ToValue(time) / kTicksPerSecond) - kSecondsFrom1601To1970;
}

}  // namespace tolvar
