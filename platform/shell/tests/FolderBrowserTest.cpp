// The folder browser: its callback sets the start selection and hears every change, a click on a
// sub-folder chooses it, OK gives its item list, name and icon; the callback can hold OK back; a
// root keeps the choice inside it; item lists that are not ours give no path.
#include <controls/Controls.h>
#include <shell/Shell.h>
#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace testing_user;

namespace {

constexpr int kTreeId = 0x3741;

struct Session {
  std::string start;                 // set at BFFM_INITIALIZED, when not empty
  bool disableOk = false;
  std::vector<std::string> events;   // "init", "sel <path>"
  std::vector<std::function<void(HWND)>> steps;
  std::size_t next = 0;
  int idle = 0;
  HWND browser = nullptr;
};
Session g_session;

int Callback(HWND window, UINT message, LPARAM lParam, LPARAM data) {
  EXPECT_EQ(data, 55);
  g_session.browser = window;
  if (message == BFFM_INITIALIZED) {
    g_session.events.push_back("init");
    if (!g_session.start.empty())
      SendMessageA(window, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(g_session.start.c_str()));
    if (g_session.disableOk) SendMessageA(window, BFFM_ENABLEOK, 0, FALSE);
  } else if (message == BFFM_SELCHANGED) {
    char path[MAX_PATH] = {};
    EXPECT_TRUE(SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(lParam), path));
    g_session.events.push_back(std::string("sel ") + path);
  }
  return 0;
}

void Tick(HWND owner, UINT, UINT_PTR, DWORD) {
  HWND active = GetActiveWindow();
  if (!active || active == owner || !IsWindowVisible(active)) return;
  if (g_session.next < g_session.steps.size()) {
    g_session.steps[g_session.next++](active);
    return;
  }
  if (++g_session.idle > 400) EndDialog(active, IDCANCEL);
}

void Key(UINT key) {
  tolvar::user::InjectKey(key, true);
  tolvar::user::InjectKey(key, false);
}

