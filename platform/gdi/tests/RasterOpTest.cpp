// All 256 ternary raster operations against their truth table, on colour and monochrome targets.
#include "Probe.h"

#include <gtest/gtest.h>

namespace {

// Bit i of a ROP's table byte is the result for pattern = bit 2 of i, source = bit 1, destination = bit 0.
int Expected(int rop, int p, int s, int d) { return (rop >> ((p << 2) | (s << 1) | d)) & 1; }

}  // namespace

TEST(RasterOps, EveryOperationFollowsItsTruthTableOnColour) {
  // With pattern 0xF0, source 0xCC and destination 0xAA in every channel, bit i of each channel meets
  // the combination i, so the result's channels spell out the operation's table byte.
  Canvas dst(1, 1), src(1, 1, RGB(0xCC, 0xCC, 0xCC));
  HBRUSH brush = CreateSolidBrush(RGB(0xF0, 0xF0, 0xF0));
  HGDIOBJ old = SelectObject(dst.dc(), brush);
  for (int rop = 0; rop < 256; ++rop) {
    SetPixel(dst.dc(), 0, 0, RGB(0xAA, 0xAA, 0xAA));
    ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, static_cast<DWORD>(rop) << 16));
    const BYTE b = static_cast<BYTE>(rop);
    ASSERT_EQ(dst.At(0, 0), RGB(b, b, b)) << "rop " << rop;
  }
  SelectObject(dst.dc(), old);
  DeleteObject(brush);
}

TEST(RasterOps, EveryOperationFollowsItsTruthTableOnMonochrome) {
  // Eight pixels hold the eight (pattern, source, destination) combinations.
  const BYTE patternRows[8] = {0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F};  // P = 1 for x >= 4
  WORD patternBits[8];
  for (int i = 0; i < 8; ++i) patternBits[i] = patternRows[i];
  HBITMAP patternBitmap = CreateBitmap(8, 8, 1, 1, patternBits);
  HBRUSH brush = CreatePatternBrush(patternBitmap);
  DeleteObject(patternBitmap);

  const WORD sourceBits = 0x33;  // S = 1 for x in {2, 3, 6, 7}
  const WORD destBits = 0x55;    // D = 1 for x odd
  HBITMAP srcBitmap = CreateBitmap(8, 1, 1, 1, &sourceBits);
  HBITMAP dstBitmap = CreateBitmap(8, 1, 1, 1, nullptr);
  HDC src = CreateCompatibleDC(nullptr), dst = CreateCompatibleDC(nullptr);
  HGDIOBJ oldSrc = SelectObject(src, srcBitmap), oldDst = SelectObject(dst, dstBitmap);
  HGDIOBJ oldBrush = SelectObject(dst, brush);
  // A monochrome pattern paints 0 in the text colour and 1 in the background: black and white keep
  // its bits as they are.
  SetTextColor(dst, RGB(0, 0, 0));
  SetBkColor(dst, RGB(255, 255, 255));
  for (int rop = 0; rop < 256; ++rop) {
    for (int x = 0; x < 8; ++x) SetPixel(dst, x, 0, (destBits >> (7 - x)) & 1 ? RGB(255, 255, 255) : RGB(0, 0, 0));
    ASSERT_TRUE(BitBlt(dst, 0, 0, 8, 1, src, 0, 0, static_cast<DWORD>(rop) << 16));
    for (int x = 0; x < 8; ++x) {
      const int p = (patternRows[0] >> (7 - x)) & 1, s = (sourceBits >> (7 - x)) & 1, d = (destBits >> (7 - x)) & 1;
      const COLORREF want = Expected(rop, p, s, d) ? RGB(255, 255, 255) : RGB(0, 0, 0);
      ASSERT_EQ(GetPixel(dst, x, 0), want) << "rop " << rop << " x " << x;
    }
  }
  SelectObject(dst, oldBrush);
  SelectObject(src, oldSrc);
  SelectObject(dst, oldDst);
  DeleteDC(src);
  DeleteDC(dst);
  DeleteObject(srcBitmap);
  DeleteObject(dstBitmap);
  DeleteObject(brush);
}

TEST(RasterOps, NamedOperationsMeanWhatTheirNamesSay) {
  struct Case { DWORD rop; int p, s, d, want; };
  // One probe per named constant, at a combination where it differs from its neighbours.
  const Case cases[] = {
      {SRCCOPY, 0, 1, 0, 1},   {SRCPAINT, 0, 0, 1, 1},  {SRCAND, 0, 1, 0, 0},    {SRCINVERT, 0, 1, 1, 0},
      {SRCERASE, 0, 1, 1, 0},  {NOTSRCCOPY, 0, 0, 0, 1}, {NOTSRCERASE, 0, 0, 0, 1}, {MERGECOPY, 1, 1, 0, 1},
      {MERGEPAINT, 0, 1, 0, 0}, {PATCOPY, 1, 0, 0, 1},  {PATPAINT, 0, 1, 0, 0},   {PATINVERT, 1, 0, 1, 0},
      {DSTINVERT, 0, 0, 1, 0}, {BLACKNESS, 1, 1, 1, 0}, {WHITENESS, 0, 0, 0, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(Expected(static_cast<int>(c.rop >> 16), c.p, c.s, c.d), c.want) << std::hex << c.rop;
}
