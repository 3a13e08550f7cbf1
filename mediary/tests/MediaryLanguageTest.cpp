// Mediary in a test language: its dialog, its File and View menus and its questions come through the
// string loader (a test program of its own: texts are cached for the run).
#include "MediaryDlg.h"
#include "MemPhone.h"
#include "resource.h"

#include <MarkedLanguage.h>
#include <SkinButton.h>

#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

using namespace testing_user;
using kit_testing::MarkedLanguage;

namespace {

CWinApp theApp("mediary language tests");

class CTestMediaryDlg : public CMediaryDlg {
 public:
  CTestMediaryDlg() : CMediaryDlg(nullptr) {}
  std::vector<std::string> messages;

 protected:
  int ShowMessage(const CString& text, UINT) override {
    messages.emplace_back(static_cast<LPCSTR>(text));
    return IDNO;
  }
  std::unique_ptr<IMediaryPhone> MakePhone() override { return std::make_unique<HangingPhone>(); }
};

TEST(MediaryLanguage, DialogMenusAndQuestionsComeInTheChosenLanguage) {
  MarkedLanguage language("Mediary");
  ASSERT_GT(language.Texts(), 40u);
  CTestMediaryDlg dialog;
  dialog.CreateEmbedded(nullptr);
  Pump();
  // The folder box holds a path; only what has no string of its own stays as the template has it:
  // the pane labels and the transfer arrows.
  const std::vector<std::string> fixed{"1008: v", "1009: ^", "1036:     PC    ", "1037:   Phone  "};
  EXPECT_EQ(kit_testing::UnmarkedChildTexts(dialog.m_hWnd, {IDC_FOLDER_BOX, 1001 /* its edit */}), fixed);
  for (int id : {IDC_FILE_MENU, IDC_VIEW_MENU}) {
    auto* button = dynamic_cast<CSkinButton*>(CWnd::FromHandlePermanent(::GetDlgItem(dialog.m_hWnd, id)));
    ASSERT_NE(button, nullptr) << id;
    EXPECT_EQ(kit_testing::UnmarkedMenuTexts(button->Menu()), std::vector<std::string>{}) << id;
  }
  // The first Get asks whether the phone speaks the suite's language, in it.
  dialog.SendMessage(WM_COMMAND, IDC_GET, 0);
  Pump();
  ASSERT_EQ(dialog.messages.size(), 1u);
  EXPECT_TRUE(kit_testing::Marked(dialog.messages[0])) << dialog.messages[0];
  dialog.DestroyWindow();
}

}  // namespace
