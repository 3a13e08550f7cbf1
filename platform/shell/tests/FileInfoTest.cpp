// What the shell tells of items: icon index, display and type names and attributes per kind of item,
// by the shared-mime-info database when there is one and by extension when there is none; the system
// image lists; and the special folders with and without XDG user directories.
#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/File.h>
#include <kernel/Module.h>
#include <kernel/Path.h>
#include <resources/Resource.h>
#include <shell/Shell.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>

namespace fs = std::filesystem;
using namespace testing_user;

namespace {

// The fixed order of the system image list.
enum { kFile, kFolder, kDrive, kShortcut, kPicture, kSound, kMovie, kText };

// A scratch user: HOME, XDG_CONFIG_HOME and the data folders point into the test's home.
class ShellUser : public ::testing::Test {
protected:
  void SetUp() override {
    m_root = fs::path(std::getenv("TOLVAR_HOME")) / ("user-" + std::to_string(++s_count));
    fs::create_directories(m_root / "home" / ".config");
    fs::create_directories(m_root / "nodata");
    Set("HOME", (m_root / "home").string());
    Set("XDG_CONFIG_HOME", (m_root / "home" / ".config").string());
    Set("XDG_DATA_HOME", (m_root / "nodata").string());
    Set("XDG_DATA_DIRS", SHELL_TEST_DATA);  // its mime/globs2
  }
  void TearDown() override {
    for (auto& [name, value] : m_saved) {
      if (value) setenv(name.c_str(), value->c_str(), 1);
      else unsetenv(name.c_str());
    }
  }
  void Set(const std::string& name, const std::string& value) {
    if (!m_saved.count(name)) {
      const char* old = std::getenv(name.c_str());
      m_saved[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    setenv(name.c_str(), value.c_str(), 1);
  }
  static void Touch(const fs::path& path) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "x";
  }

  static inline int s_count = 0;
  fs::path m_root;
  std::map<std::string, std::optional<std::string>> m_saved;
};

using FileInfoTest = ShellUser;

struct Row {
  const char* path;
  int icon;
  const char* display;
  const char* type;
  DWORD attributes;
};

void ExpectRows(const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    SHFILEINFOA info{};
    const DWORD_PTR result = SHGetFileInfoA(row.path, 0, &info, sizeof info,
                                            SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_DISPLAYNAME |
                                                SHGFI_TYPENAME | SHGFI_ATTRIBUTES);
    ASSERT_NE(result, 0u);
    EXPECT_EQ(info.iIcon, row.icon);
    EXPECT_STREQ(info.szDisplayName, row.display);
    EXPECT_STREQ(info.szTypeName, row.type);
    EXPECT_EQ(info.dwAttributes, row.attributes);
  }
}

constexpr DWORD kFs = SFGAO_FILESYSTEM;
constexpr DWORD kDir = SFGAO_FILESYSTEM | SFGAO_FOLDER;

TEST_F(FileInfoTest, ItemsByKindWithTheMimeDatabase) {
  for (const char* name : {"a.jpg", "b.MP3", "c.avi", "d.txt", "e.xyz", "f.doc", "README", "g.lnk"})
    Touch(tolvar::kernel::ToHostPath(std::string("C:\\items\\") + name));
  ExpectRows({
      {"C:\\items\\a.jpg", kPicture, "a.jpg", "JPG Image", kFs},
      {"C:\\items\\b.MP3", kSound, "b.MP3", "MP3 Audio", kFs},
      {"C:\\items\\c.avi", kMovie, "c.avi", "AVI Video", kFs},
      {"C:\\items\\d.txt", kText, "d.txt", "Text Document", kFs},
      {"C:\\items\\e.xyz", kPicture, "e.xyz", "XYZ Image", kFs},  // only the database knows .xyz
      {"C:\\items\\f.doc", kFile, "f.doc", "DOC File", kFs},
      {"C:\\items\\README", kFile, "README", "File", kFs},
      {"C:\\items\\g.lnk", kShortcut, "g.lnk", "Shortcut", kFs | SFGAO_LINK},
      {"c:/items/", kFolder, "items", "File Folder", kDir},
      {"C:\\", kDrive, "Local Disk (C:)", "Local Disk", kDir},
  });
}

TEST_F(FileInfoTest, ItemsByExtensionWithoutADatabase) {
  Set("XDG_DATA_DIRS", (m_root / "nodata").string());
  for (const char* name : {"a.JPEG", "b.wav", "c.3gp", "e.xyz"}) Touch(tolvar::kernel::ToHostPath(std::string("C:\\x\\") + name));
  ExpectRows({
      {"C:\\x\\a.JPEG", kPicture, "a.JPEG", "JPEG Image", kFs},
      {"C:\\x\\b.wav", kSound, "b.wav", "WAV Audio", kFs},
      {"C:\\x\\c.3gp", kMovie, "c.3gp", "3GP Video", kFs},
      {"C:\\x\\e.xyz", kFile, "e.xyz", "XYZ File", kFs},
  });
}

TEST_F(FileInfoTest, APathTheShellCannotResolveFails) {
  for (const char* path : {"C:\\no\\such.jpg", "C:\\nothing", "Q:\\", ""}) {
    SCOPED_TRACE(path);
    SHFILEINFOA info{};
    EXPECT_EQ(SHGetFileInfoA(path, 0, &info, sizeof info, SHGFI_DISPLAYNAME | SHGFI_ICON), 0u);
    EXPECT_EQ(info.hIcon, nullptr);
  }
  // From the name and the given attributes alone, nothing need exist.
  SHFILEINFOA info{};
  EXPECT_NE(SHGetFileInfoA("C:\\no\\such", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                           SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_ATTRIBUTES),
            0u);
  EXPECT_EQ(info.iIcon, kFolder);
  EXPECT_EQ(info.dwAttributes, kDir);
}

TEST_F(FileInfoTest, TheSystemImageListsAreSharedAndHoldEveryKind) {
  SHFILEINFOA info{};
  const auto small = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  const auto large = reinterpret_cast<HIMAGELIST>(SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX));
  ASSERT_TRUE(small && large);
  EXPECT_NE(small, large);
  EXPECT_EQ(small, reinterpret_cast<HIMAGELIST>(SHGetFileInfoA("C:\\", 0, &info, sizeof info,
                                                               SHGFI_SYSICONINDEX | SHGFI_SMALLICON)));
  int cx = 0, cy = 0;
  ASSERT_TRUE(ImageList_GetIconSize(small, &cx, &cy));
  EXPECT_EQ(cx, 16);
  ASSERT_TRUE(ImageList_GetIconSize(large, &cx, &cy));
  EXPECT_EQ(cx, 32);
  // The kinds' icons first; programs' own icons join after them.
  EXPECT_GE(ImageList_GetImageCount(small), 8);
  EXPECT_EQ(ImageList_GetImageCount(small), ImageList_GetImageCount(large));

