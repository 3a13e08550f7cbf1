// Injected mouse and keyboard input reaches the windows a real device's would.
#include <user_testing/Recorder.h>

#include <kernel/TestClock.h>

#include <gtest/gtest.h>

#include <thread>

using namespace testing_user;
using tolvar::user::InjectKey;
using tolvar::user::InjectMouse;
using tolvar::user::InjectText;

namespace {

LRESULT TransparentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCHITTEST) return HTTRANSPARENT;
  return DefWindowProcA(window, message, wParam, lParam);
}

// A button's way with the mouse: the capture from the press to the release.
LRESULT PressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_LBUTTONDOWN) SetCapture(window);
  if (message == WM_LBUTTONUP) ReleaseCapture();
  return DefWindowProcA(window, message, wParam, lParam);
}

class Input : public ::testing::Test {
protected:
  void SetUp() override {
    m_top = CreateWindowExA(0, RecordingClass(), "Top", WS_POPUP | WS_VISIBLE, 100, 100, 200, 150, nullptr, nullptr,
                            nullptr, nullptr);
    m_child = CreateWindowExA(WS_EX_NOPARENTNOTIFY, RecordingClass(), "Child", WS_CHILD | WS_VISIBLE, 10, 10, 50, 40,
                              m_top, nullptr, nullptr, nullptr);
    Pump();
    Recorder::Get().SetParent(m_top);
    Recorder::Get().Clear();
  }
  void TearDown() override {
    InjectMouse({0, 0}, WM_MOUSEMOVE);
    DestroyWindow(m_top);
    Pump();
    Recorder::Get().SetParent(nullptr);
    Recorder::Get().Clear();
  }
  std::vector<Recorded> Mouse(POINT screen, UINT message) {
    InjectMouse(screen, message);
    Pump();
    auto got = Recorder::Get().Take();
    return got;
  }
  HWND m_top = nullptr;
  HWND m_child = nullptr;
};

TEST_F(Input, AClickGoesToTheChildUnderThePointInItsClientCoordinates) {
  auto got = Mouse({115, 120}, WM_LBUTTONDOWN);
  ExpectSequence(got, {{WM_LBUTTONDOWN, kWParam | kLParam, MK_LBUTTON, MAKELPARAM(5, 10)}}, "down");
  ExpectSequence(Mouse({115, 120}, WM_LBUTTONUP), {{WM_LBUTTONUP, kLParam, 0, MAKELPARAM(5, 10)}}, "up");
  // A second click at once on a class with CS_DBLCLKS is a double click; a third is a click again.
  ExpectSequence(Mouse({115, 120}, WM_LBUTTONDOWN), {{WM_LBUTTONDBLCLK, kWParam, MK_LBUTTON}}, "double");
  Mouse({115, 120}, WM_LBUTTONUP);
  ExpectSequence(Mouse({115, 120}, WM_LBUTTONDOWN), {{WM_LBUTTONDOWN}}, "third");
  Mouse({115, 120}, WM_LBUTTONUP);
}

TEST_F(Input, ADisabledChildPassesTheClickToItsParentAndADisabledWindowTakesNone) {
  EnableWindow(m_child, FALSE);
  Recorder::Get().Take();
  ExpectSequence(Mouse({115, 120}, WM_LBUTTONDOWN), {{WM_LBUTTONDOWN, kParent | kLParam, 0, MAKELPARAM(15, 20)}},
                 "disabled child");
  Mouse({115, 120}, WM_LBUTTONUP);
  EnableWindow(m_top, FALSE);
  Recorder::Get().Take();
  EXPECT_FALSE(InjectMouse({115, 120}, WM_LBUTTONDOWN));
  InjectMouse({115, 120}, WM_LBUTTONUP);
  Pump();
  ExpectSequence(Recorder::Get().Take(), {}, "disabled window");
}

TEST_F(Input, CaptureTakesTheMouseWhereverItIsAndLosingItIsAnnounced) {
  SetCapture(m_child);
  ExpectSequence(Mouse({400, 300}, WM_MOUSEMOVE), {{WM_MOUSEMOVE, kLParam, 0, MAKELPARAM(400 - 110, 300 - 110)}},
                 "captured move");
  ReleaseCapture();
  ExpectSequence(Recorder::Get().Take(), {{WM_CAPTURECHANGED}}, "release");
  EXPECT_EQ(GetCapture(), nullptr);
  ExpectSequence(Mouse({400, 300}, WM_MOUSEMOVE), {}, "outside, free");
}

