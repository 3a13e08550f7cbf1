// Mediary inside the launcher, each in its own process: the launcher lists Mediary by its version
// record and hosts its dialog with both panes and the commands; a close of the suite while
// Mediary is idle ends the launcher and leaves no Mediary process behind.
#include <LauncherHome.h>
#include <LauncherProtocol.h>

#include <framework/Afx.h>
#include <kernel/Kernel.h>
#include <registry/WinReg.h>
#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

using namespace testing_user;
using namespace launcher_testing;

namespace {

class MediaryInLauncher : public LauncherTest {
 protected:
  static void SetUpTestSuite() {
    OpenHome("mediary-e2e", {{BinFolder() + "/Mediary", "Mediary"}}, "ZSE_0100");
    // The PC pane starts in a folder of the test's own.
    s_pictures = s_home + "/pictures";
    std::filesystem::create_directories(s_pictures);
    std::ofstream(s_pictures + "/a.jpg") << "\xFF\xD8\xFF\xE0";
    std::filesystem::remove(s_pictures + "/b.jpg");
    SetString("Software\\Halvane\\Tolvar\\Mediary", "Path", s_pictures);
  }

  static std::string s_pictures;
};
std::string MediaryInLauncher::s_pictures;

}  // namespace

TEST_F(MediaryInLauncher, IsHostedAndEndsWithTheSuite) {
  HWND frame = StartFirst();
  ASSERT_TRUE(frame);

  HWND mediary = Host(frame, "Mediary", 1010);
  ASSERT_TRUE(mediary);
  DWORD processId = 0;
  GetWindowThreadProcessId(mediary, &processId);
  ASSERT_NE(processId, GetCurrentProcessId());
  // Both panes and the idle commands; the bar and the cancel button wait for a run.
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(mediary, 1034)));
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(mediary, 1007)));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(mediary, 1010)));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(mediary, 5033)));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(mediary, 1015)));
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(mediary, 1021)));  // a Z phone has Movies
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(frame) != FALSE; }));

  // Another process says the phone's media changed: the PC pane is read again.
  HWND pcList = GetDlgItem(mediary, 1034);
  const auto rows = [&] { return SendMessageA(pcList, LVM_GETITEMCOUNT, 0, 0); };
  ASSERT_TRUE(WaitFor([&] { return rows() > 0; }));
  const LRESULT before = rows();
  std::ofstream(s_pictures + "/b.jpg") << "\xFF\xD8\xFF\xE0";
  HANDLE changed = OpenEventA(EVENT_MODIFY_STATE, FALSE, "CHANGE_RESOURCES");
  ASSERT_NE(changed, nullptr);
  SetEvent(changed);
  CloseHandle(changed);
  EXPECT_TRUE(WaitFor([&] { return rows() == before + 1; })) << before << " " << rows();
  if (HBITMAP picture = tolvar::user::RenderWindow(frame)) {
    SavePng(picture, "mediary_in_launcher");
    DeleteObject(picture);
  }

  SecondInstance("Close");
  EXPECT_TRUE(LauncherEnded());
  EXPECT_TRUE(WaitFor([&] { return !ProcessRuns(processId); }));
  // The folder is kept for the next start.
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Mediary", 0, KEY_READ, &key), ERROR_SUCCESS);
  char path[1024] = {};
  DWORD size = sizeof path, type = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Path", nullptr, &type, reinterpret_cast<BYTE*>(path), &size), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(std::string(path), s_pictures);
}
