// The tooltip: a relay tool's tip shows after the initial delay (on the window manager's timers),
// with its text asked of the tool's window, goes at a click or after the pop-up delay; a tracking
// tool shows where it is told, in the colours, margins and width it is given.
#include "ControlTest.h"

#include <base/Time.h>
#include <kernel/Kernel.h>

#include <cstring>

using namespace testing_controls;

namespace {

// The tool window answers TTN_GETDISPINFO with "Asked" and counts TTN_SHOW and TTN_POP.
struct Notes {
  int asked = 0, shown = 0, popped = 0;
};
Notes g_notes;

LRESULT ToolOwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->code == TTN_GETDISPINFOA) {
      ++g_notes.asked;
      std::strcpy(reinterpret_cast<NMTTDISPINFOA*>(lParam)->szText, "Asked");
    } else if (header->code == TTN_SHOW) {
      ++g_notes.shown;
    } else if (header->code == TTN_POP) {
      ++g_notes.popped;
    }
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

class ToolTips : public ControlTest {
protected:
  void SetUp() override {
    ControlTest::SetUp();
    g_notes = {};
    WNDCLASSA wc{};
    wc.lpfnWndProc = ToolOwnerProc;
    wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    wc.lpszClassName = "ToolOwner";
    RegisterClassA(&wc);
    m_owner = CreateWindowExA(0, "ToolOwner", "", WS_CHILD | WS_VISIBLE, 10, 10, 200, 100, m_parent, nullptr, nullptr,
                              nullptr);
    m_tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP, 0, 0, 0, 0, m_parent, nullptr,
                            nullptr, nullptr);
    ASSERT_TRUE(m_tip);
  }
  void TearDown() override {
    DestroyWindow(m_tip);
    ControlTest::TearDown();
  }
  TOOLINFOA Info(UINT flags, UINT_PTR id, LPSTR text, RECT rect = {0, 0, 100, 100}) {
    TOOLINFOA info{};
    info.cbSize = sizeof info;
    info.uFlags = flags;
    info.hwnd = m_owner;
    info.uId = id;
    info.rect = rect;
    info.lpszText = text;
    return info;
  }
  void Relay(UINT message, POINT point) {
    MSG msg{m_owner, message, 0, MAKELPARAM(point.x, point.y), GetTickCount(), {}};
    SendMessageA(m_tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
  }
  // Serves the queue until the tip's visibility is `visible` (true when it came to be).
  bool WaitVisible(bool visible) {
    for (int round = 0; round < 500; ++round) {
      testing_user::Pump();
      if (static_cast<bool>(IsWindowVisible(m_tip)) == visible) return true;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return false;
  }
  HWND m_owner = nullptr;
  HWND m_tip = nullptr;
};

TEST_F(ToolTips, ARelayToolShowsAfterTheInitialDelayAndGoesAtAClick) {
  TOOLINFOA info = Info(0, 1, LPSTR_TEXTCALLBACKA);
  ASSERT_TRUE(SendMessageA(m_tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)));
  EXPECT_EQ(SendMessageA(m_tip, TTM_GETTOOLCOUNT, 0, 0), 1);
  SendMessageA(m_tip, TTM_SETDELAYTIME, TTDT_INITIAL, 150);
  EXPECT_EQ(SendMessageA(m_tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 150);
  const DWORD start = GetTickCount();
  Relay(WM_MOUSEMOVE, {20, 20});
  EXPECT_FALSE(IsWindowVisible(m_tip)) << "not before its timer";
  ASSERT_TRUE(WaitVisible(true));
  EXPECT_GE(GetTickCount() - start, 150u) << "the initial delay passed first";
  EXPECT_EQ(g_notes.asked, 1);
  EXPECT_EQ(g_notes.shown, 1);
  Relay(WM_MOUSEMOVE, {30, 30});
  EXPECT_TRUE(IsWindowVisible(m_tip)) << "moving within the tool keeps it";
  Relay(WM_LBUTTONDOWN, {30, 30});
  EXPECT_FALSE(IsWindowVisible(m_tip));
  EXPECT_EQ(g_notes.popped, 1);
  // Off the tool and back on: it comes again.
  Relay(WM_MOUSEMOVE, {150, 50});
  Relay(WM_MOUSEMOVE, {20, 20});
  EXPECT_TRUE(WaitVisible(true));
  // The pop-up delay takes it down by itself.
  SendMessageA(m_tip, TTM_POP, 0, 0);
  SendMessageA(m_tip, TTM_SETDELAYTIME, TTDT_AUTOPOP, 50);
  Relay(WM_MOUSEMOVE, {150, 50});
  Relay(WM_MOUSEMOVE, {20, 20});
  ASSERT_TRUE(WaitVisible(true));
  EXPECT_TRUE(WaitVisible(false)) << "after the pop-up delay";
  // Deactivated, it shows nothing.
  SendMessageA(m_tip, TTM_ACTIVATE, FALSE, 0);
  Relay(WM_MOUSEMOVE, {150, 50});
  Relay(WM_MOUSEMOVE, {20, 20});
  testing_user::Pump();
  EXPECT_FALSE(IsWindowVisible(m_tip));
}

TEST_F(ToolTips, ToolsAreFoundByRectangleAndTheirTextCanChange) {
  char first[] = "First", second[] = "Second", changed[] = "Changed";
  TOOLINFOA one = Info(0, 1, first, {0, 0, 50, 50});
  TOOLINFOA two = Info(0, 2, second, {50, 0, 100, 50});
  SendMessageA(m_tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&one));
  SendMessageA(m_tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&two));
  SendMessageA(m_tip, TTM_SETDELAYTIME, TTDT_AUTOMATIC, 10);
  char text[80] = {};
  TOOLINFOA query = Info(0, 2, text);
  EXPECT_EQ(SendMessageA(m_tip, TTM_GETTEXTA, 0, reinterpret_cast<LPARAM>(&query)), 6);
  EXPECT_STREQ(text, "Second");
  TOOLINFOA update = Info(0, 2, changed);
  SendMessageA(m_tip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&update));
  SendMessageA(m_tip, TTM_GETTEXTA, 0, reinterpret_cast<LPARAM>(&query));
  EXPECT_STREQ(text, "Changed");
  Relay(WM_MOUSEMOVE, {60, 10});
  ASSERT_TRUE(WaitVisible(true));
  RECT wide;
  GetWindowRect(m_tip, &wide);
  Relay(WM_MOUSEMOVE, {10, 10});  // onto the first tool: the tip goes, then comes after the reshow delay
  EXPECT_FALSE(IsWindowVisible(m_tip));
  ASSERT_TRUE(WaitVisible(true));
  RECT narrow;
  GetWindowRect(m_tip, &narrow);
  EXPECT_LT(narrow.right - narrow.left, wide.right - wide.left) << "\"First\" is shorter than \"Changed\"";
  SendMessageA(m_tip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&one));
  EXPECT_FALSE(IsWindowVisible(m_tip));
  EXPECT_EQ(SendMessageA(m_tip, TTM_GETTOOLCOUNT, 0, 0), 1);
}

