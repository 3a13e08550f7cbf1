// The status bar: its place along the bottom of the parent, parts and their texts and kinds, the
// rectangles a program uses to put a child over a part, the simple mode, and its picture with a
// progress bar in a part and the size grip.
#include "ControlTest.h"

using namespace testing_controls;
using testing_user::PixelAt;

namespace {

class StatusBars : public ControlTest {};

TEST_F(StatusBars, PartsTextsAndTheSimpleMode) {
  HWND bar = Make(STATUSCLASSNAMEA, "Ready", SBARS_SIZEGRIP, 0, 0, 0, 0, 90);
  ASSERT_TRUE(bar);
  RECT parent, placed;
  GetClientRect(m_parent, &parent);
  GetWindowRect(bar, &placed);
  MapWindowPoints(nullptr, m_parent, reinterpret_cast<POINT*>(&placed), 2);
  EXPECT_EQ(placed.bottom, parent.bottom) << "along the bottom";
  EXPECT_EQ(placed.left, 0);
  EXPECT_EQ(placed.right, parent.right);
  EXPECT_GT(placed.bottom - placed.top, 10);

  char text[64] = {};
  EXPECT_EQ(SendMessageA(bar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text)), MAKELONG(5, 0)) << "the window text is part 0's";
  EXPECT_STREQ(text, "Ready");

  const int edges[] = {100, 250, -1};
  EXPECT_TRUE(SendMessageA(bar, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges)));
  EXPECT_FALSE(SendMessageA(bar, SB_SETPARTS, 0, reinterpret_cast<LPARAM>(edges)));
  EXPECT_FALSE(SendMessageA(bar, SB_SETPARTS, 300, reinterpret_cast<LPARAM>(edges)));
  int got[4] = {};
  EXPECT_EQ(SendMessageA(bar, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(got)), 3);
  EXPECT_EQ(got[1], 250);
  EXPECT_EQ(got[2], -1);

  EXPECT_TRUE(SendMessageA(bar, SB_SETTEXTA, 1 | SBT_POPOUT, reinterpret_cast<LPARAM>("Connected")));
  EXPECT_FALSE(SendMessageA(bar, SB_SETTEXTA, 5, reinterpret_cast<LPARAM>("nowhere")));
  EXPECT_EQ(SendMessageA(bar, SB_GETTEXTLENGTHA, 1, 0), MAKELONG(9, SBT_POPOUT));
  SendMessageA(bar, SB_SETTEXTA, 2 | SBT_OWNERDRAW, 0x1234);
  EXPECT_EQ(SendMessageA(bar, SB_GETTEXTA, 2, 0), 0x1234) << "an owner-drawn part gives back its value";

  RECT first{}, second{}, last{};
  ASSERT_TRUE(SendMessageA(bar, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&first)));
  ASSERT_TRUE(SendMessageA(bar, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&second)));
  ASSERT_TRUE(SendMessageA(bar, SB_GETRECT, 2, reinterpret_cast<LPARAM>(&last)));
  EXPECT_FALSE(SendMessageA(bar, SB_GETRECT, 3, reinterpret_cast<LPARAM>(&last)));
  EXPECT_EQ(first.right, 100);
  EXPECT_GT(second.left, first.right) << "a border between parts";
  EXPECT_EQ(second.right, 250);
  RECT client;
  GetClientRect(bar, &client);
  EXPECT_LT(last.right, client.right) << "the size grip keeps its corner";

  SendMessageA(bar, SB_SIMPLE, TRUE, 0);
  EXPECT_TRUE(SendMessageA(bar, SB_ISSIMPLE, 0, 0));
  SendMessageA(bar, SB_SETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>("Menu help"));
  SendMessageA(bar, SB_SIMPLE, FALSE, 0);
  text[0] = '\0';
  SendMessageA(bar, SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "Connected") << "the parts' texts outlast the simple mode";

  // The parent passes its WM_SIZE on; the bar follows.
  SetWindowPos(m_parent, nullptr, 0, 0, 500, 360, SWP_NOMOVE | SWP_NOZORDER);
  SendMessageA(bar, WM_SIZE, 0, 0);
  GetClientRect(m_parent, &parent);
  GetWindowRect(bar, &placed);
  MapWindowPoints(nullptr, m_parent, reinterpret_cast<POINT*>(&placed), 2);
  EXPECT_EQ(placed.bottom, parent.bottom);
  EXPECT_EQ(placed.right, parent.right);
}

TEST_F(StatusBars, AProgressBarInAPartAndTheGrip) {
  HWND bar = Make(STATUSCLASSNAMEA, "", SBARS_SIZEGRIP, 0, 0, 0, 0, 90);
  const int edges[] = {160, 320, -1};
  SendMessageA(bar, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
  SendMessageA(bar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>("Reading contacts\t\t12/40"));
  SendMessageA(bar, SB_SETTEXTA, 2 | SBT_NOBORDERS, reinterpret_cast<LPARAM>("Phone"));
  RECT pane{};
  SendMessageA(bar, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&pane));
  HWND progress = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE | PBS_SMOOTH, pane.left + 1, pane.top + 1,
                                  pane.right - pane.left - 2, pane.bottom - pane.top - 2, bar, nullptr, nullptr, nullptr);
  ASSERT_TRUE(progress);
  SendMessageA(progress, PBM_SETPOS, 30, 0);
  testing_user::Pump();
  HBITMAP shot = tolvar::user::RenderWindow(m_parent);
  ASSERT_TRUE(shot);
  testing_user::SavePng(shot, "controls_statusbar");
  auto at = [&](HWND window, int x, int y) {
    POINT point{x, y};
    MapWindowPoints(window, nullptr, &point, 1);
    RECT frame;
    GetWindowRect(m_parent, &frame);
    return PixelAt(shot, point.x - frame.left, point.y - frame.top);
  };
  EXPECT_EQ(at(progress, 3, 4), GetSysColor(COLOR_HIGHLIGHT)) << "the progress bar shows over its part";
  EXPECT_EQ(at(bar, pane.left, pane.top + 4), GetSysColor(COLOR_BTNSHADOW)) << "the sunken part's edge";
  RECT client;
  GetClientRect(bar, &client);
  POINT corner{client.right - 3, client.bottom - 3};
  ClientToScreen(bar, &corner);
  EXPECT_EQ(SendMessageA(bar, WM_NCHITTEST, 0, MAKELPARAM(corner.x, corner.y)), HTBOTTOMRIGHT);
  DeleteObject(shot);
}

}  // namespace
