// Dialogs: the modal run on the class library's own loop (ended by EndDialog and by EndModalLoop,
// with dialog keys, idle kicks and WM_ENTERIDLE), data exchange both ways with a failing check
// keeping the dialog open, and a modal loop that WM_QUIT ends.
#include <framework/Afx.h>

#include <kernel/QueueExtension.h>
#include <resources/Resource.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "Controls.h"
#include "TestApp.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using namespace testing_user;

namespace {

constexpr int kName = 1001;
constexpr int kRemember = 1002;
constexpr int kFirstChoice = 1003;

// The test dialog 200; each idle kick of its modal loop runs the next step of a script.
class CSettingsDlg : public CDialog {
public:
  explicit CSettingsDlg(CWnd* parent = nullptr) : CDialog(200, parent) {}
  const AFX_MSGMAP* GetMessageMap() const override {
    static const AFX_MSGMAP map{CDialog::GetMessageMap(), {MapMessage(WM_KICKIDLE, &CSettingsDlg::OnKickIdle)}};
    return &map;
  }
  void DoDataExchange(CDataExchange* dx) override {
    DDX_Text(dx, kName, m_name);
    DDV_MaxChars(dx, m_name, 8);
    DDX_Check(dx, kRemember, m_remember);
    DDX_Radio(dx, kFirstChoice, m_choice);
  }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_INITDIALOG || message == WM_KICKIDLE || message == WM_DESTROY ||
        (message == WM_COMMAND && lParam == 0)) {
      Recorder::Get().Add(m_hWnd, message, wParam, lParam);
    }
    return CDialog::WindowProc(message, wParam, lParam);
  }
  LRESULT OnKickIdle(WPARAM, LPARAM) {
    if (next < script.size()) script[next++](*this);
    return next < script.size();  // more idle kicks while steps are left
  }
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    if (endAtInit) EndDialog(endAtInit);
    return TRUE;
  }

  CString m_name = "Ann";
  int m_remember = 1;
  int m_choice = 2;
  int endAtInit = 0;
  std::vector<std::function<void(CSettingsDlg&)>> script;
  size_t next = 0;
};