// The thread has handled a press on a button (which took the capture) but not yet its release when
// a person clicks into another window: that click was aimed at the capture when it came, and goes
// where it was made once the release gave the capture up, before whatever came after it.
TEST_F(Input, AClickMadeBeforeAPressReleasedTheCaptureGoesWhereItWasMade) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = PressProc;
  wc.lpszClassName = "Presser";
  RegisterClassA(&wc);
  HWND button = CreateWindowExA(WS_EX_NOPARENTNOTIFY, "Presser", "", WS_CHILD | WS_VISIBLE, 100, 10, 60, 40, m_top,
                                nullptr, nullptr, nullptr);
  Mouse({210, 120}, WM_LBUTTONDOWN);
  ASSERT_EQ(GetCapture(), button);
  InjectMouse({210, 120}, WM_LBUTTONUP);
  InjectMouse({115, 120}, WM_LBUTTONDOWN);
  InjectMouse({115, 120}, WM_LBUTTONUP);
  InjectMouse({116, 121}, WM_MOUSEMOVE);
  ExpectSequence(Mouse({180, 200}, WM_MOUSEMOVE),
                 {{WM_LBUTTONDOWN, kLParam, 0, MAKELPARAM(5, 10)},
                  {WM_LBUTTONUP, kLParam, 0, MAKELPARAM(5, 10)},
                  {WM_MOUSEMOVE, kLParam, 0, MAKELPARAM(6, 11)},
                  {WM_MOUSEMOVE, kParent | kLParam, 0, MAKELPARAM(80, 100)}},
                 "the click after the release");
  EXPECT_EQ(GetCapture(), nullptr);
  DestroyWindow(button);
}

TEST_F(Input, AWindowAnsweringTransparentLetsThePointThroughAndTheFrameGetsNonClientMessages) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = TransparentProc;
  wc.lpszClassName = "SeeThrough";
  RegisterClassA(&wc);
  HWND glass = CreateWindowExA(WS_EX_NOPARENTNOTIFY, "SeeThrough", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, m_top,
                               nullptr, nullptr, nullptr);
  SetWindowPos(glass, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  Pump();
  Recorder::Get().Take();
  EXPECT_EQ(WindowFromPoint({115, 120}), m_child);
  ExpectSequence(Mouse({115, 120}, WM_MOUSEMOVE), {{WM_MOUSEMOVE}}, "through the glass");
  DestroyWindow(glass);

  HWND framed = CreateWindowExA(0, RecordingClass(), "Framed", WS_POPUP | WS_CAPTION | WS_VISIBLE, 400, 100, 100, 80,
                                nullptr, nullptr, nullptr, nullptr);
  Pump();
  Recorder::Get().Take();
  ExpectSequence(Mouse({420, 108}, WM_MOUSEMOVE), {{WM_NCMOUSEMOVE, kWParam, HTCAPTION}}, "caption");
  DestroyWindow(framed);
}

TEST_F(Input, ClickingAnInactiveWindowActivatesItFirst) {
  HWND other = CreateWindowExA(0, RecordingClass(), "Other", WS_POPUP | WS_VISIBLE, 400, 100, 100, 80, nullptr,
                               nullptr, nullptr, nullptr);
  Pump();
  EXPECT_EQ(GetActiveWindow(), other);
  Recorder::Get().Take();
  auto got = Mouse({115, 120}, WM_LBUTTONDOWN);
  ExpectSequence(got,
                 {{WM_MOUSEACTIVATE},
                  {WM_MOUSEACTIVATE, kParent},
                  {WM_NCACTIVATE, kWParam, 0},
                  {WM_ACTIVATE, kWParam, WA_INACTIVE},
                  {WM_WINDOWPOSCHANGING, kParent | kOptional},
                  {WM_WINDOWPOSCHANGED, kParent | kOptional},
                  {WM_NCACTIVATE, kParent | kWParam, 1},
                  {WM_ACTIVATE, kParent | kWParam, WA_ACTIVE},
                  {WM_KILLFOCUS, kOptional},
                  {WM_SETFOCUS, kParent},
                  {WM_LBUTTONDOWN}},
                 "activating click");
  EXPECT_EQ(GetActiveWindow(), m_top);
  EXPECT_EQ(GetForegroundWindow(), m_top);
  Mouse({115, 120}, WM_LBUTTONUP);
  DestroyWindow(other);
}