TEST_F(ToolTips, ATrackingToolShowsWhereItIsToldInItsColoursMarginsAndWidth) {
  char text[] = "A tracking tip that is long enough to wrap at its width";
  TOOLINFOA info = Info(TTF_TRACK | TTF_ABSOLUTE, 7, text);
  SendMessageA(m_tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
  SendMessageA(m_tip, TTM_SETTIPBKCOLOR, RGB(255, 255, 0), 0);
  SendMessageA(m_tip, TTM_SETTIPTEXTCOLOR, RGB(0, 0, 128), 0);
  RECT margin{6, 4, 6, 4};
  SendMessageA(m_tip, TTM_SETMARGIN, 0, reinterpret_cast<LPARAM>(&margin));
  SendMessageA(m_tip, TTM_TRACKPOSITION, 0, MAKELPARAM(120, 90));
  SendMessageA(m_tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&info));
  EXPECT_TRUE(IsWindowVisible(m_tip)) << "at once, no delay";
  RECT rect;
  GetWindowRect(m_tip, &rect);
  EXPECT_EQ(rect.left, 120);
  EXPECT_EQ(rect.top, 90);
  const int oneLine = rect.bottom - rect.top;
  HBITMAP shot = tolvar::user::RenderWindow(m_tip);
  ASSERT_TRUE(shot);
  testing_user::SavePng(shot, "controls_tooltip");
  EXPECT_EQ(testing_user::PixelAt(shot, 0, 0), GetSysColor(COLOR_WINDOWFRAME));
  EXPECT_EQ(testing_user::PixelAt(shot, 3, 3), RGB(255, 255, 0));
  DeleteObject(shot);
  // A maximum width wraps the text into more lines.
  SendMessageA(m_tip, TTM_SETMAXTIPWIDTH, 0, 120);
  SendMessageA(m_tip, TTM_TRACKPOSITION, 0, MAKELPARAM(130, 95));
  GetWindowRect(m_tip, &rect);
  EXPECT_EQ(rect.left, 130);
  EXPECT_LE(rect.right - rect.left, 120 + 2 + 4 + 12);
  EXPECT_GT(rect.bottom - rect.top, oneLine);
  // Relayed pointer moves do not touch a tracking tool.
  Relay(WM_MOUSEMOVE, {10, 10});
  EXPECT_TRUE(IsWindowVisible(m_tip));
  SendMessageA(m_tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&info));
  EXPECT_FALSE(IsWindowVisible(m_tip));
}

}  // namespace
