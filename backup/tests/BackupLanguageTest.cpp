// Backup in a test language: every text it shows in its dialog and its File menu, and its messages,
// come through the string loader (a test program of its own: texts are cached for the run).
#include "FakePhone.h"
#include "TestBackupDlg.h"
#include "resource.h"

#include <MarkedLanguage.h>
#include <SkinButton.h>

#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

using namespace testing_user;
using kit_testing::MarkedLanguage;

namespace {

CWinApp theApp("backup language tests");

TEST(BackupLanguage, DialogFileMenuAndMessagesComeInTheChosenLanguage) {
  MarkedLanguage language("BACKUP");
  ASSERT_GT(language.Texts(), 40u);
  CTestBackupDlg dialog("S");
  dialog.CreateEmbedded(nullptr);
  Pump();
  EXPECT_EQ(kit_testing::UnmarkedChildTexts(dialog.m_hWnd), std::vector<std::string>{});
  auto* file = dynamic_cast<CSkinButton*>(CWnd::FromHandlePermanent(::GetDlgItem(dialog.m_hWnd, IDC_FILE_MENU)));
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(kit_testing::UnmarkedMenuTexts(file->Menu()), std::vector<std::string>{});

  // A file that is no backup is refused with a message in the language.
  dialog.nextFile = "/nonexistent/none.bck";
  ::SendMessageA(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_OPEN, BN_CLICKED), 0);
  Pump();
  ASSERT_FALSE(dialog.messages.empty());
  EXPECT_TRUE(kit_testing::Marked(dialog.messages.back())) << dialog.messages.back();
  dialog.DestroyWindow();
}

}  // namespace
