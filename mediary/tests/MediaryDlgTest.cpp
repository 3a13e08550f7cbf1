// The main dialog from Mediary's own resources, driven as the user drives it, with a phone in
// memory: a Get runs on the worker while the window stays responsive, timer 501 steps the bar on
// the window's thread during detection, the cancel question and a close during a run.
#include "MediaryDlg.h"
#include "MemPhone.h"
#include "resource.h"

#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

using namespace testing_user;

namespace {

CWinApp theApp("mediary dialog tests");

class CTestMediaryDlg : public CMediaryDlg {
 public:
  CTestMediaryDlg() : CMediaryDlg(nullptr) {}
  std::vector<std::string> messages;
  std::vector<int> answers;
  HangingPhone* phone = nullptr;

 protected:
  int ShowMessage(const CString& text, UINT) override {
    messages.emplace_back(static_cast<LPCSTR>(text));
    if (answers.empty()) return IDOK;
    const int answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  }
  std::unique_ptr<IMediaryPhone> MakePhone() override {
    auto made = std::make_unique<HangingPhone>();
    phone = made.get();
    return made;
  }
};

LRESULT Position(CWnd& dialog) { return ::SendDlgItemMessageA(dialog.m_hWnd, IDC_PROGRESS, PBM_GETPOS, 0, 0); }
bool Visible(CWnd& dialog, UINT id) {
  return (::GetWindowLongA(::GetDlgItem(dialog.m_hWnd, int(id)), GWL_STYLE) & WS_VISIBLE) != 0;
}

TEST(MediaryDlg, GetRunsOnTheWorkerAndACloseDuringItCancelsAndJoins) {
  CTestMediaryDlg dialog;
  dialog.answers = {IDYES};  // the language question
  dialog.CreateEmbedded(nullptr);
  Pump();
  ASSERT_TRUE(dialog.phone);
  dialog.SendMessage(WM_COMMAND, IDC_GET, 0);
  ASSERT_TRUE(dialog.Busy());
  dialog.phone->WaitUntilWaiting();
  // The timer belongs to this thread: the bar moves while the worker waits in the detection.
  EXPECT_TRUE(PumpUntil([&] { return Position(dialog) > 3; }));
  EXPECT_TRUE(Visible(dialog, IDC_CANCEL_RUN));
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog.m_hWnd, IDC_GET)));
  dialog.SendMessage(WM_COMMAND, IDC_GET, 0);  // a second Get while busy does nothing
  EXPECT_EQ(dialog.messages.size(), 1u);

  // The cancel question answered No leaves the run going; a close answered No keeps the window.
  dialog.answers = {IDNO, IDNO};
  dialog.SendMessage(WM_COMMAND, IDC_CANCEL_RUN, 0);
  EXPECT_FALSE(dialog.QueryClose());
  EXPECT_TRUE(dialog.Busy());
  EXPECT_EQ(dialog.phone->cancels, 0);

  // Yes: the run is cancelled at its wait and joined before the dialog may end; no more questions.
  dialog.answers = {IDYES};
  EXPECT_TRUE(dialog.QueryClose());
  EXPECT_FALSE(dialog.Busy());
  EXPECT_EQ(dialog.phone->cancels, 1);
  EXPECT_EQ(dialog.messages.size(), 4u);  // language, cancel, close, close
  dialog.DestroyWindow();
}

TEST(MediaryDlg, CancelYesEndsTheRunWithoutATextAndEnablesTheCommands) {
  CTestMediaryDlg dialog;
  dialog.answers = {IDYES};
  dialog.CreateEmbedded(nullptr);
  Pump();
  dialog.SendMessage(WM_COMMAND, IDC_GET, 0);
  dialog.phone->WaitUntilWaiting();
  dialog.answers = {IDYES};
  dialog.SendMessage(WM_COMMAND, IDC_CANCEL_RUN, 0);
  ASSERT_TRUE(PumpUntil([&] { return !dialog.Busy() && ::IsWindowEnabled(::GetDlgItem(dialog.m_hWnd, IDC_GET)); }));
  Pump();
  EXPECT_FALSE(Visible(dialog, IDC_CANCEL_RUN));
  EXPECT_FALSE(Visible(dialog, IDC_PROGRESS));
  EXPECT_EQ(dialog.messages.size(), 2u);  // the language and the cancel question; a cancelled detection says nothing
  EXPECT_EQ(dialog.phone->powerOffs, 1);
  dialog.DestroyWindow();
}

TEST(MediaryDlg, ViewKindCommands) {
  CTestMediaryDlg dialog;  // no "Build" in the test's settings: a variant without movies
  dialog.CreateEmbedded(nullptr);
  Pump();
  char label[64] = {};
  dialog.SendMessage(WM_COMMAND, ID_VIEW_MELODIES, 0);
  ::GetDlgItemTextA(dialog.m_hWnd, IDC_KIND_LABEL, label, sizeof label);
  EXPECT_STREQ(label, "Melodies");
  EXPECT_EQ(dialog.PhoneModel().GetKind(), 1);
  dialog.SendMessage(WM_COMMAND, IDC_MOVIES, 0);
  EXPECT_EQ(dialog.PhoneModel().GetKind(), 1);
  EXPECT_FALSE(Visible(dialog, IDC_MOVIES));
  dialog.SendMessage(WM_COMMAND, IDC_IMAGES, 0);
  ::GetDlgItemTextA(dialog.m_hWnd, IDC_KIND_LABEL, label, sizeof label);
  EXPECT_STREQ(label, "Images");
  dialog.DestroyWindow();
}

RECT Place(CWnd& dialog, UINT id) {
  RECT rect{};
  ::GetWindowRect(::GetDlgItem(dialog.m_hWnd, int(id)), &rect);
  ::MapWindowPoints(nullptr, dialog.m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

TEST(MediaryDlg, LayoutFollowsTheSize) {
  CTestMediaryDlg dialog;
  dialog.CreateEmbedded(nullptr);
  Pump();
  RECT client{};
  ::GetClientRect(dialog.m_hWnd, &client);
  const RECT get = Place(dialog, IDC_GET), cancel = Place(dialog, IDC_CANCEL_RUN), pc = Place(dialog, IDC_PC_FRAME),
             phone = Place(dialog, IDC_PHONE_FRAME), arrow = Place(dialog, IDC_TO_PC);
  // 41 and 61 more pixels: odd changes count as 40 and 60.
  dialog.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right + 41, client.bottom + 61));
  EXPECT_EQ(Place(dialog, IDC_GET).top, get.top + 60);
  EXPECT_EQ(Place(dialog, IDC_GET).left, get.left);
  EXPECT_EQ(Place(dialog, IDC_CANCEL_RUN).left, cancel.left + 40);
  EXPECT_EQ(Place(dialog, IDC_PC_FRAME).right, pc.right + 40);
  EXPECT_EQ(Place(dialog, IDC_PC_FRAME).bottom, pc.bottom + 30);
  EXPECT_EQ(Place(dialog, IDC_PHONE_FRAME).top, phone.top + 30);
  EXPECT_EQ(Place(dialog, IDC_PHONE_FRAME).bottom, phone.bottom + 60);
  EXPECT_EQ(Place(dialog, IDC_TO_PC).left, arrow.left + 20);
  const RECT list = Place(dialog, IDC_PHONE_LIST), frame = Place(dialog, IDC_PHONE_FRAME);
  EXPECT_EQ(list.left, frame.left + 1);
  EXPECT_EQ(list.bottom, frame.bottom - 1);
  dialog.DestroyWindow();
}

}  // namespace
