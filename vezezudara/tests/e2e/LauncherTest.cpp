// The launcher with real programs, each in its own process: it finds two test programs in its
// folder by their version records, starts one from the folder bar and hosts its dialog in the
// view, shows its status text, switches between programs, takes "App=" and "Close" from a second
// instance, and closes the suite when every program has answered, has refused (and is asked
// again), or has died without a word.
#include "OutBarCtrl.h"

#include <LauncherProtocol.h>

#include <framework/Afx.h>
#include <kernel/Kernel.h>
#include <registry/WinReg.h>
#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace fs = std::filesystem;
using namespace testing_user;

namespace {

constexpr char kSettings[] = "Software\\Halvane\\Tolvar\\Settings";
constexpr char kLinkwell[] = "Software\\Halvane\\Tolvar\\Linkwell";
constexpr COLORREF kAlphaColour = RGB(200, 60, 60);
constexpr COLORREF kBravoColour = RGB(60, 140, 220);

// Waits for `done`, looking every 20 ms; false after 20 s.
bool WaitFor(const std::function<bool()>& done) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > 20000) return false;
    Sleep(20);
  }
  return true;
}

void SetString(LPCSTR key, LPCSTR name, const std::string& value) {
  HKEY opened = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr);
  RegSetValueExA(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(opened);
}

std::string GetString(LPCSTR key, LPCSTR name) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return {};
  char value[64] = {};
  DWORD size = sizeof value - 1;
  RegQueryValueExA(opened, name, nullptr, nullptr, reinterpret_cast<LPBYTE>(value), &size);
  RegCloseKey(opened);
  return value;
}

HWND FindByText(HWND parent, const char* text) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char found[64] = {};
    GetWindowTextA(child, found, sizeof found);
    if (std::string(found) == text) return child;
    if (HWND deeper = FindByText(child, text)) return deeper;
  }
  return nullptr;
}

class Launcher : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    // One home for the whole process, repeated runs included: the window station stays with the
    // first home opened. It goes when the process ends.
    if (!s_home.empty()) return;
    std::string pattern = (fs::temp_directory_path() / "vezezudara-e2e-XXXXXX").string();
    ASSERT_TRUE(mkdtemp(pattern.data()));
    s_home = pattern;
    static const struct HomeRemover {
      ~HomeRemover() {
        std::error_code ignored;
        fs::remove_all(s_home, ignored);
      }
    } remover;
    setenv("TOLVAR_HOME", s_home.c_str(), 1);
    // The programs are copied into a folder of their own; their libraries stay where they were built.
    const char* libraries = std::getenv("LD_LIBRARY_PATH");
    setenv("LD_LIBRARY_PATH", (std::string(VZD_BIN_DIR) + (libraries ? std::string(":") + libraries : "")).c_str(), 1);
    s_install = s_home + "/install";
    fs::create_directories(s_install);
    fs::copy_file(std::string(VZD_BIN_DIR) + "/Vezezudara", s_install + "/Vezezudara");
    const char* copies[][2] = {{"vzd_hosted_alpha", "Alpha"}, {"vzd_hosted_bravo", "Bravo"}, {"vzd_link_stub", "Linkwell"}};
    for (auto& copy : copies) fs::copy_file(std::string(VZD_TEST_PROGRAMS) + "/" + copy[0], s_install + "/" + copy[1]);
    SetString(kSettings, "Build", "1");
    SetString(kSettings, "Phone", "Model 7");
    HKEY opened = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, kSettings, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr);
    DWORD on = 1;
    RegSetValueExA(opened, "DisplayStatusBar", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof on);
    RegCloseKey(opened);
  }
  void SetUp() override {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kLinkwell, 0, KEY_ALL_ACCESS, &opened) == ERROR_SUCCESS) {
      RegDeleteValueA(opened, "LastApp");
      RegCloseKey(opened);
    }
    unsetenv("VZD_HOSTED_REFUSE");
    unsetenv("VZD_HOSTED_CRASH");
  }
  void TearDown() override {
    if (m_launcher.hProcess) {
      if (WaitForSingleObject(m_launcher.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(m_launcher.hProcess, 9);
      CloseHandle(m_launcher.hProcess);
      CloseHandle(m_launcher.hThread);
    }
    if (HWND stub = FindWindowA("VzdLinkStub", nullptr)) PostMessageA(stub, WM_CLOSE, 0, 0);
    WaitFor([] { return FindWindowA("VzdLinkStub", nullptr) == nullptr; });
  }

  // Starts the launcher in its folder with `arguments`.
  PROCESS_INFORMATION Start(const std::string& arguments) {
    std::string commandLine = "Vezezudara.exe" + (arguments.empty() ? std::string() : " " + arguments);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    EXPECT_TRUE(CreateProcessA((s_install + "/Vezezudara").c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                               nullptr, s_install.c_str(), &startup, &process));
    return process;
  }
  HWND StartFirst() {
    m_launcher = Start("");
    HWND frame = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (frame = FindWindowA("VezezudaraFrame", " Dravik")) != nullptr; }));
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(frame) && IsWindowEnabled(frame); }));
    return frame;
  }
  // A second instance with `arguments`: it hands them over and ends.
  void SecondInstance(const std::string& arguments) {
    PROCESS_INFORMATION second = Start(arguments);
    EXPECT_EQ(WaitForSingleObject(second.hProcess, 20000), WAIT_OBJECT_0);
    CloseHandle(second.hProcess);
    CloseHandle(second.hThread);
  }
  // Clicks item `index` of the folder bar, as a person would.
  void ClickProgram(HWND frame, int index) {
    HWND splitter = GetDlgItem(frame, AFX_IDW_PANE_FIRST);
    HWND bar = GetDlgItem(splitter, 0xE900);
    ASSERT_TRUE(bar);
    RECT client;
    GetClientRect(bar, &client);
    POINT point{client.right / 2, CGfxOutBarCtrl::kFolderHeight - 1 + CGfxOutBarCtrl::kItemTop +
                                      index * CGfxOutBarCtrl::kLargeItemHeight + 20};
    ClientToScreen(bar, &point);
    ASSERT_TRUE(tolvar::user::InjectMouse(point, WM_LBUTTONDOWN));
    ASSERT_TRUE(tolvar::user::InjectMouse(point, WM_LBUTTONUP));
  }
  static HWND View(HWND frame) { return GetDlgItem(GetDlgItem(frame, AFX_IDW_PANE_FIRST), 0xE901); }
  static bool Shown(HWND frame, const char* program) {
    HWND window = FindByText(View(frame), program);
    return window && IsWindowVisible(window);
  }
  bool LauncherEnded() { return WaitForSingleObject(m_launcher.hProcess, 20000) == WAIT_OBJECT_0; }

  static std::string s_home;
  static std::string s_install;
  PROCESS_INFORMATION m_launcher{};
};
std::string Launcher::s_home;
std::string Launcher::s_install;

}  // namespace

