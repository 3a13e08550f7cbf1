// Mediary's main dialog on an X display (xvfb-run): while a Get looks for the phone the pointer over
// the dialog is the wait cursor, and the arrow again once the run ended; the screen during the
// detection, and during a transfer (the bar part filled, its text, the status line), are kept as
// pictures for people.
#include "MediaryDlg.h"
#include "MediaFiles.h"
#include "MemPhone.h"
#include "resource.h"

#include "support/XScreen.h"

#include <base/TemporaryHome.h>
#include <display/Display.h>
#include <user/Headless.h>
#include <registry/WinReg.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

CWinApp theApp("mediary display tests");

// The main dialog over a phone in memory of the test's kind; every question answered Yes (the
// language, the cancel) and every closing message taken.
template <class Phone>
class CMemPhoneMediaryDlg : public CMediaryDlg {
 public:
  CMemPhoneMediaryDlg() : CMediaryDlg(nullptr) {}
  Phone* phone = nullptr;

 protected:
  int ShowMessage(const CString&, UINT) override { return IDYES; }
  std::unique_ptr<IMediaryPhone> MakePhone() override {
    auto made = std::make_unique<Phone>();
    phone = made.get();
    return made;
  }
};

// A phone whose upload reports half of the file and then waits until the test lets it go on.
class PausingPhone : public MemPhone {
 public:
  void SetCallbackFunction(PA_PROGRESS_CALLBACK callback, void* user) override {
    m_callback = callback;
    m_user = user;
  }
  PA_MS_RESULT PA_UploadResource(PA_RESOURCE_INFO* record) override {
    const int total = int(record->dwSize);
    if (m_callback) m_callback(total, total / 2, m_user);
    {
      std::unique_lock lock(m_lock);
      m_halfway = true;
      m_changed.notify_all();
      m_changed.wait(lock, [&] { return m_goOn; });
    }
    if (m_callback) m_callback(total, total, m_user);
    return MemPhone::PA_UploadResource(record);
  }
  bool Halfway() {
    std::lock_guard lock(m_lock);
    return m_halfway;
  }
  void GoOn() {
    std::lock_guard lock(m_lock);
    m_goOn = true;
    m_changed.notify_all();
  }

 private:
  PA_PROGRESS_CALLBACK m_callback = nullptr;
  void* m_user = nullptr;
  std::mutex m_lock;
  std::condition_variable m_changed;
  bool m_halfway = false, m_goOn = false;
};


void WriteText(const char* key, const char* name, const std::string& text) {
  HKEY opened = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr);
  RegSetValueExA(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), DWORD(text.size() + 1));
  RegCloseKey(opened);
}

