#include <framework/Time.h>

#include <base/Time.h>

#include <cerrno>
#include <limits>
#include <string>

namespace {

constexpr std::int32_t kInvalid = -1;

std::int32_t Narrow(std::int64_t seconds) {
  if (seconds < std::numeric_limits<std::int32_t>::min() || seconds > std::numeric_limits<std::int32_t>::max())
    return kInvalid;
  return static_cast<std::int32_t>(seconds);
}

CString FormatFields(LPCSTR format, const std::tm& fields) {
  if (!format || !*format) return CString();
  // strftime answers 0 both for "no room" and for an empty result: offer more room a few times.
  for (size_t size = 256; size <= 65536; size *= 4) {
    std::string buffer(size, '\0');
    size_t n = std::strftime(buffer.data(), buffer.size(), format, &fields);
    if (n > 0) return CString(std::string_view(buffer.data(), n));
  }
  return CString();
}

}  // namespace

CTime::CTime(time_t time) : m_time(Narrow(static_cast<std::int64_t>(time))) {}

CTime::CTime(int year, int month, int day, int hour, int minute, int second, int dst) : m_time(kInvalid) {
  if (year < 1900 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
      minute < 0 || minute > 59 || second < 0 || second > 59)
    return;
  std::tm fields{};
  fields.tm_year = year - 1900;
  fields.tm_mon = month - 1;
  fields.tm_mday = day;
  fields.tm_hour = hour;
  fields.tm_min = minute;
  fields.tm_sec = second;
  fields.tm_isdst = dst < 0 ? -1 : dst > 0 ? 1 : 0;
  errno = 0;
  time_t t = std::mktime(&fields);
  if (t == static_cast<time_t>(-1) && errno != 0) return;
  m_time = Narrow(static_cast<std::int64_t>(t));
}

CTime::CTime(const SYSTEMTIME& localTime, int dst)
    : CTime(localTime.wYear, localTime.wMonth, localTime.wDay, localTime.wHour, localTime.wMinute,
            localTime.wSecond, dst) {}

CTime::CTime(const FILETIME& fileTime) : m_time(Narrow(tolvar::FileTimeToUnixTime(fileTime))) {}

CTime CTime::GetCurrentTime() { return CTime(std::time(nullptr)); }

std::tm CTime::LocalFields() const {
  time_t t = m_time;
  std::tm fields{};
  localtime_r(&t, &fields);
  return fields;
}

int CTime::GetYear() const { return LocalFields().tm_year + 1900; }
int CTime::GetMonth() const { return LocalFields().tm_mon + 1; }
int CTime::GetDay() const { return LocalFields().tm_mday; }
int CTime::GetHour() const { return LocalFields().tm_hour; }
int CTime::GetMinute() const { return LocalFields().tm_min; }
int CTime::GetSecond() const { return LocalFields().tm_sec; }
int CTime::GetDayOfWeek() const { return LocalFields().tm_wday + 1; }

CString CTime::Format(LPCSTR format) const {
  return m_time == kInvalid ? CString() : FormatFields(format, LocalFields());
}

CString CTime::FormatGmt(LPCSTR format) const {
  if (m_time == kInvalid) return CString();
  time_t t = m_time;
  std::tm fields{};
  gmtime_r(&t, &fields);
  return FormatFields(format, fields);
}

BOOL CTime::GetAsSystemTime(SYSTEMTIME& localTime) const {
  if (m_time == kInvalid) return FALSE;
  std::tm fields = LocalFields();
  localTime.wYear = static_cast<WORD>(fields.tm_year + 1900);
  localTime.wMonth = static_cast<WORD>(fields.tm_mon + 1);
  localTime.wDayOfWeek = static_cast<WORD>(fields.tm_wday);
  localTime.wDay = static_cast<WORD>(fields.tm_mday);
  localTime.wHour = static_cast<WORD>(fields.tm_hour);
  localTime.wMinute = static_cast<WORD>(fields.tm_min);
  localTime.wSecond = static_cast<WORD>(fields.tm_sec);
  localTime.wMilliseconds = 0;
  return TRUE;
}