  // Every icon drawn on grey: a person can look at the PNG; the folder's yellow shows in its middle.
  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = 8 * 40;
  format.bmiHeader.biHeight = -56;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP picture = CreateDIBSection(dc, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, picture);
  HBRUSH grey = CreateSolidBrush(RGB(192, 192, 192));
  RECT all{0, 0, 8 * 40, 56};
  FillRect(dc, &all, grey);
  DeleteObject(grey);
  for (int i = 0; i < 8; ++i) {
    ImageList_Draw(small, i, dc, i * 40 + 8, 2, ILD_NORMAL);
    ImageList_Draw(large, i, dc, i * 40 + 2, 20, ILD_NORMAL);
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  SavePng(picture, "shell_system_icons");
  EXPECT_EQ(PixelAt(picture, 0, 0), RGB(192, 192, 192));          // transparent corner
  EXPECT_EQ(PixelAt(picture, kFolder * 40 + 2 + 16, 20 + 18), RGB(250, 205, 80));  // folder body
  EXPECT_EQ(PixelAt(picture, kFolder * 40 + 8 + 8, 2 + 9), RGB(250, 205, 80));
  DeleteObject(picture);

  // SHGFI_ICON hands out a copy the caller destroys.
  ASSERT_NE(SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON), 0u);
  ASSERT_TRUE(info.hIcon);
  EXPECT_TRUE(DestroyIcon(info.hIcon));
}

