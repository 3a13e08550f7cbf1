// The drawing wrappers: objects own their handles, a selection hands back what it replaced, the
// one-colour and 3-D rectangles, and an image list drawn with its mask.
#include <framework/Afx.h>

#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

using testing_user::PixelAt;

namespace {

TEST(GdiObjects, DeleteTheirHandlesUnlessDetached) {
  HGDIOBJ kept = nullptr;
  HGDIOBJ freed = nullptr;
  {
    CPen pen(PS_SOLID, 1, RGB(1, 2, 3));
    CBrush brush(RGB(4, 5, 6));
    freed = pen.m_hObject;
    kept = brush.Detach();
    EXPECT_EQ(GetObjectType(freed), OBJ_PEN);
  }
  EXPECT_EQ(GetObjectType(freed), 0u);
  EXPECT_EQ(GetObjectType(kept), OBJ_BRUSH);
  DeleteObject(kept);
}

TEST(Dc, SelectingGivesBackTheReplacedObjectAndTheRectanglesLandWhereAsked) {
  CDC memory;
  ASSERT_TRUE(memory.CreateCompatibleDC(nullptr));
  CBitmap bitmap;
  ASSERT_TRUE(bitmap.CreateBitmap(40, 30, 1, 32, nullptr));
  CBitmap* original = memory.SelectObject(&bitmap);
  ASSERT_NE(original, nullptr);
  EXPECT_NE(original->m_hObject, bitmap.m_hObject);
  CPen pen(PS_SOLID, 1, RGB(9, 9, 9));
  CPen* previousPen = memory.SelectObject(&pen);
  EXPECT_EQ(memory.SelectObject(previousPen)->m_hObject, pen.m_hObject);

  memory.FillSolidRect(0, 0, 40, 30, RGB(255, 255, 255));
  memory.FillSolidRect(5, 5, 10, 10, RGB(200, 0, 0));
  memory.Draw3dRect(20, 5, 15, 20, RGB(0, 0, 255), RGB(0, 128, 0));
  struct Probe {
    int x, y;
    COLORREF colour;
  } probes[] = {
      {5, 5, RGB(200, 0, 0)},     {14, 14, RGB(200, 0, 0)},  {15, 15, RGB(255, 255, 255)},  // end exclusive
      {20, 5, RGB(0, 0, 255)},    {33, 5, RGB(0, 0, 255)},   {20, 23, RGB(0, 0, 255)},      // top and left
      {34, 5, RGB(0, 128, 0)},    {34, 24, RGB(0, 128, 0)},  {20, 24, RGB(0, 128, 0)},      // right and bottom
      {27, 15, RGB(255, 255, 255)},                                                       // inside untouched
  };
  for (const Probe& p : probes) EXPECT_EQ(memory.GetPixel(p.x, p.y), p.colour) << p.x << "," << p.y;
  memory.SelectObject(original);
}

TEST(ImageList, DrawsItsImagesThroughTheirMask) {
  CImageList list;
  ASSERT_TRUE(list.Create(8, 8, ILC_COLOR32 | ILC_MASK, 2, 2));
  CDC memory;
  ASSERT_TRUE(memory.CreateCompatibleDC(nullptr));
  CBitmap strip;
  ASSERT_TRUE(strip.CreateBitmap(16, 8, 1, 32, nullptr));
  CBitmap* original = memory.SelectObject(&strip);
  memory.FillSolidRect(0, 0, 16, 8, RGB(255, 0, 255));  // the mask colour: transparent
  memory.FillSolidRect(2, 2, 4, 4, RGB(0, 0, 200));
  memory.FillSolidRect(8, 0, 8, 8, RGB(0, 150, 0));
  memory.SelectObject(original);
  EXPECT_EQ(list.Add(&strip, RGB(255, 0, 255)), 0);
  EXPECT_EQ(list.GetImageCount(), 2);

  CBitmap target;
  ASSERT_TRUE(target.CreateBitmap(20, 10, 1, 32, nullptr));
  memory.SelectObject(&target);
  memory.FillSolidRect(0, 0, 20, 10, RGB(255, 255, 255));
  EXPECT_TRUE(list.Draw(&memory, 0, POINT{0, 0}, ILD_TRANSPARENT));
  EXPECT_TRUE(list.Draw(&memory, 1, POINT{10, 0}, ILD_NORMAL));
  EXPECT_EQ(memory.GetPixel(0, 0), RGB(255, 255, 255));  // masked out
  EXPECT_EQ(memory.GetPixel(3, 3), RGB(0, 0, 200));
  EXPECT_EQ(memory.GetPixel(12, 5), RGB(0, 150, 0));
  memory.SelectObject(original);
  list.DeleteImageList();
  EXPECT_EQ(list.m_hImageList, nullptr);
}

}  // namespace
