// Blits between colour and monochrome bitmaps, stretching, DIB transfers and bitmap objects.
#include "Probe.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

TEST(Blits, ColourToMonochromeMarksTheSourceBackgroundColourWhite) {
  Canvas colour(3, 1);
  SetPixel(colour.dc(), 0, 0, RGB(255, 0, 255));
  SetPixel(colour.dc(), 1, 0, RGB(10, 20, 30));
  SetPixel(colour.dc(), 2, 0, RGB(255, 255, 255));
  SetBkColor(colour.dc(), RGB(255, 0, 255));
  HBITMAP mono = CreateBitmap(3, 1, 1, 1, nullptr);
  HDC monoDc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(monoDc, mono);
  ASSERT_TRUE(BitBlt(monoDc, 0, 0, 3, 1, colour.dc(), 0, 0, SRCCOPY));
  EXPECT_EQ(GetPixel(monoDc, 0, 0), RGB(255, 255, 255));  // the background colour
  EXPECT_EQ(GetPixel(monoDc, 1, 0), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(monoDc, 2, 0), RGB(0, 0, 0));        // white, but not the background colour
  SelectObject(monoDc, old);
  DeleteDC(monoDc);
  DeleteObject(mono);
}

TEST(Blits, MonochromeToColourUsesTheDestinationTextAndBackgroundColours) {
  const WORD bits = 0x0040;  // first byte 01000000: pixel 0 is 0, pixel 1 is 1
  HBITMAP mono = CreateBitmap(2, 1, 1, 1, &bits);
  HDC monoDc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(monoDc, mono);
  SetTextColor(monoDc, RGB(1, 2, 3));  // the source DC's colours play no part
  SetBkColor(monoDc, RGB(4, 5, 6));
  Canvas colour(2, 1);
  SetTextColor(colour.dc(), RGB(200, 0, 0));
  SetBkColor(colour.dc(), RGB(0, 0, 200));
  ASSERT_TRUE(BitBlt(colour.dc(), 0, 0, 2, 1, monoDc, 0, 0, SRCCOPY));
  EXPECT_EQ(colour.At(0, 0), RGB(200, 0, 0));
  EXPECT_EQ(colour.At(1, 0), RGB(0, 0, 200));
  SelectObject(monoDc, old);
  DeleteDC(monoDc);
  DeleteObject(mono);
}

TEST(Blits, MaskAndPaintMakeTransparentPixelsShowTheBackground) {
  // The classic pair: a mask from the transparent colour, the image's transparent pixels blackened,
  // then mask AND and image OR over a background.
  Canvas image(2, 1), target(2, 1, RGB(0, 128, 0));
  SetPixel(image.dc(), 0, 0, RGB(255, 0, 255));  // transparent
  SetPixel(image.dc(), 1, 0, RGB(200, 100, 50));
  HBITMAP mask = CreateBitmap(2, 1, 1, 1, nullptr);
  HDC maskDc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(maskDc, mask);
  SetBkColor(image.dc(), RGB(255, 0, 255));
  BitBlt(maskDc, 0, 0, 2, 1, image.dc(), 0, 0, SRCCOPY);
  SetTextColor(image.dc(), RGB(255, 255, 255));
  SetBkColor(image.dc(), RGB(0, 0, 0));
  BitBlt(image.dc(), 0, 0, 2, 1, maskDc, 0, 0, SRCAND);
  EXPECT_EQ(image.At(0, 0), RGB(0, 0, 0));
  SetTextColor(target.dc(), RGB(0, 0, 0));
  SetBkColor(target.dc(), RGB(255, 255, 255));
  BitBlt(target.dc(), 0, 0, 2, 1, maskDc, 0, 0, SRCAND);
  BitBlt(target.dc(), 0, 0, 2, 1, image.dc(), 0, 0, SRCPAINT);
  EXPECT_EQ(target.At(0, 0), RGB(0, 128, 0));
  EXPECT_EQ(target.At(1, 0), RGB(200, 100, 50));
  SelectObject(maskDc, old);
  DeleteDC(maskDc);
  DeleteObject(mask);
}

