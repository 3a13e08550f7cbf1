// The messages windows get when they are created, shown, moved, sized, focused and destroyed,
// compared with tables of the sequences Windows sends.
#include <user_testing/Recorder.h>

#include <base/LastError.h>
#include <base/WinError.h>
#include <gtest/gtest.h>

using namespace testing_user;

namespace {

class WindowSequence : public ::testing::Test {
protected:
  void SetUp() override {
    m_parent = CreateWindowExA(0, RecordingClass(), "Parent", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 100, 100,
                               300, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(m_parent);
    ShowWindow(m_parent, SW_SHOW);
    Pump();
    Recorder::Get().SetParent(m_parent);
    Recorder::Get().Clear();
  }
  void TearDown() override {
    if (IsWindow(m_parent)) DestroyWindow(m_parent);
    Recorder::Get().SetParent(nullptr);
    Recorder::Get().Clear();
  }
  HWND Child(DWORD style, int x = 10, int y = 10, int id = 5) {
    return CreateWindowExA(0, RecordingClass(), "Child", WS_CHILD | style, x, y, 50, 30, m_parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  }
  HWND m_parent = nullptr;
};

TEST_F(WindowSequence, CreatingAHiddenOverlappedWindowWaitsWithSizeAndMoveForTheFirstShow) {
  Recorder::Get().SetParent(nullptr);
  HWND window = CreateWindowExA(0, RecordingClass(), "Top", WS_OVERLAPPEDWINDOW, 10, 10, 200, 150, nullptr,
                                nullptr, nullptr, nullptr);
  ASSERT_TRUE(window);
  ExpectSequence(Recorder::Get().Take(),
                 {{WM_GETMINMAXINFO}, {WM_NCCREATE}, {WM_NCCALCSIZE, kWParam, 0}, {WM_CREATE}}, "create");
  ShowWindow(window, SW_SHOW);
  ExpectSequence(Recorder::Get().Take(),
                 {{WM_SHOWWINDOW, kWParam, 1},
                  {WM_WINDOWPOSCHANGING, kWParam, 0},
                  {WM_NCACTIVATE, kWParam, 0, 0},
                  {WM_ACTIVATE, kWParam | kOptional, WA_INACTIVE},
                  {WM_NCACTIVATE, kWParam, 1},
                  {WM_ACTIVATE, kWParam, WA_ACTIVE},
                  {WM_KILLFOCUS, kOptional},
                  {WM_SETFOCUS},
                  {WM_WINDOWPOSCHANGED},
                  {WM_SIZE, kWParam, SIZE_RESTORED},
                  {WM_MOVE}},
                 "show");
  EXPECT_EQ(GetActiveWindow(), window);
  EXPECT_EQ(GetFocus(), window);
  DestroyWindow(window);
}

TEST_F(WindowSequence, CreatingAVisibleChildNotifiesTheParentAndShowsIt) {
  HWND child = Child(WS_VISIBLE);
  ASSERT_TRUE(child);
  ExpectSequence(Recorder::Get().Take(),
                 {{WM_NCCREATE},
                  {WM_NCCALCSIZE, kWParam, 0},
                  {WM_CREATE},
                  {WM_SIZE, kWParam, SIZE_RESTORED},
                  {WM_MOVE},
                  {WM_PARENTNOTIFY, kParent | kWParam, MAKEWPARAM(WM_CREATE, 5)},
                  {WM_SHOWWINDOW, kWParam, 1},
                  {WM_WINDOWPOSCHANGING},
                  {WM_WINDOWPOSCHANGED}},
                 "create visible child");
}

TEST_F(WindowSequence, ANoParentNotifyChildLeavesTheParentAlone) {
  HWND child = CreateWindowExA(WS_EX_NOPARENTNOTIFY, RecordingClass(), "", WS_CHILD, 0, 0, 10, 10, m_parent,
                               nullptr, nullptr, nullptr);
  ASSERT_TRUE(child);
  ExpectSequence(Recorder::Get().Take(),
                 {{WM_NCCREATE}, {WM_NCCALCSIZE}, {WM_CREATE}, {WM_SIZE}, {WM_MOVE}}, "create");
  DestroyWindow(child);
  ExpectSequence(Recorder::Get().Take(), {{WM_DESTROY}, {WM_NCDESTROY}}, "destroy");
}

TEST_F(WindowSequence, DestroyingAFocusedChildHidesItAndGivesTheFocusToTheParent) {
  HWND child = Child(WS_VISIBLE);
  SetFocus(child);
  Recorder::Get().Take();
  DestroyWindow(child);
  ExpectSequence(Recorder::Get().Take(),
                 {{WM_PARENTNOTIFY, kParent | kWParam, MAKEWPARAM(WM_DESTROY, 5)},
                  {WM_SHOWWINDOW, kWParam, 0},
                  {WM_WINDOWPOSCHANGING},
                  {WM_WINDOWPOSCHANGED},
                  {WM_KILLFOCUS, kLParam, 0, 0},
                  {WM_SETFOCUS, kParent},
                  {WM_DESTROY},
                  {WM_NCDESTROY}},
                 "destroy focused child");
  EXPECT_FALSE(IsWindow(child));
  EXPECT_EQ(GetFocus(), m_parent);
}

TEST_F(WindowSequence, DestroyingAParentSendsDestroyParentFirstAndNcDestroyChildrenFirst) {
  HWND child = Child(0);
  HWND grandChild = CreateWindowExA(WS_EX_NOPARENTNOTIFY, RecordingClass(), "", WS_CHILD, 0, 0, 5, 5, child,
                                    nullptr, nullptr, nullptr);
  ASSERT_TRUE(grandChild);
  Recorder::Get().Take();
  Recorder::Get().SetParent(nullptr);
  DestroyWindow(m_parent);
  auto got = Recorder::Get().Take();
  std::vector<std::pair<HWND, UINT>> order;
  for (const Recorded& r : got) {
    if (r.message == WM_DESTROY || r.message == WM_NCDESTROY) order.emplace_back(r.window, r.message);
  }
  std::vector<std::pair<HWND, UINT>> expected = {{m_parent, WM_DESTROY},   {child, WM_DESTROY},
                                                 {grandChild, WM_DESTROY}, {grandChild, WM_NCDESTROY},
                                                 {child, WM_NCDESTROY},    {m_parent, WM_NCDESTROY}};
  EXPECT_EQ(order, expected);
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(IsWindow(grandChild));
}

TEST_F(WindowSequence, MovingAndSizingAChildRecalculatesItsClientAndReportsBoth) {
  HWND child = Child(WS_VISIBLE);
  Recorder::Get().Take();
  SetWindowPos(child, nullptr, 20, 25, 60, 40, SWP_NOZORDER | SWP_NOACTIVATE);
  ExpectSequence(Recorder::Get().Take(),
                 {{WM_WINDOWPOSCHANGING},
                  {WM_NCCALCSIZE, kWParam, 1},
                  {WM_WINDOWPOSCHANGED},
                  {WM_MOVE, kLParam, 0, MAKELPARAM(20, 25)},
                  {WM_SIZE, kWParam | kLParam, SIZE_RESTORED, MAKELPARAM(60, 40)}},
                 "move and size");
  MoveWindow(child, 20, 25, 60, 40, TRUE);
  ExpectSequence(Recorder::Get().Take(), {{WM_WINDOWPOSCHANGING}, {WM_WINDOWPOSCHANGED}}, "same place again");
  MoveWindow(child, 0, 0, 60, 40, TRUE);
  ExpectSequence(Recorder::Get().Take(), {{WM_WINDOWPOSCHANGING}, {WM_WINDOWPOSCHANGED}, {WM_MOVE}}, "move only");
}

TEST_F(WindowSequence, HidingAndShowingAChildAndDoingItTwice) {
  HWND child = Child(WS_VISIBLE);
  Recorder::Get().Take();
  EXPECT_TRUE(ShowWindow(child, SW_HIDE));
  ExpectSequence(Recorder::Get().Take(),
                 {{WM_SHOWWINDOW, kWParam, 0}, {WM_WINDOWPOSCHANGING}, {WM_WINDOWPOSCHANGED}}, "hide");
  EXPECT_FALSE(ShowWindow(child, SW_HIDE));
  ExpectSequence(Recorder::Get().Take(), {}, "hide again");
  EXPECT_FALSE(ShowWindow(child, SW_SHOWNA));
  ExpectSequence(Recorder::Get().Take(),
                 {{WM_SHOWWINDOW, kWParam, 1}, {WM_WINDOWPOSCHANGING}, {WM_WINDOWPOSCHANGED}}, "show");
  EXPECT_TRUE(IsWindowVisible(child));
}

TEST_F(WindowSequence, MovingTheFocusKillsItInTheOldWindowFirst) {
  HWND first = Child(WS_VISIBLE, 0, 0, 1);
  HWND second = Child(WS_VISIBLE, 60, 0, 2);
  SetFocus(first);
  Recorder::Get().Take();
  EXPECT_EQ(SetFocus(second), first);
  ExpectSequence(Recorder::Get().Take(),
                 {{WM_KILLFOCUS, kLParam, 0, 0}, {WM_SETFOCUS, kLParam, 0, 0}}, "focus change");
  EXPECT_EQ(GetFocus(), second);
}

LRESULT RefusingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Recorder::Get().Add(window, message, wParam, lParam);
  if (message == WM_CREATE) return -1;
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(WindowSequence, AWindowThatRefusesCreationIsDestroyedAndNeverSeen) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = RefusingProc;
  wc.lpszClassName = "Refusing";
  ASSERT_TRUE(RegisterClassA(&wc));
  Recorder::Get().SetParent(nullptr);
  HWND window = CreateWindowExA(0, "Refusing", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(window, nullptr);
  auto got = Recorder::Get().Take();
  ASSERT_FALSE(got.empty());
  EXPECT_FALSE(IsWindow(got.front().window));
  ExpectSequence(got, {{WM_NCCREATE}, {WM_NCCALCSIZE}, {WM_CREATE}, {WM_DESTROY}, {WM_NCDESTROY}}, "refused");
  EXPECT_TRUE(UnregisterClassA("Refusing", nullptr));
}

TEST(WindowCreation, FailsCleanlyForAnUnknownClassAndAChildWithoutParent) {
  SetLastError(0);
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
  EXPECT_EQ(CreateWindowExA(0, PlainClass(), "", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_TLW_WITH_WSCHILD);
}

TEST(WindowClasses, RegisterOnceLookUpAndRefuseToUnregisterWhileInUse) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.cbWndExtra = 16;
  wc.lpszClassName = "Counted";
  ATOM atom = RegisterClassA(&wc);
  ASSERT_NE(atom, 0);
  EXPECT_EQ(RegisterClassA(&wc), 0);
  EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
  WNDCLASSA found{};
  EXPECT_TRUE(GetClassInfoA(nullptr, "counted", &found));
  EXPECT_EQ(found.cbWndExtra, 16);
  HWND window = CreateWindowExA(0, MAKEINTATOM(atom), "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(window);
  char name[32];
  EXPECT_EQ(GetClassNameA(window, name, sizeof name), 7);
  EXPECT_STREQ(name, "Counted");
  EXPECT_FALSE(UnregisterClassA("Counted", nullptr));
  EXPECT_EQ(GetLastError(), ERROR_CLASS_HAS_WINDOWS);
  DestroyWindow(window);
  EXPECT_TRUE(UnregisterClassA("Counted", nullptr));
}

}  // namespace
