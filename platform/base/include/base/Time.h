#pragma once
// Clocks and the SYSTEMTIME/FILETIME conversions.
#include <base/WinDef.h>
#include <cstdint>
#include <optional>

DWORD GetTickCount();                 // milliseconds since an arbitrary start, wraps after 49.7 days
ULONGLONG GetTickCount64();
void GetLocalTime(LPSYSTEMTIME time);
void GetSystemTime(LPSYSTEMTIME time);
void GetSystemTimeAsFileTime(LPFILETIME time);
BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, LPFILETIME fileTime);
BOOL FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime);
BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, LPFILETIME localFileTime);
BOOL LocalFileTimeToFileTime(const FILETIME* localFileTime, LPFILETIME fileTime);
LONG CompareFileTime(const FILETIME* a, const FILETIME* b);
void Sleep(DWORD milliseconds);

namespace tolvar {
// The clock GetTickCount reads: the machine's monotonic clock, or, while a test clock runs
// (<kernel/TestClock.h> is the way to run one), the milliseconds the test has set.
void SetTestTickCount(std::optional<ULONGLONG> milliseconds);
bool TestTickCountRunning();
// Seconds since 1970 UTC and FILETIME, for the layer's own use.
FILETIME UnixTimeToFileTime(std::int64_t seconds, std::uint32_t nanoseconds = 0);
std::int64_t FileTimeToUnixTime(const FILETIME& time);
}  // namespace tolvar
