// The progress bar's range, position and step, its drawing, and CreateMappedBitmap's colours.
#include "ControlTest.h"

using namespace testing_controls;
using testing_user::PixelAt;

namespace {

class Progress : public ControlTest {};

TEST_F(Progress, RangePositionAndStep) {
  HWND bar = Make(PROGRESS_CLASSA, "", 0, 10, 10, 200, 20, 60);
  ASSERT_TRUE(bar);
  EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 100);
  EXPECT_EQ(SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(10, 50)), MAKELONG(0, 100));
  PBRANGE range{};
  EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range)), 10);
  EXPECT_EQ(range.iHigh, 50);
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 10) << "the position follows the range";
  EXPECT_EQ(SendMessageA(bar, PBM_SETPOS, 70, 0), 10);
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 50) << "kept within the range";
  EXPECT_EQ(SendMessageA(bar, PBM_DELTAPOS, static_cast<WPARAM>(-15), 0), 50);
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 35);
  EXPECT_EQ(SendMessageA(bar, PBM_SETSTEP, 10, 0), 10);
  SendMessageA(bar, PBM_STEPIT, 0, 0);
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 45);
  SendMessageA(bar, PBM_STEPIT, 0, 0);
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 15) << "past the end it starts again";
  SendMessageA(bar, PBM_SETRANGE32, 0, 1000);
  SendMessageA(bar, PBM_SETPOS, 500, 0);
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 500);
}

TEST_F(Progress, TheBarFillsItsShareInBlocksOrSmoothly) {
  HWND blocks = Make(PROGRESS_CLASSA, "", 0, 10, 10, 202, 20, 60);
  HWND smooth = Make(PROGRESS_CLASSA, "", PBS_SMOOTH, 10, 40, 202, 20, 61);
  HWND coloured = Make(PROGRESS_CLASSA, "", PBS_SMOOTH | PBS_VERTICAL, 230, 10, 20, 102, 62);
  for (HWND bar : {blocks, smooth, coloured}) SendMessageA(bar, PBM_SETPOS, 50, 0);
  SendMessageA(coloured, PBM_SETBARCOLOR, 0, RGB(0, 160, 0));
  testing_user::Pump();
  HBITMAP shot = tolvar::user::RenderWindow(m_parent);
  ASSERT_TRUE(shot);
  testing_user::SavePng(shot, "controls_progress");
  auto at = [&](HWND control, int x, int y) {
    POINT point{x, y};
    MapWindowPoints(control, nullptr, &point, 1);
    RECT frame;
    GetWindowRect(m_parent, &frame);
    return PixelAt(shot, point.x - frame.left, point.y - frame.top);
  };
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT), face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(at(smooth, 50, 10), highlight);
  EXPECT_EQ(at(smooth, 99, 10), highlight);
  EXPECT_EQ(at(smooth, 102, 10), face);
  EXPECT_EQ(at(blocks, 3, 10), highlight);
  EXPECT_EQ(at(blocks, 150, 10), face);
  int gaps = 0;
  for (int x = 1; x < 95; ++x) gaps += at(blocks, x, 10) == face;
  EXPECT_GT(gaps, 4) << "blocks, with gaps";
  EXPECT_EQ(at(coloured, 10, 90), RGB(0, 160, 0)) << "a vertical bar fills from the bottom";
  EXPECT_EQ(at(coloured, 10, 10), face);
  DeleteObject(shot);
}

TEST(MappedBitmap, TheClassicColoursBecomeTheSystemsOrTheCallers) {
  HBITMAP mapped = CreateMappedBitmap(nullptr, 300, 0, nullptr, 0);
  ASSERT_TRUE(mapped);
  EXPECT_EQ(PixelAt(mapped, 0, 0), GetSysColor(COLOR_BTNTEXT));
  EXPECT_EQ(PixelAt(mapped, 1, 0), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(PixelAt(mapped, 2, 0), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(PixelAt(mapped, 3, 0), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(PixelAt(mapped, 4, 0), RGB(255, 0, 0)) << "other colours stay";
  DeleteObject(mapped);
  COLORMAP map[] = {{RGB(255, 0, 0), RGB(0, 0, 255)}};
  mapped = CreateMappedBitmap(nullptr, 300, 0, map, 1);
  ASSERT_TRUE(mapped);
  EXPECT_EQ(PixelAt(mapped, 4, 0), RGB(0, 0, 255));
  EXPECT_EQ(PixelAt(mapped, 0, 0), RGB(0, 0, 0)) << "only the caller's map applies";
  DeleteObject(mapped);
  EXPECT_EQ(CreateMappedBitmap(nullptr, 999, 0, nullptr, 0), nullptr);
}

}  // namespace
