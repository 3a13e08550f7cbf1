// Common's plain functions: registry values by path (the codes for empty values and numbers of the
// wrong size, the alternative path, sub-key lists), the version and technology for what the
// platform reports, full screen and back, bitmap files with their palettes, and error texts.
#include <Common.h>

#include <base/WinError.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string FreshKey() {
  static int count = 0;
  return "Software\\CommonTest\\" + std::to_string(++count);
}

TEST(CommonRegistry, ValuesReadBackAndTheirFailuresHaveCodes) {
  const std::string key = FreshKey(), missing = FreshKey();
  ASSERT_EQ(SetRegistryKeyValue(HKEY_CURRENT_USER, key.c_str(), "Name", "Tolvar", TRUE), ERROR_SUCCESS);
  ASSERT_EQ(SetRegistryKeyValue(HKEY_CURRENT_USER, key.c_str(), "Count", DWORD{0x01020304}, FALSE), ERROR_SUCCESS);
  ASSERT_EQ(SetRegistryKeyValue(HKEY_CURRENT_USER, key.c_str(), "Empty", "", FALSE), ERROR_SUCCESS);
  HKEY raw = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_SET_VALUE, &raw), ERROR_SUCCESS);
  const BYTE eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  RegSetValueExA(raw, "Wide", 0, REG_BINARY, eight, sizeof eight);
  RegCloseKey(raw);

  CString text = "untouched";
  DWORD number = 7;
  EXPECT_EQ(GetRegistryKeyValue(HKEY_CURRENT_USER, key.c_str(), "Name", text), ERROR_SUCCESS);
  EXPECT_STREQ(text, "Tolvar");
  EXPECT_EQ(GetRegistryKeyValue(HKEY_CURRENT_USER, key.c_str(), "Count", number), ERROR_SUCCESS);
  EXPECT_EQ(number, 0x01020304u);

  struct Case {
    const char* name;
    LONG text, number;
  };
  const Case failures[] = {
      {"Empty", kCommonEmptyValue, kCommonEmptyValue},
      {"Wide", ERROR_SUCCESS, kCommonBadNumberSize},
      {"Absent", ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND},
  };
  for (const Case& c : failures) {
    SCOPED_TRACE(c.name);
    CString t = "untouched";
    DWORD n = 7;
    EXPECT_EQ(GetRegistryKeyValue(HKEY_CURRENT_USER, key.c_str(), c.name, t), c.text);
    EXPECT_EQ(GetRegistryKeyValue(HKEY_CURRENT_USER, key.c_str(), c.name, n), c.number);
    EXPECT_EQ(n, 7u) << "a failed read leaves the number as it was";
  }
  EXPECT_EQ(GetRegistryKeyValue(HKEY_CURRENT_USER, missing.c_str(), "Name", text), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(SetRegistryKeyValue(HKEY_CURRENT_USER, missing.c_str(), "Name", "x", FALSE), ERROR_FILE_NOT_FOUND)
      << "without the create flag the key must exist";

  // The alternative path is read when the first fails, and its code is the answer.
  text = "";
  EXPECT_EQ(GetRegistryAltKeyValue(HKEY_CURRENT_USER, missing.c_str(), key.c_str(), "Name", text), ERROR_SUCCESS);
  EXPECT_STREQ(text, "Tolvar");
  EXPECT_EQ(GetRegistryAltKeyValue(HKEY_CURRENT_USER, key.c_str(), missing.c_str(), "Count", number), ERROR_SUCCESS);
  EXPECT_EQ(GetRegistryAltKeyValue(HKEY_CURRENT_USER, key.c_str(), missing.c_str(), "Wide", number), ERROR_FILE_NOT_FOUND);
}

