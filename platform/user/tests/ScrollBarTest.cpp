// Scroll bars: the state a program sets and reads, what a press on an arrow, on the track and on the
// thumb tells the window (or, for the control, its parent), and how the bars look.
#include <user_testing/Recorder.h>

#include <base/LastError.h>
#include <base/WinError.h>
#include <gtest/gtest.h>

#include <functional>

using namespace testing_user;

namespace {

// Called for each WM_VSCROLL / WM_HSCROLL the scrolled window (or the control's parent) gets.
std::function<void(HWND, UINT, WPARAM, LPARAM)> g_onScroll;

bool Quiet(UINT message) {
  switch (message) {
    case WM_GETICON: case WM_NCHITTEST: case WM_SETCURSOR: case WM_GETTEXT: case WM_GETTEXTLENGTH:
    case WM_NCPAINT: case WM_ERASEBKGND: case WM_PAINT: case WM_CTLCOLORSCROLLBAR: case WM_TIMER:
      return true;
    default:
      return false;
  }
}

// Records what it gets and scrolls as a program does: the codes move the position it keeps.
LRESULT ScrolledProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!Quiet(message)) Recorder::Get().Add(window, message, wParam, lParam);
  if ((message == WM_VSCROLL || message == WM_HSCROLL) && g_onScroll) g_onScroll(window, message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

LPCSTR ScrolledClass() {
  static ATOM atom = [] {
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = ScrolledProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<ULONG_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = "Scrolled";
    return RegisterClassA(&wc);
  }();
  (void)atom;
  return "Scrolled";
}

// What a list does with the codes: lines of 1, pages of the page size, the thumb where it is let go.
void ApplyLikeAProgram(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND target = lParam ? reinterpret_cast<HWND>(lParam) : window;
  const int bar = lParam ? SB_CTL : message == WM_VSCROLL ? SB_VERT : SB_HORZ;
  SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(target, bar, &si);
  int pos = si.nPos;
  switch (LOWORD(wParam)) {
    case SB_LINEUP: --pos; break;
    case SB_LINEDOWN: ++pos; break;
    case SB_PAGEUP: pos -= static_cast<int>(si.nPage); break;
    case SB_PAGEDOWN: pos += static_cast<int>(si.nPage); break;
    case SB_THUMBPOSITION: pos = HIWORD(wParam); break;
    default: return;
  }
  SetScrollPos(target, bar, pos, TRUE);
}

class ScrollBars : public ::testing::Test {
protected:
  void SetUp() override {
    m_window = CreateWindowExA(0, ScrolledClass(), "Scrolled", WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL, 100,
                               100, 300, 220, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(m_window);
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE, 0, 100, 10, 0, 0};
    SetScrollInfo(m_window, SB_VERT, &si, FALSE);
    SetScrollInfo(m_window, SB_HORZ, &si, FALSE);
    ShowWindow(m_window, SW_SHOW);
    SetForegroundWindow(m_window);
    Pump();
    g_onScroll = ApplyLikeAProgram;
    Recorder::Get().SetParent(nullptr);
    Recorder::Get().Clear();
  }
  void TearDown() override {
    g_onScroll = nullptr;
    if (IsWindow(m_window)) DestroyWindow(m_window);
    Recorder::Get().Clear();
  }
  // The vertical bar on the screen: x in its middle, its top and bottom.
  struct Bar {
    int x, top, bottom;
  };
  Bar VerticalBar() const {
    RECT client;
    GetClientRect(m_window, &client);
    POINT origin{0, 0};
    ClientToScreen(m_window, &origin);
    return {origin.x + client.right + GetSystemMetrics(SM_CXVSCROLL) / 2, origin.y, origin.y + client.bottom};
  }
  // The thumb's middle, read from the picture: the track is a checkerboard, the thumb a run of the
  // plain face colour.
  int ThumbMiddle() const {
    HBITMAP picture = tolvar::user::RenderWindow(m_window);
    RECT frame;
    GetWindowRect(m_window, &frame);
    const Bar bar = VerticalBar();
    int first = -1, last = -1;
    for (int y = bar.top + 16; y < bar.bottom - 16; ++y) {
      const bool face = PixelAt(picture, bar.x - frame.left, y - frame.top) == GetSysColor(COLOR_3DFACE);
      if (face && first < 0) first = last = y;
      else if (face && last == y - 1) last = y;
      else if (first >= 0 && last - first >= 3) break;
      else first = last = -1;
    }
    DeleteObject(picture);
    return first < 0 ? -1 : (first + last) / 2;
  }
  static void Click(POINT at) {
    tolvar::user::InjectMouse(at, WM_LBUTTONDOWN);
    tolvar::user::InjectMouse(at, WM_LBUTTONUP);
  }
  HWND m_window = nullptr;
};

constexpr WPARAM kVScroll = SC_VSCROLL + HTVSCROLL;

TEST_F(ScrollBars, AnArrowClickSendsOneLineAndEndScrollToTheWindow) {
  const Bar bar = VerticalBar();
  Click({bar.x, bar.bottom - 4});
  Pump();
  ExpectSequence(Recorder::Get().Take(),
                 {{WM_NCLBUTTONDOWN, kWParam, HTVSCROLL},
                  {WM_SYSCOMMAND, kWParam, kVScroll},
                  {WM_VSCROLL, kWParam | kLParam, MAKEWPARAM(SB_LINEDOWN, 0), 0},
                  {WM_VSCROLL, kWParam | kLParam, MAKEWPARAM(SB_ENDSCROLL, 0), 0},
                  {WM_CAPTURECHANGED}},
                 "down arrow");
  EXPECT_EQ(GetScrollPos(m_window, SB_VERT), 1);
  EXPECT_EQ(GetCapture(), nullptr);

  // The horizontal bar's arrows, right then left, tell WM_HSCROLL.
  RECT client;
  GetClientRect(m_window, &client);
  POINT origin{0, 0};
  ClientToScreen(m_window, &origin);
  const int y = origin.y + client.bottom + GetSystemMetrics(SM_CYHSCROLL) / 2;
  Click({origin.x + client.right - 4, y});
  Click({origin.x + 4, y});
  Pump();
  std::vector<std::pair<UINT, WORD>> codes;
  for (const Recorded& r : Recorder::Get().Take()) {
    if (r.message == WM_HSCROLL || r.message == WM_VSCROLL) codes.emplace_back(r.message, LOWORD(r.wParam));
  }
  const std::vector<std::pair<UINT, WORD>> expected{
      {WM_HSCROLL, SB_LINERIGHT}, {WM_HSCROLL, SB_ENDSCROLL}, {WM_HSCROLL, SB_LINELEFT}, {WM_HSCROLL, SB_ENDSCROLL}};
  EXPECT_EQ(codes, expected);
  EXPECT_EQ(GetScrollPos(m_window, SB_HORZ), 0);
}

TEST_F(ScrollBars, APageClickBelowTheThumbPagesDownOnce) {
  const Bar bar = VerticalBar();
  Click({bar.x, bar.bottom - 30});
  Pump();
  ExpectSequence(Recorder::Get().Take(),
                 {{WM_NCLBUTTONDOWN, kWParam, HTVSCROLL},
                  {WM_SYSCOMMAND, kWParam, kVScroll},
                  {WM_VSCROLL, kWParam, MAKEWPARAM(SB_PAGEDOWN, 0)},
                  {WM_VSCROLL, kWParam, MAKEWPARAM(SB_ENDSCROLL, 0)},
                  {WM_CAPTURECHANGED}},
                 "page down");
  EXPECT_EQ(GetScrollPos(m_window, SB_VERT), 10);
}

TEST_F(ScrollBars, AHeldArrowRepeatsOnTheTimerUntilReleased) {
  const Bar bar = VerticalBar();
  const POINT arrow{bar.x, bar.top + 4};
  SetScrollPos(m_window, SB_VERT, 50, FALSE);
  int lines = 0;
  g_onScroll = [&](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ApplyLikeAProgram(window, message, wParam, lParam);
    if (LOWORD(wParam) == SB_LINEUP && ++lines == 3) tolvar::user::InjectMouse(arrow, WM_LBUTTONUP);
  };
  tolvar::user::InjectMouse(arrow, WM_LBUTTONDOWN);
  Pump();
  EXPECT_EQ(lines, 3);
  EXPECT_EQ(GetScrollPos(m_window, SB_VERT), 47);
  auto got = Recorder::Get().Take();
  ASSERT_FALSE(got.empty());
  EXPECT_EQ(got.back().message, static_cast<UINT>(WM_CAPTURECHANGED));
  EXPECT_EQ(got[got.size() - 2].wParam, MAKEWPARAM(SB_ENDSCROLL, 0));
}

TEST_F(ScrollBars, AThumbDragTracksThePositionsAndEndsWhereItWasLetGo) {
  const Bar bar = VerticalBar();
  const int middle = ThumbMiddle();
  ASSERT_GT(middle, 0);
  const POINT grip{bar.x, middle};
  tolvar::user::InjectMouse(grip, WM_LBUTTONDOWN);
  // The loop takes the capture when it starts; taken ahead here, the moves queued now reach the
  // window wherever they go, as they would once the loop runs.
  SetCapture(m_window);
  // Far past the end: the thumb stops at the last position the page leaves (100 - 10 + 1).
  tolvar::user::InjectMouse({bar.x, bar.bottom + 200}, WM_MOUSEMOVE);
  // Back to where it was taken: the first position again.
  tolvar::user::InjectMouse({bar.x, middle}, WM_MOUSEMOVE);
  tolvar::user::InjectMouse({bar.x, middle + 40}, WM_MOUSEMOVE);
  tolvar::user::InjectMouse({bar.x, middle + 40}, WM_LBUTTONUP);
  std::vector<int> tracked;
  g_onScroll = [&](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == SB_THUMBTRACK) {
      SCROLLINFO si{sizeof si, SIF_TRACKPOS | SIF_POS, 0, 0, 0, 0, 0};
      GetScrollInfo(window, SB_VERT, &si);
      EXPECT_EQ(si.nTrackPos, HIWORD(wParam)) << "the track position is readable while dragging";
      EXPECT_EQ(si.nPos, 0) << "dragging alone does not scroll";
      tracked.push_back(HIWORD(wParam));
    }
    ApplyLikeAProgram(window, message, wParam, lParam);
  };
  Pump();
  ASSERT_EQ(tracked.size(), 3u);
  const int letGo = tracked[2];
  EXPECT_GT(letGo, 10);
  EXPECT_LT(letGo, 91);
  ExpectSequence(Recorder::Get().Take(),
                 {{WM_NCLBUTTONDOWN, kWParam, HTVSCROLL},
                  {WM_SYSCOMMAND, kWParam, kVScroll},
                  {WM_VSCROLL, kWParam, MAKEWPARAM(SB_THUMBTRACK, 91)},
                  {WM_VSCROLL, kWParam, MAKEWPARAM(SB_THUMBTRACK, 0)},
                  {WM_VSCROLL, kWParam, MAKEWPARAM(SB_THUMBTRACK, static_cast<WORD>(letGo))},
                  {WM_VSCROLL, kWParam, MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(letGo))},
                  {WM_VSCROLL, kWParam, MAKEWPARAM(SB_ENDSCROLL, 0)},
                  {WM_CAPTURECHANGED}},
                 "thumb drag");
  EXPECT_EQ(GetScrollPos(m_window, SB_VERT), letGo);
  // The thumb now shows the new position: it moved down by the 40 pixels it was dragged.
  EXPECT_NEAR(ThumbMiddle(), middle + 40, 2);
}