void SaveScreen(testing_display::XScreen& x, unsigned long window, int width, int height, const char* name) {
  testing_user::SavePng(x.Pixels(window, width, height), width, height, name);
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

  CMemPhoneMediaryDlg<HangingPhone> dialog;
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

// A picture goes to the phone: while the phone takes it the bar shows the part sent and the file's
// name with the share, under the wait cursor; the arrow is back once it is on the phone.
TEST(MediaryOnX, TheBarShowsThePartSentWhileAFileGoesToThePhone) {
  unsetenv("TOLVAR_DISPLAY");
  setenv("XCURSOR_PATH", "/nonexistent", 1);
  tolvar::display::Open();
  if (!tolvar::display::IsOpen()) GTEST_SKIP() << "no X display (run under xvfb-run)";
  testing_display::XScreen x;
  ASSERT_TRUE(x.IsOpen());
  tolvar::testing::TemporaryHome home;
  const std::string folder = home.Path() + "/pictures";
  std::filesystem::create_directories(folder);
  mediafiles::WriteFile(folder + "/sunset.jpg", mediafiles::Jpeg(96, 72));
  WriteText("Software\\Halvane\\Tolvar\\Mediary", "Path", folder);
  WriteText("Software\\Halvane\\Tolvar\\Settings", "Build", "ZSE_0100");
  theApp.SetDialogBkColor(0xFDEAE1, 0x822A08);
  constexpr unsigned kWatch = 150, kLeftPointer = 68;  // X cursor font glyphs
  const auto watch = x.FontCursor(kWatch), arrow = x.FontCursor(kLeftPointer);

  CMemPhoneMediaryDlg<PausingPhone> dialog;
  dialog.CreateEmbedded(nullptr);
  ::SetWindowPos(dialog.m_hWnd, nullptr, 30, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  dialog.ShowWindow(SW_SHOW);
  dialog.UpdateWindow();
  ASSERT_TRUE(testing_user::PumpUntil([&] { return tolvar::display::XWindowOf(dialog.m_hWnd) != 0; }));
  HWND pc = ::GetDlgItem(dialog.m_hWnd, IDC_PC_LIST), phoneList = ::GetDlgItem(dialog.m_hWnd, IDC_PHONE_LIST);
  const auto rows = [](HWND list) { return ::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0); };

  // The phone listed, then the picture handed to its pane.
  dialog.SendMessage(WM_COMMAND, IDC_GET, 0);
  ASSERT_TRUE(testing_user::PumpUntil([&] { return !dialog.Busy(); }));
  ASSERT_EQ(rows(pc), 2);  // the parent entry and sunset.jpg
  LVITEMA state{};
  state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
  ::SendMessageA(pc, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state));
  const LRESULT phoneRows = rows(phoneList);
  dialog.SendMessage(WM_COMMAND, ID_FILE_DOWN, 0);
  ASSERT_EQ(rows(phoneList), phoneRows + 1);

  RECT list{};
  ::GetWindowRect(phoneList, &list);
  x.MoveTo((list.left + list.right) / 2, (list.top + list.bottom) / 2);
  dialog.SendMessage(WM_COMMAND, IDC_TRANSFER, 0);
  ASSERT_TRUE(dialog.phone);
  ASSERT_TRUE(testing_user::PumpUntil([&] { return dialog.phone->Halfway(); }));
  HWND bar = ::GetDlgItem(dialog.m_hWnd, IDC_PROGRESS);
  const LRESULT range = ::SendMessageA(bar, PBM_GETRANGE, FALSE, 0);
  EXPECT_TRUE(testing_user::PumpUntil([&] {
    const LRESULT at = ::SendMessageA(bar, PBM_GETPOS, 0, 0);
    return at > 0 && at < range;
  })) << "the bar does not show the half sent";
  EXPECT_TRUE(::IsWindowVisible(bar));
  // The part sent is filled in the program's blue and the file's name and share are written over it
  // in white, so both show.
  if (HBITMAP shown = tolvar::user::RenderWindow(bar)) {
    RECT client{};
    ::GetClientRect(bar, &client);
    EXPECT_EQ(testing_user::PixelAt(shown, 2, client.bottom / 2), COLORREF(0x822A08));
    int white = 0;
    for (int y = 0; y < client.bottom; ++y)
      for (int x0 = 0; x0 < client.right / 2 - 2; ++x0) white += testing_user::PixelAt(shown, x0, y) == 0xFFFFFF;
    EXPECT_GT(white, 10) << "no text in the part sent";
    ::DeleteObject(shown);
  }
  EXPECT_TRUE(testing_user::PumpUntil([&] { return x.Cursor() == watch; }));
  testing_user::PumpUntil([] { return false; }, 100);  // the bar's last step painted
  RECT outer{};
  ::GetWindowRect(dialog.m_hWnd, &outer);
  SaveScreen(x, tolvar::display::XWindowOf(dialog.m_hWnd), outer.right - outer.left, outer.bottom - outer.top,
             "mediary_transfer");

  dialog.phone->GoOn();
  EXPECT_TRUE(testing_user::PumpUntil([&] { return !dialog.Busy(); }));
  EXPECT_TRUE(testing_user::PumpUntil([&] { return x.Cursor() == arrow; }));
  EXPECT_EQ(dialog.phone->log.back().rfind("up sunset.jpg", 0), 0u) << dialog.phone->log.back();
  dialog.DestroyWindow();
  theApp.SetDialogBkColor();
}
