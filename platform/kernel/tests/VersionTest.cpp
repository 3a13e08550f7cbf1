#include <kernel/Version.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

struct Reported { DWORD major, minor, build, platform, version; };

Reported Query() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  EXPECT_TRUE(GetVersionExA(&info));
  return {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, info.dwPlatformId, GetVersion()};
}

TEST(Version, ReportsWindowsXpUnlessATestAsksOtherwise) {
  struct Case { const char* setting; Reported expected; };
  const Case cases[] = {
      {nullptr, {5, 1, 2600, VER_PLATFORM_WIN32_NT, 0x0A280105}},
      {"4.0", {4, 0, 0, VER_PLATFORM_WIN32_NT, 0x00000004}},
      {"5.0.2195", {5, 0, 2195, VER_PLATFORM_WIN32_NT, 0x08930005}},
      {"4.10.1998:1", {4, 10, 1998, VER_PLATFORM_WIN32_WINDOWS, 0x87CE0A04}},
      {"4.90:1", {4, 90, 0, VER_PLATFORM_WIN32_WINDOWS, 0x80005A04}},
      {"nonsense", {5, 1, 2600, VER_PLATFORM_WIN32_NT, 0x0A280105}},
      {"5.1 ", {5, 1, 2600, VER_PLATFORM_WIN32_NT, 0x0A280105}},
      {"4.0:7", {5, 1, 2600, VER_PLATFORM_WIN32_NT, 0x0A280105}},
  };
  for (const Case& c : cases) {
    if (c.setting) ::setenv("TOLVAR_WINDOWS_VERSION", c.setting, 1);
    else ::unsetenv("TOLVAR_WINDOWS_VERSION");
    Reported r = Query();
    const char* name = c.setting ? c.setting : "(none)";
    EXPECT_EQ(r.major, c.expected.major) << name;
    EXPECT_EQ(r.minor, c.expected.minor) << name;
    EXPECT_EQ(r.build, c.expected.build) << name;
    EXPECT_EQ(r.platform, c.expected.platform) << name;
    EXPECT_EQ(r.version, c.expected.version) << name;
  }
  ::unsetenv("TOLVAR_WINDOWS_VERSION");
}

TEST(Version, ExtendedRecordAndSizeCheck) {
  OSVERSIONINFOEXA ex{};
  std::fill_n(ex.szCSDVersion, sizeof ex.szCSDVersion, 'x');
  ex.dwOSVersionInfoSize = sizeof ex;
  ASSERT_TRUE(GetVersionExA(&ex));
  EXPECT_EQ(ex.dwMajorVersion, 5u);
  EXPECT_STREQ(ex.szCSDVersion, "");
  EXPECT_EQ(ex.wServicePackMajor, 0);
  EXPECT_EQ(ex.wProductType, VER_NT_WORKSTATION);

  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info - 1;
  EXPECT_FALSE(GetVersionExA(&info));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

}  // namespace
