// Icons from resource bytes, icon drawing, image lists with masks and the drag image.
#include "Probe.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

constexpr COLORREF kGreen = RGB(0, 160, 0);

void Put16(std::vector<BYTE>& v, unsigned x) { v.push_back(x & 0xFF); v.push_back((x >> 8) & 0xFF); }
void Put32(std::vector<BYTE>& v, unsigned x) { Put16(v, x & 0xFFFF); Put16(v, x >> 16); }

// An RT_ICON image of 2x2 pixels at 24 bits: top row transparent (black under a set mask bit, as
// icon editors save it), blue; bottom row white, black.
std::vector<BYTE> IconBytes() {
  std::vector<BYTE> v;
  Put32(v, 40); Put32(v, 2); Put32(v, 4); Put16(v, 1); Put16(v, 24);
  Put32(v, 0); Put32(v, 0); Put32(v, 0); Put32(v, 0); Put32(v, 0); Put32(v, 0);
  // XOR rows bottom-up, 8 bytes each (6 + padding).
  const BYTE bottom[8] = {255, 255, 255, 0, 0, 0, 0, 0};
  const BYTE top[8] = {0, 0, 0, 255, 0, 0, 0, 0};
  v.insert(v.end(), bottom, bottom + 8);
  v.insert(v.end(), top, top + 8);
  // AND rows bottom-up, 4 bytes each.
  const BYTE andBottom[4] = {0x00, 0, 0, 0};
  const BYTE andTop[4] = {0x80, 0, 0, 0};
  v.insert(v.end(), andBottom, andBottom + 4);
  v.insert(v.end(), andTop, andTop + 4);
  return v;
}

// A strip of two 2x2 images: the first with a magenta (mask colour) pixel at its top-left.
HBITMAP StripBitmap(Canvas& strip) {
  SetPixel(strip.dc(), 0, 0, RGB(255, 0, 255));
  SetPixel(strip.dc(), 1, 0, RGB(200, 0, 0));
  SetPixel(strip.dc(), 0, 1, RGB(0, 0, 200));
  SetPixel(strip.dc(), 1, 1, RGB(10, 10, 10));
  for (int x = 2; x < 4; ++x)
    for (int y = 0; y < 2; ++y) SetPixel(strip.dc(), x, y, RGB(50, 60, 70));
  return strip.bitmap();
}

}  // namespace

TEST(Icons, ResourceBytesBecomeAnIconDrawnThroughItsMask) {
  const std::vector<BYTE> bytes = IconBytes();
  HICON icon = CreateIconFromResourceEx(bytes.data(), static_cast<DWORD>(bytes.size()), TRUE, 0x00030000, 0, 0, 0);
  ASSERT_NE(icon, nullptr);
  Canvas c(4, 4, kGreen);
  ASSERT_TRUE(DrawIconEx(c.dc(), 1, 1, icon, 0, 0, 0, nullptr, DI_NORMAL));
  EXPECT_EQ(c.At(1, 1), kGreen);  // transparent
  EXPECT_EQ(c.At(2, 1), RGB(0, 0, 255));
  EXPECT_EQ(c.At(1, 2), RGB(255, 255, 255));
  EXPECT_EQ(c.At(2, 2), RGB(0, 0, 0));
  // A colour under a set mask bit inverts the screen, as Windows' icons do.
  std::vector<BYTE> inverting = bytes;
  inverting[40 + 8 + 2] = 255;  // red in the transparent pixel
  HICON inverter = CreateIconFromResourceEx(inverting.data(), static_cast<DWORD>(inverting.size()), TRUE, 0x00030000, 0, 0, 0);
  c.Fill(kGreen);
  DrawIconEx(c.dc(), 0, 0, inverter, 0, 0, 0, nullptr, DI_NORMAL);
  EXPECT_EQ(c.At(0, 0), RGB(255, 160, 0));
  DestroyIcon(inverter);
  c.Fill(kGreen);
  DrawIconEx(c.dc(), 0, 0, icon, 0, 0, 0, nullptr, DI_MASK);
  EXPECT_EQ(c.At(0, 0), RGB(255, 255, 255));
  EXPECT_EQ(c.At(1, 0), RGB(0, 0, 0));
  // Stretched to 4x4 by DrawIconEx, and to 32x32 by DrawIcon.
  c.Fill(kGreen);
  DrawIconEx(c.dc(), 0, 0, icon, 4, 4, 0, nullptr, DI_NORMAL);
  EXPECT_EQ(c.At(1, 1), kGreen);
  EXPECT_EQ(c.At(3, 0), RGB(0, 0, 255));
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  BITMAP bm{};
  GetObject(info.hbmColor, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 2);
  HICON again = CreateIconIndirect(&info);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  c.Fill(kGreen);
  DrawIconEx(c.dc(), 0, 0, again, 0, 0, 0, nullptr, DI_NORMAL);
  EXPECT_EQ(c.At(0, 0), kGreen);
  EXPECT_EQ(c.At(1, 0), RGB(0, 0, 255));
  EXPECT_TRUE(DestroyIcon(again));
  EXPECT_TRUE(DestroyIcon(icon));
  EXPECT_FALSE(DestroyIcon(icon));
}