TEST(Blits, StretchDoublesAndHalves) {
  Canvas src(2, 2), dst(4, 4);
  SetPixel(src.dc(), 0, 0, RGB(255, 0, 0));
  SetPixel(src.dc(), 1, 0, RGB(0, 255, 0));
  SetPixel(src.dc(), 0, 1, RGB(0, 0, 255));
  SetPixel(src.dc(), 1, 1, RGB(0, 0, 0));
  ASSERT_TRUE(StretchBlt(dst.dc(), 0, 0, 4, 4, src.dc(), 0, 0, 2, 2, SRCCOPY));
  EXPECT_EQ(dst.At(1, 1), RGB(255, 0, 0));
  EXPECT_EQ(dst.At(2, 1), RGB(0, 255, 0));
  EXPECT_EQ(dst.At(1, 3), RGB(0, 0, 255));
  EXPECT_EQ(dst.At(3, 3), RGB(0, 0, 0));
  // Halving a one-pixel black line on white keeps it by default (BLACKONWHITE ANDs the dropped rows).
  Canvas lines(4, 4), half(2, 2);
  for (int x = 0; x < 4; ++x) SetPixel(lines.dc(), x, 1, RGB(0, 0, 0));
  StretchBlt(half.dc(), 0, 0, 2, 2, lines.dc(), 0, 0, 4, 4, SRCCOPY);
  EXPECT_EQ(half.At(0, 0), RGB(0, 0, 0));
  SetStretchBltMode(half.dc(), COLORONCOLOR);
  half.Fill(RGB(255, 255, 255));
  StretchBlt(half.dc(), 0, 0, 2, 2, lines.dc(), 0, 0, 4, 4, SRCCOPY);
  EXPECT_EQ(half.At(0, 0), RGB(255, 255, 255));
}

TEST(Blits, OverlappingBlitWithinOneBitmapScrolls) {
  Canvas c(4, 1);
  for (int x = 0; x < 4; ++x) SetPixel(c.dc(), x, 0, RGB(x * 10, 0, 0));
  BitBlt(c.dc(), 1, 0, 3, 1, c.dc(), 0, 0, SRCCOPY);
  EXPECT_EQ(c.At(1, 0), RGB(0, 0, 0));
  EXPECT_EQ(c.At(2, 0), RGB(10, 0, 0));
  EXPECT_EQ(c.At(3, 0), RGB(20, 0, 0));
}

TEST(Blits, PatBltUsesTheSelectedBrushAndRefusesSourceOperations) {
  Canvas c(4, 4, RGB(0, 0, 0));
  HBRUSH brush = CreateSolidBrush(RGB(0, 255, 0));
  HGDIOBJ old = SelectObject(c.dc(), brush);
  EXPECT_TRUE(PatBlt(c.dc(), 1, 1, 2, 2, PATCOPY));
  EXPECT_EQ(c.At(1, 1), RGB(0, 255, 0));
  EXPECT_EQ(c.At(3, 3), RGB(0, 0, 0));
  EXPECT_TRUE(PatBlt(c.dc(), 0, 0, 4, 4, DSTINVERT));
  EXPECT_EQ(c.At(1, 1), RGB(255, 0, 255));
  EXPECT_FALSE(PatBlt(c.dc(), 0, 0, 4, 4, SRCCOPY));
  SelectObject(c.dc(), old);
  DeleteObject(brush);
}

