// Moving and sizing windows: caption and border drags by the mouse, SC_MOVE and SC_SIZE by the keys,
// the messages a window gets meanwhile, and the limits it sets.
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <algorithm>

using namespace testing_user;
using tolvar::user::InjectKey;
using tolvar::user::InjectMouse;

namespace {

bool Quiet(UINT message) {
  switch (message) {
    case WM_GETICON: case WM_NCHITTEST: case WM_SETCURSOR: case WM_GETTEXT: case WM_GETTEXTLENGTH:
    case WM_NCPAINT: case WM_ERASEBKGND: case WM_PAINT: case WM_TIMER:
      return true;
    default:
      return false;
  }
}

// A window at least 150 wide and 100 high, which snaps WM_MOVING to a grid of 10 when asked to.
bool g_snap = false;

LRESULT FramedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!Quiet(message)) Recorder::Get().Add(window, message, wParam, lParam);
  if (message == WM_GETMINMAXINFO) {
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    info->ptMinTrackSize = {150, 100};
    return 0;
  }
  if (message == WM_MOVING && g_snap) {
    auto* r = reinterpret_cast<RECT*>(lParam);
    const int dx = r->left / 10 * 10 - r->left, dy = r->top / 10 * 10 - r->top;
    OffsetRect(r, dx, dy);
    return TRUE;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LPCSTR FramedClass() {
  static ATOM atom = [] {
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = FramedProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<ULONG_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = "Framed";
    return RegisterClassA(&wc);
  }();
  (void)atom;
  return "Framed";
}

void Key(UINT key) {
  InjectKey(key, true);
  InjectKey(key, false);
}

class SizeMove : public ::testing::Test {
protected:
  void SetUp() override {
    m_window = CreateWindowExA(0, FramedClass(), "Framed", WS_OVERLAPPEDWINDOW, 100, 100, 300, 200, nullptr, nullptr,
                               nullptr, nullptr);
    ASSERT_TRUE(m_window);
    ShowWindow(m_window, SW_SHOW);
    SetForegroundWindow(m_window);
    Pump();
    g_snap = false;
    Recorder::Get().SetParent(nullptr);
    Recorder::Get().Clear();
  }
  void TearDown() override {
    g_snap = false;
    if (IsWindow(m_window)) DestroyWindow(m_window);
    Recorder::Get().Clear();
  }
  // A drag from `from` to `to`: the press, then (the loop's capture taken ahead, so that the queued
  // moves reach the window wherever they are) a move and the release.
  void Drag(POINT from, POINT to) {
    InjectMouse(from, WM_LBUTTONDOWN);
    SetCapture(m_window);
    InjectMouse(to, WM_MOUSEMOVE);
    InjectMouse(to, WM_LBUTTONUP);
    Pump();
  }
  RECT Rect() const {
    RECT r;
    GetWindowRect(m_window, &r);
    return r;
  }
  HWND m_window = nullptr;
};

TEST_F(SizeMove, ACaptionDragMovesTheWindowInAModalLoop) {
  Drag({200, 110}, {230, 150});
  ExpectSequence(Recorder::Get().Take(),
                 {{WM_NCLBUTTONDOWN, kWParam, HTCAPTION},
                  {WM_SYSCOMMAND, kWParam, SC_MOVE + HTCAPTION},
                  {WM_GETMINMAXINFO},
                  {WM_ENTERSIZEMOVE},
                  {WM_MOVING, kWParam, 0},
                  {WM_WINDOWPOSCHANGING},
                  {WM_WINDOWPOSCHANGED},
                  {WM_MOVE},
                  {WM_CAPTURECHANGED},
                  {WM_EXITSIZEMOVE}},
                 "caption drag");
  const RECT r = Rect();
  EXPECT_EQ(r.left, 130);
  EXPECT_EQ(r.top, 140);
  EXPECT_EQ(r.right - r.left, 300);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(SizeMove, ADragWhoseReleaseWentElsewhereEndsWithTheButtonUp) {
  // The whole drag queued before the window took the press: the release, outside every window,
  // reaches nobody.
  InjectMouse({200, 110}, WM_LBUTTONDOWN);
  InjectMouse({230, 150}, WM_MOUSEMOVE);
  InjectMouse({1000, 750}, WM_LBUTTONUP);
  Pump();
  EXPECT_EQ(Rect().left, 130);
  EXPECT_EQ(Rect().top, 140);
  EXPECT_EQ(GetCapture(), nullptr);
  const auto got = Recorder::Get().Take();
  EXPECT_EQ(std::count_if(got.begin(), got.end(), [](const Recorded& r) { return r.message == WM_EXITSIZEMOVE; }), 1);
}

TEST_F(SizeMove, TheProgramMayChangeTheRectangleItIsToldOfWhileMoving) {
  g_snap = true;
  Drag({200, 110}, {233, 157});
  const RECT r = Rect();
  EXPECT_EQ(r.left, 130);
  EXPECT_EQ(r.top, 140);
}

TEST_F(SizeMove, ABorderDragSizesTheWindowWithinItsLimits) {
  // The right border, dragged 60 pixels out.
  Drag({399, 200}, {459, 200});
  ExpectSequence(Recorder::Get().Take(),
                 {{WM_NCLBUTTONDOWN, kWParam, HTRIGHT},
                  {WM_SYSCOMMAND, kWParam, SC_SIZE + WMSZ_RIGHT},
                  {WM_GETMINMAXINFO},
                  {WM_ENTERSIZEMOVE},
                  {WM_SIZING, kWParam, WMSZ_RIGHT},
                  {WM_WINDOWPOSCHANGING},
                  {WM_GETMINMAXINFO},
                  {WM_NCCALCSIZE, kWParam, TRUE},
                  {WM_WINDOWPOSCHANGED},
                  {WM_SIZE, kWParam, SIZE_RESTORED},
                  {WM_CAPTURECHANGED},
                  {WM_EXITSIZEMOVE}},
                 "border drag");
  RECT r = Rect();
  EXPECT_EQ(r.right - r.left, 360);
  EXPECT_EQ(r.left, 100);

  // The top-left corner dragged far in: the window stops at its minimum, its bottom-right corner stays.
  Drag({100, 100}, {600, 600});
  r = Rect();
  EXPECT_EQ(r.right - r.left, 150);
  EXPECT_EQ(r.bottom - r.top, 100);
  EXPECT_EQ(r.right, 460);
  EXPECT_EQ(r.bottom, 300);
}

TEST_F(SizeMove, KeysMoveAndSizeByEightPixelsAndEscapePutsTheWindowBack) {
  Key(VK_RIGHT);
  Key(VK_RIGHT);
  Key(VK_DOWN);
  Key(VK_RETURN);
  SendMessageA(m_window, WM_SYSCOMMAND, SC_MOVE, 0);
  RECT r = Rect();
  EXPECT_EQ(r.left, 116);
  EXPECT_EQ(r.top, 108);

  Key(VK_LEFT);
  Key(VK_UP);
  Key(VK_ESCAPE);
  SendMessageA(m_window, WM_SYSCOMMAND, SC_MOVE, 0);
  r = Rect();
  EXPECT_EQ(r.left, 116) << "Escape puts the window back";
  EXPECT_EQ(r.top, 108);

  // Sizing: the first arrow picks the edge, the next ones move it.
  Key(VK_RIGHT);
  Key(VK_RIGHT);
  Key(VK_RIGHT);
  Key(VK_RETURN);
  Recorder::Get().Clear();
  SendMessageA(m_window, WM_SYSCOMMAND, SC_SIZE, 0);
  r = Rect();
  EXPECT_EQ(r.right - r.left, 316);
  EXPECT_EQ(r.left, 116);
  auto got = Recorder::Get().Take();
  ASSERT_GE(got.size(), 3u);
  EXPECT_EQ(got[1].message, static_cast<UINT>(WM_GETMINMAXINFO));
  EXPECT_EQ(got[2].message, static_cast<UINT>(WM_ENTERSIZEMOVE));
  EXPECT_EQ(got.back().message, static_cast<UINT>(WM_EXITSIZEMOVE));
}

TEST_F(SizeMove, AMaximizedWindowStaysWhereItIs) {
  ShowWindow(m_window, SW_MAXIMIZE);
  Pump();
  const RECT before = Rect();
  Recorder::Get().Clear();
  Key(VK_RIGHT);
  Key(VK_RETURN);
  SendMessageA(m_window, WM_SYSCOMMAND, SC_MOVE, 0);
  Pump();
  const RECT after = Rect();
  EXPECT_TRUE(EqualRect(&before, &after));
  for (const Recorded& r : Recorder::Get().Take()) EXPECT_NE(r.message, static_cast<UINT>(WM_ENTERSIZEMOVE));
}

TEST_F(SizeMove, MessagesForOtherWindowsAreDispatchedDuringTheLoop) {
  // A thread message and a message for another window, queued before the loop, are delivered in it.
  HWND other = CreateWindowExA(0, RecordingClass(), "Other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                               nullptr);
  PostMessageA(other, WM_USER + 1, 0, 0);
  Key(VK_RETURN);
  SendMessageA(m_window, WM_SYSCOMMAND, SC_MOVE, 0);
  bool delivered = false;
  for (const Recorded& r : Recorder::Get().Take()) delivered = delivered || (r.window == other && r.message == WM_USER + 1);
  EXPECT_TRUE(delivered);
  DestroyWindow(other);
}

}  // namespace
