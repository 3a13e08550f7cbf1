// 3-D edges, focus rectangles, frame controls, DrawState, and the fixed system values.
#include "Probe.h"

#include <gtest/gtest.h>

namespace {

COLORREF Sys(int index) { return GetSysColor(index); }

int Count(const Canvas& c, COLORREF colour, RECT area) {
  int n = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) n += c.At(x, y) == colour;
  return n;
}

}  // namespace

TEST(Edges, LinesTakeTheirColoursAndCorners) {
  struct Case { UINT edge; UINT flags; POINT at; int colour; };
  const Case cases[] = {
      {EDGE_RAISED, BF_RECT, {1, 1}, COLOR_3DLIGHT},          // outer top-left
      {EDGE_RAISED, BF_RECT, {8, 1}, COLOR_3DDKSHADOW},       // top-right corner belongs to the dark side
      {EDGE_RAISED, BF_RECT, {2, 2}, COLOR_BTNHIGHLIGHT},     // inner top-left
      {EDGE_RAISED, BF_RECT, {7, 7}, COLOR_BTNSHADOW},        // inner bottom-right
      {EDGE_SUNKEN, BF_RECT, {1, 1}, COLOR_BTNSHADOW},
      {EDGE_SUNKEN, BF_RECT, {2, 2}, COLOR_3DDKSHADOW},
      {EDGE_SUNKEN, BF_RECT, {8, 8}, COLOR_BTNHIGHLIGHT},
      {EDGE_ETCHED, BF_TOP, {4, 1}, COLOR_BTNSHADOW},
      {EDGE_ETCHED, BF_TOP, {4, 2}, COLOR_BTNHIGHLIGHT},
      {BDR_SUNKENOUTER, BF_RECT, {1, 4}, COLOR_BTNSHADOW},
      {BDR_SUNKENOUTER, BF_RECT, {8, 4}, COLOR_BTNHIGHLIGHT},
      {EDGE_RAISED, BF_RECT | BF_MIDDLE, {4, 4}, COLOR_BTNFACE},
  };
  for (const Case& k : cases) {
    Canvas c(10, 10, RGB(1, 2, 3));
    RECT r{1, 1, 9, 9};
    ASSERT_TRUE(DrawEdge(c.dc(), &r, k.edge, k.flags));
    EXPECT_EQ(c.At(k.at.x, k.at.y), Sys(k.colour)) << k.edge << " " << k.flags << " at " << k.at.x << "," << k.at.y;
  }
  Canvas c(10, 10, RGB(1, 2, 3));
  RECT r{1, 1, 9, 9};
  DrawEdge(c.dc(), &r, EDGE_ETCHED, BF_TOP);
  EXPECT_EQ(c.At(4, 3), RGB(1, 2, 3));  // only the top was asked for
  EXPECT_EQ(c.At(1, 5), RGB(1, 2, 3));
  DrawEdge(c.dc(), &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  RECT adjusted{3, 3, 7, 7};
  EXPECT_TRUE(EqualRect(&r, &adjusted));
}

TEST(Edges, FocusRectangleIsDottedAndUndoesItself) {
  Canvas c(10, 10);
  RECT r{1, 1, 9, 9};
  ASSERT_TRUE(DrawFocusRect(c.dc(), &r));
  EXPECT_EQ(c.Picture(RGB(0, 0, 0), RECT{0, 0, 10, 3}), "..........\n.#.#.#.#..\n........#.\n");
  DrawFocusRect(c.dc(), &r);
  EXPECT_EQ(Count(c, RGB(255, 255, 255), RECT{0, 0, 10, 10}), 100);
}

TEST(FrameControls, DrawTheirKindAndState) {
  struct Case { UINT type, state; int colour; bool present; };
  const Case cases[] = {
      {DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED, COLOR_WINDOWTEXT, true},
      {DFC_BUTTON, DFCS_BUTTONCHECK, COLOR_WINDOWTEXT, false},
      {DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE, COLOR_GRAYTEXT, true},
      {DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_CHECKED, COLOR_WINDOWTEXT, true},
      {DFC_BUTTON, DFCS_BUTTONRADIO, COLOR_WINDOWTEXT, false},
      {DFC_CAPTION, DFCS_CAPTIONCLOSE, COLOR_BTNTEXT, true},
      {DFC_CAPTION, DFCS_CAPTIONMIN, COLOR_BTNTEXT, true},
      {DFC_CAPTION, DFCS_CAPTIONMAX | DFCS_INACTIVE, COLOR_GRAYTEXT, true},
      {DFC_CAPTION, DFCS_CAPTIONRESTORE, COLOR_BTNTEXT, true},
      {DFC_SCROLL, DFCS_SCROLLUP, COLOR_BTNTEXT, true},
      {DFC_SCROLL, DFCS_SCROLLRIGHT | DFCS_PUSHED, COLOR_BTNTEXT, true},
      {DFC_MENU, DFCS_MENUCHECK, COLOR_WINDOWTEXT, true},
      {DFC_MENU, DFCS_MENUARROW, COLOR_WINDOWTEXT, true},
  };
  for (const Case& k : cases) {
    Canvas c(20, 20, RGB(1, 2, 3));
    RECT r{2, 2, 18, 16};
    ASSERT_TRUE(DrawFrameControl(c.dc(), &r, k.type, k.state));
    const RECT inner{5, 5, 15, 13};
    EXPECT_EQ(Count(c, Sys(k.colour), inner) > 0, k.present) << k.type << " " << std::hex << k.state;
    EXPECT_EQ(c.At(0, 0), RGB(1, 2, 3));  // nothing outside the rectangle
  }
  Canvas menu(13, 13, RGB(1, 2, 3));
  RECT all{0, 0, 13, 13};
  DrawFrameControl(menu.dc(), &all, DFC_MENU, DFCS_MENUBULLET);
  EXPECT_EQ(menu.At(0, 0), RGB(255, 255, 255));  // menu marks are black on white
  EXPECT_EQ(menu.At(6, 6), RGB(0, 0, 0));
}

TEST(DrawStates, DisabledItemsAreEmbossed) {
  // A bitmap with a black square in a white field.
  Canvas item(6, 6);
  RECT square{1, 1, 4, 4};
  FillRect(item.dc(), &square, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  HBITMAP bitmap = CreateCompatibleBitmap(item.dc(), 6, 6);
  HDC copy = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(copy, bitmap);
  BitBlt(copy, 0, 0, 6, 6, item.dc(), 0, 0, SRCCOPY);
  SelectObject(copy, old);
  DeleteDC(copy);

  Canvas c(12, 12, RGB(0, 128, 0));
  ASSERT_TRUE(DrawState(c.dc(), nullptr, nullptr, reinterpret_cast<LPARAM>(bitmap), 0, 2, 2, 0, 0,
                        DST_BITMAP | DSS_DISABLED));
  EXPECT_EQ(c.At(3, 3), Sys(COLOR_3DSHADOW));     // the square, in place
  EXPECT_EQ(c.At(6, 6), Sys(COLOR_3DHILIGHT));    // its lower right, one pixel down-right
  EXPECT_EQ(c.At(2, 2), RGB(0, 128, 0));          // white stays see-through
  EXPECT_EQ(c.At(9, 9), RGB(0, 128, 0));
  c.Fill(RGB(0, 128, 0));
  ASSERT_TRUE(DrawState(c.dc(), nullptr, nullptr, reinterpret_cast<LPARAM>(bitmap), 0, 2, 2, 0, 0, DST_BITMAP));
  EXPECT_EQ(c.At(2, 2), RGB(255, 255, 255));  // a normal bitmap is copied as it is
  EXPECT_EQ(c.At(3, 3), RGB(0, 0, 0));
  c.Fill(RGB(0, 128, 0));
  HFONT font = CreateFontA(-11, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Tahoma");
  HGDIOBJ oldFont = SelectObject(c.dc(), font);
  ASSERT_TRUE(DrawState(c.dc(), nullptr, nullptr, reinterpret_cast<LPARAM>("&H"), 0, 1, 0, 0, 0,
                        DST_PREFIXTEXT | DSS_DISABLED));
  EXPECT_GT(Count(c, Sys(COLOR_3DSHADOW), RECT{0, 0, 12, 12}), 5);
  SelectObject(c.dc(), oldFont);
  DeleteObject(font);
  DeleteObject(bitmap);
}

TEST(SystemValues, AreTheFixedClassicTable) {
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(212, 208, 200));
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
  HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
  EXPECT_EQ(face, GetSysColorBrush(COLOR_BTNFACE));
  EXPECT_TRUE(DeleteObject(face));
  LOGBRUSH lb{};
  ASSERT_EQ(GetObject(face, sizeof lb, &lb), static_cast<int>(sizeof lb));  // stock: still there
  EXPECT_EQ(lb.lbColor, RGB(212, 208, 200));
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
  EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 19);
  RECT work{};
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_EQ(work.bottom, 738);
  NONCLIENTMETRICSA ncm{};
  EXPECT_FALSE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 0, &ncm, 0));  // cbSize not set
  ncm.cbSize = sizeof ncm;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0));
  EXPECT_STREQ(ncm.lfMenuFont.lfFaceName, "Tahoma");
  EXPECT_EQ(ncm.lfCaptionFont.lfWeight, FW_BOLD);
  Canvas c(2, 2);
  EXPECT_EQ(GetDeviceCaps(c.dc(), LOGPIXELSY), 96);
  EXPECT_EQ(GetDeviceCaps(c.dc(), BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(c.dc(), RASTERCAPS) & RC_PALETTE, 0);
}
