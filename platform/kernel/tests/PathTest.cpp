#include "FileTestSupport.h"

#include <kernel/File.h>
#include <kernel/Object.h>
#include <kernel/Path.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <cstring>
#include <sys/stat.h>

namespace {

using tolvar::kernel::ToHostPath;
using tolvar::kernel::ToWindowsPath;
using PathTest = FileTestFolder;

TEST_F(PathTest, DrivePathsMapIntoHomeAndBack) {
  const std::string drive = Home() + "/drive_c";
  struct Case { const char* windows; std::string host; };
  const Case cases[] = {
      {"C:\\Tolvar.log", drive + "/Tolvar.log"},
      {"c:/Tolvar.log", drive + "/Tolvar.log"},
      {"C:\\a/b\\\\c", drive + "/a/b/c"},
      {"C:\\", drive},
      {"C:", drive},
      {"D:\\x", Home() + "/drive_d/x"},
      {"rel\\name.txt", "rel/name.txt"},
      {"/abs/path", "/abs/path"},
  };
  for (const Case& c : cases) EXPECT_EQ(ToHostPath(c.windows), c.host) << c.windows;
  EXPECT_TRUE(std::filesystem::is_directory(drive));  // drive C always exists

  EXPECT_EQ(ToWindowsPath(drive + "/Tolvar.log"), "C:\\Tolvar.log");
  EXPECT_EQ(ToWindowsPath(drive + "/a/b"), "C:\\a\\b");
  EXPECT_EQ(ToWindowsPath(drive), "C:\\");
  EXPECT_EQ(ToWindowsPath(Home() + "/drive_cx/a"), Home() + "/drive_cx/a");
  EXPECT_EQ(ToWindowsPath("/usr/share"), "/usr/share");
}

TEST_F(PathTest, DrivesAreCAndTheDriveFoldersInHome) {
  EXPECT_EQ(GetLogicalDrives(), 1u << 2);
  std::filesystem::create_directory(Home() + "/drive_e");
  WriteText(Home() + "/drive_f", "a file is no drive");
  EXPECT_EQ(GetLogicalDrives(), (1u << 2) | (1u << 4));
  char strings[16];
  ASSERT_EQ(GetLogicalDriveStringsA(sizeof strings, strings), 8u);
  EXPECT_EQ(std::string(strings, 9), std::string("C:\\\0E:\\\0\0", 9));
  EXPECT_EQ(GetLogicalDriveStringsA(8, strings), 9u);  // too small: the size needed
}

TEST_F(PathTest, NamesMatchWithoutLetterCaseAndInModuleForm) {
  ASSERT_TRUE(CreateDirectoryA("C:\\Data", nullptr));
  HANDLE h = CreateFileA("C:/Data/Notes.TXT", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD done = 0;
  WriteFile(h, "hello", 5, &done, nullptr);
  CloseHandle(h);
  EXPECT_EQ(ReadText(Home() + "/drive_c/Data/Notes.TXT"), "hello");

  // Either separator, any letter case, the same file.
  for (const char* name : {"C:\\Data\\Notes.TXT", "c:\\data\\notes.txt", "C:/DATA\\notes.Txt"}) {
    h = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE) << name;
    CloseHandle(h);
  }
  // A new file in an existing folder keeps the folder's spelling and its own.
  h = CreateFileA("c:\\DATA\\New.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  CloseHandle(h);
  EXPECT_TRUE(std::filesystem::exists(Home() + "/drive_c/Data/New.txt"));

  // Programs and libraries are found by their Windows names.
  WriteText("Tool", "#!/bin/sh\n");
  WriteText("libHelper.so", "");
  EXPECT_EQ(ToHostPath("Tool.exe"), "Tool");
  EXPECT_EQ(ToHostPath("tool.EXE"), "Tool");
  EXPECT_EQ(ToHostPath("Helper.dll"), "libHelper.so");
  EXPECT_EQ(GetFileAttributesA("tool.exe"), FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(ToHostPath("Missing.exe"), "Missing.exe");
}

TEST_F(PathTest, CurrentDirectoryFollowsDrivePaths) {
  ASSERT_TRUE(CreateDirectoryA("C:\\Work", nullptr));
  ASSERT_TRUE(SetCurrentDirectoryA("c:\\work"));
  char buffer[MAX_PATH];
  EXPECT_EQ(GetCurrentDirectoryA(sizeof buffer, buffer), 7u);
  EXPECT_STREQ(buffer, "C:\\Work");
  // Too small a buffer: the size needed, with room for the NUL.
  EXPECT_EQ(GetCurrentDirectoryA(7, buffer), 8u);

  WriteText("here.txt", "");
  EXPECT_TRUE(std::filesystem::exists(Home() + "/drive_c/Work/here.txt"));

  EXPECT_FALSE(SetCurrentDirectoryA("C:\\Nowhere"));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(SetCurrentDirectoryA("here.txt"));
  EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);

  ASSERT_TRUE(SetCurrentDirectoryA(Work().c_str()));
  EXPECT_EQ(GetCurrentDirectoryA(sizeof buffer, buffer), Work().size());
  EXPECT_EQ(buffer, Work());
}

TEST_F(PathTest, FullPathNamesAreNormalised) {
  ASSERT_TRUE(CreateDirectoryA("C:\\Docs", nullptr));
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\Docs"));
  struct Case { const char* name; const char* full; const char* filePart; };
  const Case cases[] = {
      {"C:\\a\\..\\b\\.\\c.txt", "C:\\b\\c.txt", "c.txt"},
      {"c:/x/y/", "C:\\x\\y\\", nullptr},
      {"C:\\", "C:\\", nullptr},
      {"C:\\..\\..", "C:\\", nullptr},
      {"letter.txt", "C:\\Docs\\letter.txt", "letter.txt"},
      {"..\\up.txt", "C:\\up.txt", "up.txt"},
      {"\\root.txt", "C:\\root.txt", "root.txt"},
      {"C:rel.txt", "C:\\Docs\\rel.txt", "rel.txt"},
      {"D:rel.txt", "D:\\rel.txt", "rel.txt"},
  };
  for (const Case& c : cases) {
    char buffer[MAX_PATH];
    LPSTR filePart = nullptr;
    DWORD n = GetFullPathNameA(c.name, sizeof buffer, buffer, &filePart);
    EXPECT_EQ(n, std::strlen(c.full)) << c.name;
    EXPECT_STREQ(buffer, c.full) << c.name;
    if (c.filePart) EXPECT_STREQ(filePart, c.filePart) << c.name;
    else EXPECT_EQ(filePart, nullptr) << c.name;
  }
  char small[4];
  EXPECT_EQ(GetFullPathNameA("letter.txt", sizeof small, small, nullptr), sizeof "C:\\Docs\\letter.txt");

  ASSERT_TRUE(SetCurrentDirectoryA(Work().c_str()));
  char buffer[MAX_PATH];
  GetFullPathNameA("sub\\..\\x.txt", sizeof buffer, buffer, nullptr);
  EXPECT_EQ(std::string(buffer), Work() + "/x.txt");
}

TEST_F(PathTest, TemporaryFileNames) {
  char temp[MAX_PATH];
  DWORD n = GetTempPathA(sizeof temp, temp);
  ASSERT_GT(n, 0u);
  EXPECT_EQ(temp[n - 1], '/');

  char name[MAX_PATH];
  UINT unique = GetTempFileNameA("C:\\", "tolvar", 0, name);
  ASSERT_NE(unique, 0u);
  char expected[MAX_PATH];
  std::snprintf(expected, sizeof expected, "C:\\tol%X.TMP", unique);
  EXPECT_STREQ(name, expected);
  EXPECT_EQ(GetFileAttributesA(name), FILE_ATTRIBUTE_ARCHIVE);  // made, and empty
  UINT second = GetTempFileNameA("C:\\", "tolvar", 0, name);
  EXPECT_NE(second, unique);

  // A number given: only the name is formed.
  EXPECT_EQ(GetTempFileNameA(Work().c_str(), "ab", 0x1A2B, name), 0x1A2Bu);
  EXPECT_EQ(std::string(name), Work() + "/ab1A2B.TMP");
  EXPECT_FALSE(std::filesystem::exists(name));

  EXPECT_EQ(GetTempFileNameA("C:\\Missing", "x", 0, name), 0u);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

}  // namespace