TEST_F(Launcher, HostsTheSuitesProgramsAndClosesThemAll) {
  HWND frame = StartFirst();
  ASSERT_TRUE(frame);
  ASSERT_TRUE(WaitFor([] { return FindWindowA("VzdLinkStub", nullptr) != nullptr; }));  // the link service
  EXPECT_EQ(FindByText(View(frame), "Alpha"), nullptr);

  // Alpha (SpecialBuild 5) is listed first: a click starts it and its dialog fills the view.
  ClickProgram(frame, 0);
  ASSERT_TRUE(WaitFor([&] { return Shown(frame, "Alpha") && IsWindowEnabled(frame); }));
  HWND alpha = FindByText(View(frame), "Alpha");
  RECT view, hosted;
  GetClientRect(View(frame), &view);
  GetWindowRect(alpha, &hosted);
  EXPECT_EQ(hosted.right - hosted.left, view.right);
  EXPECT_EQ(hosted.bottom - hosted.top, view.bottom);
  DWORD alphaProcess = 0;
  GetWindowThreadProcessId(alpha, &alphaProcess);
  EXPECT_NE(alphaProcess, GetCurrentProcessId());

  // Its status text reaches the status bar: text pixels appear there.
  HWND status = GetDlgItem(frame, AFX_IDW_STATUS_BAR);
  ASSERT_TRUE(status);
  auto statusInk = [&] {
    HBITMAP picture = tolvar::user::RenderWindow(frame);
    if (!picture) return 0;
    RECT bounds, bar;
    GetWindowRect(frame, &bounds);
    GetWindowRect(status, &bar);
    int ink = 0;
    for (LONG x = bar.left + 2; x < bar.left + 120; ++x) {
      for (LONG y = bar.top + 2; y < bar.bottom - 2; ++y) ink += PixelAt(picture, x - bounds.left, y - bounds.top) == 0;
    }
    DeleteObject(picture);
    return ink;
  };
  EXPECT_TRUE(WaitFor([&] { return statusInk() > 20; }));

  HBITMAP picture = tolvar::user::RenderWindow(frame);
  ASSERT_TRUE(picture);
  SavePng(picture, "launcher_hosting_alpha");
  RECT bounds, viewOnScreen;
  GetWindowRect(frame, &bounds);
  GetWindowRect(View(frame), &viewOnScreen);
  EXPECT_EQ(PixelAt(picture, viewOnScreen.right - bounds.left - 20, viewOnScreen.bottom - bounds.top - 20),
            kAlphaColour);
  DeleteObject(picture);

  // The other program, by "App=" from a second instance: started in the first, Alpha hidden.
  SecondInstance("App=bravo.exe");
  ASSERT_TRUE(WaitFor([&] { return Shown(frame, "Bravo") && !Shown(frame, "Alpha"); }));
  picture = tolvar::user::RenderWindow(frame);
  SavePng(picture, "launcher_hosting_bravo");
  EXPECT_EQ(PixelAt(picture, viewOnScreen.right - bounds.left - 20, viewOnScreen.bottom - bounds.top - 20),
            kBravoColour);
  DeleteObject(picture);

  // Back to Alpha from the folder bar: shown again, not started again.
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(frame) != FALSE; }));
  ClickProgram(frame, 0);
  ASSERT_TRUE(WaitFor([&] { return Shown(frame, "Alpha") && !Shown(frame, "Bravo"); }));
  EXPECT_EQ(FindByText(View(frame), "Alpha"), alpha);

  // "Close" from a second instance: both programs end, then the launcher; the link service stays.
  SecondInstance("Close");
  ASSERT_TRUE(LauncherEnded());
  EXPECT_FALSE(IsWindow(alpha));
  EXPECT_EQ(FindWindowA("VezezudaraFrame", nullptr), nullptr);
  EXPECT_NE(FindWindowA("VzdLinkStub", nullptr), nullptr);
  EXPECT_EQ(GetString(kLinkwell, "LastApp"), "Alpha.exe");
}

