#include <kernel/Version.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct WindowsVersion {
  DWORD major = 5;
  DWORD minor = 1;
  DWORD build = 2600;
  DWORD platform = VER_PLATFORM_WIN32_NT;
};

WindowsVersion ReportedVersion() {
  WindowsVersion version;
  const char* text = std::getenv("TOLVAR_WINDOWS_VERSION");
  if (!text || !*text) return version;
  unsigned major = 0, minor = 0, build = 0, platform = VER_PLATFORM_WIN32_NT;
  int end = 0;
  // Accepted forms: "M.m", "M.m.b", "M.m:p", "M.m.b:p".
  if (std::sscanf(text, "%u.%u%n", &major, &minor, &end) != 2) return version;
  const char* rest = text + end;
  if (*rest == '.') {
    int used = 0;
    if (std::sscanf(rest, ".%u%n", &build, &used) != 1) return version;
    rest += used;
  }
  if (*rest == ':') {
    int used = 0;
    if (std::sscanf(rest, ":%u%n", &platform, &used) != 1) return version;
    rest += used;
  }
  if (*rest != '\0' || major > 255 || minor > 255 || build > 0x7FFF || platform > VER_PLATFORM_WIN32_NT)
    return version;
  return {major, minor, build, platform};
}

}  // namespace

DWORD GetVersion() {
  WindowsVersion v = ReportedVersion();
  DWORD high = v.build & 0x7FFF;
  if (v.platform != VER_PLATFORM_WIN32_NT) high |= 0x8000;
  return (high << 16) | (v.minor << 8) | v.major;
}

BOOL GetVersionExA(LPOSVERSIONINFOA info) {
  if (!info) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DWORD size = info->dwOSVersionInfoSize;
  if (size != sizeof(OSVERSIONINFOA) && size != sizeof(OSVERSIONINFOEXA)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  WindowsVersion v = ReportedVersion();
  info->dwMajorVersion = v.major;
  info->dwMinorVersion = v.minor;
  info->dwBuildNumber = v.build;
  info->dwPlatformId = v.platform;
  std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
  if (size == sizeof(OSVERSIONINFOEXA)) {
    auto* ex = reinterpret_cast<LPOSVERSIONINFOEXA>(info);
    ex->wServicePackMajor = 0;
    ex->wServicePackMinor = 0;
    ex->wSuiteMask = 0;
    ex->wProductType = VER_NT_WORKSTATION;
    ex->wReserved = 0;
  }
  return TRUE;
}