void ClickRow(HWND browser, const char* label) {
  HWND tree = GetDlgItem(browser, kTreeId);
  LVFINDINFOA find{};
  find.flags = LVFI_STRING;
  find.psz = label;
  const int item = static_cast<int>(SendMessageA(tree, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
  ASSERT_GE(item, 0) << label;
  RECT rect{};
  rect.left = LVIR_LABEL;
  SendMessageA(tree, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&rect));
  POINT point{rect.left + 4, (rect.top + rect.bottom) / 2};
  ClientToScreen(tree, &point);
  tolvar::user::InjectMouse(point, WM_LBUTTONDOWN);
  tolvar::user::InjectMouse(point, WM_LBUTTONUP);
}

class FolderBrowser : public ::testing::Test {
protected:
  void SetUp() override {
    m_folder = fs::path(std::getenv("TOLVAR_HOME")) / ("browse-" + std::to_string(++s_count));
    for (const char* name : {"sub/deep", "sub/other", "side"}) fs::create_directories(m_folder / name);
    m_owner = CreateWindowExA(0, PlainClass(), "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 500, 400, nullptr,
                              nullptr, nullptr, nullptr);
    SetForegroundWindow(m_owner);
    SetActiveWindow(m_owner);
    Pump();
    g_session = {};
    m_info = {};
    m_info.hwndOwner = m_owner;
    m_info.pszDisplayName = m_name;
    m_info.lpszTitle = "Choose the folder for the exported cards:";
    m_info.ulFlags = BIF_RETURNONLYFSDIRS;
    m_info.lpfn = Callback;
    m_info.lParam = 55;
  }
  void TearDown() override { DestroyWindow(m_owner); }
  LPITEMIDLIST RunList(std::vector<std::function<void(HWND)>> steps) {
    g_session.steps = std::move(steps);
    g_session.next = 0;
    SetTimer(m_owner, 3, 10, Tick);
    LPITEMIDLIST list = SHBrowseForFolderA(&m_info);
    KillTimer(m_owner, 3);
    EXPECT_LT(g_session.idle, 400) << "the browser ended by itself";
    return list;
  }
  // The chosen path, empty when cancelled.
  std::string Run(std::vector<std::function<void(HWND)>> steps) {
    LPITEMIDLIST list = RunList(std::move(steps));
    char path[MAX_PATH] = {};
    if (list) {
      EXPECT_TRUE(SHGetPathFromIDListA(list, path));
    }
    CoTaskMemFree(list);
    return path;
  }
  std::string In(const char* name) const { return (m_folder / name).string(); }

  static inline int s_count = 0;
  fs::path m_folder;
  HWND m_owner = nullptr;
  char m_name[MAX_PATH] = {};
  BROWSEINFOA m_info{};
};

TEST_F(FolderBrowser, TheCallbackSetsTheStartAndAClickChoosesASubFolder) {
  g_session.start = In("sub");
  std::vector<std::string> rows;
  const std::string chosen = Run({[&](HWND browser) {
                                    HWND tree = GetDlgItem(browser, kTreeId);
                                    const int count = static_cast<int>(SendMessageA(tree, LVM_GETITEMCOUNT, 0, 0));
                                    for (int i = 0; i < count; ++i) {
                                      char text[MAX_PATH] = {};
                                      LVITEMA item{};
                                      item.pszText = text;
                                      item.cchTextMax = sizeof text;
                                      SendMessageA(tree, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
                                      rows.emplace_back(text);
                                    }
                                    HBITMAP picture = tolvar::user::RenderWindow(browser);
                                    SavePng(picture, "folder_browser");
                                    DeleteObject(picture);
                                    ClickRow(browser, "deep");
                                  },
                                  [](HWND) { Key(VK_RETURN); }});
  EXPECT_EQ(chosen, In("sub/deep"));
  EXPECT_STREQ(m_name, "deep");
  SHFILEINFOA folder{};
  SHGetFileInfoA(In("sub").c_str(), 0, &folder, sizeof folder, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
  EXPECT_EQ(m_info.iImage, folder.iIcon);
  EXPECT_EQ(g_session.events, (std::vector<std::string>{"init", "sel " + In("sub"), "sel " + In("sub/deep")}));
  // The way down to the start: its ancestors, the start, and its sub-folders one step in.
  // The way down to the start: its ancestors, the start, and its sub-folders one step in, then the
  // other roots.
  auto sub = std::find(rows.begin(), rows.end(), "sub");
  ASSERT_NE(sub, rows.end());
  ASSERT_GE(rows.end() - sub, 4);
  EXPECT_EQ(sub[-1], m_folder.filename().string());
  EXPECT_EQ(sub[1], "deep");
  EXPECT_EQ(sub[2], "other");
  EXPECT_EQ(sub[3], "C:\\");
  EXPECT_EQ(rows.front(), "/");
}

TEST_F(FolderBrowser, CancelOrAHeldBackOkChoosesNothing) {
  g_session.start = In("side");
  EXPECT_EQ(Run({[](HWND) { Key(VK_ESCAPE); }}), "");

  SetUp();
  g_session.start = In("side");
  g_session.disableOk = true;
  HWND seen = nullptr;
  EXPECT_EQ(Run({[](HWND) { Key(VK_RETURN); }, [&](HWND active) {
                   seen = active;
                   Key(VK_ESCAPE);
                 }}),
            "");
  EXPECT_EQ(seen, g_session.browser) << "Enter with OK held back left the browser up";
}

TEST_F(FolderBrowser, ARootKeepsTheChoiceInside) {
  // The root as an item list, the way a caller gets one: from an earlier choice.
  g_session.start = In("sub");
  LPITEMIDLIST root = RunList({[](HWND) { Key(VK_RETURN); }});
  ASSERT_NE(root, nullptr);
  g_session = {};
  g_session.start = In("side");  // outside the root: ignored
  m_info.pidlRoot = root;
  EXPECT_EQ(Run({[](HWND) { Key(VK_RETURN); }}), In("sub"));
  EXPECT_EQ(g_session.events, (std::vector<std::string>{"init", "sel " + In("sub")}));
  CoTaskMemFree(root);
}

TEST(ItemLists, ListsThatAreNotOursGiveNoPath) {
  char path[MAX_PATH] = "x";
  EXPECT_FALSE(SHGetPathFromIDListA(nullptr, path));
  EXPECT_STREQ(path, "");
  const BYTE foreign[] = {5, 0, 1, 2, 3, 0, 0};  // an item whose bytes are no NUL-ended path
  EXPECT_FALSE(SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(foreign), path));
  const BYTE empty[] = {0, 0};
  EXPECT_FALSE(SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(empty), path));
}

}  // namespace
