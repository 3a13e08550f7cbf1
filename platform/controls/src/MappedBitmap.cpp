// CreateMappedBitmap: a bitmap resource read as 32-bit pixels with chosen colours replaced, so a
// toolbar's drawing takes the system's colours (or the caller's map).
#include "Common.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// The classic colours a toolbar bitmap is drawn in, and what they become by default.
struct Mapping {
  COLORREF from;
  int to;  // a system colour
};
constexpr Mapping kDefaults[] = {
    {RGB(0, 0, 0), COLOR_BTNTEXT},
    {RGB(128, 128, 128), COLOR_BTNSHADOW},
    {RGB(192, 192, 192), COLOR_BTNFACE},
    {RGB(255, 255, 255), COLOR_BTNHIGHLIGHT},
};

// A DIB pixel (blue, green, red) as a COLORREF and back.
COLORREF FromPixel(std::uint32_t pixel) { return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF); }
std::uint32_t ToPixel(COLORREF colour) {
  return (static_cast<std::uint32_t>(GetRValue(colour)) << 16) | (static_cast<std::uint32_t>(GetGValue(colour)) << 8) |
         GetBValue(colour);
}

}  // namespace

HBITMAP CreateMappedBitmap(HINSTANCE instance, INT_PTR bitmapId, UINT, LPCOLORMAP colorMap, int mapCount) {
  HBITMAP source = LoadBitmapA(instance, reinterpret_cast<LPCSTR>(bitmapId));
  if (!source) return nullptr;
  BITMAP info{};
  GetObjectA(source, sizeof info, &info);
  BITMAPINFO header{};
  header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  header.bmiHeader.biWidth = info.bmWidth;
  header.bmiHeader.biHeight = -info.bmHeight;  // top-down
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = 32;
  header.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(info.bmWidth) * static_cast<std::size_t>(info.bmHeight));
  HDC screen = GetDC(nullptr);
  const int lines = GetDIBits(screen, source, 0, static_cast<UINT>(info.bmHeight), pixels.data(), &header, DIB_RGB_COLORS);
  DeleteObject(source);
  if (lines != info.bmHeight) {
    ReleaseDC(nullptr, screen);
    return nullptr;
  }
  std::vector<COLORMAP> map;
  if (colorMap && mapCount > 0) {
    map.assign(colorMap, colorMap + mapCount);
  } else {
    for (const Mapping& m : kDefaults) map.push_back({m.from, GetSysColor(m.to)});
  }
  for (std::uint32_t& pixel : pixels) {
    const COLORREF colour = FromPixel(pixel);
    for (const COLORMAP& m : map) {
      if (m.from == colour) {
        pixel = ToPixel(m.to);
        break;
      }
    }
  }
  void* bits = nullptr;
  HBITMAP mapped = CreateDIBSection(screen, &header, DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (!mapped || !bits) return mapped;
  std::memcpy(bits, pixels.data(), pixels.size() * sizeof(std::uint32_t));
  return mapped;
}