TEST(Icons, CursorsCarryTheirHotSpotAndBadBytesAreRefused) {
  std::vector<BYTE> bytes;
  Put16(bytes, 1);
  Put16(bytes, 0);
  const std::vector<BYTE> image = IconBytes();
  bytes.insert(bytes.end(), image.begin(), image.end());
  HCURSOR cursor = CreateIconFromResourceEx(bytes.data(), static_cast<DWORD>(bytes.size()), FALSE, 0x00030000, 0, 0, 0);
  ASSERT_NE(cursor, nullptr);
  ICONINFO info{};
  GetIconInfo(cursor, &info);
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 1u);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  DestroyCursor(cursor);
  // Cut short, or of an impossible size: no icon, and no read past the end.
  EXPECT_EQ(CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size() - 1), TRUE, 0x00030000, 0, 0, 0), nullptr);
  std::vector<BYTE> huge = image;
  huge[4] = 0xFF; huge[5] = 0xFF;
  EXPECT_EQ(CreateIconFromResourceEx(huge.data(), static_cast<DWORD>(huge.size()), TRUE, 0x00030000, 0, 0, 0), nullptr);
}

TEST(ImageLists, MaskedImagesDrawTransparentOrOnTheBackgroundColour) {
  Canvas strip(4, 2);
  HBITMAP bitmap = StripBitmap(strip);
  HIMAGELIST list = ImageList_Create(2, 2, ILC_COLOR24 | ILC_MASK, 1, 1);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(ImageList_AddMasked(list, bitmap, RGB(255, 0, 255)), 0);
  EXPECT_EQ(ImageList_GetImageCount(list), 2);
  EXPECT_EQ(strip.At(0, 0), RGB(255, 0, 255));  // the caller's bitmap is left alone
  Canvas c(4, 4, kGreen);
  struct Case { UINT style; COLORREF listBk; COLORREF corner; };
  const Case cases[] = {
      {ILD_TRANSPARENT, RGB(9, 9, 9), kGreen},
      {ILD_NORMAL, CLR_NONE, kGreen},
      {ILD_NORMAL, RGB(9, 9, 9), RGB(9, 9, 9)},
      {ILD_IMAGE, RGB(9, 9, 9), RGB(0, 0, 0)},  // the image alone: its transparent pixel is black
  };
  for (const Case& k : cases) {
    c.Fill(kGreen);
    ImageList_SetBkColor(list, k.listBk);
    ASSERT_TRUE(ImageList_Draw(list, 0, c.dc(), 1, 1, k.style));
    EXPECT_EQ(c.At(1, 1), k.corner) << k.style;
    EXPECT_EQ(c.At(2, 1), RGB(200, 0, 0)) << k.style;
    EXPECT_EQ(c.At(2, 2), RGB(10, 10, 10)) << k.style;
    EXPECT_EQ(c.At(3, 3), kGreen) << k.style;
  }
  c.Fill(kGreen);
  ImageList_Draw(list, 0, c.dc(), 0, 0, ILD_MASK);
  EXPECT_EQ(c.At(0, 0), RGB(255, 255, 255));  // the DC's background colour where transparent
  EXPECT_EQ(c.At(1, 0), RGB(0, 0, 0));        // its text colour where opaque
  c.Fill(kGreen);
  ImageList_DrawEx(list, 1, c.dc(), 0, 0, 0, 0, CLR_NONE, RGB(250, 0, 0), ILD_BLEND50);
  EXPECT_EQ(c.At(0, 0), RGB(150, 30, 35));
  IMAGEINFO info{};
  ASSERT_TRUE(ImageList_GetImageInfo(list, 1, &info));
  EXPECT_EQ(info.rcImage.left, 2);
  EXPECT_NE(info.hbmMask, nullptr);
  EXPECT_TRUE(ImageList_Remove(list, 0));
  EXPECT_EQ(ImageList_GetImageCount(list), 1);
  c.Fill(kGreen);
  ImageList_Draw(list, 0, c.dc(), 0, 0, ILD_TRANSPARENT);
  EXPECT_EQ(c.At(0, 0), RGB(50, 60, 70));  // the second image moved up
  EXPECT_FALSE(ImageList_Draw(list, 1, c.dc(), 0, 0, ILD_NORMAL));
  EXPECT_TRUE(ImageList_Destroy(list));
}