TEST_F(ScrollBars, TheControlTellsItsParentWithItsHandle) {
  Recorder::Get().SetParent(m_window);
  HWND control = CreateWindowExA(0, "ScrollBar", "", WS_CHILD | WS_VISIBLE | SBS_VERT, 10, 10, 16, 120, m_window,
                                 reinterpret_cast<HMENU>(7), nullptr, nullptr);
  ASSERT_TRUE(control);
  int low = -1, high = -1;
  GetScrollRange(control, SB_CTL, &low, &high);
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 0);
  SetScrollRange(control, SB_CTL, 0, 50, TRUE);
  EXPECT_EQ(SendMessageA(control, SBM_SETPOS, 20, TRUE), 0);
  Pump();
  Recorder::Get().Clear();
  POINT arrow{5, 120 - 4};
  ClientToScreen(control, &arrow);
  Click(arrow);
  POINT track{5, 110 - 20};
  ClientToScreen(control, &track);
  Click(track);
  Pump();
  const LPARAM handle = reinterpret_cast<LPARAM>(control);
  ExpectSequence(Recorder::Get().Take(),
                 {{WM_PARENTNOTIFY, kParent | kOptional},
                  {WM_VSCROLL, kParent | kWParam | kLParam, MAKEWPARAM(SB_LINEDOWN, 0), handle},
                  {WM_VSCROLL, kParent | kWParam | kLParam, MAKEWPARAM(SB_ENDSCROLL, 0), handle},
                  {WM_PARENTNOTIFY, kParent | kOptional},
                  {WM_VSCROLL, kParent | kWParam | kLParam, MAKEWPARAM(SB_PAGEDOWN, 0), handle},
                  {WM_VSCROLL, kParent | kWParam | kLParam, MAKEWPARAM(SB_ENDSCROLL, 0), handle}},
                 "control");
  EXPECT_EQ(SendMessageA(control, SBM_GETPOS, 0, 0), 21);  // the page is 0: the program moved by nothing
  // With the focus, the keys scroll as the mouse does.
  SendMessageA(control, WM_KEYDOWN, VK_END, 0);
  SendMessageA(control, WM_KEYDOWN, VK_UP, 0);
  ExpectSequence(Recorder::Get().Take(),
                 {{WM_VSCROLL, kParent | kWParam | kLParam, MAKEWPARAM(SB_BOTTOM, 0), handle},
                  {WM_VSCROLL, kParent | kWParam | kLParam, MAKEWPARAM(SB_ENDSCROLL, 0), handle},
                  {WM_VSCROLL, kParent | kWParam | kLParam, MAKEWPARAM(SB_LINEUP, 0), handle},
                  {WM_VSCROLL, kParent | kWParam | kLParam, MAKEWPARAM(SB_ENDSCROLL, 0), handle}},
                 "control keys");
  Recorder::Get().SetParent(nullptr);
}

