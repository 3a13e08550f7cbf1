// Lines, rectangles, ellipses and polygons, probed pixel by pixel.
#include "Probe.h"

#include <gtest/gtest.h>

namespace {

constexpr COLORREF kInk = RGB(0, 0, 0);

std::string Line(POINT a, POINT b, int size = 7) {
  Canvas c(size, size);
  MoveToEx(c.dc(), a.x, a.y, nullptr);
  LineTo(c.dc(), b.x, b.y);
  return c.Picture(kInk, RECT{0, 0, size, size});
}

}  // namespace

TEST(Lines, LeaveOutTheEndPoint) {
  struct Case { POINT a, b; const char* picture; };
  const Case cases[] = {
      {{0, 0}, {4, 0}, "####.\n.....\n.....\n"},
      {{4, 2}, {0, 2}, ".....\n.....\n.####\n"},
      {{0, 0}, {3, 3}, "#....\n.#...\n..#..\n"},
      {{0, 0}, {4, 2}, "##...\n..##.\n.....\n"},
      {{4, 2}, {0, 0}, ".#...\n..##.\n....#\n"},  // the middle pixels match the forward line
      {{2, 0}, {2, 3}, "..#..\n..#..\n..#..\n"},
  };
  for (const Case& c : cases) {
    const std::string pic = Line(c.a, c.b, 5).substr(0, 18);
    EXPECT_EQ(pic, c.picture) << c.a.x << "," << c.a.y << " -> " << c.b.x << "," << c.b.y;
  }
}

TEST(Lines, MoveToSetsTheCurrentPositionAndLineToAdvancesIt) {
  Canvas c(5, 5);
  MoveToEx(c.dc(), 1, 1, nullptr);
  LineTo(c.dc(), 3, 1);
  LineTo(c.dc(), 3, 3);
  POINT p;
  GetCurrentPositionEx(c.dc(), &p);
  EXPECT_EQ(p.x, 3);
  EXPECT_EQ(p.y, 3);
  EXPECT_EQ(c.Picture(kInk, RECT{0, 0, 5, 5}), ".....\n.###.\n...#.\n.....\n.....\n");
}

TEST(Lines, PenStylesColoursAndXor) {
  Canvas c(30, 3);
  HPEN dot = CreatePen(PS_DOT, 1, RGB(255, 0, 0));
  HGDIOBJ old = SelectObject(c.dc(), dot);
  SetBkMode(c.dc(), TRANSPARENT);
  MoveToEx(c.dc(), 0, 0, nullptr);
  LineTo(c.dc(), 12, 0);
  EXPECT_EQ(c.Picture(RGB(255, 0, 0), RECT{0, 0, 12, 1}), "###...###...\n");
  SetBkMode(c.dc(), OPAQUE);
  SetBkColor(c.dc(), RGB(0, 0, 255));
  MoveToEx(c.dc(), 0, 1, nullptr);
  LineTo(c.dc(), 6, 1);
  EXPECT_EQ(c.At(4, 1), RGB(0, 0, 255));  // an opaque background fills the gaps
  SelectObject(c.dc(), old);
  DeleteObject(dot);

  SetROP2(c.dc(), R2_XORPEN);
  HPEN white = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
  old = SelectObject(c.dc(), white);
  MoveToEx(c.dc(), 0, 2, nullptr);
  LineTo(c.dc(), 4, 2);
  EXPECT_EQ(c.At(1, 2), RGB(0, 0, 0));
  MoveToEx(c.dc(), 0, 2, nullptr);
  LineTo(c.dc(), 4, 2);
  EXPECT_EQ(c.At(1, 2), RGB(255, 255, 255));  // XOR twice restores
  SelectObject(c.dc(), old);
  DeleteObject(white);
}

TEST(Lines, WidePensCoverTheirWidth) {
  Canvas c(12, 12);
  HPEN wide = CreatePen(PS_SOLID, 3, kInk);
  HGDIOBJ old = SelectObject(c.dc(), wide);
  MoveToEx(c.dc(), 2, 5, nullptr);
  LineTo(c.dc(), 9, 5);
  for (int y : {4, 5, 6}) EXPECT_EQ(c.At(5, y), kInk) << y;
  EXPECT_NE(c.At(5, 3), kInk);
  EXPECT_NE(c.At(5, 7), kInk);
  SelectObject(c.dc(), old);
  DeleteObject(wide);
}

TEST(Shapes, RectangleOutlinesWithThePenAndFillsWithTheBrush) {
  Canvas c(7, 6);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  HGDIOBJ old = SelectObject(c.dc(), red);
  Rectangle(c.dc(), 1, 1, 6, 5);
  EXPECT_EQ(c.Picture(kInk, RECT{0, 0, 7, 6}), ".......\n.#####.\n.#...#.\n.#...#.\n.#####.\n.......\n");
  EXPECT_EQ(c.At(2, 2), RGB(255, 0, 0));
  // Without a pen the fill is a pixel smaller on the right and bottom.
  c.Fill(RGB(255, 255, 255));
  SelectObject(c.dc(), GetStockObject(NULL_PEN));
  Rectangle(c.dc(), 1, 1, 6, 5);
  EXPECT_EQ(c.Picture(RGB(255, 0, 0), RECT{0, 0, 7, 6}), ".......\n.####..\n.####..\n.####..\n.......\n.......\n");
  SelectObject(c.dc(), GetStockObject(BLACK_PEN));
  SelectObject(c.dc(), old);
  DeleteObject(red);
}