// An icon drawn on grey, its pixels row by row.
std::vector<COLORREF> IconPixels(HICON icon, int size) {
  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = size;
  format.bmiHeader.biHeight = -size;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP picture = CreateDIBSection(dc, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, picture);
  HBRUSH grey = CreateSolidBrush(RGB(192, 192, 192));
  RECT all{0, 0, size, size};
  FillRect(dc, &all, grey);
  DeleteObject(grey);
  DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) pixels.push_back(GetPixel(dc, x, y));
  SelectObject(dc, old);
  DeleteObject(picture);
  DeleteDC(dc);
  return pixels;
}

TEST_F(FileInfoTest, AProgramFileShowsItsOwnFirstIcon) {
  // This test program carries icons 20 and 21 (the shell's picture and sound drawings); 20 comes first.
  char self[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(nullptr, self, sizeof self), 0u);
  EXPECT_EQ(PrivateExtractIconsA(self, 0, 32, 32, nullptr, nullptr, 0, 0), 2u);
  for (auto [flag, size] : {std::pair{SHGFI_LARGEICON, 32}, std::pair{SHGFI_SMALLICON, 16}}) {
    SCOPED_TRACE(size);
    SHFILEINFOA info{};
    ASSERT_NE(SHGetFileInfoA(self, 0, &info, sizeof info, SHGFI_ICON | flag), 0u);
    ASSERT_TRUE(info.hIcon);
    EXPECT_GT(info.iIcon, kText);
    HICON own = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(20), IMAGE_ICON, size, size, 0));
    ASSERT_TRUE(own);
    EXPECT_EQ(IconPixels(info.hIcon, size), IconPixels(own, size));
    DestroyIcon(own);
    DestroyIcon(info.hIcon);
    // Asked again, the same place in the system list.
    SHFILEINFOA again{};
    ASSERT_NE(SHGetFileInfoA(self, 0, &again, sizeof again, SHGFI_SYSICONINDEX | flag), 0u);
    EXPECT_EQ(again.iIcon, info.iIcon);
  }
  // A file without resources, or with bytes that only look like a program, keeps the file icon.
  for (const char* content : {"plain text", "\x7f" "ELF garbage that is not a program"}) {
    const fs::path file = m_root / "not-a-program";
    std::ofstream(file, std::ios::binary | std::ios::trunc) << content;
    SHFILEINFOA info{};
    ASSERT_NE(SHGetFileInfoA(file.string().c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX), 0u);
    EXPECT_EQ(info.iIcon, kFile);
    EXPECT_EQ(PrivateExtractIconsA(file.string().c_str(), 0, 32, 32, nullptr, nullptr, 0, 0), 0u);
  }
}

using FoldersTest = ShellUser;

TEST_F(FoldersTest, WithoutUserDirectoriesBothAreTheHomeFolder) {
  char path[MAX_PATH];
  for (int folder : {CSIDL_DESKTOP, CSIDL_PERSONAL}) {
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, folder, FALSE));
    EXPECT_EQ(fs::path(path), m_root / "home");
    ASSERT_EQ(SHGetFolderPathA(nullptr, folder, nullptr, 0, path), S_OK);
    EXPECT_EQ(fs::path(path), m_root / "home");
  }
}

TEST_F(FoldersTest, UserDirectoriesAreFollowedAndMadeOnRequest) {
  const fs::path documents = m_root / "elsewhere" / "Docs";
  std::ofstream(m_root / "home" / ".config" / "user-dirs.dirs")
      << "# written by the desktop\n"
      << "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n"
      << "XDG_DOCUMENTS_DIR=\"" << documents.string() << "\"\n"
      << "XDG_MUSIC_DIR=\"$HOME/Music\"\n";
  char path[MAX_PATH] = "untouched";
  // Missing folders fail unless they are to be made.
  EXPECT_FALSE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_DESKTOP, FALSE));
  EXPECT_EQ(SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, 0, path), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  fs::create_directories(documents.parent_path());
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_DESKTOP, TRUE));
  EXPECT_EQ(fs::path(path), m_root / "home" / "Bureau");
  EXPECT_TRUE(fs::is_directory(path));
  ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, 0, path), S_OK);
  EXPECT_EQ(fs::path(path), documents);

  // The shell names them as Windows does, whatever their folders are called.
  SHFILEINFOA info{};
  ASSERT_NE(SHGetFileInfoA(path, 0, &info, sizeof info, SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX), 0u);
  EXPECT_STREQ(info.szDisplayName, "My Documents");
  EXPECT_EQ(info.iIcon, kFolder);
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_DESKTOP, FALSE));
  ASSERT_NE(SHGetFileInfoA(path, 0, &info, sizeof info, SHGFI_DISPLAYNAME), 0u);
  EXPECT_STREQ(info.szDisplayName, "Desktop");
}

