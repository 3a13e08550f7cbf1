#include <framework/Time.h>

#include <base/Time.h>

#include <limits>
#include <optional>
#include <string>

namespace {

constexpr std::int32_t kInvalid = -1;

std::int32_t Narrow(std::int64_t seconds) {
  if (seconds < std::numeric_limits<std::int32_t>::min() || seconds > std::numeric_limits<std::int32_t>::max())
    return kInvalid;
  return static_cast<std::int32_t>(seconds);
}

// Days from 1970-01-01 to the first of the month (proleptic Gregorian, no table and no loop).
std::int64_t DaysFromCivil(std::int64_t year, unsigned month) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

struct ZoneState {
  long offset;  // seconds east of UTC
  int dst;
};

std::optional<ZoneState> ZoneAt(std::int64_t utc) {
  time_t t = static_cast<time_t>(utc);
  std::tm fields{};
  if (!localtime_r(&t, &fields)) return std::nullopt;
  return ZoneState{fields.tm_gmtoff, fields.tm_isdst > 0 ? 1 : 0};
}

// Local fields (counted as seconds, as if UTC) to the UTC moment. mktime would do this, but it re-reads
// the zone (a file-status call on every use when TZ is unset); localtime_r keeps the zone loaded since
// the last tzset(), so a zone set through TZ and tzset() is still honoured.
// Near a change of offset the offsets in force a day before and a day after are the only candidates.
// A time that happens twice takes the one whose summer-time flag matches `dst`, else the earlier;
// a time the clocks skip is read with the offset in force before the change (02:30 becomes 03:30).
std::optional<std::int64_t> LocalToUtc(std::int64_t local, int dst) {
  const auto before = ZoneAt(local - 86400);
  const auto after = ZoneAt(local + 86400);
  if (!before || !after) return std::nullopt;
  std::optional<ZoneState> chosen;
  for (const ZoneState& candidate : {*before, *after}) {
    const auto actual = ZoneAt(local - candidate.offset);
    if (!actual || actual->offset != candidate.offset) continue;  // these fields do not occur with this offset
    if (!chosen || (dst >= 0 && chosen->dst != dst && actual->dst == dst)) chosen = *actual;
  }
  if (!chosen) return local - before->offset;  // skipped by the clocks
  std::int64_t utc = local - chosen->offset;
  if (dst >= 0 && chosen->dst != dst) {
    // The flag names the other kind of time than the zone keeps then: read the fields with that kind's
    // offset, taken from the nearest time of year that has it.
    for (int step = 1; step <= 12; ++step) {
      for (const int sign : {-1, 1}) {
        const auto other = ZoneAt(utc + sign * step * 30LL * 86400);
        if (other && other->dst == dst) return local - other->offset;
      }
    }
  }
  return utc;
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
  // The local fields counted as if they were UTC; a day past the month's end simply counts on.
  const std::int64_t local = DaysFromCivil(year, static_cast<unsigned>(month)) * 86400 + (day - 1) * 86400LL +
                             hour * 3600 + minute * 60 + second;
  // No zone is more than a day off UTC: anything past this cannot fit the 32-bit count anyway.
  if (local < std::numeric_limits<std::int32_t>::min() - 2 * 86400LL ||
      local > std::numeric_limits<std::int32_t>::max() + 2 * 86400LL)
    return;
  if (auto t = LocalToUtc(local, dst)) m_time = Narrow(*t);
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