TEST_F(Launcher, AProgramThatRefusesKeepsTheLauncherOpenAndIsAskedAgain) {
  setenv("VZD_HOSTED_REFUSE", "Bravo", 1);
  HWND frame = StartFirst();
  ASSERT_TRUE(frame);
  ClickProgram(frame, 1);
  ASSERT_TRUE(WaitFor([&] { return Shown(frame, "Bravo") && IsWindowEnabled(frame); }));
  ClickProgram(frame, 0);
  ASSERT_TRUE(WaitFor([&] { return Shown(frame, "Alpha") && IsWindowEnabled(frame); }));
  HWND bravo = FindByText(View(frame), "Bravo");

  // Alpha ends; Bravo refuses, and the launcher stays with it. Bravo is shown in Alpha's place.
  SecondInstance("Close");
  ASSERT_TRUE(WaitFor([&] { return FindByText(View(frame), "Alpha") == nullptr; }));
  ASSERT_TRUE(WaitFor([&] { return Shown(frame, "Bravo"); }));
  EXPECT_EQ(WaitForSingleObject(m_launcher.hProcess, 500), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(IsWindow(bravo));

  // Asked again, it ends, and so does the launcher.
  SecondInstance("Close");
  ASSERT_TRUE(LauncherEnded());
  EXPECT_FALSE(IsWindow(bravo));
}

TEST_F(Launcher, AProgramKilledDuringTheCloseDoesNotHangTheLauncher) {
  setenv("VZD_HOSTED_CRASH", "Alpha", 1);
  HWND frame = StartFirst();
  ASSERT_TRUE(frame);
  ClickProgram(frame, 0);
  ASSERT_TRUE(WaitFor([&] { return Shown(frame, "Alpha") && IsWindowEnabled(frame); }));
  SecondInstance("App=Bravo.exe");
  ASSERT_TRUE(WaitFor([&] { return Shown(frame, "Bravo") && IsWindowEnabled(frame); }));
  SecondInstance("Close");
  ASSERT_TRUE(LauncherEnded());
  DWORD code = 1;
  GetExitCodeProcess(m_launcher.hProcess, &code);
  EXPECT_EQ(code, 0u);
}

namespace {

// The launcher's texts come through the suite's string loader: a string file for the launcher in
// its folder renames the window, and a second instance, reading the same file, still finds it.
TEST_F(Launcher, ItsTextsFollowTheStringFiles) {
  const std::string strings = s_install + "/Vezezudara0000.ini";
  std::ofstream(strings) << "129 = \" Dravik translated\"\n";
  m_launcher = Start("");
  HWND frame = nullptr;
  EXPECT_TRUE(WaitFor([&] { return (frame = FindWindowA("VezezudaraFrame", " Dravik translated")) != nullptr; }));
  EXPECT_EQ(FindWindowA("VezezudaraFrame", " Dravik"), nullptr);
  SecondInstance("Close");
  EXPECT_TRUE(LauncherEnded());
  fs::remove(strings);
}

}  // namespace
