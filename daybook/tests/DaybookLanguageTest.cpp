// Daybook in a test language: its main dialog, its three pages and its File menu come through the
// string loader (a test program of its own: texts are cached for the run).
#include "Daybook.h"
#include "DaybookDlg.h"
#include "resource.h"
#include "support/ManagerHarness.h"

#include <MarkedLanguage.h>
#include <MessageBoxDlg.h>
#include <ProgramManager.h>
#include <SkinButton.h>

#include <controls/DateTime.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

CWinApp theApp("daybook language tests");

// The texts of the message boxes shown (captioned in the language), each answered at once.
std::vector<std::string> g_boxes;
void AnswerBoxes(HWND, UINT, UINT_PTR, DWORD) {
  for (const char* caption : {"Contacts", "Schedule", "ToDo"}) {
    HWND box = FindWindowA(nullptr, (std::string(kit_testing::MarkedLanguage::kMark) + caption).c_str());
    if (!box || !IsWindowVisible(box)) continue;
    if (auto* dialog = dynamic_cast<CMessageBoxDlg*>(CWnd::FromHandlePermanent(box))) {
      g_boxes.emplace_back(dialog->m_lpszText);
      dialog->EndDialog(IDOK);
    }
  }
}

TEST(DaybookLanguage, DialogPagesAndFileMenuComeInTheChosenLanguage) {
  QuietLinkHome home;
  ManagerLibrary library;
  ASSERT_TRUE(library.Load());
  CManager* manager = library.Start();
  ASSERT_NE(manager, nullptr);
  for (short s = 0; s < 100; ++s) manager->PA_RemovePrivateToDo(s);
  g_pManager = manager;
  SetProgramManager(manager);
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, AnswerBoxes);
  {
    kit_testing::MarkedLanguage language("Daybook");
    ASSERT_GT(language.Texts(), 100u);
    auto dialog = std::make_unique<CDaybookDlg>(*manager);
    struct Closer {
      CDaybookDlg& dialog;
      ~Closer() {
        if (dialog.m_hWnd) dialog.DestroyWindow();
      }
    } closer{*dialog};
    dialog->CreateEmbedded(nullptr);
    ASSERT_NE(dialog->m_hWnd, nullptr);
    testing_user::Pump();
    // Only what has no string of its own stays as the templates have it: the sort buttons' arrow and
    // "A-Z", and the check boxes of the calendar pages.
    const std::vector<std::string> fixed{"1111: Done", "1112: Private", "1177: A-Z", "1178: v",
                                         "1179: v",    "1180: v",       "1181: v",       "1182: v",   "1183: v",
                                         "1187: Alarm"};
    EXPECT_EQ(kit_testing::UnmarkedChildTexts(dialog->m_hWnd), fixed);
    auto* file = dynamic_cast<CSkinButton*>(CWnd::FromHandlePermanent(::GetDlgItem(dialog->m_hWnd, IDC_FILE_BUTTON)));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(kit_testing::UnmarkedMenuTexts(file->Menu()), std::vector<std::string>{});

    // A to-do added with its description left at the placeholder is stored without one.
    ::SendMessageA(dialog->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_TODO_BUTTON, BN_CLICKED), 0);
    HWND page = dialog->ToDo().m_hWnd;
    auto click = [page](int id) {
      ::SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(page, id)));
    };
    click(IDC_TODO_ADD);
    const SYSTEMTIME day{2019, 3, 0, 1, 0, 0, 0, 0};  // dates the phone keeps
    for (int picker : {IDC_TODO_START, IDC_TODO_DUE})
      ::SendDlgItemMessageA(page, picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&day));
    click(IDC_TODO_APPLY);
    testing_user::Pump();
    ASSERT_EQ(dialog->ToDo().Model().UsedCount(), 1) << (g_boxes.empty() ? "" : g_boxes[0]);
    PA_TODO_INFO stored;
    ASSERT_EQ(manager->PA_GetToDo(&stored, 0), PA_OK);
    EXPECT_EQ(std::string(stored.strDescription), "");
  }
  KillTimer(nullptr, timer);
  SetProgramManager(nullptr);
  g_pManager = nullptr;
}

}  // namespace
