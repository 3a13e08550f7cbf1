// The kit's month calendar (off-screen painting, its own font), the frame that leaves its listed
// children out of its painting, and the flat date-time field's frame around its paints.
#include "FlatDateTimeCtrl.h"
#include "SkinFrame.h"
#include "SkinMonthCalCtrl.h"

#include <gdi/Unique.h>
#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include "KitTest.h"

#include <cstring>

namespace {

using kit_testing::KitTest;

using CalendarTest = KitTest;

TEST_F(CalendarTest, PaintsOffScreenAsItPrintsAndTakesItsOwnFont) {
  CSkinMonthCalCtrl calendar;
  ASSERT_TRUE(calendar.Create(WS_CHILD | WS_VISIBLE, POINT{10, 10}, &parent, 300));
  SYSTEMTIME day{};
  day.wYear = 2004;
  day.wMonth = 3;
  day.wDay = 17;
  calendar.SendMessage(MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&day));
  // A face name longer than a logical font holds is cut, not written past its end.
  calendar.SetFont("Verdana with a name far longer than thirty-one characters", 13, TRUE, FALSE);
  LOGFONTA logical{};
  GetObjectA(reinterpret_cast<HFONT>(calendar.SendMessage(WM_GETFONT)), sizeof logical, &logical);
  EXPECT_EQ(std::strlen(logical.lfFaceName), 31u);
  EXPECT_EQ(logical.lfWeight, FW_BOLD);
  EXPECT_EQ(logical.lfHeight, 13);
  testing_user::Pump();

  HBITMAP screen = tolvar::user::RenderWindow(calendar);
  ASSERT_NE(screen, nullptr);
  testing_user::SavePng(screen, "skin_month_calendar");
  RECT window{};
  calendar.GetWindowRect(&window);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  HDC calendarDC = GetDC(calendar);
  tolvar::gdi::UniqueDC memory(CreateCompatibleDC(calendarDC));
  tolvar::gdi::UniqueBitmap printed(CreateCompatibleBitmap(calendarDC, width, height));
  ReleaseDC(calendar, calendarDC);
  {
    tolvar::gdi::ScopedSelect select(memory.Get(), printed.Get());
    RECT all{0, 0, width, height};
    tolvar::gdi::UniqueBrush white(CreateSolidBrush(0xFFFFFF));
    FillRect(memory.Get(), &all, white.Get());
    calendar.SendMessage(WM_PRINT, reinterpret_cast<WPARAM>(memory.Get()), PRF_CLIENT | PRF_CHILDREN | PRF_NONCLIENT);
  }
  int differences = 0;
  int ink = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const COLORREF shown = testing_user::PixelAt(screen, x, y);
      differences += shown != testing_user::PixelAt(printed.Get(), x, y);
      ink += shown != 0xFFFFFF;
    }
  EXPECT_EQ(differences, 0);
  EXPECT_GT(ink, 100);  // it did paint: days and title
  DeleteObject(screen);
  calendar.DestroyWindow();
}

// In a parent far larger than itself and with a border: the copy from the bitmap fills the
// control's client area from the client's place in the bitmap, and nothing of the parent around it.
TEST_F(CalendarTest, ItsOffScreenCopyInALargerParentCoversItselfOnly) {
  ::MoveWindow(parent, 0, 0, 900, 700, TRUE);
  CSkinMonthCalCtrl calendar;
  ASSERT_TRUE(calendar.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, POINT{40, 30}, &parent, 301));
  testing_user::Pump();
  RECT window{}, client{};
  calendar.GetWindowRect(&window);
  parent.ScreenToClient(&window);
  parent.GetClientRect(&client);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  ASSERT_LT(width * 2, client.right);
  ASSERT_LT(height * 2, client.bottom);
  HDC calendarDC = GetDC(calendar);
  tolvar::gdi::UniqueDC memory(CreateCompatibleDC(calendarDC));
  tolvar::gdi::UniqueBitmap printed(CreateCompatibleBitmap(calendarDC, width, height));
  ReleaseDC(calendar, calendarDC);
  {
    tolvar::gdi::ScopedSelect select(memory.Get(), printed.Get());
    RECT all{0, 0, width, height};
    tolvar::gdi::UniqueBrush white(CreateSolidBrush(0xFFFFFF));
    FillRect(memory.Get(), &all, white.Get());
    calendar.SendMessage(WM_PRINT, reinterpret_cast<WPARAM>(memory.Get()), PRF_CLIENT | PRF_CHILDREN | PRF_NONCLIENT);
  }
  calendar.Invalidate();
  testing_user::Pump();
  // The parent's client area as shown, found in its window's picture.
  HBITMAP shown = tolvar::user::RenderWindow(parent);
  ASSERT_NE(shown, nullptr);
  testing_user::SavePng(shown, "skin_month_calendar_in_parent");
  POINT origin{0, 0};
  parent.ClientToScreen(&origin);
  RECT outer{};
  parent.GetWindowRect(&outer);
  const int dx = origin.x - outer.left, dy = origin.y - outer.top;
  const COLORREF background = testing_user::PixelAt(shown, dx + client.right - 5, dy + client.bottom - 5);
  int differences = 0, spilled = 0;
  for (int y = window.top - 4; y < window.bottom + 4; ++y)
    for (int x = window.left - 4; x < window.right + 4; ++x) {
      const COLORREF pixel = testing_user::PixelAt(shown, dx + x, dy + y);
      if (x >= window.left && x < window.right && y >= window.top && y < window.bottom) {
        differences += pixel != testing_user::PixelAt(printed.Get(), x - window.left, y - window.top);
      } else {
        spilled += pixel != background;
      }
    }
  EXPECT_EQ(differences, 0);
  EXPECT_EQ(spilled, 0);
  DeleteObject(shown);
  calendar.DestroyWindow();
}

