// Shortcuts: symbolic links and ".lnk" files resolve to their targets through the link object; a
// dangling or looping one fails at once; and the ".lnk" reader stays inside the bytes it is given,
// however they are cut.
#include <base/CodePage.h>
#include <base/WinError.h>
#include <kernel/Find.h>
#include <kernel/Path.h>
#include <shell/LinkFile.h>
#include <shell/Shell.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr IID kOtherInterface = {0x00020400, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

std::vector<BYTE> Fixture(const char* name) {
  std::ifstream in(std::string(SHELL_TEST_DATA) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::u16string Wide(const std::string& text) {
  std::u16string wide(text.size(), u'\0');
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), int(wide.size()));
  wide.resize(n > 0 ? n : 0);
  return wide;
}

struct Resolved {
  HRESULT load = E_FAIL;
  HRESULT resolve = E_FAIL;
  std::string path;
  std::string description;
};

// What the multimedia manager's PC pane does with a shortcut: create the link object, load the file
// through its persistence interface, resolve it without a window and read its raw path.
Resolved ResolveShortcut(const std::string& linkPath) {
  Resolved result;
  EXPECT_EQ(CoInitialize(nullptr), S_OK);
  IShellLinkA* link = nullptr;
  EXPECT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                             reinterpret_cast<void**>(&link)),
            S_OK);
  IPersistFile* file = nullptr;
  EXPECT_EQ(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)), S_OK);
  result.load = file->Load(Wide(linkPath).c_str(), 0);
  if (SUCCEEDED(result.load)) {
    result.resolve = link->Resolve(nullptr, SLR_UPDATE | SLR_NO_UI);
    char path[MAX_PATH] = "", description[MAX_PATH] = "";
    WIN32_FIND_DATAA data{};
    link->GetPath(path, MAX_PATH, &data, SLGP_RAWPATH);
    link->GetDescription(description, MAX_PATH);
    result.path = path;
    result.description = description;
  }
  file->Release();
  EXPECT_EQ(link->Release(), 0u);
  CoUninitialize();
  return result;
}

class LinkTest : public ::testing::Test {
protected:
  // The home lives as long as the process: every test starts from folders without another test's
  // links (a symbolic link where a file is copied, or one made a second time, would fail).
  void SetUp() override {
    for (const char* folder : {"C:\\Links", "C:\\Bad", "C:\\Media", "C:\\Média"}) fs::remove_all(Host(folder));
  }
  static std::string Host(const char* windowsPath) { return tolvar::kernel::ToHostPath(windowsPath); }
  static void MakeFolder(const char* windowsPath) { fs::create_directories(Host(windowsPath)); }
};

TEST_F(LinkTest, SymbolicLinksResolveToTheirTargets) {
  MakeFolder("C:\\Media\\Music");
  MakeFolder("C:\\Links");
  fs::create_directory_symlink(Host("C:\\Media\\Music"), Host("C:\\Links\\absolute.lnk"));
  fs::create_directory_symlink("../Media/./Music", Host("C:\\Links\\relative.lnk"));
  for (const char* link : {"C:\\Links\\absolute.lnk", "C:\\Links\\relative.lnk"}) {
    SCOPED_TRACE(link);
    const Resolved resolved = ResolveShortcut(link);
    EXPECT_EQ(resolved.load, S_OK);
    EXPECT_EQ(resolved.resolve, S_OK);
    EXPECT_EQ(resolved.path, "C:\\Media\\Music");
    EXPECT_EQ(resolved.description, "");
    SHFILEINFOA info{};
    ASSERT_NE(SHGetFileInfoA(resolved.path.c_str(), 0, &info, sizeof info, SHGFI_ATTRIBUTES), 0u);
    EXPECT_TRUE(info.dwAttributes & SFGAO_FOLDER);
  }
}

TEST_F(LinkTest, LinkFilesResolveToTheirTargets) {
  MakeFolder("C:\\Media\\Music");
  MakeFolder("C:\\Média\\Fotos 2006");
  MakeFolder("C:\\Links\\sub");
  std::ofstream(Host("C:\\Links\\sub\\target.txt")) << "x";
  struct Case {
    const char* fixture;
    const char* path;
    const char* description;
    HRESULT resolve;
  } cases[] = {
      {"music.lnk", "C:\\Media\\Music", "My music", S_OK},
      {"wide.lnk", "C:\\Média\\Fotos 2006", "Café photos", S_OK},
      {"relative.lnk", "C:\\Links\\sub\\target.txt", "", S_OK},
      {"dangling.lnk", "C:\\gone\\away", "", HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fixture);
    const std::string link = std::string("C:\\Links\\") + c.fixture;
    fs::copy_file(std::string(SHELL_TEST_DATA) + "/" + c.fixture, Host(link.c_str()),
                  fs::copy_options::overwrite_existing);
    const Resolved resolved = ResolveShortcut(link);
    EXPECT_EQ(resolved.load, S_OK);
    EXPECT_EQ(resolved.resolve, c.resolve);
    EXPECT_EQ(resolved.path, c.path);
    EXPECT_EQ(resolved.description, c.description);
  }
}