TEST(ImageLists, IconsGoInAndComeOutWithTheirMasks) {
  const std::vector<BYTE> bytes = IconBytes();
  HICON icon = CreateIconFromResourceEx(bytes.data(), static_cast<DWORD>(bytes.size()), TRUE, 0x00030000, 0, 0, 0);
  HIMAGELIST list = ImageList_Create(4, 4, ILC_COLOR32 | ILC_MASK, 0, 2);
  EXPECT_EQ(ImageList_AddIcon(list, icon), 0);
  EXPECT_EQ(ImageList_ReplaceIcon(list, 0, icon), 0);
  EXPECT_EQ(ImageList_ReplaceIcon(list, 5, icon), -1);
  int cx = 0, cy = 0;
  ImageList_GetIconSize(list, &cx, &cy);
  EXPECT_EQ(cx, 4);
  HICON out = ImageList_GetIcon(list, 0, ILD_NORMAL);
  ASSERT_NE(out, nullptr);
  Canvas c(4, 4, kGreen);
  DrawIconEx(c.dc(), 0, 0, out, 0, 0, 0, nullptr, DI_NORMAL);
  EXPECT_EQ(c.At(0, 0), kGreen);  // the icon was scaled to 4x4: its transparent corner is 2x2
  EXPECT_EQ(c.At(1, 1), kGreen);
  EXPECT_EQ(c.At(2, 0), RGB(0, 0, 255));
  DestroyIcon(out);
  DestroyIcon(icon);
  ImageList_Destroy(list);
}

namespace {

// A screen of one window whose top-left is at (-10, 0); the window manager's side records what the
// drag tells it.
std::vector<std::pair<RECT, RECT>> g_changes;
bool WindowOrigin(HWND window, POINT& screen) {
  if (window && window != reinterpret_cast<HWND>(1)) return false;
  screen = window ? POINT{-10, 0} : POINT{0, 0};
  return true;
}
void Changed(const RECT& before, const RECT& after) { g_changes.emplace_back(before, after); }

}  // namespace

TEST(ImageLists, DragImageIsShownOverTheScreenWhereTheMouseIsAndNeverDrawnIntoTheWindow) {
  const HWND window = reinterpret_cast<HWND>(1);
  Canvas strip(4, 2);
  HIMAGELIST list = ImageList_Create(2, 2, ILC_COLOR24 | ILC_MASK, 2, 1);
  ImageList_AddMasked(list, StripBitmap(strip), RGB(255, 0, 255));
  ASSERT_TRUE(ImageList_BeginDrag(list, 0, 1, 1));
  EXPECT_FALSE(ImageList_DragEnter(window, 21, 6)) << "nothing shows it without a window manager";
  tolvar::gdi::SetDragScreen(WindowOrigin, Changed);
  EXPECT_FALSE(ImageList_DragEnter(reinterpret_cast<HWND>(2), 21, 6)) << "no such window";
  EXPECT_FALSE(ImageList_DragShowNolock(TRUE)) << "not entered yet";

  // Window point (21, 6) with hot spot (1, 1) puts the image at screen (10, 5).
  ASSERT_TRUE(ImageList_DragEnter(window, 21, 6));
  ASSERT_TRUE(ImageList_DragMove(31, 11));
  ASSERT_TRUE(ImageList_DragShowNolock(FALSE));
  ASSERT_TRUE(ImageList_DragShowNolock(TRUE));
  ASSERT_TRUE(ImageList_DragMove(31, 11));  // no change, nothing told
  const RECT none{0, 0, 0, 0}, first{10, 5, 12, 7}, second{20, 10, 22, 12};
  const std::vector<std::pair<RECT, RECT>> told{{none, first}, {first, second}, {second, none}, {none, second}};
  ASSERT_EQ(g_changes.size(), told.size());
  for (std::size_t i = 0; i < told.size(); ++i) {
    EXPECT_TRUE(EqualRect(&g_changes[i].first, &told[i].first) && EqualRect(&g_changes[i].second, &told[i].second)) << i;
  }
  RECT now = tolvar::gdi::DragImageRect();
  EXPECT_TRUE(EqualRect(&now, &second));

  // Drawn where a renderer asks, in that picture's coordinates, with its transparent pixels.
  Canvas picture(10, 10, kGreen);  // a window whose top-left is at screen (15, 5)
  tolvar::gdi::DrawDragImage(picture.dc(), POINT{15, 5});
  EXPECT_EQ(picture.At(5, 5), kGreen);  // transparent pixel
  EXPECT_EQ(picture.At(6, 5), RGB(200, 0, 0));
  EXPECT_EQ(picture.At(4, 5), kGreen);

  ASSERT_TRUE(ImageList_DragLeave(window));
  now = tolvar::gdi::DragImageRect();
  EXPECT_TRUE(IsRectEmpty(&now));
  Canvas after(10, 10, kGreen);
  tolvar::gdi::DrawDragImage(after.dc(), POINT{15, 5});
  EXPECT_EQ(after.At(6, 5), kGreen);
  ImageList_EndDrag();
  EXPECT_FALSE(ImageList_DragMove(0, 0));
  // The drag keeps its own copy: the list may go while it runs.
  ASSERT_TRUE(ImageList_BeginDrag(list, 1, 0, 0));
  ImageList_Destroy(list);
  ASSERT_TRUE(ImageList_DragEnter(nullptr, 3, 3));
  Canvas screen(10, 10, kGreen);
  tolvar::gdi::DrawDragImage(screen.dc(), POINT{0, 0});
  EXPECT_NE(screen.At(3, 3), kGreen);
  ImageList_EndDrag();
  tolvar::gdi::SetDragScreen(nullptr, nullptr);
  g_changes.clear();
}