using FrameTest = KitTest;

TEST_F(FrameTest, NeverPaintsOverItsVisibleListedChildren) {
  CSkinFrame frame;
  ASSERT_TRUE(frame.Create("", WS_CHILD | WS_VISIBLE, RECT{10, 10, 210, 110}, &parent, 400));
  // Siblings over the frame, made after it; the frame does not clip its siblings by itself.
  CStatic shown, hidden, unlisted;
  ASSERT_TRUE(shown.Create("", WS_CHILD | WS_VISIBLE | SS_BLACKRECT, RECT{20, 20, 60, 60}, &parent, 401));
  ASSERT_TRUE(hidden.Create("", WS_CHILD | SS_BLACKRECT, RECT{70, 20, 110, 60}, &parent, 402));
  ASSERT_TRUE(unlisted.Create("", WS_CHILD | WS_VISIBLE | SS_BLACKRECT, RECT{120, 20, 160, 60}, &parent, 403));
  frame.AddChild(&shown);
  frame.AddChild(&hidden);
  frame.AddChild(nullptr);
  // A child listed through a temporary CWnd, which goes at the next idle time: still left out.
  CStatic viaHandle;
  ASSERT_TRUE(viaHandle.Create("", WS_CHILD | WS_VISIBLE | SS_BLACKRECT, RECT{20, 70, 60, 100}, &parent, 404));
  const HWND viaHandleWindow = viaHandle.Detach();
  frame.AddChild(CWnd::FromHandle(viaHandleWindow));
  CWnd::DeleteTempMap();
  testing_user::Pump();
  frame.Invalidate();
  frame.UpdateWindow();  // the frame paints last, over its siblings unless it leaves them out

  HBITMAP picture = tolvar::user::RenderWindow(parent);
  ASSERT_NE(picture, nullptr);
  POINT origin{0, 0};
  ClientToScreen(parent, &origin);
  RECT outer{};
  GetWindowRect(parent, &outer);
  const int dx = origin.x - outer.left;
  const int dy = origin.y - outer.top;
  const COLORREF dark = GetSysColor(COLOR_3DDKSHADOW);
  EXPECT_EQ(testing_user::PixelAt(picture, dx + 40, dy + 40), dark);       // the listed child shows
  EXPECT_EQ(testing_user::PixelAt(picture, dx + 90, dy + 40), 0xFFFFFFu);  // a hidden one: frame
  EXPECT_EQ(testing_user::PixelAt(picture, dx + 140, dy + 40), 0xFFFFFFu); // not listed: painted over
  EXPECT_EQ(testing_user::PixelAt(picture, dx + 100, dy + 90), 0xFFFFFFu); // the frame's white
  EXPECT_EQ(testing_user::PixelAt(picture, dx + 40, dy + 85), dark);       // listed by a temporary
  DeleteObject(picture);
  ::DestroyWindow(viaHandleWindow);
  frame.DestroyWindow();
}

using FlatDateTimeTest = KitTest;

TEST_F(FlatDateTimeTest, FocusDrawsTheAccentFrameAndThePostedRedrawTheFlatOne) {
  CFlatDateTimeCtrl picker;
  ASSERT_TRUE(picker.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP, RECT{10, 10, 170, 34}, &parent, 500));
  testing_user::Pump();
  picker.SetFocus();
  picker.Invalidate();
  // Painted, with the redraw it posts itself not yet run: the accent frame of the focus.
  HBITMAP hot = tolvar::user::RenderWindow(picker);
  ASSERT_NE(hot, nullptr);
  EXPECT_EQ(testing_user::PixelAt(hot, 0, 12), CFlatDateTimeCtrl::kHotColour);
  EXPECT_EQ(testing_user::PixelAt(hot, 1, 12), 0xFFFFFFu);
  DeleteObject(hot);
  // "WM_TEST" draws the flat frame in the face colour again.
  MSG posted{};
  ASSERT_TRUE(PeekMessageA(&posted, picker, CFlatDateTimeCtrl::TestMessage(), CFlatDateTimeCtrl::TestMessage(),
                           PM_NOREMOVE));
  testing_user::Pump();
  HBITMAP flat = tolvar::user::RenderWindow(picker);
  EXPECT_EQ(testing_user::PixelAt(flat, 0, 12), GetSysColor(COLOR_BTNFACE));
  DeleteObject(flat);
  picker.DestroyWindow();
}

}  // namespace