TEST_F(ScrollBars, PositionAndPageStayWithinTheRange) {
  struct Case {
    const char* what;
    SCROLLINFO set;
    int pos;
    UINT page;
  };
  const Case cases[] = {
      {"position past the end", {sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, 500, 0}, 91, 10},
      {"position before the start", {sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, -5, 0}, 0, 10},
      {"page larger than the range", {sizeof(SCROLLINFO), SIF_PAGE | SIF_POS, 0, 0, 500, 40, 0}, 0, 101},
      {"page shrinks, position free", {sizeof(SCROLLINFO), SIF_PAGE | SIF_POS, 0, 0, 20, 95, 0}, 81, 20},
      {"upside-down range is empty", {sizeof(SCROLLINFO), SIF_RANGE | SIF_POS, 10, 5, 0, 3, 0}, 0, 1},
  };
  for (const Case& c : cases) {
    HWND window = CreateWindowExA(0, PlainClass(), "", WS_POPUP | WS_VSCROLL, 0, 0, 100, 100, nullptr, nullptr,
                                  nullptr, nullptr);
    SCROLLINFO start{sizeof start, SIF_RANGE | SIF_PAGE, 0, 100, 10, 0, 0};
    SetScrollInfo(window, SB_VERT, &start, FALSE);
    EXPECT_EQ(SetScrollInfo(window, SB_VERT, &c.set, FALSE), c.pos) << c.what;
    SCROLLINFO got{sizeof got, SIF_ALL, 0, 0, 0, 0, 0};
    EXPECT_TRUE(GetScrollInfo(window, SB_VERT, &got)) << c.what;
    EXPECT_EQ(got.nPos, c.pos) << c.what;
    EXPECT_EQ(got.nPage, c.page) << c.what;
    DestroyWindow(window);
  }
  EXPECT_EQ(SetScrollPos(m_window, SB_VERT, 30, FALSE), 0) << "the old position comes back";
  EXPECT_EQ(SetScrollPos(m_window, SB_VERT, 40, FALSE), 30);
  SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
  SetLastError(0);
  EXPECT_FALSE(GetScrollInfo(m_window, 7, &si));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(GetScrollInfo(reinterpret_cast<HWND>(0x7FFF0001), SB_VERT, &si));
}