TEST(CommonRegistry, SubKeysAreListedUpToTheCountAsked) {
  const std::string key = FreshKey();
  for (const char* name : {"Alpha", "Beta", "Gamma"})
    ASSERT_EQ(SetRegistryKeyValue(HKEY_CURRENT_USER, (key + "\\" + name).c_str(), "x", DWORD{1}, TRUE), ERROR_SUCCESS);
  struct Case {
    int count;
    bool array;
    int stored;
  };
  for (Case c : {Case{0, true, 3}, Case{2, true, 2}, Case{0, false, 3}, Case{5, true, 3}}) {
    SCOPED_TRACE(c.count);
    CString names[5];
    int count = c.count;
    EXPECT_EQ(GetRegistryEnumKey(HKEY_CURRENT_USER, key.c_str(), c.array ? names : nullptr, count), ERROR_SUCCESS);
    EXPECT_EQ(count, c.stored);
    if (c.array) {
      const char* expected[] = {"Alpha", "Beta", "Gamma"};
      for (int i = 0; i < c.stored; ++i) EXPECT_STREQ(names[i], expected[i]);
    }
  }
  int count = 0;
  EXPECT_EQ(GetRegistryEnumKey(HKEY_CURRENT_USER, FreshKey().c_str(), nullptr, count), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(count, 0);
}

TEST(CommonSystem, VersionAndTechnologyFollowWhatThePlatformReports) {
  struct Case {
    const char* reported;  // nullptr: the platform's own (XP)
    enumWINDOWS_VERSION version;
    enumWINDOWS_TECHNOLOGY technology;
  };
  const Case cases[] = {
      {nullptr, WINDOWS_VERSION_NT5, WINDOWS_TECHNOLOGY_NT},
      {"4.0", WINDOWS_VERSION_NT4, WINDOWS_TECHNOLOGY_NT},
      {"3.51", WINDOWS_VERSION_NT3, WINDOWS_TECHNOLOGY_NT},  // 33 has the Win32s bit too, and is NT
      {"6.0", WINDOWS_VERSION_OTHER, WINDOWS_TECHNOLOGY_WIN32S},  // no family bit: the last answer
      {"4.0:1", WINDOWS_VERSION_95, WINDOWS_TECHNOLOGY_9X},
      {"4.90:1", WINDOWS_VERSION_98_ME, WINDOWS_TECHNOLOGY_9X},
      {"3.10:0", WINDOWS_VERSION_WIN32S, WINDOWS_TECHNOLOGY_WIN32S},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reported ? c.reported : "XP");
    if (c.reported) setenv("TOLVAR_WINDOWS_VERSION", c.reported, 1);
    else unsetenv("TOLVAR_WINDOWS_VERSION");
    EXPECT_EQ(GetWindowsVersion(), c.version);
    enumWINDOWS_VERSION stored = WINDOWS_VERSION_OTHER;
    EXPECT_EQ(GetWindowsVersion(stored), c.technology);
    EXPECT_EQ(stored, c.version);
    EXPECT_EQ(GetWindowsTechnology(), c.technology);
  }
  unsetenv("TOLVAR_WINDOWS_VERSION");
}

// An administrator is the superuser or a member of an administrators' group. Run as the superuser,
// the test also drops to an unprivileged user in child processes: one in no such group is no
// administrator, one in the "sudo" group (where the system has it) is.
TEST(CommonSystem, IsAdminFollowsTheUsersPrivileges) {
  if (geteuid() != 0) GTEST_SKIP() << "needs the superuser to become other users";
  EXPECT_EQ(IsAdmin(), 1);
  const gid_t nobody = 65534;
  const group* sudo = getgrnam("sudo");
  struct Case {
    gid_t group;
    int admin;
  };
  std::vector<Case> cases{{nobody, 0}};
  if (sudo) cases.push_back({sudo->gr_gid, 1});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.group);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (setgroups(1, &c.group) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0) _exit(2);
      _exit(IsAdmin());
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), c.admin);
  }
}

TEST(CommonSystem, FullScreenCoversTheScreenAndGivesTheWindowBack) {
  HWND window = CreateWindowExA(0, testing_user::PlainClass(), "Viewer", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 30, 300,
                                200, nullptr, nullptr, nullptr, nullptr);
  RECT saved{}, rect{};
  GoFullScreen(window, 1, saved);
  EXPECT_EQ(saved.left, 40);
  EXPECT_EQ(saved.bottom, 230);
  GetWindowRect(window, &rect);
  const int bx = GetSystemMetrics(SM_CXBORDER), by = GetSystemMetrics(SM_CYBORDER);
  EXPECT_EQ(rect.left, -(bx + 1));
  EXPECT_EQ(rect.top, -(by + 1));
  EXPECT_EQ(rect.right - rect.left, GetSystemMetrics(SM_CXSCREEN) + bx + 2);
  EXPECT_EQ(rect.bottom - rect.top, GetSystemMetrics(SM_CYSCREEN) + by + 2);
  EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & WS_DLGFRAME, 0);

  GoFullScreen(window, 0, saved);
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.left, 40);
  EXPECT_EQ(rect.top, 30);
  EXPECT_EQ(rect.right, 340);
  EXPECT_EQ(rect.bottom, 230);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & WS_CAPTION, WS_CAPTION);
  EXPECT_TRUE(IsWindowVisible(window));
  DestroyWindow(window);
}

