#include <kernel/Module.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <cstring>
#include <gtest/gtest.h>

using tolvar::kernel::MapModuleName;
using tolvar::kernel::WindowsModuleName;

TEST(ModuleNames, MapBetweenWindowsAndDiskForms) {
  struct Case { const char* windows; const char* disk; };
  for (const Case& c : {Case{"Handport.dll", "libHandport.so"}, Case{"Vezezudara.exe", "Vezezudara"},
                        Case{"HANDPORT.DLL", "libHANDPORT.so"}, Case{"dir\\Glossa.dll", "dir/libGlossa.so"},
                        Case{"Phones.ini", "Phones.ini"}}) {
    EXPECT_EQ(MapModuleName(c.windows), c.disk) << c.windows;
  }
  EXPECT_EQ(WindowsModuleName("/x/libHandport.so", false), "Handport.dll");
  EXPECT_EQ(WindowsModuleName("/x/Linkwell", true), "Linkwell.exe");
}

TEST(Modules, MainProgramAndOwnLibraryAreFound) {
  HMODULE main = GetModuleHandle(nullptr);
  ASSERT_NE(main, nullptr);
  char name[512];
  ASSERT_GT(GetModuleFileName(nullptr, name, sizeof name), 0u);
  EXPECT_TRUE(std::string(name).ends_with("/kernel_tests.exe")) << name;
  HMODULE kernel = tolvar::kernel::ModuleFromAddress(reinterpret_cast<const void*>(&LoadLibraryA));
  ASSERT_NE(kernel, nullptr);
  EXPECT_NE(kernel, main);
  EXPECT_EQ(GetModuleHandle("platform_kernel.dll"), kernel);
  EXPECT_EQ(GetProcAddress(kernel, "NoSuchFunction"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
}

TEST(Modules, LoadLibraryByWindowsNameAndMissingLibrary) {
  HMODULE base = LoadLibrary("platform_base.dll");
  ASSERT_NE(base, nullptr);
  EXPECT_EQ(base, GetModuleHandle("platform_base.dll"));
  EXPECT_TRUE(FreeLibrary(base));
  EXPECT_FALSE(FreeLibrary(base));  // only as often as it was loaded
  // Exports are C names, as the suite's libraries export them.
  HMODULE libc = LoadLibrary("libc.so.6");
  ASSERT_NE(libc, nullptr);
  auto strlenProc = reinterpret_cast<size_t (*)(const char*)>(reinterpret_cast<void*>(GetProcAddress(libc, "strlen")));
  ASSERT_NE(strlenProc, nullptr);
  EXPECT_EQ(strlenProc("four"), 4u);
  FreeLibrary(libc);
  EXPECT_EQ(LoadLibrary("NoSuchLibrary.dll"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

TEST(Modules, ShortBufferIsTruncatedAndReported) {
  char name[4];
  EXPECT_EQ(GetModuleFileName(nullptr, name, sizeof name), 4u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::strlen(name), 3u);
}