TEST_F(ScrollBars, NothingToScrollHidesTheBarOrDisablesItWhenAsked) {
  RECT before;
  GetClientRect(m_window, &before);
  SetScrollRange(m_window, SB_VERT, 0, 0, TRUE);
  EXPECT_FALSE(GetWindowLongA(m_window, GWL_STYLE) & WS_VSCROLL);
  RECT hidden;
  GetClientRect(m_window, &hidden);
  EXPECT_EQ(hidden.right, before.right + GetSystemMetrics(SM_CXVSCROLL)) << "the client area takes the bar's room";

  SCROLLINFO scrollable{sizeof scrollable, SIF_RANGE | SIF_PAGE, 0, 100, 10, 0, 0};
  SetScrollInfo(m_window, SB_VERT, &scrollable, TRUE);
  EXPECT_TRUE(GetWindowLongA(m_window, GWL_STYLE) & WS_VSCROLL) << "something to scroll shows it again";

  // With SIF_DISABLENOSCROLL the bar stays, disabled: a click on its arrow does nothing.
  SCROLLINFO whole{sizeof whole, SIF_PAGE | SIF_DISABLENOSCROLL, 0, 0, 200, 0, 0};
  SetScrollInfo(m_window, SB_VERT, &whole, TRUE);
  EXPECT_TRUE(GetWindowLongA(m_window, GWL_STYLE) & WS_VSCROLL);
  Recorder::Get().Clear();
  const Bar bar = VerticalBar();
  Click({bar.x, bar.bottom - 4});
  Pump();
  for (const Recorded& r : Recorder::Get().Take()) EXPECT_NE(r.message, static_cast<UINT>(WM_VSCROLL));

  // EnableScrollBar disables one arrow only.
  SetScrollInfo(m_window, SB_VERT, &scrollable, TRUE);
  EXPECT_TRUE(EnableScrollBar(m_window, SB_VERT, ESB_DISABLE_DOWN));
  EXPECT_FALSE(EnableScrollBar(m_window, SB_VERT, ESB_DISABLE_DOWN)) << "nothing changed";
  Click({bar.x, bar.bottom - 4});
  Click({bar.x, bar.top + 4});
  Pump();
  std::vector<WORD> codes;
  for (const Recorded& r : Recorder::Get().Take()) {
    if (r.message == WM_VSCROLL) codes.push_back(LOWORD(r.wParam));
  }
  EXPECT_EQ(codes, (std::vector<WORD>{SB_LINEUP, SB_ENDSCROLL}));
}

