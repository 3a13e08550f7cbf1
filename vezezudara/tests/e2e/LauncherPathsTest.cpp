// The launcher's answers to what its hosted programs and its own caption tell it, with real
// programs in their own processes: keys go on to the program shown, a program's activation lights
// the caption and raises the frame, the front timer brings the shown program forward when another
// window is in front, the caption's maximise, minimise and About buttons (the maximise face turns
// into the restore face and back), and a start before setup, which ends without a word.
#include <LauncherHome.h>
#include <LauncherProtocol.h>

#include "LauncherMessages.h"
#include "TitleButtonBar.h"

#include <framework/Afx.h>
#include <registry/WinReg.h>
#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace testing_user;
using namespace launcher_testing;

namespace {

class LauncherPaths : public LauncherTest {
protected:
  static void SetUpTestSuite() {
    OpenHome("vezezudara-e2e",
             {{TestProgramFolder() + "/vzd_hosted_alpha", "Alpha"}, {TestProgramFolder() + "/vzd_hosted_bravo", "Bravo"}},
             "1");
  }
  void TearDown() override {
    if (m_other) DestroyWindow(m_other);
    LauncherTest::TearDown();
  }

  // The launcher with `program` shown in its view and the frame usable again; the program's dialog.
  HWND Show(HWND frame, const char* program) {
    HWND hosted = Host(frame, program);
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(frame) != FALSE; }));
    return hosted;
  }
  // A window of this process put in front of the launcher, as another program's would be.
  void PutAnotherWindowInFront() {
    m_other = CreateWindowExA(0, "STATIC", "Another program", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                              nullptr, nullptr, nullptr);
    ASSERT_TRUE(m_other);
    SetForegroundWindow(m_other);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == m_other; }));
  }
  static std::string Text(HWND dialog, int id) {
    char text[128] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
  }
  // Whether `upper` stands above `lower` among the top-level windows.
  static bool Above(HWND upper, HWND lower) {
    for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
      if (window == upper) return true;
      if (window == lower) return false;
    }
    return false;
  }
  // The caption's right end, where the buttons are, as pixels.
  static std::vector<COLORREF> CaptionButtons(HWND frame) {
    std::vector<COLORREF> pixels;
    HBITMAP picture = tolvar::user::RenderWindow(frame);
    if (!picture) return pixels;
    RECT bounds;
    GetWindowRect(frame, &bounds);
    const int width = bounds.right - bounds.left;
    for (int y = 2; y < 20; ++y) {
      for (int x = width - 90; x < width - 2; ++x) pixels.push_back(PixelAt(picture, x, y));
    }
    DeleteObject(picture);
    return pixels;
  }
  static COLORREF CaptionMiddle(HWND frame) {
    HBITMAP picture = tolvar::user::RenderWindow(frame);
    if (!picture) return CLR_INVALID;
    RECT bounds;
    GetWindowRect(frame, &bounds);
    const COLORREF colour = PixelAt(picture, (bounds.right - bounds.left) / 2, 4);
    DeleteObject(picture);
    return colour;
  }

  HWND m_other = nullptr;
};

}  // namespace

TEST_F(LauncherPaths, KeysGoOnToTheProgramShownOnly) {
  HWND frame = StartFirst();
  ASSERT_TRUE(frame);
  HWND alpha = Show(frame, "Alpha");
  ASSERT_TRUE(alpha);
  PostMessageA(frame, WM_KEYDOWN, 'K', 0);
  EXPECT_TRUE(WaitFor([&] { return Text(alpha, 11) == "75 "; })) << Text(alpha, 11);

  // Bravo shown: its key, a system key, reaches Bravo and not the hidden Alpha.
  HWND bravo = Show(frame, "Bravo");
  ASSERT_TRUE(bravo);
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(alpha); }));
  PostMessageA(frame, WM_SYSKEYDOWN, VK_F10, 0);
  EXPECT_TRUE(WaitFor([&] { return Text(bravo, 11) == std::to_string(VK_F10) + " "; })) << Text(bravo, 11);
  EXPECT_EQ(Text(alpha, 11), "75 ");
  SecondInstance("Close");
  EXPECT_TRUE(LauncherEnded());
}

TEST_F(LauncherPaths, AProgramsActivationLightsTheCaptionAndRaisesTheFrame) {
  HWND frame = StartFirst();
  ASSERT_TRUE(frame);
  ASSERT_TRUE(Show(frame, "Alpha"));
  const COLORREF active = CaptionMiddle(frame);

  // Another program's window in front: the program's activation raises the frame above it without
  // taking the foreground.
  PutAnotherWindowInFront();
  ASSERT_FALSE(Above(frame, m_other));
  PostMessageA(frame, WM_CHILD_ACTIVATE, 1, 0);
  EXPECT_TRUE(WaitFor([&] { return Above(frame, m_other); }));
  EXPECT_EQ(GetForegroundWindow(), m_other);
  DestroyWindow(m_other);
  m_other = nullptr;

  // The frame inactive behind its own About box: the caption looks active while the program says
  // it is, and inactive once it says it is not.
  PostMessageA(frame, WM_CAPTION_BUTTON, 4, 0);
  HWND about = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (about = FindWindowA("#32770", nullptr)) != nullptr && IsWindowVisible(about); }));
  EXPECT_TRUE(WaitFor([&] { return CaptionMiddle(frame) == active; }));
  PostMessageA(frame, WM_CHILD_ACTIVATE, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return CaptionMiddle(frame) != active; }));
  PostMessageA(frame, WM_CHILD_ACTIVATE, 1, 0);
  EXPECT_TRUE(WaitFor([&] { return CaptionMiddle(frame) == active; }));
  PostMessageA(about, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(about); }));

  SecondInstance("Close");
  EXPECT_TRUE(LauncherEnded());
}