std::string Text(HWND dialog, int id) {
  char text[64] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

void PressKey(HWND window, UINT key) { PostMessageA(window, WM_KEYDOWN, key, 0); }

class ModalDialog : public ::testing::Test {
protected:
  void SetUp() override {
    testing_framework::AddStandInControls();
    owner = CreateWindowExA(0, RecordingClass(), "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                            nullptr, nullptr, nullptr);
    ownerObject.Attach(owner);
    Recorder::Get().SetParent(owner);
    Recorder::Get().Clear();
  }
  void TearDown() override {
    Recorder::Get().SetParent(nullptr);
    ownerObject.Detach();
    DestroyWindow(owner);
  }
  HWND owner = nullptr;
  CWnd ownerObject;
};

TEST_F(ModalDialog, LoadsTheMembersAndEnterSavesThemAndEndsTheDialog) {
  CSettingsDlg dialog(&ownerObject);
  bool ownerWasDisabled = false;
  dialog.script = {[&](CSettingsDlg& d) {
                     EXPECT_EQ(Text(d.m_hWnd, kName), "Ann");
                     EXPECT_EQ(IsDlgButtonChecked(d.m_hWnd, kRemember), BST_CHECKED);
                     EXPECT_EQ(IsDlgButtonChecked(d.m_hWnd, kFirstChoice + 2), BST_CHECKED);
                     ownerWasDisabled = !IsWindowEnabled(owner);
                     SetDlgItemTextA(d.m_hWnd, kName, "Bob");
                     CheckRadioButton(d.m_hWnd, kFirstChoice, kFirstChoice + 2, kFirstChoice);
                     CheckDlgButton(d.m_hWnd, kRemember, BST_UNCHECKED);
                     // Enter in the edit: the dialog manager's key, through PreTranslateMessage.
                     PressKey(::GetDlgItem(d.m_hWnd, kName), VK_RETURN);
                   },
                   [](CSettingsDlg&) { ADD_FAILURE() << "the dialog did not end"; }};
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_TRUE(ownerWasDisabled);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(dialog.m_hWnd, nullptr);
  EXPECT_EQ(std::string(dialog.m_name), "Bob");
  EXPECT_EQ(dialog.m_remember, 0);
  EXPECT_EQ(dialog.m_choice, 0);
}

TEST_F(ModalDialog, AValueThatFailsItsCheckKeepsTheDialogOpenWithTheFocusOnIt) {
  CSettingsDlg dialog(&ownerObject);
  int focusAfterFailure = 0;
  dialog.script = {[](CSettingsDlg& d) {
                     SetDlgItemTextA(d.m_hWnd, kName, "Much too long");
                     d.SendMessage(WM_COMMAND, IDOK);
                   },
                   [&](CSettingsDlg& d) {
                     focusAfterFailure = GetDlgCtrlID(GetFocus());
                     EXPECT_TRUE(d.IsWindowVisible());
                     PressKey(d.m_hWnd, VK_ESCAPE);
                   },
                   [](CSettingsDlg&) { ADD_FAILURE() << "Escape did not cancel"; }};
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(focusAfterFailure, kName);  // the control with the bad value
}

TEST_F(ModalDialog, EndModalLoopEndsItWithIdleKicksOnlyWhileTheQueueIsEmpty) {
  CSettingsDlg dialog(&ownerObject);
  dialog.script = {[](CSettingsDlg& d) { d.PostMessage(WM_USER + 9); },
                   [](CSettingsDlg& d) { d.EndModalLoop(5); }};
  EXPECT_EQ(dialog.DoModal(), 5);
  auto got = Recorder::Get().Take();
  std::erase_if(got, [&](const Recorded& r) {
    return r.message != WM_INITDIALOG && r.message != WM_KICKIDLE && r.message != WM_ENTERIDLE &&
           r.message != WM_DESTROY && r.message != WM_USER + 9;
  });
  const auto dialogLParam = [&] {
    for (const Recorded& r : got)
      if (r.message == WM_ENTERIDLE) return r.lParam;
    return LPARAM{0};
  }();
  ExpectSequence(got,
                 {{WM_INITDIALOG},
                  {WM_ENTERIDLE, kParent | kWParam, 0},  // once per idle spell, to the owner
                  {WM_KICKIDLE, kWParam | kLParam, 0, 0},
                  {WM_ENTERIDLE, kParent | kWParam | kLParam, 0, dialogLParam},
                  {WM_KICKIDLE, kWParam | kLParam, 0, 0},
                  {WM_DESTROY}},
                 "modal loop");
}

// The window layer's queue extension, with one paint that a look sees and that is done before the
// loop takes it (as when a host in another process has a hosted window paint for it meanwhile):
// every look that leaves the queue as it is sees it when nothing else is there, until a look that
// takes messages finds it gone.
class CPaintDoneMeanwhile : public tolvar::kernel::QueueExtension {
public:
  CPaintDoneMeanwhile(QueueExtension* windows, HWND window) : m_windows(windows), m_window(window) {}
  void DeliverSentMessages() override { m_windows->DeliverSentMessages(); }
  DWORD PendingStatus() override { return m_windows->PendingStatus(); }
  bool SynthesizeMessage(HWND filter, UINT first, UINT last, bool remove, MSG& message) override {
    if (m_windows->SynthesizeMessage(filter, first, last, remove, message)) return true;
    if (!m_waiting || GetCurrentThreadId() != m_thread) return false;
    if (remove) {
      m_waiting = false;
      return false;
    }
    message = MSG{m_window, WM_PAINT, 0, 0, 0, {}};
    return true;
  }
  DWORD WindowThread(HWND window) override { return m_windows->WindowThread(window); }
  bool IsInFilter(HWND filter, HWND window) override { return m_windows->IsInFilter(filter, window); }
  bool PostToOtherProcess(DWORD thread, UINT message, WPARAM wParam, LPARAM lParam) override {
    return m_windows->PostToOtherProcess(thread, message, wParam, lParam);
  }

private:
  QueueExtension* m_windows;
  HWND m_window;
  DWORD m_thread = GetCurrentThreadId();
  bool m_waiting = true;
};

// Posts `message` to the window once it shows, or after a while when it does not.
void PostWhenShown(HWND window, UINT message) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < end && !IsWindowVisible(window)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  PostMessageA(window, message, 0, 0);
}

// A dialog whose loop's first look sees that paint. Its focus is on a check box, as a message
// box's is on a button: no caret blinks, whose timer would end any wait.
class CPaintedMeanwhileDlg : public CSettingsDlg {
public:
  using CSettingsDlg::CSettingsDlg;
  static constexpr UINT kDone = WM_USER + 20;
  BOOL OnInitDialog() override {
    CSettingsDlg::OnInitDialog();
    ::SetFocus(::GetDlgItem(m_hWnd, kRemember));
    windows = tolvar::kernel::GetQueueExtension();
    meanwhile = std::make_unique<CPaintDoneMeanwhile>(windows, painted);
    tolvar::kernel::SetQueueExtension(meanwhile.get());
    window = m_hWnd;
    return FALSE;
  }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != kDone) return CSettingsDlg::WindowProc(message, wParam, lParam);
    shownAtTheEnd = IsWindowVisible();
    EndDialog(IDOK);
    return 0;
  }
  HWND painted = nullptr;
  tolvar::kernel::QueueExtension* windows = nullptr;
  std::unique_ptr<CPaintDoneMeanwhile> meanwhile;
  std::atomic<HWND> window{nullptr};
  bool shownAtTheEnd = false;
};

