#pragma once
// Runs a test in a time zone given as a POSIX TZ rule (no zone database needed) and restores the
// previous zone afterwards.
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

class ZoneGuard {
public:
  explicit ZoneGuard(const char* zone) {
    if (const char* old = std::getenv("TZ")) m_old = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ZoneGuard() {
    if (m_old)
      setenv("TZ", m_old->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }
  ZoneGuard(const ZoneGuard&) = delete;
  ZoneGuard& operator=(const ZoneGuard&) = delete;

private:
  std::optional<std::string> m_old;
};

// UTC, a half-hour zone, and a zone with daylight saving time (changes on the last Sundays of March
// and October).
inline constexpr const char* kTestZones[] = {"UTC0", "IST-5:30", "CET-1CEST,M3.5.0,M10.5.0/3"};