TEST_F(ScrollBars, BothBarsDrawArrowsTrackThumbAndCorner) {
  SetScrollPos(m_window, SB_HORZ, 45, TRUE);
  HBITMAP picture = tolvar::user::RenderWindow(m_window);
  ASSERT_TRUE(picture);
  SavePng(picture, "scroll-bars");
  RECT frame, client;
  GetWindowRect(m_window, &frame);
  GetClientRect(m_window, &client);
  POINT origin{0, 0};
  ClientToScreen(m_window, &origin);
  const int left = origin.x - frame.left, top = origin.y - frame.top;
  const int barX = left + client.right + 8, barY = top + client.bottom + 8;
  // The vertical thumb is at the top (position 0), the track below it; the horizontal thumb near the
  // middle. The thumb is plain face colour, the track a checkerboard of face and highlight.
  const COLORREF face = GetSysColor(COLOR_3DFACE), light = GetSysColor(COLOR_3DHILIGHT);
  auto plain = [&](int x, int y) { return PixelAt(picture, x, y) == face && PixelAt(picture, x + 1, y) == face; };
  auto checkered = [&](int x, int y) {
    const COLORREF a = PixelAt(picture, x, y), b = PixelAt(picture, x + 1, y);
    return a != b && (a == face || a == light) && (b == face || b == light);
  };
  EXPECT_TRUE(plain(barX, top + 16 + 6));
  EXPECT_TRUE(checkered(barX, top + client.bottom - 20));
  EXPECT_TRUE(checkered(left + 20, barY));
  EXPECT_TRUE(plain(left + client.right / 2, barY));
  // The arrows' glyphs are dark on the face colour, and the corner between the bars is plain face.
  bool glyph = false;
  for (int y = top + 3; y < top + 13; ++y) glyph = glyph || PixelAt(picture, barX, y) == GetSysColor(COLOR_BTNTEXT);
  EXPECT_TRUE(glyph);
  EXPECT_EQ(PixelAt(picture, barX, barY), GetSysColor(COLOR_3DFACE));
  DeleteObject(picture);
}

}  // namespace
