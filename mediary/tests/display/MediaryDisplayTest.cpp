// Mediary's main dialog on an X display (xvfb-run): while a Get looks for the phone the pointer over
// the dialog is the wait cursor, and the arrow again once the run ended; the screen during the
// detection is kept as a picture for people.
#include "MediaryDlg.h"
#include "MemPhone.h"
#include "resource.h"

#include "support/XScreen.h"

#include <base/TemporaryHome.h>
#include <display/Display.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

CWinApp theApp("mediary display tests");

class CHangingMediaryDlg : public CMediaryDlg {
 public:
  CHangingMediaryDlg() : CMediaryDlg(nullptr) {}
  HangingPhone* phone = nullptr;

 protected:
  int ShowMessage(const CString&, UINT) override { return IDYES; }  // the language and cancel questions
  std::unique_ptr<IMediaryPhone> MakePhone() override {
    auto made = std::make_unique<HangingPhone>();
    phone = made.get();
    return made;
  }
};

void SaveScreen(testing_display::XScreen& x, unsigned long window, int width, int height, const char* name) {
  const std::vector<std::uint32_t> pixels = x.Pixels(window, width, height);
  if (pixels.empty()) return;
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = -height;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP picture = CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  std::memcpy(bits, pixels.data(), pixels.size() * sizeof pixels[0]);
  testing_user::SavePng(picture, name);
  DeleteObject(picture);
}

}  // namespace

TEST(MediaryOnX, TheWaitCursorShowsOverTheDialogWhileThePhoneIsLookedFor) {
  unsetenv("TOLVAR_DISPLAY");
  // Cursors from the X cursor font's own glyphs: a desktop theme's animated watch reads back as a
  // single pixel.
  setenv("XCURSOR_PATH", "/nonexistent", 1);
  tolvar::display::Open();
  if (!tolvar::display::IsOpen()) GTEST_SKIP() << "no X display (run under xvfb-run)";
  testing_display::XScreen x;
  ASSERT_TRUE(x.IsOpen());
  tolvar::testing::TemporaryHome home;
  theApp.SetDialogBkColor(0xFDEAE1, 0x822A08);

  constexpr unsigned kWatch = 150, kLeftPointer = 68;  // X cursor font glyphs
  const auto watch = x.FontCursor(kWatch), arrow = x.FontCursor(kLeftPointer);
  ASSERT_GT(watch.width, 1);

  CHangingMediaryDlg dialog;
  dialog.CreateEmbedded(nullptr);
  ::SetWindowPos(dialog.m_hWnd, nullptr, 30, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  dialog.ShowWindow(SW_SHOW);
  dialog.UpdateWindow();
  ASSERT_TRUE(testing_user::PumpUntil([&] { return tolvar::display::XWindowOf(dialog.m_hWnd) != 0; }));
  POINT over{200, 200};  // inside the phone list
  RECT list{};
  ::GetWindowRect(::GetDlgItem(dialog.m_hWnd, IDC_PHONE_LIST), &list);
  over = {(list.left + list.right) / 2, (list.top + list.bottom) / 2};
  x.MoveTo(over.x - 20, over.y - 20);
  testing_user::PumpUntil([&] { return false; }, 200);
  x.MoveTo(over.x, over.y);
  EXPECT_TRUE(testing_user::PumpUntil([&] { return x.Cursor() == arrow; }));

  dialog.SendMessage(WM_COMMAND, IDC_GET, 0);
  ASSERT_TRUE(dialog.phone);
  dialog.phone->WaitUntilWaiting();
  EXPECT_TRUE(testing_user::PumpUntil([&] { return x.Cursor() == watch; }));
  x.MoveTo(over.x + 15, over.y + 10);  // moved while busy: still the wait cursor
  EXPECT_TRUE(testing_user::PumpUntil([&] { return x.Cursor() == watch; }));
  RECT outer{};
  ::GetWindowRect(dialog.m_hWnd, &outer);
  testing_user::PumpUntil([&] { return ::SendDlgItemMessageA(dialog.m_hWnd, IDC_PROGRESS, PBM_GETPOS, 0, 0) > 10; });
  SaveScreen(x, tolvar::display::XWindowOf(dialog.m_hWnd), outer.right - outer.left, outer.bottom - outer.top,
             "mediary_detecting");

  // Cancelled: the run ends and the arrow is back.
  dialog.SendMessage(WM_COMMAND, IDC_CANCEL_RUN, 0);
  EXPECT_TRUE(testing_user::PumpUntil([&] { return !dialog.Busy(); }));
  EXPECT_TRUE(testing_user::PumpUntil([&] { return x.Cursor() == arrow; }));
  dialog.DestroyWindow();
  theApp.SetDialogBkColor();
}
