// Backup's restore and a running Mediary, each in its own process: Mediary, hosted in the launcher,
// watches the "CHANGE_RESOURCES" event; Backup's dialog here, with a phone in memory, sets it when a
// restore takes media rows back to the phone, and not when it takes none. Mediary shows that it
// was told by reading its PC folder again (and emptying its phone pane).
#include "TestBackupDlg.h"
#include "resource.h"

#include <LauncherHome.h>

#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

using namespace testing_user;
using namespace launcher_testing;
namespace fs = std::filesystem;

namespace {

CWinApp theApp("backup media tests");

class MediaChanged : public LauncherTest {
 protected:
  static void SetUpTestSuite() {
    OpenHome("backup-e2e", {{BinFolder() + "/Backup", "Backup"}, {BinFolder() + "/Mediary", "Mediary"}}, "ZD");
    s_pictures = s_home + "/pictures";
    fs::remove_all(s_pictures);
    fs::create_directories(s_pictures);
    std::ofstream(s_pictures + "/a.jpg") << "\xFF\xD8\xFF\xE0";
    SetString("Software\\Halvane\\Tolvar\\Mediary", "Path", s_pictures);
  }
  static void AddPicture(const char* name) { std::ofstream(s_pictures + "/" + name) << "\xFF\xD8\xFF\xE0"; }
  static void Command(CWnd& dialog, UINT id) {
    ::SendMessageA(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    Pump();
  }

  static std::string s_pictures;
};
std::string MediaChanged::s_pictures;

}  // namespace

TEST_F(MediaChanged, ARestoreOfMediaTellsTheRunningMediary) {
  HWND frame = StartFirst();
  ASSERT_TRUE(frame);
  HWND mediary = Host(frame, "Mediary", 1010);
  ASSERT_TRUE(mediary);
  HWND pcList = GetDlgItem(mediary, 1034);
  const auto pcRows = [&] { return SendMessageA(pcList, LVM_GETITEMCOUNT, 0, 0); };
  ASSERT_TRUE(WaitFor([&] { return pcRows() > 0; }));
  const LRESULT before = pcRows();

  // A backup of the phone, then a restore of its records only: Mediary is not told.
  CTestBackupDlg dialog("ZD");
  dialog.CreateEmbedded(nullptr);
  Pump();
  dialog.nextFile = s_home + "/media.bck";
  fs::remove(dialog.nextFile);
  Command(dialog, IDC_BACKUP);
  ASSERT_TRUE(PumpUntil([&] { return !dialog.Running() && !dialog.messages.empty(); }));
  ASSERT_TRUE(fs::exists(dialog.nextFile));
  for (UINT row : {IDC_RESTORE_PICTURES, IDC_RESTORE_MELODIES, IDC_RESTORE_MOVIES}) {
    if (::SendDlgItemMessageA(dialog.m_hWnd, static_cast<int>(row), BM_GETCHECK, 0, 0) == BST_CHECKED) {
      ::SendDlgItemMessageA(dialog.m_hWnd, static_cast<int>(row), BM_CLICK, 0, 0);
    }
  }
  Pump();
  AddPicture("b.jpg");
  size_t said = dialog.messages.size();
  Command(dialog, IDC_RESTORE);
  ASSERT_TRUE(PumpUntil([&] { return !dialog.Running() && dialog.messages.size() > said; }));
  EXPECT_EQ(dialog.messages.back(), "Transfer complete. Your phone has been switched off. You can now turn it on.");
  Sleep(1500);  // time enough for a watcher that was wrongly told
  EXPECT_EQ(pcRows(), before);

  // With the pictures row checked, the restore sets the event and Mediary reads its panes again.
  if (::SendDlgItemMessageA(dialog.m_hWnd, IDC_RESTORE_PICTURES, BM_GETCHECK, 0, 0) != BST_CHECKED) {
    ::SendDlgItemMessageA(dialog.m_hWnd, IDC_RESTORE_PICTURES, BM_CLICK, 0, 0);
    Pump();
  }
  ASSERT_EQ(::SendDlgItemMessageA(dialog.m_hWnd, IDC_RESTORE_PICTURES, BM_GETCHECK, 0, 0), BST_CHECKED);
  said = dialog.messages.size();
  Command(dialog, IDC_RESTORE);
  ASSERT_TRUE(PumpUntil([&] { return !dialog.Running() && dialog.messages.size() > said; }));
  EXPECT_EQ(dialog.messages.back(), "Transfer complete. Your phone has been switched off. You can now turn it on.");
  EXPECT_TRUE(WaitFor([&] { return pcRows() == before + 1; })) << before << " " << pcRows();
  dialog.DestroyWindow();

  SecondInstance("Close");
  EXPECT_TRUE(LauncherEnded());
}