TEST_F(FoldersTest, SpecialFolderItemListsAnswerAsTheirFolders) {
  fs::create_directories(m_root / "home" / "Desk");
  fs::create_directories(m_root / "home" / "Docs");
  std::ofstream(m_root / "home" / ".config" / "user-dirs.dirs")
      << "XDG_DESKTOP_DIR=\"$HOME/Desk\"\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n";
  struct Row {
    int folder;
    const char* name;
    int icon;
    DWORD attributes;
    std::optional<fs::path> path;  // none: the item has no path
  };
  const Row rows[] = {
      {CSIDL_DESKTOP, "Desktop", kFolder, SFGAO_FOLDER | SFGAO_FILESYSTEM, m_root / "home" / "Desk"},
      {CSIDL_PERSONAL, "My Documents", kFolder, SFGAO_FOLDER | SFGAO_FILESYSTEM, m_root / "home" / "Docs"},
      {CSIDL_DRIVES, "My Computer", kDrive, SFGAO_FOLDER | SFGAO_HASSUBFOLDER, std::nullopt},
  };
  for (const Row& row : rows) {
    LPITEMIDLIST list = nullptr;
    ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, row.folder, &list), S_OK) << row.name;
    ASSERT_NE(list, nullptr);
    SHFILEINFOA info{};
    const DWORD_PTR images = SHGetFileInfoA(reinterpret_cast<LPCSTR>(list), 0, &info, sizeof info,
                                            SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_SYSICONINDEX | SHGFI_SMALLICON |
                                                SHGFI_ATTRIBUTES);
    EXPECT_EQ(images, SHGetFileInfoA("C:\\", 0, nullptr, 0, SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
        << row.name << ": the small system image list";
    EXPECT_STREQ(info.szDisplayName, row.name);
    EXPECT_EQ(info.iIcon, row.icon) << row.name;
    EXPECT_EQ(info.dwAttributes, row.attributes) << row.name;
    char path[MAX_PATH] = "untouched";
    EXPECT_EQ(SHGetPathFromIDListA(list, path), row.path.has_value()) << row.name;
    EXPECT_EQ(fs::path(path), row.path.value_or(fs::path())) << row.name;
    CoTaskMemFree(list);
  }

  LPITEMIDLIST list = reinterpret_cast<LPITEMIDLIST>(1);
  EXPECT_EQ(SHGetSpecialFolderLocation(nullptr, 0x0d /* my music */, &list), E_INVALIDARG);
  EXPECT_EQ(list, nullptr);
  EXPECT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, nullptr), E_INVALIDARG);
  fs::remove(m_root / "home" / "Desk");
  EXPECT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &list), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));

  // A null list, and bytes that are no list of ours, are refused.
  const BYTE foreign[] = {5, 0, 'a', 'b', 'c', 0, 0};
  SHFILEINFOA info{};
  for (const BYTE* bad : {static_cast<const BYTE*>(nullptr), foreign}) {
    SetLastError(0);
    EXPECT_EQ(SHGetFileInfoA(reinterpret_cast<LPCSTR>(bad), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_DISPLAYNAME), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
}

TEST_F(FoldersTest, OtherFoldersAreRefused) {
  char path[MAX_PATH];
  EXPECT_FALSE(SHGetSpecialFolderPathA(nullptr, path, 0x0d /* my music */, TRUE));
  EXPECT_EQ(SHGetFolderPathA(nullptr, 0x1a /* application data */, nullptr, 0, path), E_INVALIDARG);
}

}  // namespace