// A .bmp file: `bits` per pixel, every pixel of colour index 1 (or red for 24 bits), and a colour
// table of `colours` entries whose entry i is (i, 2i, 3i) with entry 1 pure green.
void WriteBmp(const fs::path& path, int width, int height, int bits, int colours) {
  const int stride = ((width * bits + 31) / 32) * 4;
  const int tableBytes = colours * 4;
  const int offset = 14 + 40 + tableBytes;
  const int size = offset + stride * height;
  std::vector<unsigned char> bytes;
  auto u16 = [&](int v) { bytes.push_back(static_cast<unsigned char>(v)), bytes.push_back(static_cast<unsigned char>(v >> 8)); };
  auto u32 = [&](int v) { u16(v & 0xFFFF), u16((v >> 16) & 0xFFFF); };
  bytes.push_back('B'), bytes.push_back('M');
  u32(size), u32(0), u32(offset);
  u32(40), u32(width), u32(height), u16(1), u16(bits), u32(0), u32(stride * height), u32(2835), u32(2835),
      u32(bits <= 8 ? colours : 0), u32(0);
  for (int i = 0; i < colours; ++i) {
    const bool green = i == 1;
    bytes.push_back(static_cast<unsigned char>(green ? 0 : 3 * i));   // blue
    bytes.push_back(static_cast<unsigned char>(green ? 255 : 2 * i));  // green
    bytes.push_back(static_cast<unsigned char>(green ? 0 : i));       // red
    bytes.push_back(0);
  }
  for (int y = 0; y < height; ++y) {
    std::vector<unsigned char> row(static_cast<std::size_t>(stride), 0);
    for (int x = 0; x < width; ++x) {
      if (bits == 24) {
        row[static_cast<std::size_t>(x * 3 + 2)] = 255;  // red
      } else {
        const int bit = x * bits;
        row[static_cast<std::size_t>(bit / 8)] |= static_cast<unsigned char>(1 << (8 - bits - bit % 8));
      }
    }
    bytes.insert(bytes.end(), row.begin(), row.end());
  }
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TEST(CommonBitmaps, ABitmapFileComesWithThePaletteOfItsOwnColours) {
  const fs::path folder = fs::path(std::getenv("TOLVAR_HOME")) / "bitmaps";
  fs::create_directories(folder);
  struct Case {
    int bits, colours;
    UINT entries;  // in the palette
  };
  // A file's table may hold fewer entries than its depth allows: only those are read.
  for (Case c : {Case{1, 2, 2}, Case{4, 16, 16}, Case{8, 256, 256}, Case{8, 20, 20}, Case{24, 0, 0}}) {
    SCOPED_TRACE(c.bits * 1000 + c.colours);
    const fs::path path = folder / ("b" + std::to_string(c.bits) + "_" + std::to_string(c.colours) + ".bmp");
    WriteBmp(path, 13, 7, c.bits, c.colours);
    CBitmap bitmap;
    CPalette palette;
    ASSERT_EQ(LoadBitmapFromBMPFile(path.string().c_str(), &bitmap, &palette), 1);
    DIBSECTION section{};
    bitmap.GetObject(sizeof section, &section);
    EXPECT_EQ(section.dsBm.bmWidth, 13);
    EXPECT_EQ(section.dsBmih.biBitCount, c.bits);
    ASSERT_NE(palette.GetSafeHandle(), nullptr);
    const UINT count = palette.GetPaletteEntries(0, 0, nullptr);
    if (c.bits > 8) {
      EXPECT_GE(count, 16u) << "a halftone palette";
      continue;
    }
    EXPECT_EQ(count, c.entries);
    PALETTEENTRY second{};
    palette.GetPaletteEntries(1, 1, &second);
    EXPECT_EQ(second.peGreen, 255);
    EXPECT_EQ(second.peRed, 0);
    EXPECT_EQ(second.peFlags, 0);
  }
  // A missing or broken file loads nothing, and what the objects held is gone.
  CBitmap bitmap;
  CPalette palette;
  ASSERT_EQ(LoadBitmapFromBMPFile((folder / "b1_2.bmp").string().c_str(), &bitmap, &palette), 1);
  std::ofstream(folder / "broken.bmp") << "BMnot a bitmap";
  for (const char* name : {"absent.bmp", "broken.bmp"}) {
    EXPECT_EQ(LoadBitmapFromBMPFile((folder / name).string().c_str(), &bitmap, &palette), 0) << name;
    EXPECT_EQ(bitmap.GetSafeHandle(), nullptr);
    EXPECT_EQ(palette.GetSafeHandle(), nullptr);
  }
}

TEST(CommonSystem, ErrorCodesReadAsTheSystemsText) {
  EXPECT_NE(std::string(GetWinErrorString(ERROR_FILE_NOT_FOUND)).find("cannot find the file"), std::string::npos);
  EXPECT_STREQ(GetWinErrorString(0x7FFF1234), "");
}

}  // namespace
