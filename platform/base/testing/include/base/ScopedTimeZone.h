#pragma once
// For tests: pins the process's time zone for one scope and puts the old one back.
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace tolvar::testing {

class ScopedTimeZone {
public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) m_old = old;
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
  ~ScopedTimeZone() {
    if (m_old) ::setenv("TZ", m_old->c_str(), 1);
    else ::unsetenv("TZ");
    ::tzset();
  }
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
  std::optional<std::string> m_old;
};

}  // namespace tolvar::testing