TEST(Blits, HatchAndPatternBrushesTileFromTheBrushOrigin) {
  Canvas c(8, 8, RGB(255, 255, 255));
  HBRUSH hatch = CreateHatchBrush(HS_VERTICAL, RGB(255, 0, 0));
  HGDIOBJ old = SelectObject(c.dc(), hatch);
  SetBkColor(c.dc(), RGB(0, 0, 255));
  PatBlt(c.dc(), 0, 0, 8, 8, PATCOPY);
  EXPECT_EQ(c.At(4, 0), RGB(255, 0, 0));
  EXPECT_EQ(c.At(3, 5), RGB(0, 0, 255));
  SetBkMode(c.dc(), TRANSPARENT);
  c.Fill(RGB(255, 255, 255));
  PatBlt(c.dc(), 0, 0, 8, 8, PATCOPY);
  EXPECT_EQ(c.At(3, 5), RGB(255, 255, 255));  // transparent background leaves the gaps alone
  SelectObject(c.dc(), old);
  DeleteObject(hatch);

  Canvas pattern(2, 2, RGB(0, 0, 0));
  SetPixel(pattern.dc(), 0, 0, RGB(255, 255, 0));
  HBRUSH brush = CreatePatternBrush(pattern.bitmap());
  old = SelectObject(c.dc(), brush);
  PatBlt(c.dc(), 0, 0, 8, 8, PATCOPY);
  EXPECT_EQ(c.At(4, 6), RGB(255, 255, 0));
  EXPECT_EQ(c.At(5, 6), RGB(0, 0, 0));
  SetBrushOrgEx(c.dc(), 1, 0, nullptr);
  PatBlt(c.dc(), 0, 0, 8, 8, PATCOPY);
  EXPECT_EQ(c.At(5, 6), RGB(255, 255, 0));
  SelectObject(c.dc(), old);
  DeleteObject(brush);
}

TEST(Blits, DibSectionsExposeTheirBitsBottomUpAndThroughGetDIBits) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 2, 2, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(dib, nullptr);
  ASSERT_NE(bits, nullptr);
  BYTE* row0 = static_cast<BYTE*>(bits);  // the bottom row
  row0[0] = 0x11; row0[1] = 0x22; row0[2] = 0x33;  // blue, green, red of pixel (0, 1)
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, dib);
  EXPECT_EQ(GetPixel(dc, 0, 1), RGB(0x33, 0x22, 0x11));
  DIBSECTION ds{};
  ASSERT_EQ(GetObject(dib, sizeof ds, &ds), static_cast<int>(sizeof ds));
  EXPECT_EQ(ds.dsBm.bmWidthBytes, 8);
  EXPECT_EQ(ds.dsBm.bmBits, bits);
  EXPECT_EQ(ds.dsBmih.biBitCount, 24);

  BITMAPINFO want{};
  want.bmiHeader = {sizeof(BITMAPINFOHEADER), 2, -2, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  DWORD out[4] = {};
  SelectObject(dc, old);
  EXPECT_EQ(GetDIBits(dc, dib, 0, 2, out, &want, DIB_RGB_COLORS), 2);
  EXPECT_EQ(out[2] & 0xFFFFFF, 0x332211u);  // top-down: row 1 comes second
  DeleteDC(dc);
  DeleteObject(dib);
}

// The lowest height would be a top-down DIB with no row count to stand for it.
TEST(Blits, ADibOfTheLowestHeightIsRefused) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 2, std::numeric_limits<LONG>::min(), 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(CreateDIBitmap(nullptr, &info.bmiHeader, 0, nullptr, nullptr, DIB_RGB_COLORS), nullptr);
}

