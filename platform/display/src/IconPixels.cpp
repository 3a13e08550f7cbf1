#include "IconPixels.h"

#include <gdi/Gdi.h>
#include <user/User.h>

#include <algorithm>

namespace tolvar::display {

std::vector<std::uint32_t> IconPixels(HICON icon, int width, int height, bool premultiplied) {
  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = -height;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  const std::size_t count = static_cast<std::size_t>(width) * height;
  std::vector<std::uint32_t> over[2];
  for (int pass = 0; pass < 2; ++pass) {
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) break;
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(pass ? WHITE_BRUSH : BLACK_BRUSH)));
    DrawIconEx(dc, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    over[pass].assign(pixels, pixels + count);
    SelectObject(dc, old);
    DeleteObject(bitmap);
  }
  DeleteDC(dc);
  if (over[0].empty() || over[1].empty()) return {};
  std::vector<std::uint32_t> out(count, 0);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t black = over[0][i], white = over[1][i];
    const int alpha = std::clamp(255 - (int((white >> 8) & 0xFF) - int((black >> 8) & 0xFF)), 0, 255);
    if (alpha == 0) continue;
    // Over black the colour shows premultiplied by its alpha already.
    auto channel = [&](int shift) {
      const int value = int((black >> shift) & 0xFF);
      return std::uint32_t(premultiplied ? std::min(value, alpha) : std::min(255, value * 255 / alpha)) << shift;
    };
    out[i] = std::uint32_t(alpha) << 24 | channel(16) | channel(8) | channel(0);
  }
  return out;
}

}  // namespace tolvar::display
