// The launcher's frame on an X display (xvfb-run): it paints its own caption, so the X window shows
// the whole frame, gradient caption and caption buttons included, without the desktop's
// decorations. The screen's picture is kept for people.
#include "AboutDlg.h"
#include "MainFrame.h"
#include "VezezudaraView.h"
#include "resource.h"

#include "support/XScreen.h"

#include <base/TemporaryHome.h>
#include <display/Display.h>
#include <user/DisplayBackend.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

using testing_user::PumpUntil;

using testing_display::XScreen;

constexpr std::uint32_t Rgb(COLORREF colour) {
  return (static_cast<std::uint32_t>(GetRValue(colour)) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

}  // namespace

TEST(LauncherOnX, ShowsItsOwnGradientCaptionAndButtonsWithoutTheDesktopsDecorations) {
  unsetenv("TOLVAR_DISPLAY");
  tolvar::display::Open();
  if (!tolvar::display::IsOpen()) GTEST_SKIP() << "no X display (run under xvfb-run)";
  XScreen x;
  ASSERT_TRUE(x.IsOpen());
  tolvar::testing::TemporaryHome home;

  auto owned = std::make_unique<CMainFrame>();
  CMainFrame& frame = *owned;
  frame.SetProgramFolder(VZD_TEST_PROGRAMS);
  frame.SetLinkServiceName("");
  CCreateContext context;
  context.m_pNewViewClass = RUNTIME_CLASS(CVezezudaraView);
  ASSERT_TRUE(frame.LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW, nullptr, &context));
  const HWND window = frame.GetSafeHwnd();
  tolvar::framework::AdoptWindowObject(std::move(owned));
  frame.SetCaptionTitle(" Dravik");
  ::SetWindowPos(window, nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  frame.ShowWindow(SW_SHOW);
  frame.UpdateWindow();
  EXPECT_TRUE(tolvar::user::HasOwnCaption(window));

  RECT outer;
  ::GetWindowRect(window, &outer);
  const int width = outer.right - outer.left, height = outer.bottom - outer.top;
  ASSERT_TRUE(PumpUntil([&] { return tolvar::display::XWindowOf(window) != 0; }));
  const unsigned long xwindow = tolvar::display::XWindowOf(window);
  const std::vector<long> hints = x.Longs(xwindow, "_MOTIF_WM_HINTS");
  ASSERT_EQ(hints.size(), 5u);
  EXPECT_EQ(hints[2], 0) << "the desktop's decorations are off";

  // The X window is the whole frame and shows our caption: the gradient's end colour right of five
  // sixths of the caption, and the close button's face in its cell.
  const RECT caption = CaptionRect(window);
  const RECT close = frame.CaptionButtons().ButtonRect(0);
  const int row = (caption.top + caption.bottom) / 2;
  const int plainX = caption.left + (caption.right - caption.left) * 5 / 6 + 4;
  std::vector<std::uint32_t> screen;
  auto closeFacePixels = [&] {
    int count = 0;
    for (int y = close.top; y < close.bottom; ++y) {
      for (int x2 = close.left; x2 < close.right; ++x2) {
        if (screen[static_cast<std::size_t>(y) * width + x2] == 0xC84632) ++count;  // the red face
      }
    }
    return count;
  };
  ASSERT_LT(plainX, close.left - 1);
  const bool shown = PumpUntil([&] {
    frame.Caption().SetActive(1);
    frame.Caption().PaintCaption();
    const auto place = x.Place(xwindow);
    if (place.x != outer.left || place.y != outer.top || place.width != width || place.height != height) return false;
    screen = x.Pixels(xwindow, width, height);
    return !screen.empty() && screen[static_cast<std::size_t>(row) * width + plainX] == Rgb(0xD08410) &&
           closeFacePixels() > 20;
  });
  if (!screen.empty()) testing_user::SavePng(screen, width, height, "vezezudara-caption-on-x");
  EXPECT_TRUE(shown) << "the X window does not show the launcher's caption";
  ::DestroyWindow(window);
}

namespace {

// A step run from whatever modal loop the test's thread is in, until it answers true.
std::function<bool()> g_step;
void RunStep(HWND, UINT, UINT_PTR timer, DWORD) {
  if (g_step && g_step()) {
    g_step = nullptr;
    KillTimer(nullptr, timer);
  }
}

}  // namespace

// The About box opens over the launcher's frame, centred on it as the class library centres a modal
// dialog over its owner (after it has sized itself to its rows), and its X window is where it is.
TEST(LauncherOnX, TheAboutBoxOpensCentredOverTheFrame) {
  unsetenv("TOLVAR_DISPLAY");
  tolvar::display::Open();
  if (!tolvar::display::IsOpen()) GTEST_SKIP() << "no X display (run under xvfb-run)";
  XScreen x;
  ASSERT_TRUE(x.IsOpen());
  tolvar::testing::TemporaryHome home;

  auto owned = std::make_unique<CMainFrame>();
  CMainFrame& frame = *owned;
  frame.SetProgramFolder(VZD_TEST_PROGRAMS);
  frame.SetLinkServiceName("");
  CCreateContext context;
  context.m_pNewViewClass = RUNTIME_CLASS(CVezezudaraView);
  ASSERT_TRUE(frame.LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW, nullptr, &context));
  const HWND window = frame.GetSafeHwnd();
  tolvar::framework::AdoptWindowObject(std::move(owned));
  ::SetWindowPos(window, nullptr, 60, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  frame.ShowWindow(SW_SHOW);
  frame.UpdateWindow();
  ASSERT_TRUE(PumpUntil([&] { return tolvar::display::XWindowOf(window) != 0; }));
  RECT owner;
  ::GetWindowRect(window, &owner);

  RECT placed{};
  testing_display::XPlace onX{};
  bool seen = false;
  int ticks = 0;
  CAboutDlg about(&frame, VZD_TEST_PROGRAMS);
  g_step = [&] {
    HWND dialog = about.GetSafeHwnd();
    if (++ticks > 500) {  // ten seconds: it never showed on X
      if (dialog) about.EndDialog(IDCANCEL);
      return true;
    }
    const unsigned long xwindow = dialog ? tolvar::display::XWindowOf(dialog) : 0;
    if (!xwindow || !::IsWindowVisible(dialog)) return false;
    ::GetWindowRect(dialog, &placed);
    onX = x.Place(xwindow);
    if (!onX.viewable || onX.rootX != placed.left || onX.rootY != placed.top) return false;
    seen = true;
    about.EndDialog(IDCANCEL);
    return true;
  };
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, &RunStep);
  about.DoModal();
  KillTimer(nullptr, timer);
  g_step = nullptr;
  ASSERT_TRUE(seen) << "the About box's X window did not show where it is";
  const int width = placed.right - placed.left, height = placed.bottom - placed.top;
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const int left = std::clamp<int>(owner.left + (owner.right - owner.left - width) / 2, work.left, work.right - width);
  const int top = std::clamp<int>(owner.top + (owner.bottom - owner.top - height) / 2, work.top, work.bottom - height);
  EXPECT_EQ(placed.left, left);
  EXPECT_EQ(placed.top, top);
  EXPECT_EQ(onX.width, width);
  EXPECT_EQ(onX.height, height);
  ::DestroyWindow(window);
}