TEST(Blits, EightBitDibsMapThroughTheirColourTable) {
  struct { BITMAPINFOHEADER h; RGBQUAD colours[2]; } info{};
  info.h = {sizeof(BITMAPINFOHEADER), 2, -1, 1, 8, BI_RGB, 0, 0, 0, 2, 0};
  info.colours[0] = {0, 0, 255, 0};  // red
  info.colours[1] = {255, 0, 0, 0};  // blue
  const BYTE pixels[4] = {1, 0, 0, 0};
  Canvas c(2, 1);
  EXPECT_EQ(StretchDIBits(c.dc(), 0, 0, 2, 1, 0, 0, 2, 1, pixels, reinterpret_cast<BITMAPINFO*>(&info),
                          DIB_RGB_COLORS, SRCCOPY), 1);
  EXPECT_EQ(c.At(0, 0), RGB(0, 0, 255));
  EXPECT_EQ(c.At(1, 0), RGB(255, 0, 0));
  HBITMAP ddb = CreateDIBitmap(c.dc(), &info.h, CBM_INIT, pixels, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  ASSERT_NE(ddb, nullptr);
  BITMAP bm{};
  ASSERT_EQ(GetObject(ddb, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmBitsPixel, 32);
  EXPECT_EQ(bm.bmBits, nullptr);
  DeleteObject(ddb);
}

TEST(Blits, DibBitsGoInByScanLinesCountedFromTheBottom) {
  struct { BITMAPINFOHEADER h; RGBQUAD colours[2]; } info{};
  info.h = {sizeof(BITMAPINFOHEADER), 2, 4, 1, 1, BI_RGB, 0, 0, 0, 2, 0};  // bottom-up, 1 bit
  info.colours[0] = {0, 0, 0, 0};
  info.colours[1] = {0, 255, 0, 0};  // green
  // Two scan lines, 4 bytes each: scan 1 is all 1s, scan 2 all 0s.
  const BYTE band[8] = {0xC0, 0, 0, 0, 0x00, 0, 0, 0};
  Canvas c(2, 4, RGB(255, 0, 0));
  EXPECT_EQ(SetDIBitsToDevice(c.dc(), 0, 0, 2, 4, 0, 0, 1, 2, band, reinterpret_cast<BITMAPINFO*>(&info),
                              DIB_RGB_COLORS), 2);
  EXPECT_EQ(c.At(0, 2), RGB(0, 255, 0));  // scan 1 is the second row from the bottom
  EXPECT_EQ(c.At(1, 1), RGB(0, 0, 0));    // scan 2
  EXPECT_EQ(c.At(0, 3), RGB(0, 0, 0));    // scan 0 was not given: zeros of the band's DIB

  HBITMAP ddb = CreateCompatibleBitmap(c.dc(), 2, 4);
  EXPECT_EQ(SetDIBits(c.dc(), ddb, 1, 2, band, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS), 2);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, ddb);
  EXPECT_EQ(GetPixel(dc, 1, 2), RGB(0, 255, 0));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(ddb);

  const BYTE rows[4] = {0xA0, 0, 0x50, 0};  // 16-bit aligned rows of a 4x2 monochrome bitmap
  HBITMAP mono = CreateBitmap(4, 2, 1, 1, rows);
  BYTE back[4] = {};
  EXPECT_EQ(GetBitmapBits(mono, sizeof back, back), 4);
  EXPECT_EQ(back[0] & 0xF0, 0xA0);
  EXPECT_EQ(back[2] & 0xF0, 0x50);
  DeleteObject(mono);
}

TEST(Objects, SelectReturnsThePreviousObjectAndSelectedBitmapsStay) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ stockBitmap = GetCurrentObject(dc, OBJ_BITMAP);
  BITMAP bm{};
  GetObject(stockBitmap, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 1);
  EXPECT_EQ(bm.bmBitsPixel, 1);  // a new memory DC holds a 1x1 monochrome bitmap
  HBITMAP compatible = CreateCompatibleBitmap(dc, 4, 4);
  GetObject(compatible, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 1);  // so its compatible bitmaps are monochrome, as on Windows
  EXPECT_EQ(SelectObject(dc, compatible), stockBitmap);
  EXPECT_FALSE(DeleteObject(compatible));  // still selected
  HDC other = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectObject(other, compatible), nullptr);  // one DC at a time
  EXPECT_EQ(SelectObject(dc, stockBitmap), compatible);
  EXPECT_TRUE(DeleteObject(compatible));
  HPEN pen = CreatePen(PS_DASH, 5, RGB(1, 2, 3));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  EXPECT_EQ(oldPen, GetStockObject(BLACK_PEN));
  LOGPEN lp{};
  ASSERT_EQ(GetObject(pen, sizeof lp, &lp), static_cast<int>(sizeof lp));
  EXPECT_EQ(lp.lopnWidth.x, 1);  // styled pens are one pixel wide
  EXPECT_EQ(lp.lopnColor, RGB(1, 2, 3));
  EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH)));
  EXPECT_EQ(GetObjectType(GetStockObject(WHITE_BRUSH)), OBJ_BRUSH);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
  DeleteDC(other);
  DeleteDC(dc);
}