TEST_F(Input, LeavingATrackedWindowIsAnnouncedOnce) {
  Mouse({115, 120}, WM_MOUSEMOVE);
  TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, m_child, 0};
  EXPECT_TRUE(TrackMouseEvent(&track));
  ExpectSequence(Mouse({116, 120}, WM_MOUSEMOVE), {{WM_MOUSEMOVE}}, "inside");
  ExpectSequence(Mouse({180, 200}, WM_MOUSEMOVE), {{WM_MOUSELEAVE}, {WM_MOUSEMOVE, kParent}}, "left");
  ExpectSequence(Mouse({115, 120}, WM_MOUSEMOVE), {{WM_MOUSEMOVE}}, "back, untracked");
}

TEST_F(Input, KeysGoToTheFocusAndKeyStatesFollowThem) {
  SetFocus(m_child);
  Recorder::Get().Take();
  InjectKey(VK_CONTROL, true);
  EXPECT_TRUE(GetAsyncKeyState(VK_CONTROL) & 0x8000);
  InjectKey('C', true);
  InjectKey('C', false);
  InjectKey(VK_CONTROL, false);
  MSG message;
  std::vector<std::pair<UINT, bool>> seen;  // message, Ctrl down while it is handled
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    if (message.message == WM_KEYDOWN || message.message == WM_CHAR) {
      seen.emplace_back(message.message, (GetKeyState(VK_CONTROL) & 0x8000) != 0);
    }
    DispatchMessageA(&message);
  }
  auto got = Recorder::Get().Take();
  ExpectSequence(got,
                 {{WM_KEYDOWN, kWParam, VK_CONTROL},
                  {WM_KEYDOWN, kWParam, 'C'},
                  {WM_CHAR, kWParam, 3},
                  {WM_KEYUP, kWParam, 'C'},
                  {WM_KEYUP, kWParam, VK_CONTROL}},
                 "keys");
  ASSERT_GE(seen.size(), 3u);
  EXPECT_TRUE(seen[1].second);
  EXPECT_FALSE(GetAsyncKeyState(VK_CONTROL) & 0x8000);
  // Without a focus the active window gets system keys.
  SetFocus(nullptr);
  Recorder::Get().Take();
  InjectKey('X', true);
  InjectKey('X', false);
  Pump();
  ExpectSequence(Recorder::Get().Take(),
                 {{WM_SYSKEYDOWN, kParent | kWParam, 'X'}, {WM_SYSCHAR, kParent | kWParam, 'x'}, {WM_SYSKEYUP, kParent}},
                 "no focus");
}

TEST_F(Input, TextArrivesAsOneCharacterMessagePerCodePointAndBadBytesShowAsReplacements) {
  SetFocus(m_child);
  Recorder::Get().Take();
  // "a", e-acute, a CJK character, a character beyond 16 bits, a stray continuation byte, and a
  // sequence cut short by the end of the text.
  ASSERT_TRUE(InjectText("a\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80\x80z\xE6\x97"));
  Pump();
  ExpectSequence(Recorder::Get().Take(),
                 {{WM_CHAR, kWParam, 'a'},
                  {WM_CHAR, kWParam, 0xE9},
                  {WM_CHAR, kWParam, 0x65E5},
                  {WM_CHAR, kWParam, 0x1F600},
                  {WM_CHAR, kWParam, 0xFFFD},
                  {WM_CHAR, kWParam, 'z'},
                  {WM_CHAR, kWParam, 0xFFFD},
                  {WM_CHAR, kWParam, 0xFFFD}},
                 "text");
}

TEST_F(Input, HoverIsAnnouncedWhenTheTestClockReachesTheHoverTime) {
  tolvar::kernel::TestClock clock;
  Mouse({115, 120}, WM_MOUSEMOVE);
  TRACKMOUSEEVENT track{sizeof track, TME_HOVER, m_child, HOVER_DEFAULT};
  ASSERT_TRUE(TrackMouseEvent(&track));
  Recorder::Get().Clear();
  clock.Advance(399);
  Pump();
  ExpectSequence(Recorder::Get().Take(), {}, "not yet");
  clock.Advance(1);
  Pump();
  ExpectSequence(Recorder::Get().Take(), {{WM_MOUSEHOVER, kLParam, 0, MAKELPARAM(5, 10)}}, "hover");
  clock.Advance(5000);
  Pump();
  ExpectSequence(Recorder::Get().Take(), {}, "once");
}

}  // namespace
