// The launcher with real programs, each in its own process: it finds two test programs in its
// folder by their version records, starts one from the folder bar and hosts its dialog in the
// view, shows its status text, switches between programs, takes "App=" and "Close" from a second
// instance, and closes the suite when every program has answered, has refused (and is asked
// again), or has died without a word.
#include "OutBarCtrl.h"

#include <LauncherProtocol.h>
#include <LauncherHome.h>

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
using namespace launcher_testing;

namespace {

constexpr char kLinkwell[] = "Software\\Halvane\\Tolvar\\Linkwell";
constexpr COLORREF kAlphaColour = RGB(200, 60, 60);
constexpr COLORREF kBravoColour = RGB(60, 140, 220);

class Launcher : public LauncherTest {
protected:
  static void SetUpTestSuite() {
    OpenHome("vezezudara-e2e",
             {{TestProgramFolder() + "/vzd_hosted_alpha", "Alpha"}, {TestProgramFolder() + "/vzd_hosted_bravo", "Bravo"}},
             "1");
    SetNumber(kSettings, "DisplayStatusBar", 1);
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
};

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
