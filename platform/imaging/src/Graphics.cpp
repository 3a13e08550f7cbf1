// Graphics: drawing on an image's pixels or on a device context. A picture drawn into a rectangle is
// scaled by the filter the interpolation mode names, only for the part of the rectangle that can be
// seen, and blended over what is there by its alpha. On a device context the result goes through
// the DC's own transfer (origin and clipping apply); pixels under a partly transparent picture are
// read back first.
#include <imaging/Graphics.h>

#include <imaging/Decoders.h>
#include <imaging/Image.h>
#include <imaging/Startup.h>

#include "Resample.h"

#include <gdi/Gdi.h>

#include <algorithm>

namespace Gdiplus {

namespace {

using tolvar::imaging::Filter;
using tolvar::imaging::Window;

Filter FilterFor(InterpolationMode mode) {
  switch (mode) {
    case InterpolationModeNearestNeighbor: return Filter::Nearest;
    case InterpolationModeBicubic:
    case InterpolationModeHighQuality:
    case InterpolationModeHighQualityBicubic: return Filter::Bicubic;
    default: return Filter::Bilinear;
  }
}

ARGB Blend(ARGB front, ARGB behind, bool opaqueTarget) {
  const unsigned a = front >> 24;
  if (a == 255) return front;
  if (a == 0) return opaqueTarget ? (behind | 0xFF000000) : behind;
  const unsigned b = opaqueTarget ? 255 : behind >> 24;
  const unsigned out = a + b * (255 - a) / 255;  // alpha of the result
  auto channel = [&](int shift) {
    const unsigned f = (front >> shift) & 0xFF, k = (behind >> shift) & 0xFF;
    return ((f * a * 255 + k * b * (255 - a) + out * 255 / 2) / (out * 255)) << shift;
  };
  return (ARGB(opaqueTarget ? 255 : out) << 24) | channel(16) | channel(8) | channel(0);
}

}  // namespace

Graphics::Graphics(Image* image) {
  if (!tolvar::imaging::IsStarted()) {
    Fail(GdiplusNotInitialized);
    return;
  }
  if (!image || !image->m_image) {
    Fail(InvalidParameter);
    return;
  }
  if (IsIndexedPixelFormat(image->m_image->pixelFormat)) {
    Fail(OutOfMemory);  // what Windows reports for a graphics object on an indexed image
    return;
  }
  m_image = image;
}

Graphics::Graphics(HDC hdc) {
  if (!tolvar::imaging::IsStarted()) {
    Fail(GdiplusNotInitialized);
    return;
  }
  if (!hdc) {
    Fail(InvalidParameter);
    return;
  }
  m_hdc = hdc;
}

Graphics* Graphics::FromImage(Image* image) { return new (std::nothrow) Graphics(image); }
Graphics* Graphics::FromHDC(HDC hdc) { return new (std::nothrow) Graphics(hdc); }
Graphics::~Graphics() = default;

Status Graphics::Fail(Status status) {
  if (status != Ok) m_lastStatus = status;
  return status;
}

Status Graphics::GetLastStatus() {
  const Status status = m_lastStatus;
  m_lastStatus = Ok;
  return status;
}

Status Graphics::SetInterpolationMode(InterpolationMode mode) {
  if (mode < InterpolationModeDefault || mode > InterpolationModeHighQualityBicubic) return Fail(InvalidParameter);
  if (!m_image && !m_hdc) return Fail(InvalidParameter);
  m_mode = mode;
  return Ok;
}

InterpolationMode Graphics::GetInterpolationMode() const { return m_mode; }

Status Graphics::Clear(const Color& color) {
  if (m_image) {
    if (m_image->m_locked) return Fail(WrongState);
    auto& target = *m_image->m_image;
    const bool opaque = !IsAlphaPixelFormat(target.pixelFormat);
    std::fill(target.pixels.begin(), target.pixels.end(), opaque ? (color.GetValue() | 0xFF000000) : color.GetValue());
    return Ok;
  }
  if (!m_hdc) return Fail(InvalidParameter);
  RECT visible{};
  if (GetClipBox(m_hdc, &visible) == 0) return Fail(InvalidParameter);  // ERROR: not a DC
  HBRUSH brush = CreateSolidBrush(color.ToCOLORREF());
  if (!brush) return Fail(OutOfMemory);
  FillRect(m_hdc, &visible, brush);
  DeleteObject(brush);
  return Ok;
}

Status Graphics::DrawImage(Image* image, INT x, INT y) {
  if (!image || !image->m_image) return Fail(InvalidParameter);
  return DrawImage(image, x, y, INT(image->m_image->width), INT(image->m_image->height));
}

Status Graphics::DrawImage(Image* image, const Rect& rect) {
  return DrawImage(image, rect.X, rect.Y, rect.Width, rect.Height);
}

Status Graphics::DrawImage(Image* image, INT x, INT y, INT width, INT height) {
  if (!image || !image->m_image || (!m_image && !m_hdc)) return Fail(InvalidParameter);
  if ((m_image && m_image->m_locked) || image->m_locked) return Fail(WrongState);
  if (width == 0 || height == 0) return Ok;
  // A negative width or height mirrors the picture along that axis.
  const bool flipX = width < 0, flipY = height < 0;
  const LONGLONG left = flipX ? LONGLONG(x) + width : x, top = flipY ? LONGLONG(y) + height : y;
  const LONGLONG w = flipX ? -LONGLONG(width) : width, h = flipY ? -LONGLONG(height) : height;

  // The part of the rectangle that can be seen, in target coordinates.
  LONGLONG boundLeft = 0, boundTop = 0, boundRight = 0, boundBottom = 0;
  if (m_image) {
    boundRight = m_image->m_image->width, boundBottom = m_image->m_image->height;
  } else {
    RECT visible{};
    if (GetClipBox(m_hdc, &visible) == 0) return Fail(InvalidParameter);
    boundLeft = visible.left, boundTop = visible.top, boundRight = visible.right, boundBottom = visible.bottom;
  }
  const LONGLONG x0 = std::max(left, boundLeft), x1 = std::min(left + w, boundRight);
  const LONGLONG y0 = std::max(top, boundTop), y1 = std::min(top + h, boundBottom);
  if (x0 >= x1 || y0 >= y1) return Ok;
  if (w > 0x7FFFFFFF || h > 0x7FFFFFFF) return Fail(ValueOverflow);

  // The window of the scaled picture to produce, mirrored where the picture is.
  const int c0 = int(x0 - left), c1 = int(x1 - left), r0 = int(y0 - top), r1 = int(y1 - top);
  const Window window{flipX ? int(w) - c1 : c0, flipY ? int(h) - r1 : r0, flipX ? int(w) - c0 : c1,
                      flipY ? int(h) - r0 : r1};
  const auto& source = *image->m_image;
  std::vector<ARGB> copy;
  const ARGB* pixels = source.pixels.data();
  if (m_image == image) {  // drawing an image onto itself reads the pixels as they were
    copy = source.pixels;
    pixels = copy.data();
  }
  std::vector<ARGB> scaled = tolvar::imaging::Resample(pixels, source.width, source.height, UINT(w), UINT(h), window,
                                                       FilterFor(m_mode));
  const int columns = c1 - c0, rows = r1 - r0;
  if (flipX)
    for (int r = 0; r < rows; ++r) std::reverse(scaled.begin() + r * columns, scaled.begin() + (r + 1) * columns);
  if (flipY)
    for (int r = 0; r < rows / 2; ++r)
      std::swap_ranges(scaled.begin() + r * columns, scaled.begin() + (r + 1) * columns,
                       scaled.begin() + (rows - 1 - r) * columns);

  if (m_image) {
    auto& target = *m_image->m_image;
    const bool opaque = !IsAlphaPixelFormat(target.pixelFormat);
    for (int r = 0; r < rows; ++r) {
      ARGB* out = &target.pixels[std::size_t(y0 + r) * target.width + std::size_t(x0)];
      for (int c = 0; c < columns; ++c) out[c] = Blend(scaled[std::size_t(r) * columns + c], out[c], opaque);
    }
    return Ok;
  }

  // On a device context: blend over the pixels there when the picture is not opaque, then transfer.
  const bool translucent = std::any_of(scaled.begin(), scaled.end(), [](ARGB p) { return (p >> 24) != 255; });
  if (translucent) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = columns;
    info.bmiHeader.biHeight = -rows;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(m_hdc);
    HBITMAP behind = memory ? CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    if (!behind || !bits) {
      if (behind) DeleteObject(behind);
      if (memory) DeleteDC(memory);
      return Fail(OutOfMemory);
    }
    HGDIOBJ old = SelectObject(memory, behind);
    BitBlt(memory, 0, 0, columns, rows, m_hdc, int(x0), int(y0), SRCCOPY);
    const auto* under = static_cast<const DWORD*>(bits);
    for (std::size_t i = 0; i < scaled.size(); ++i) scaled[i] = Blend(scaled[i], under[i], true);
    SelectObject(memory, old);
    DeleteObject(behind);
    DeleteDC(memory);
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = columns;
  info.bmiHeader.biHeight = -rows;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  if (SetDIBitsToDevice(m_hdc, int(x0), int(y0), DWORD(columns), DWORD(rows), 0, 0, 0, UINT(rows), scaled.data(),
                        &info, DIB_RGB_COLORS) == 0)
    return Fail(GenericError);
  return Ok;
}

}  // namespace Gdiplus
