// Backup inside the launcher, each in its own process: the launcher lists Backup by its version
// record and hosts its dialog; the About box opens from the system menu's command; a close of the
// suite while Backup is idle ends the launcher and leaves no Backup process behind.
#include <LauncherHome.h>
#include <LauncherProtocol.h>

#include <framework/Afx.h>
#include <kernel/Kernel.h>
#include <registry/WinReg.h>
#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <string>

using namespace testing_user;
using namespace launcher_testing;

namespace {

class BackupInLauncher : public LauncherTest {
 protected:
  static void SetUpTestSuite() { OpenHome("backup-e2e", {{BinFolder() + "/Backup", "Backup"}}, "ZD"); }
};

}  // namespace

TEST_F(BackupInLauncher, IsHostedShowsItsAboutBoxAndEndsWithTheSuite) {
  HWND frame = StartFirst();
  ASSERT_TRUE(frame);

  // Started by name as a second instance would ask, hosted in the view.
  HWND backup = Host(frame, "Backup");
  ASSERT_TRUE(backup);
  DWORD backupProcessId = 0;
  GetWindowThreadProcessId(backup, &backupProcessId);
  ASSERT_NE(backupProcessId, GetCurrentProcessId());
  EXPECT_TRUE(ProcessRuns(backupProcessId));
  // The i-mode row of the variant stands in MMS's place.
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(backup, 1027)));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(backup, 1028)));
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(frame) != FALSE; }));
  if (HBITMAP picture = tolvar::user::RenderWindow(frame)) {
    SavePng(picture, "backup_in_launcher");
    DeleteObject(picture);
  }

  // The hosted dialog has no caption: the system menu's About command arrives as a message.
  PostMessageA(backup, WM_SYSCOMMAND, 0x10, 0);
  HWND about = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (about = FindWindowA(nullptr, "About Backup")) != nullptr && IsWindowVisible(about); }));
  if (HBITMAP picture = tolvar::user::RenderWindow(about)) {
    SavePng(picture, "backup_about");
    DeleteObject(picture);
  }
  PostMessageA(about, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(about); }));

  // The suite closes: Backup, idle, leaves the closing to the launcher and ends with it.
  SecondInstance("Close");
  EXPECT_TRUE(LauncherEnded());
  EXPECT_TRUE(WaitFor([&] { return !ProcessRuns(backupProcessId); }));
}