TEST(Objects, PalettesSelectAndRealizeWithoutChangingPixels) {
  Canvas c(1, 1);
  HPALETTE halftone = CreateHalftonePalette(c.dc());
  ASSERT_NE(halftone, nullptr);
  EXPECT_EQ(GetPaletteEntries(halftone, 0, 0, nullptr), 256u);
  HPALETTE old = SelectPalette(c.dc(), halftone, FALSE);
  EXPECT_EQ(old, GetStockObject(DEFAULT_PALETTE));
  EXPECT_EQ(RealizePalette(c.dc()), 0u);  // a 32-bit display maps every colour itself
  SetPixel(c.dc(), 0, 0, RGB(1, 2, 3));
  EXPECT_EQ(c.At(0, 0), RGB(1, 2, 3));
  EXPECT_EQ(SelectPalette(c.dc(), old, FALSE), halftone);
  struct { WORD version, count; PALETTEENTRY entries[2]; } lp{0x300, 2, {{255, 0, 0, 0}, {0, 0, 255, 0}}};
  HPALETTE two = CreatePalette(reinterpret_cast<LOGPALETTE*>(&lp));
  PALETTEENTRY e[2] = {};
  EXPECT_EQ(GetPaletteEntries(two, 0, 2, e), 2u);
  EXPECT_EQ(e[1].peBlue, 255);
  DeleteObject(two);
  DeleteObject(halftone);
}

TEST(Objects, SaveAndRestoreBringBackAttributesAndObjects) {
  Canvas c(2, 2);
  SetTextColor(c.dc(), RGB(1, 1, 1));
  const int level = SaveDC(c.dc());
  SetTextColor(c.dc(), RGB(2, 2, 2));
  SetViewportOrgEx(c.dc(), 5, 5, nullptr);
  SaveDC(c.dc());
  SetTextColor(c.dc(), RGB(3, 3, 3));
  EXPECT_TRUE(RestoreDC(c.dc(), -1));
  EXPECT_EQ(GetTextColor(c.dc()), RGB(2, 2, 2));
  EXPECT_TRUE(RestoreDC(c.dc(), level));
  EXPECT_EQ(GetTextColor(c.dc()), RGB(1, 1, 1));
  POINT org;
  GetViewportOrgEx(c.dc(), &org);
  EXPECT_EQ(org.x, 0);
  EXPECT_FALSE(RestoreDC(c.dc(), level));  // that state is gone
}

TEST(Png, WritesTheBitmapAndReportsAnUnwritablePath) {
  Canvas c(3, 2, RGB(10, 20, 30));
  const std::string path = testing::TempDir() + "gdi_png_test.png";
  ASSERT_TRUE(tolvar::gdi::WritePng(c.bitmap(), path.c_str()));
  FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  unsigned char sig[8];
  ASSERT_EQ(std::fread(sig, 1, 8, f), 8u);
  std::fclose(f);
  EXPECT_EQ(std::memcmp(sig, "\x89PNG\r\n\x1a\n", 8), 0);
  EXPECT_FALSE(tolvar::gdi::WritePng(c.bitmap(), "/nonexistent-dir/x.png"));
}