TEST(Shapes, InsideFramePensStayWithinTheRectangle) {
  Canvas c(10, 10);
  HPEN pen = CreatePen(PS_INSIDEFRAME, 2, kInk);
  HGDIOBJ old = SelectObject(c.dc(), pen);
  SelectObject(c.dc(), GetStockObject(NULL_BRUSH));
  Rectangle(c.dc(), 2, 2, 8, 8);
  EXPECT_EQ(c.At(2, 2), kInk);
  EXPECT_EQ(c.At(3, 3), kInk);
  EXPECT_EQ(c.At(7, 7), kInk);
  EXPECT_NE(c.At(8, 8), kInk);
  EXPECT_NE(c.At(1, 1), kInk);
  EXPECT_NE(c.At(4, 4), kInk);
  SelectObject(c.dc(), old);
  DeleteObject(pen);
}

TEST(Shapes, EllipseTouchesEveryEdgeOfItsBoxSymmetrically) {
  Canvas c(12, 10);
  SelectObject(c.dc(), GetStockObject(NULL_BRUSH));
  Ellipse(c.dc(), 1, 1, 11, 9);
  c.Save("ellipse");
  const std::string pic = c.Picture(kInk, RECT{0, 0, 12, 10});
  // Mirror images left-right and top-bottom.
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 12; ++x) {
      EXPECT_EQ(c.At(x, y), c.At(11 - x, y)) << x << "," << y;
      EXPECT_EQ(c.At(x, y), c.At(x, 9 - y)) << x << "," << y;
    }
  EXPECT_EQ(c.At(1, 4), kInk);   // leftmost column of the box
  EXPECT_EQ(c.At(10, 4), kInk);  // rightmost, right edge excluded
  EXPECT_EQ(c.At(5, 1), kInk);   // top row
  EXPECT_EQ(c.At(5, 8), kInk);   // bottom row
  EXPECT_NE(c.At(0, 4), kInk);
  EXPECT_NE(c.At(11, 4), kInk);
  EXPECT_NE(c.At(5, 9), kInk);
  EXPECT_NE(c.At(1, 1), kInk);   // corners stay out
  EXPECT_NE(c.At(5, 4), kInk);   // hollow inside
}

TEST(Shapes, PolygonIncludesItsVerticesAndFillsInside) {
  Canvas c(8, 8);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  HGDIOBJ old = SelectObject(c.dc(), blue);
  const POINT triangle[] = {{1, 1}, {6, 1}, {1, 6}};
  Polygon(c.dc(), triangle, 3);
  EXPECT_EQ(c.At(1, 1), kInk);
  EXPECT_EQ(c.At(6, 1), kInk);
  EXPECT_EQ(c.At(1, 6), kInk);
  EXPECT_EQ(c.At(2, 2), RGB(0, 0, 255));
  EXPECT_NE(c.At(6, 6), kInk);
  SelectObject(c.dc(), old);
  DeleteObject(blue);
}

TEST(Shapes, FillFrameAndInvertRectangles) {
  Canvas c(6, 6);
  RECT r{1, 1, 5, 5};
  FrameRect(c.dc(), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(c.Picture(kInk, RECT{0, 0, 6, 6}), "......\n.####.\n.#..#.\n.#..#.\n.####.\n......\n");
  // A system colour index + 1 stands for its brush.
  RECT inner{2, 2, 4, 4};
  FillRect(c.dc(), &inner, reinterpret_cast<HBRUSH>(static_cast<std::intptr_t>(COLOR_BTNFACE + 1)));
  EXPECT_EQ(c.At(2, 2), GetSysColor(COLOR_BTNFACE));
  InvertRect(c.dc(), &r);
  EXPECT_EQ(c.At(1, 1), RGB(255, 255, 255));
  EXPECT_EQ(c.At(0, 0), RGB(255, 255, 255));
}

TEST(Shapes, OriginsMoveDrawing) {
  Canvas c(6, 6);
  SetViewportOrgEx(c.dc(), 2, 0, nullptr);
  SetWindowOrgEx(c.dc(), 0, -1, nullptr);
  SetPixel(c.dc(), 0, 0, RGB(9, 9, 9));
  EXPECT_EQ(c.At(0, 0), RGB(9, 9, 9));  // GetPixel is logical too
  SetViewportOrgEx(c.dc(), 0, 0, nullptr);
  SetWindowOrgEx(c.dc(), 0, 0, nullptr);
  EXPECT_EQ(c.At(2, 1), RGB(9, 9, 9));
}