TEST_F(ModalDialog, ADialogShowsWhenAMessageItsLoopSawIsGoneBeforeTheLoopTakesIt) {
  CPaintedMeanwhileDlg dialog(&ownerObject);
  dialog.painted = owner;
  // Another thread ends the dialog once it shows, or after a while when it does not.
  std::thread ender([&] {
    HWND window = nullptr;
    while (!(window = dialog.window)) std::this_thread::yield();
    PostWhenShown(window, CPaintedMeanwhileDlg::kDone);
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
  ender.join();
  tolvar::kernel::SetQueueExtension(dialog.windows);
  EXPECT_TRUE(dialog.shownAtTheEnd) << "the dialog showed only once a later message came";
}

// The window layer's own dialog loop (message boxes, file dialogs) likewise.
TEST_F(ModalDialog, AWindowLayerDialogShowsWhenAMessageItsLoopSawIsGoneBeforeTheLoopTakesIt) {
  struct Shared {
    HWND painted;
    tolvar::kernel::QueueExtension* windows = nullptr;
    std::unique_ptr<CPaintDoneMeanwhile> meanwhile;
    std::atomic<HWND> window{nullptr};
    bool shownAtTheEnd = false;
  } shared{owner, nullptr, nullptr, {nullptr}, false};
  // A template with no controls: nothing takes a caret whose timer would end a wait.
  constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
  // Style, extended style, no items, x, y, cx, cy, no menu, the dialog class, no title.
  alignas(4) const WORD bytes[] = {LOWORD(kStyle), HIWORD(kStyle), 0, 0, 0, 0, 0, 120, 60, 0, 0, 0};
  DLGPROC procedure = [](HWND dialog, UINT message, WPARAM, LPARAM lParam) -> INT_PTR {
    auto* shared = reinterpret_cast<Shared*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (message == WM_INITDIALOG) {
      shared = reinterpret_cast<Shared*>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      shared->windows = tolvar::kernel::GetQueueExtension();
      shared->meanwhile = std::make_unique<CPaintDoneMeanwhile>(shared->windows, shared->painted);
      tolvar::kernel::SetQueueExtension(shared->meanwhile.get());
      shared->window = dialog;
      return FALSE;
    }
    if (message != CPaintedMeanwhileDlg::kDone) return FALSE;
    shared->shownAtTheEnd = IsWindowVisible(dialog);
    EndDialog(dialog, IDOK);
    return TRUE;
  };
  std::thread ender([&] {
    HWND window = nullptr;
    while (!(window = shared.window)) std::this_thread::yield();
    PostWhenShown(window, CPaintedMeanwhileDlg::kDone);
  });
  EXPECT_EQ(DialogBoxIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(bytes), owner, procedure, reinterpret_cast<LPARAM>(&shared)), IDOK);
  ender.join();
  tolvar::kernel::SetQueueExtension(shared.windows);
  EXPECT_TRUE(shared.shownAtTheEnd) << "the dialog showed only once a later message came";
}

TEST_F(ModalDialog, ADialogWhoseTemplateNamesNoPlaceIsCentredOverItsOwnerOrTheWorkArea) {
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const auto centre = [](const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; };
  const auto near = [](POINT a, POINT b) { return std::abs(a.x - b.x) <= 1 && std::abs(a.y - b.y) <= 1; };
  MoveWindow(owner, 300, 200, 400, 300, TRUE);
  RECT ownerRect;
  GetWindowRect(owner, &ownerRect);
  struct Case {
    const char* name;
    bool ownerShown;
    POINT movedAtInit;  // where OnInitDialog puts the dialog itself; (-1, -1): nowhere
    bool overOwner;
  };
  const Case cases[] = {
      {"over its owner", true, {-1, -1}, true},
      {"owner hidden: in the work area", false, {-1, -1}, false},
      {"placed by OnInitDialog: left there", true, {17, 23}, false},
  };
  for (const Case& c : cases) {
    ShowWindow(owner, c.ownerShown ? SW_SHOWNA : SW_HIDE);
    struct CPlacedDlg : CSettingsDlg {
      using CSettingsDlg::CSettingsDlg;
      BOOL OnInitDialog() override {
        CSettingsDlg::OnInitDialog();
        if (movedAtInit.x >= 0) SetWindowPos(nullptr, movedAtInit.x, movedAtInit.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        return TRUE;
      }
      POINT movedAtInit{-1, -1};
    } dialog(&ownerObject);
    dialog.movedAtInit = c.movedAtInit;
    RECT shown{};
    dialog.script = {[&](CSettingsDlg& d) {
      d.GetWindowRect(&shown);
      d.EndDialog(IDCANCEL);
    }};
    dialog.DoModal();
    if (c.movedAtInit.x >= 0) {
      EXPECT_EQ(shown.left, c.movedAtInit.x) << c.name;
      EXPECT_EQ(shown.top, c.movedAtInit.y) << c.name;
    } else {
      EXPECT_TRUE(near(centre(shown), centre(c.overOwner ? ownerRect : work)))
          << c.name << ": at " << shown.left << "," << shown.top;
    }
  }
  ShowWindow(owner, SW_SHOWNA);
}

TEST_F(ModalDialog, TheOwnerTakesInputAgainBeforeTheDialogHides) {
  // Once a person sees the dialog go, a click on the owner must be taken: the owner is enabled
  // when the dialog hides, however its loop ended.
  struct CWatchedDlg : CSettingsDlg {
    using CSettingsDlg::CSettingsDlg;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
      if (message == WM_WINDOWPOSCHANGED && (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_HIDEWINDOW)) {
        hidden = true;
        ownerEnabledWhenHidden = ::IsWindowEnabled(watchedOwner) != FALSE;
      }
      return CSettingsDlg::WindowProc(message, wParam, lParam);
    }
    HWND watchedOwner = nullptr;
    bool hidden = false;
    bool ownerEnabledWhenHidden = false;
  };
  struct Case {
    const char* name;
    std::function<void(CSettingsDlg&)> end;
  };
  const Case cases[] = {
      {"Enter", [](CSettingsDlg& d) { PressKey(::GetDlgItem(d.m_hWnd, kName), VK_RETURN); }},
      {"EndDialog", [](CSettingsDlg& d) { d.EndDialog(IDCANCEL); }},
      {"EndModalLoop", [](CSettingsDlg& d) { d.EndModalLoop(4); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CWatchedDlg dialog(&ownerObject);
    dialog.watchedOwner = owner;
    bool disabledWhileShown = false;
    dialog.script = {[&](CSettingsDlg& d) {
                       disabledWhileShown = !IsWindowEnabled(owner);
                       c.end(d);
                     },
                     [](CSettingsDlg&) { ADD_FAILURE() << "the dialog did not end"; }};
    dialog.DoModal();
    EXPECT_TRUE(disabledWhileShown);
    EXPECT_TRUE(dialog.hidden);
    EXPECT_TRUE(dialog.ownerEnabledWhenHidden);
    EXPECT_TRUE(IsWindowEnabled(owner));
  }
}

TEST_F(ModalDialog, EndDialogInOnInitDialogEndsItBeforeItsLoop) {
  CSettingsDlg dialog(&ownerObject);
  dialog.endAtInit = 3;
  dialog.script = {[](CSettingsDlg&) { ADD_FAILURE() << "the loop ran"; }};
  EXPECT_EQ(dialog.DoModal(), 3);
  EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(ModalDialog, AModelessDialogsModalLoopEndsWithEndModalLoopAndHandsWmQuitOn) {
  CSettingsDlg dialog;
  ASSERT_TRUE(dialog.Create(200, &ownerObject));
  dialog.script = {[](CSettingsDlg& d) { d.EndModalLoop(12); }};
  EXPECT_EQ(dialog.RunModalLoop(), 12);
  dialog.script = {[](CSettingsDlg&) { PostQuitMessage(4); }};
  dialog.next = 0;
  EXPECT_EQ(dialog.RunModalLoop(), -1);
  MSG quit;
  ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // the loop outside gets it
  EXPECT_EQ(quit.wParam, 4u);
  dialog.DestroyWindow();
}

TEST_F(ModalDialog, ATemplateInMemoryIsUsedInPlaceOfTheResource) {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(200), RT_DIALOG);
  ASSERT_NE(found, nullptr);
  auto bytes = static_cast<LPCDLGTEMPLATE>(LockResource(LoadResource(nullptr, found)));
  CSettingsDlg modal;
  modal.m_lpszTemplateName = MAKEINTRESOURCEA(999);  // no such resource: only the bytes can make it
  ASSERT_TRUE(modal.InitModalIndirect(bytes, &ownerObject));
  modal.script = {[](CSettingsDlg& d) {
    EXPECT_EQ(Text(d.m_hWnd, kName), "Ann");
    d.EndDialog(IDOK);
  }};
  EXPECT_EQ(modal.DoModal(), IDOK);
  CSettingsDlg modeless;
  ASSERT_TRUE(modeless.CreateIndirect(bytes, &ownerObject));
  EXPECT_NE(::GetDlgItem(modeless.m_hWnd, kName), nullptr);
  modeless.DestroyWindow();
}

TEST_F(ModalDialog, AModalLoopWhoseWindowIsDestroyedUnderItEnds) {
  CSettingsDlg dialog;
  ASSERT_TRUE(dialog.Create(200, &ownerObject));
  dialog.script = {[](CSettingsDlg& d) { d.DestroyWindow(); }};
  EXPECT_EQ(dialog.RunModalLoop(), -1);
  EXPECT_EQ(dialog.m_hWnd, nullptr);
}

TEST(DialogTemplate, AMissingTemplateGivesMinusOne) {
  CDialog dialog(999);
  EXPECT_EQ(dialog.DoModal(), -1);
  EXPECT_FALSE(dialog.Create(999));
}

}  // namespace
