#include "FileTestSupport.h"

#include <kernel/Find.h>
#include <kernel/Module.h>
#include <kernel/Object.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <vector>

namespace {

using FileFindTest = FileTestFolder;

// Every name FindFirstFile/FindNextFile report for a pattern, or the error when there is none.
std::vector<std::string> Find(const std::string& pattern, DWORD* error = nullptr) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data{};
  HANDLE h = FindFirstFileA(pattern.c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) {
    if (error) *error = GetLastError();
    return names;
  }
  do names.push_back(data.cFileName);
  while (FindNextFileA(h, &data));
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  EXPECT_TRUE(FindClose(h));
  return names;
}

using Names = std::vector<std::string>;

TEST_F(FileFindTest, PatternsMatchWithoutLetterCase) {
  for (const char* name : {"Alpha.txt", "beta.TXT", "gamma.dat", "README", ".hidden"}) WriteText(name, "12345");
  std::filesystem::create_directory("Sub");

  struct Case { const char* pattern; Names names; };
  const Case cases[] = {
      {"*.txt", {"Alpha.txt", "beta.TXT"}},
      {"?ETA.*", {"beta.TXT"}},
      {"*.*", {".", "..", ".hidden", "Alpha.txt", "beta.TXT", "gamma.dat", "README", "Sub"}},
      {"*", {".", "..", ".hidden", "Alpha.txt", "beta.TXT", "gamma.dat", "README", "Sub"}},
      {"readme", {"README"}},
      {"*a*.d?t", {"gamma.dat"}},
      {".\\s*", {"Sub"}},
      {"nothing*", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Find(c.pattern), c.names) << c.pattern;

  WIN32_FIND_DATAA data{};
  HANDLE h = FindFirstFileA("alpha.TXT", &data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.nFileSizeLow, 5u);
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_NE(data.ftLastWriteTime.dwHighDateTime, 0u);
  FindClose(h);
  h = FindFirstFileA("Sub", &data);
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
  FindClose(h);
  h = FindFirstFileA(".hidden", &data);
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN);
  FindClose(h);

  DWORD error = 0;
  EXPECT_TRUE(Find("nothing*", &error).empty());
  EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(Find("Missing\\*", &error).empty());
  EXPECT_EQ(error, ERROR_PATH_NOT_FOUND);
  EXPECT_TRUE(Find("Sub\\", &error).empty());
  EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
}

TEST_F(FileFindTest, DriveFoldersListWithoutDotEntriesAtTheRoot) {
  ASSERT_TRUE(CreateDirectoryA("C:\\Music", nullptr));
  WriteText(Home() + "/drive_c/Music/Song.mid", "");
  EXPECT_EQ(Find("C:\\*.*"), (Names{"Music"}));
  EXPECT_EQ(Find("c:/music/*"), (Names{".", "..", "Song.mid"}));
  EXPECT_EQ(Find("C:\\Music\\*.MID"), (Names{"Song.mid"}));
}

TEST_F(FileFindTest, ProgramsAndLibrariesShowTheirWindowsNames) {
  // The test program and the kernel library lie in the program folder.
  std::string folder = tolvar::kernel::ProgramFolder();
  Names programs = Find(folder + "\\*.exe");
  EXPECT_NE(std::find(programs.begin(), programs.end(), "kernel_tests.exe"), programs.end());
  Names libraries = Find(folder + "/*.DLL");
  EXPECT_NE(std::find(libraries.begin(), libraries.end(), "platform_kernel.dll"), libraries.end());
  EXPECT_EQ(std::find(libraries.begin(), libraries.end(), "libplatform_kernel.so"), libraries.end());
  EXPECT_EQ(Find(folder + "/Platform_Kernel.dll"), (Names{"platform_kernel.dll"}));
  EXPECT_EQ(Find(folder + "/libplatform_kernel.so"), (Names{"libplatform_kernel.so"}));

  // Only programs are "*.exe": a script, or a file with an extension, is not.
  std::filesystem::copy_file(folder + "/kernel_tests", "Copied");
  WriteText("script", "#!/bin/sh\n");
  std::filesystem::permissions("script", std::filesystem::perms::owner_all);
  WriteText("real.exe", "");
  EXPECT_EQ(Find("*.exe"), (Names{"Copied.exe", "real.exe"}));
  EXPECT_EQ(Find("*"), (Names{".", "..", "Copied", "real.exe", "script"}));
}

}  // namespace
