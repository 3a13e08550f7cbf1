// The link service's dialogs on an X display (xvfb-run), placed as the system places them: the
// link service's window is hidden, so each dialog opens in the middle of the work area, and its X
// window is where the dialog is.
#include "AboutDlg.h"
#include "LinkMessageBox.h"
#include "PhoneSetupDlg.h"

#include "AppTestSupport.h"
#include "support/LinkHarness.h"
#include "support/XScreen.h"

#include <base/TemporaryHome.h>
#include <display/Display.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace {

struct Placed {
  bool seen = false;
  RECT rect{};
  testing_display::XPlace onX{};
};

// Opens a dialog with `open` (which returns when it ends) and, from its modal loop, notes where the
// dialog titled `caption` is, once its X window shows, and then cancels it.
Placed OpenAndPlace(const char* caption, const std::function<void()>& open) {
  testing_display::XScreen x;
  Placed placed;
  int ticks = 0;
  linkwell::testing::TimedSteps steps({[&] {
    HWND dialog = FindWindowA(nullptr, caption);
    if (++ticks > 500) {  // ten seconds: it never showed; end whatever is open
      if (dialog) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      return ticks > 600;
    }
    const unsigned long xwindow = dialog ? tolvar::display::XWindowOf(dialog) : 0;
    if (!xwindow || !IsWindowVisible(dialog)) return false;
    GetWindowRect(dialog, &placed.rect);
    placed.onX = x.Place(xwindow);
    if (!placed.onX.viewable || placed.onX.rootX != placed.rect.left || placed.onX.rootY != placed.rect.top) return false;
    placed.seen = true;
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return true;
  }});
  open();
  return placed;
}

TEST(LinkDialogsOnX, OpenInTheMiddleOfTheWorkAreaWhereTheirXWindowIs) {
  unsetenv("TOLVAR_DISPLAY");
  tolvar::display::Open();
  if (!tolvar::display::IsOpen()) GTEST_SKIP() << "no X display (run under xvfb-run)";
  tolvar::testing::TemporaryHome home;
  std::filesystem::create_directories(home.File("programs"));
  linkwell::testing::RecordingFrame frame;

  struct Row {
    const char* caption;
    std::function<void()> open;
  };
  const Row rows[] = {
      {"About Dravik - Build[0]",
       [&] {
         CLinkwellAboutDlg about(home.File("programs"));
         about.DoModal();
       }},
      {"Phone selection",
       [&] {
         CPhoneSetupDlg setup(frame, LINKWELL_PHONES_INI);
         setup.DoModal();
       }},
      {"Linkwell", [] { ShowLinkMessage("Please close Dravik.", "Linkwell", MB_OKCANCEL | MB_ICONINFORMATION); }},
  };
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.caption);
    const Placed placed = OpenAndPlace(row.caption, row.open);
    ASSERT_TRUE(placed.seen) << "the dialog's X window did not show where the dialog is";
    const int width = placed.rect.right - placed.rect.left, height = placed.rect.bottom - placed.rect.top;
    EXPECT_EQ(placed.rect.left, work.left + (work.right - work.left - width) / 2);
    EXPECT_EQ(placed.rect.top, work.top + (work.bottom - work.top - height) / 2);
    EXPECT_EQ(placed.onX.width, width);
    EXPECT_EQ(placed.onX.height, height);
  }
}

}  // namespace