TEST_F(LinkTest, DanglingLoopingAndUnreadableShortcutsFailAtOnce) {
  MakeFolder("C:\\Bad");
  fs::create_symlink(Host("C:\\Bad\\nowhere"), Host("C:\\Bad\\dangling.lnk"));
  fs::create_symlink("loop-b.lnk", Host("C:\\Bad\\loop-a.lnk"));
  fs::create_symlink("loop-a.lnk", Host("C:\\Bad\\loop-b.lnk"));
  std::ofstream(Host("C:\\Bad\\garbage.lnk")) << "not a shortcut at all, and longer than a header would be........";
  fs::copy_file(std::string(SHELL_TEST_DATA) + "/network.lnk", Host("C:\\Bad\\network.lnk"));
  const auto cut = Fixture("music.lnk");
  std::ofstream(Host("C:\\Bad\\cut.lnk"), std::ios::binary).write(reinterpret_cast<const char*>(cut.data()), 120);

  const HRESULT notFound = HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  struct Case {
    const char* link;
    HRESULT load;
    HRESULT resolve;
  } cases[] = {
      {"C:\\Bad\\dangling.lnk", S_OK, notFound}, {"C:\\Bad\\loop-a.lnk", S_OK, notFound},
      {"C:\\Bad\\missing.lnk", notFound, E_FAIL}, {"C:\\Bad\\garbage.lnk", E_FAIL, E_FAIL},
      {"C:\\Bad\\network.lnk", E_FAIL, E_FAIL},   {"C:\\Bad\\cut.lnk", E_FAIL, E_FAIL},
      {"C:\\Bad", E_FAIL, E_FAIL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.link);
    const Resolved resolved = ResolveShortcut(c.link);
    EXPECT_EQ(resolved.load, c.load);
    EXPECT_EQ(resolved.resolve, c.resolve);
  }
}

TEST_F(LinkTest, OnlyTheLinkObjectIsMade) {
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(CoCreateInstance(IID_IPersistFile, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, kOtherInterface, &object),
            E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  IShellLinkA* link = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                             reinterpret_cast<void**>(&link)),
            S_OK);
  // Nothing loaded: no path, and nothing to resolve.
  char path[MAX_PATH] = "x";
  EXPECT_EQ(link->GetPath(path, MAX_PATH, nullptr, 0), S_FALSE);
  EXPECT_STREQ(path, "");
  EXPECT_EQ(link->Resolve(nullptr, SLR_NO_UI), E_FAIL);
  link->Release();
}

TEST(LinkFileReader, EveryCutOfAShortcutIsRefusedWithoutReadingPastIt) {
  for (const char* name : {"music.lnk", "wide.lnk", "relative.lnk", "dangling.lnk"}) {
    SCOPED_TRACE(name);
    const std::vector<BYTE> bytes = Fixture(name);
    ASSERT_FALSE(bytes.empty());
    tolvar::shell::LinkFile link;
    EXPECT_TRUE(tolvar::shell::ParseLinkFile(bytes, link));
    // Each shorter copy lives in a buffer of its own size, so the sanitizer sees any overread.
    for (std::size_t size = 0; size < bytes.size(); ++size) {
      std::vector<BYTE> cut(bytes.begin(), bytes.begin() + size);
      EXPECT_FALSE(tolvar::shell::ParseLinkFile(cut, link)) << "cut at " << size;
    }
  }
}

// The fuzzer's seeds, and any input it once crashed on (kept beside them), are read again on every
// run.
TEST(LinkFileReader, TheFuzzCorpusIsReadSafely) {
  std::size_t seen = 0;
  for (const auto& entry : fs::directory_iterator(SHELL_FUZZ_CORPUS)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<BYTE> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    tolvar::shell::LinkFile link;
    if (tolvar::shell::ParseLinkFile(bytes, link)) {
      EXPECT_FALSE(link.target.empty()) << entry.path();
    }
    ++seen;
  }
  EXPECT_GT(seen, 0u);
}

}  // namespace
