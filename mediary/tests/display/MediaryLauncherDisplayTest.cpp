// Mediary hosted by the real launcher on an X display (xvfb-run), each in its own process, its phone
// the simulated one through the link service's core: the pointer resting over Mediary shows the
// wait cursor while it lists the phone and the arrow again once the listing has ended, as the X
// server itself shows it. Pictures of the launcher during the listing and after it are kept for
// people ($TEST_PNG_DIR).
#include "resource.h"
#include "MessageBoxRes.h"
#include "support/LinkServiceHost.h"
#include "support/ManagerHarness.h"
#include "support/XScreen.h"

#include <LauncherHome.h>
#include <MediaFiles.h>

#include <kernel/Kernel.h>
#include <user_testing/Recorder.h>

#include <phonesim/PhoneSimProcess.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

using namespace launcher_testing;
using testing_display::XScreen;

namespace {

constexpr unsigned kWatch = 150, kLeftPointer = 68;  // X cursor font glyphs of the wait cursor and the arrow

long JournalCount(const std::string& home, const std::string& command) {
  std::ifstream in(home + "/phonesim/journal.log");
  long count = 0;
  for (std::string line; std::getline(in, line);) count += line.starts_with(command);
  return count;
}

// A visible top-level window of `process` (Mediary's own windows are inside the launcher's view:
// one of its own at the top is a message box).
HWND TopLevelOf(DWORD process) {
  struct Search {
    DWORD process;
    HWND found;
  } search{process, nullptr};
  EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto* s = reinterpret_cast<Search*>(context);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != s->process || !IsWindowVisible(window)) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

POINT CentreOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

class MediaryInLauncherOnX : public LauncherTest {};

}  // namespace

TEST_F(MediaryInLauncherOnX, TheWaitCursorShowsOverMediaryWhileItListsThePhone) {
  // Every process of the suite on the X server, with cursors from the X cursor font's own glyphs: a
  // desktop theme's animated watch reads back as a single pixel.
  unsetenv("TOLVAR_DISPLAY");
  setenv("XCURSOR_PATH", "/nonexistent", 1);
  XScreen x;
  if (!x.IsOpen()) GTEST_SKIP() << "no X display (run under xvfb-run)";
  OpenHome("mediary-x", {{BinFolder() + "/Mediary", "Mediary"}}, "ZSE_0100");

  // The phone, and the link service's core that Mediary's library reaches (the launcher and
  // Mediary inherit the port).
  std::filesystem::remove_all(s_home + "/phonesim");
  phonesim::PhoneSimProcess phone;
  ASSERT_TRUE(phone.Start({.model = "Selka", .home = s_home, .arguments = {"--baud", "2000000", "--off-time", "0"}}))
      << phone.Error();
  std::ofstream(s_home + "/Phones.ini") << "-Selka,ZSE_0100\r\n";
  auto service = std::make_unique<LinkServiceHost>(s_home + "/Phones.ini");
  ASSERT_NE(service->Port(), 0);
  QuietLinkHome::PointLibraryAt(service->Port());
  WriteSetting("InitTimeOut", DWORD{3000});
  WriteSetting("CommsTimeOut", DWORD{3000});
  // The PC pane starts in a folder of the test's own.
  const std::string pictures = s_home + "/x-pictures";
  std::filesystem::remove_all(pictures);
  std::filesystem::create_directories(pictures);
  mediafiles::WriteFile(pictures + "/sunset.jpg", mediafiles::Jpeg(96, 72));
  SetString("Software\\Halvane\\Tolvar\\Mediary", "Path", pictures);

  const auto watch = x.FontCursor(kWatch), arrow = x.FontCursor(kLeftPointer);
  ASSERT_GT(watch.width, 1);
  ASSERT_GT(arrow.width, 1);

  HWND frame = StartFirst();
  ASSERT_TRUE(frame);
  HWND mediary = Host(frame, "Mediary", IDC_PC_LIST);
  ASSERT_TRUE(mediary);
  DWORD mediaryProcess = 0;
  GetWindowThreadProcessId(mediary, &mediaryProcess);
  ASSERT_NE(mediaryProcess, GetCurrentProcessId());
  const unsigned long xframe = x.FindShown(" Dravik") ? x.FindShown(" Dravik") : x.FindShown("Dravik");
  ASSERT_NE(xframe, 0u) << "the launcher's frame is not on the X screen";
  const testing_display::XPlace place = x.Place(xframe);
  const auto picture = [&](const char* name) {
    testing_user::SavePng(x.Pixels(xframe, place.width, place.height), place.width, place.height, name);
  };

  HWND phoneList = GetDlgItem(mediary, IDC_PHONE_LIST), pcList = GetDlgItem(mediary, IDC_PC_LIST);
  ASSERT_TRUE(phoneList && pcList);
  const auto rows = [](HWND list) { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0); };
  ASSERT_TRUE(WaitFor([&] { return rows(pcList) == 2; })) << "the parent entry and sunset.jpg";
  EXPECT_EQ(rows(phoneList), 0);

  // The pointer rests over the phone pane.
  const POINT over = CentreOf(phoneList);
  x.MoveTo(over.x - 20, over.y - 20);
  x.MoveTo(over.x, over.y);
  EXPECT_TRUE(WaitFor([&] { return x.Cursor() == arrow; })) << "the arrow before the listing";

  // Get, every answer late so that it lasts long enough to be seen: the wait cursor.
  phone.SetFault(phonesim::Fault::Late, 60);
  PostMessageA(mediary, WM_COMMAND, IDC_GET, 0);
  // The first run asks about the phone's language first: Yes.
  HWND question = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (question = TopLevelOf(mediaryProcess)) != nullptr; })) << "no language question";
  PostMessageA(question, WM_COMMAND, MAKEWPARAM(IDC_UIKIT_MB_BUTTON1, BN_CLICKED), 0);
  EXPECT_TRUE(WaitFor([&] { return x.Cursor() == watch; })) << "the wait cursor during the listing";
  EXPECT_TRUE(WaitFor([&] { return JournalCount(s_home, "GetFolder") > 0; })) << "the listing never began";
  picture("mediary-in-launcher-listing");
  phone.SetFault(phonesim::Fault::Late, 0);
  // The listing ends with its message (the phone is switched off); answered, the phone's rows show
  // and the arrow is back.
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (box = TopLevelOf(mediaryProcess)) != nullptr; }, 60000)) << "the listing did not end";
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDC_UIKIT_MB_BUTTON1, BN_CLICKED), 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }));
  EXPECT_TRUE(WaitFor([&] { return rows(phoneList) > 0 && IsWindowEnabled(GetDlgItem(mediary, IDC_GET)); }));
  EXPECT_TRUE(WaitFor([&] { return x.Cursor() == arrow; })) << "the arrow after the listing";
  EXPECT_GT(JournalCount(s_home, "PowerOff"), 0);
  picture("mediary-in-launcher-listed");

  SecondInstance("Close");
  EXPECT_TRUE(LauncherEnded());
  service.reset();
  phone.Stop();
}
