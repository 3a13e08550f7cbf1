// Daybook hosted in a launcher's view on an X display (xvfb-run), downloading from the simulated
// phone through the link service's core: the pointer resting over Daybook shows the wait cursor
// while the phone is being detected and the arrow again once the transfer has ended, as the X server
// itself shows it. Pictures of the view during detection and during the transfer are kept for
// people ($TEST_PNG_DIR).
#include "support/LinkServiceHost.h"
#include "support/ManagerHarness.h"
#include "support/XScreen.h"

#include <LauncherProtocol.h>

#include <display/Display.h>
#include <kernel/Kernel.h>
#include <user_testing/Recorder.h>

#include <phonesim/PhoneSimProcess.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {

using testing_display::XScreen;
using testing_user::PumpUntil;

constexpr UINT kDownloadCommand = 32775;
constexpr unsigned kWatch = 150, kLeftPointer = 68;  // X cursor font glyphs of the wait cursor and the arrow

HWND g_dialog = nullptr;

LRESULT LauncherProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CHILD_READY) {
    g_dialog = reinterpret_cast<HWND>(wParam);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// Lines of the simulated phone's journal that start with `command`.
long JournalCount(const std::string& home, const std::string& command) {
  std::ifstream in(home + "/phonesim/journal.log");
  long count = 0;
  for (std::string line; std::getline(in, line);) count += line.starts_with(command);
  return count;
}

TEST(DaybookOnX, TheWaitCursorShowsOverDaybookWhileThePhoneIsDetected) {
  unsetenv("TOLVAR_DISPLAY");
  // Cursors from the X cursor font's own glyphs, for us and Daybook alike: a desktop theme's
  // animated watch reads back as a single pixel.
  setenv("XCURSOR_PATH", "/nonexistent", 1);
  tolvar::display::Open();
  if (!tolvar::display::IsOpen()) GTEST_SKIP() << "no X display (run under xvfb-run)";
  XScreen x;
  ASSERT_TRUE(x.IsOpen());

  // One home for the whole run: the window station and the named objects belong to the first home
  // the process settles on, and Daybook inherits it. The phone starts afresh in it each time.
  static QuietLinkHome home;
  std::filesystem::remove_all(home.Path() + "/phonesim");
  phonesim::PhoneSimProcess phone;
  ASSERT_TRUE(phone.Start({.model = "Selka", .home = home.Path(), .arguments = {"--baud", "2000000", "--off-time", "0"}}))
      << phone.Error();
  std::ofstream(phone.Home() + "/Phones.ini") << "-Selka,ZSE_0100\r\n";
  auto service = std::make_unique<LinkServiceHost>(phone.Home() + "/Phones.ini");
  ASSERT_NE(service->Port(), 0);
  QuietLinkHome::PointLibraryAt(service->Port());  // inherited by Daybook
  WriteSetting("Build", std::string("ZSE_0100"));
  WriteSetting("InitTimeOut", DWORD{3000});
  WriteSetting("CommsTimeOut", DWORD{3000});

  // The launcher's frame and view, as the hosting handshake needs them.
  WNDCLASSA wc{};
  wc.lpfnWndProc = LauncherProc;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "DaybookDisplayFrame";
  RegisterClassA(&wc);
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "DaybookDisplayView";
  RegisterClassA(&wc);
  constexpr int kWidth = 820, kHeight = 620;
  HWND frame = CreateWindowExA(0, "DaybookDisplayFrame", "Launcher", WS_POPUP | WS_VISIBLE, 40, 40, kWidth, kHeight,
                               nullptr, nullptr, nullptr, nullptr);
  HWND view = CreateWindowExA(0, "DaybookDisplayView", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, kWidth,
                              kHeight, frame, nullptr, nullptr, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return tolvar::display::XWindowOf(frame) != 0; }));
  const unsigned long xframe = tolvar::display::XWindowOf(frame);

  const auto watch = x.FontCursor(kWatch), arrow = x.FontCursor(kLeftPointer);
  ASSERT_GT(watch.width, 1);
  ASSERT_GT(arrow.width, 1);

  g_dialog = nullptr;
  std::string commandLine = "Daybook.exe" + FormatHostingArguments(view, frame);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                             &process));
  const bool ready = PumpUntil([] { return g_dialog != nullptr; });
  if (ready) {  // what the launcher does with a program that said it is ready
    MoveWindow(g_dialog, 0, 0, kWidth, kHeight, TRUE);
    ShowWindow(g_dialog, SW_SHOW);
  }

  std::vector<bool> shown;
  bool transferPictured = false;
  if (ready) {
    // Over the contacts page, below the transfer's bar, where no control is.
    POINT over{kWidth / 2, kHeight - 60};
    ClientToScreen(view, &over);
    x.MoveTo(over.x, over.y);
    shown.push_back(PumpUntil([&] { return x.Cursor() == arrow; }));
    // Every answer late, so that detection and the transfer last long enough to be seen.
    phone.SetFault(phonesim::Fault::Late, 60);
    PostMessageA(g_dialog, WM_COMMAND, kDownloadCommand, 0);
    shown.push_back(PumpUntil([&] { return x.Cursor() == watch; }));
    testing_user::Pump();
    testing_user::SavePng(x.Pixels(xframe, kWidth, kHeight), kWidth, kHeight, "daybook-detecting");
    // The contacts' file is being read: the download itself runs.
    transferPictured = PumpUntil([&] { return JournalCount(phone.Home(), "FFSRead") > 0; });
    testing_user::Pump();
    testing_user::SavePng(x.Pixels(xframe, kWidth, kHeight), kWidth, kHeight, "daybook-transfer");
    phone.SetFault(phonesim::Fault::Late, 0);
    // The transfer ends with its message; once it is answered the arrow is back under the resting
    // pointer (the end's events wait behind the message).
    const auto shownBox = [] {
      for (const char* caption : {"Contacts", "Daybook Editor"}) {
        HWND box = FindWindowA(nullptr, caption);
        if (box != nullptr && IsWindowVisible(box)) return box;
      }
      return HWND{};
    };
    HWND box = nullptr;
    const bool ended = PumpUntil([&] { return (box = shownBox()) != nullptr; }, 120000);
    if (box) PostMessageA(box, WM_COMMAND, MAKEWPARAM(901, BN_CLICKED), 0);
    shown.push_back(ended && PumpUntil([&] { return x.Cursor() == arrow; }));
    // Closing: the downloaded document is not kept (No).
    PumpUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); });
    PostMessageA(g_dialog, WM_CLOSE, 0, 0);
    if (PumpUntil([&] { return (box = shownBox()) != nullptr; }, 5000)) {
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(902, BN_CLICKED), 0);
    }
  }
  const bool closed = PumpUntil([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; });
  if (!closed) TerminateProcess(process.hProcess, 9);
  WaitForSingleObject(process.hProcess, 10000);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  DestroyWindow(frame);
  UnregisterClassA("DaybookDisplayFrame", nullptr);
  UnregisterClassA("DaybookDisplayView", nullptr);
  service.reset();
  phone.Stop();

  ASSERT_TRUE(ready) << "Daybook never said it was ready";
  EXPECT_EQ(shown, (std::vector<bool>{true, true, true}))
      << "arrow over Daybook, the wait cursor during detection, the arrow after the transfer";
  EXPECT_TRUE(transferPictured);
  EXPECT_TRUE(closed);
}

}  // namespace