TEST_F(LauncherPaths, TheFrontTimerBringsTheShownProgramForwardOnlyWhenAnotherWindowIsInFront) {
  HWND frame = StartFirst();
  ASSERT_TRUE(frame);
  HWND alpha = Show(frame, "Alpha");
  ASSERT_TRUE(alpha);
  SetForegroundWindow(frame);
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == frame; }));
  const std::string before = Text(alpha, 12);
  // The frame in front: the view's painting starts the timer, and it leaves the program be.
  PostMessageA(frame, WM_VIEW_PAINTED, 0, 0);
  Sleep(2000);
  EXPECT_EQ(Text(alpha, 12), before);

  // Another window in front: the program is hidden and shown again, in front of its siblings.
  PutAnotherWindowInFront();
  PostMessageA(frame, WM_VIEW_PAINTED, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return Text(alpha, 12) != before; }));
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(alpha) != FALSE; }));
  EXPECT_EQ(GetForegroundWindow(), m_other);  // shown without being activated
  // Once: showing it again repaints nothing of the view, so the timer does not start again while
  // the other window stays in front (it would hide and show the program every second).
  const std::string once = Text(alpha, 12);
  Sleep(3000);
  EXPECT_EQ(Text(alpha, 12), once);
  SecondInstance("Close");
  EXPECT_TRUE(LauncherEnded());
}

TEST_F(LauncherPaths, CaptionButtonsMaximiseRestoreMinimiseAndShowTheAboutBox) {
  HWND frame = StartFirst();
  ASSERT_TRUE(frame);
  std::vector<COLORREF> normal;
  ASSERT_TRUE(WaitFor([&] { return !(normal = CaptionButtons(frame)).empty(); }));

  // Button 2 maximises, and its face becomes the restore face; pressed again, it restores.
  PostMessageA(frame, WM_CAPTION_BUTTON, 2, 0);
  ASSERT_TRUE(WaitFor([&] { return IsZoomed(frame) != FALSE; }));
  std::vector<COLORREF> zoomed;
  EXPECT_TRUE(WaitFor([&] { return (zoomed = CaptionButtons(frame)) != normal && !zoomed.empty(); }));
  if (HBITMAP picture = tolvar::user::RenderWindow(frame)) {
    SavePng(picture, "launcher_maximised");
    DeleteObject(picture);
  }
  PostMessageA(frame, WM_CAPTION_BUTTON, 2, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsZoomed(frame); }));
  EXPECT_TRUE(WaitFor([&] { return CaptionButtons(frame) == normal; }));

  // Button 3 minimises.
  PostMessageA(frame, WM_CAPTION_BUTTON, 3, 0);
  EXPECT_TRUE(WaitFor([&] { return IsIconic(frame) != FALSE; }));
  ShowWindow(frame, SW_RESTORE);
  ASSERT_TRUE(WaitFor([&] { return !IsIconic(frame) && IsWindowVisible(frame); }));

  // Button 4 opens the About box, once however often it is pressed.
  PostMessageA(frame, WM_CAPTION_BUTTON, 4, 0);
  PostMessageA(frame, WM_CAPTION_BUTTON, 4, 0);
  HWND about = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (about = FindWindowA("#32770", nullptr)) != nullptr && IsWindowVisible(about); }));
  DWORD aboutProcess = 0, launcherProcess = 0;
  GetWindowThreadProcessId(about, &aboutProcess);
  GetWindowThreadProcessId(frame, &launcherProcess);
  EXPECT_EQ(aboutProcess, launcherProcess);
  PostMessageA(about, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(about); }));
  Sleep(500);
  EXPECT_EQ(FindWindowA("#32770", nullptr), nullptr);

  SecondInstance("Close");
  EXPECT_TRUE(LauncherEnded());
}

TEST_F(LauncherPaths, BeforeSetupItEndsWithoutAWord) {
  HKEY settings = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSettings, 0, KEY_ALL_ACCESS, &settings), ERROR_SUCCESS);
  RegDeleteValueA(settings, "Build");
  RegCloseKey(settings);
  m_launcher = Start("");
  const bool ended = LauncherEnded();
  SetString(kSettings, "Build", "1");
  ASSERT_TRUE(ended);
  EXPECT_EQ(FindWindowA("VezezudaraFrame", nullptr), nullptr);
  EXPECT_EQ(FindWindowA("#32770", nullptr), nullptr);  // no message box
  EXPECT_EQ(FindWindowA("VzdLinkStub", nullptr), nullptr);  // nor a link service
}
