// Regions as bands of rectangles, their combinations, and clipping of DCs.
#include "Probe.h"

#include <gtest/gtest.h>

namespace {

struct Rgn {
  HRGN h;
  Rgn(int l, int t, int r, int b) : h(CreateRectRgn(l, t, r, b)) {}
  ~Rgn() { DeleteObject(h); }
};

}  // namespace

TEST(Regions, CombineGivesTheRightShapeAndKind) {
  struct Case { int mode; int kind; std::vector<POINT> inside, outside; RECT box; };
  const Case cases[] = {
      {RGN_AND, SIMPLEREGION, {{5, 5}, {9, 9}}, {{0, 0}, {10, 10}, {12, 12}}, {5, 5, 10, 10}},
      {RGN_OR, COMPLEXREGION, {{0, 0}, {12, 12}, {9, 9}}, {{15, 15}, {12, 2}, {2, 12}}, {0, 0, 15, 15}},
      {RGN_XOR, COMPLEXREGION, {{0, 0}, {12, 12}, {9, 4}}, {{5, 5}, {9, 9}, {12, 2}}, {0, 0, 15, 15}},
      {RGN_DIFF, COMPLEXREGION, {{0, 0}, {4, 9}, {9, 4}}, {{5, 5}, {12, 12}}, {0, 0, 10, 10}},
  };
  for (const Case& c : cases) {
    Rgn a(0, 0, 10, 10), b(5, 5, 15, 15), out(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(out.h, a.h, b.h, c.mode), c.kind) << c.mode;
    for (POINT p : c.inside) EXPECT_TRUE(PtInRegion(out.h, p.x, p.y)) << c.mode << ": " << p.x << "," << p.y;
    for (POINT p : c.outside) EXPECT_FALSE(PtInRegion(out.h, p.x, p.y)) << c.mode << ": " << p.x << "," << p.y;
    RECT box;
    GetRgnBox(out.h, &box);
    EXPECT_TRUE(EqualRect(&box, &c.box)) << c.mode;
  }
}

TEST(Regions, EmptyResultsAndCopies) {
  Rgn a(0, 0, 5, 5), b(10, 10, 20, 20), out(0, 0, 0, 0);
  EXPECT_EQ(CombineRgn(out.h, a.h, b.h, RGN_AND), NULLREGION);
  EXPECT_EQ(CombineRgn(out.h, a.h, a.h, RGN_DIFF), NULLREGION);
  EXPECT_EQ(CombineRgn(out.h, b.h, nullptr, RGN_COPY), SIMPLEREGION);
  EXPECT_TRUE(EqualRgn(out.h, b.h));
  EXPECT_EQ(OffsetRgn(out.h, -10, -10), SIMPLEREGION);
  EXPECT_TRUE(PtInRegion(out.h, 0, 0));
  EXPECT_FALSE(PtInRegion(out.h, 10, 10));
  RECT probe{9, 9, 12, 12};
  EXPECT_TRUE(RectInRegion(out.h, &probe));
  SetRectRgn(out.h, 0, 0, 0, 0);
  RECT box;
  EXPECT_EQ(GetRgnBox(out.h, &box), NULLREGION);
}

TEST(Regions, TheSameShapeBuiltTwoWaysIsEqual) {
  // An L built as two rectangles either way round has the same bands.
  Rgn a(0, 0, 10, 5), b(0, 5, 5, 10), c(0, 0, 5, 10), d(5, 0, 10, 5), ab(0, 0, 0, 0), cd(0, 0, 0, 0);
  CombineRgn(ab.h, a.h, b.h, RGN_OR);
  CombineRgn(cd.h, c.h, d.h, RGN_OR);
  EXPECT_TRUE(EqualRgn(ab.h, cd.h));
  Rgn whole(0, 0, 10, 10), split(0, 0, 0, 0), left(0, 0, 5, 10), right(5, 0, 10, 10);
  CombineRgn(split.h, left.h, right.h, RGN_OR);
  EXPECT_TRUE(EqualRgn(split.h, whole.h));
  EXPECT_EQ(CombineRgn(split.h, split.h, nullptr, RGN_COPY), SIMPLEREGION);  // merged back into one
}

TEST(Clipping, ClipRegionsLimitDrawingAndMoveWithTheViewportNotTheWindowOrigin) {
  Canvas c(10, 10);
  Rgn clip(2, 2, 6, 6);
  EXPECT_EQ(SelectClipRgn(c.dc(), clip.h), SIMPLEREGION);
  c.Fill(RGB(0, 0, 0));
  EXPECT_EQ(c.At(2, 2), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(c.dc(), 1, 1), CLR_INVALID);
  EXPECT_EQ(ExcludeClipRect(c.dc(), 3, 3, 4, 4), COMPLEXREGION);
  RECT box;
  EXPECT_EQ(GetClipBox(c.dc(), &box), COMPLEXREGION);
  RECT want{2, 2, 6, 6};
  EXPECT_TRUE(EqualRect(&box, &want));
  SetWindowOrgEx(c.dc(), 2, 2, nullptr);
  GetClipBox(c.dc(), &box);
  RECT logical{4, 4, 8, 8};
  EXPECT_TRUE(EqualRect(&box, &logical));  // the clip stays put on the device; its box is logical
  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetClipRgn(c.dc(), copy), 1);
  EXPECT_FALSE(PtInRegion(copy, 3, 3));
  EXPECT_TRUE(PtInRegion(copy, 2, 2));
  DeleteObject(copy);
  EXPECT_EQ(SelectClipRgn(c.dc(), nullptr), SIMPLEREGION);
  HRGN none = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetClipRgn(c.dc(), none), 0);
  DeleteObject(none);
  SetWindowOrgEx(c.dc(), 0, 0, nullptr);
  EXPECT_EQ(IntersectClipRect(c.dc(), 0, 0, 3, 3), SIMPLEREGION);
  c.Fill(RGB(255, 0, 0));
  EXPECT_EQ(c.At(2, 2), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(c.dc(), 3, 3), CLR_INVALID);
}

TEST(Clipping, SurfaceDcsDrawIntoTheirPartOfTheBackingBitmap) {
  Canvas window(20, 20);
  Rgn visible(5, 5, 15, 15);
  HDC child = tolvar::gdi::CreateSurfaceDC(window.bitmap(), POINT{5, 5}, visible.h);
  ASSERT_NE(child, nullptr);
  RECT all{-5, -5, 30, 30};
  FillRect(child, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(window.At(5, 5), RGB(0, 0, 0));
  EXPECT_EQ(window.At(14, 14), RGB(0, 0, 0));
  EXPECT_EQ(window.At(4, 4), RGB(255, 255, 255));
  EXPECT_EQ(window.At(15, 15), RGB(255, 255, 255));
  RECT box;
  GetClipBox(child, &box);
  RECT want{0, 0, 10, 10};
  EXPECT_TRUE(EqualRect(&box, &want));
  EXPECT_EQ(tolvar::gdi::GetTargetBitmap(child), window.bitmap());
  DeleteDC(child);
}

TEST(Rects, HelpersFollowTheExclusiveEdgeRule) {
  RECT a{0, 0, 10, 10}, b{10, 0, 20, 10}, out;
  EXPECT_FALSE(IntersectRect(&out, &a, &b));  // touching is not overlapping
  EXPECT_TRUE(IsRectEmpty(&out));
  EXPECT_TRUE(UnionRect(&out, &a, &b));
  RECT u{0, 0, 20, 10};
  EXPECT_TRUE(EqualRect(&out, &u));
  EXPECT_FALSE(PtInRect(&a, POINT{10, 5}));
  EXPECT_TRUE(PtInRect(&a, POINT{0, 0}));
  RECT cut{5, -1, 11, 11};
  EXPECT_TRUE(SubtractRect(&out, &a, &cut));
  RECT left{0, 0, 5, 10};
  EXPECT_TRUE(EqualRect(&out, &left));
  RECT middle{2, 2, 3, 3};
  SubtractRect(&out, &a, &middle);
  EXPECT_TRUE(EqualRect(&out, &a));  // a hole cannot be expressed: unchanged
  InflateRect(&out, 1, 2);
  RECT inflated{-1, -2, 11, 12};
  EXPECT_TRUE(EqualRect(&out, &inflated));
}
