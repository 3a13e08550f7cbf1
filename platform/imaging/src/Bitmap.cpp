// Bitmap: a blank picture to draw on, pixel access through LockBits, and conversion to a GDI bitmap.
// Pixels are held as 32-bit ARGB whatever the pixel format says; a format without alpha keeps every
// pixel opaque, so a 24-bit bitmap reads back as exactly what was written.
#include <imaging/Image.h>

#include <imaging/Decoders.h>
#include <imaging/Startup.h>

#include <gdi/Gdi.h>

#include <cstring>

namespace Gdiplus {

namespace {

using tolvar::imaging::DecodedImage;

bool Opaque(PixelFormat format) { return !IsAlphaPixelFormat(format); }

UINT LockStride(UINT width, PixelFormat format) {
  return format == PixelFormat24bppRGB ? (width * 3 + 3) & ~3u : width * 4;
}

}  // namespace

struct Bitmap::Lock {
  Rect area;
  UINT flags = 0;
  PixelFormat format = PixelFormatUndefined;
  std::vector<BYTE> buffer;  // ours unless the caller gave its own
  BitmapData data{};
};

Bitmap::Bitmap(INT width, INT height, PixelFormat format) {
  if (!tolvar::imaging::IsStarted()) {
    Fail(GdiplusNotInitialized);
    return;
  }
  // The formats a drawing surface is made in; indexed and 16-bit surfaces are not needed.
  if (format != PixelFormat24bppRGB && format != PixelFormat32bppRGB && format != PixelFormat32bppARGB) {
    Fail(InvalidParameter);
    return;
  }
  if (width <= 0 || height <= 0 ||
      !tolvar::imaging::PictureSizeAllowed(ULONGLONG(width), ULONGLONG(height), tolvar::imaging::kMaxPixels)) {
    Fail(width <= 0 || height <= 0 ? InvalidParameter : OutOfMemory);
    return;
  }
  auto image = std::make_unique<DecodedImage>();
  image->rawFormat = ImageFormatMemoryBMP;
  image->pixelFormat = format;
  image->width = UINT(width);
  image->height = UINT(height);
  image->pixels.assign(std::size_t(width) * std::size_t(height), Opaque(format) ? ARGB(Color::Black) : ARGB(0));
  m_image = std::move(image);
}

Bitmap::Bitmap(const WCHAR* filename, BOOL) { LoadFile(filename); }
Bitmap::Bitmap(IStream* stream, BOOL) { LoadStream(stream); }
Bitmap::~Bitmap() = default;

Status Bitmap::LockBits(const Rect* rect, UINT flags, PixelFormat format, BitmapData* data) {
  if (!m_image || !data) return Fail(InvalidParameter);
  if (m_locked) return Fail(WrongState);
  if (format != PixelFormat24bppRGB && format != PixelFormat32bppARGB) return Fail(InvalidParameter);
  if (!(flags & (ImageLockModeRead | ImageLockModeWrite))) return Fail(InvalidParameter);
  const Rect area = rect ? *rect : Rect(0, 0, INT(m_image->width), INT(m_image->height));
  if (area.X < 0 || area.Y < 0 || area.Width <= 0 || area.Height <= 0 ||
      ULONGLONG(area.X) + ULONGLONG(area.Width) > m_image->width ||
      ULONGLONG(area.Y) + ULONGLONG(area.Height) > m_image->height)
    return Fail(InvalidParameter);

  auto lock = std::make_unique<Lock>();
  lock->area = area;
  lock->flags = flags;
  lock->format = format;
  BYTE* scan0 = nullptr;
  INT stride = 0;
  if (flags & ImageLockModeUserInputBuf) {
    if (!data->Scan0 || std::abs(data->Stride) < INT(LockStride(UINT(area.Width), format))) return Fail(InvalidParameter);
    scan0 = static_cast<BYTE*>(data->Scan0);
    stride = data->Stride;
  } else {
    stride = INT(LockStride(UINT(area.Width), format));
    lock->buffer.assign(std::size_t(stride) * std::size_t(area.Height), 0);
    scan0 = lock->buffer.data();
  }
  if (flags & ImageLockModeRead) {
    for (INT y = 0; y < area.Height; ++y) {
      const ARGB* in = &m_image->pixels[std::size_t(area.Y + y) * m_image->width + std::size_t(area.X)];
      BYTE* out = scan0 + std::ptrdiff_t(y) * stride;
      for (INT x = 0; x < area.Width; ++x) {
        if (format == PixelFormat24bppRGB) {
          out[3 * x] = BYTE(in[x]), out[3 * x + 1] = BYTE(in[x] >> 8), out[3 * x + 2] = BYTE(in[x] >> 16);
        } else {
          std::memcpy(out + 4 * x, &in[x], 4);
        }
      }
    }
  }
  data->Width = UINT(area.Width);
  data->Height = UINT(area.Height);
  data->Stride = stride;
  data->PixelFormat = format;
  data->Scan0 = scan0;
  data->Reserved = 0;
  lock->data = *data;
  m_lock = std::move(lock);
  m_locked = true;
  return Ok;
}

Status Bitmap::UnlockBits(BitmapData* data) {
  if (!data || !m_locked || !m_lock) return Fail(WrongState);
  const Lock& lock = *m_lock;
  if (lock.flags & ImageLockModeWrite) {
    const bool opaque = Opaque(m_image->pixelFormat);
    const auto* scan0 = static_cast<const BYTE*>(lock.data.Scan0);
    for (INT y = 0; y < lock.area.Height; ++y) {
      const BYTE* in = scan0 + std::ptrdiff_t(y) * lock.data.Stride;
      ARGB* out = &m_image->pixels[std::size_t(lock.area.Y + y) * m_image->width + std::size_t(lock.area.X)];
      for (INT x = 0; x < lock.area.Width; ++x) {
        ARGB p = 0;
        if (lock.format == PixelFormat24bppRGB) {
          p = Color::MakeARGB(255, in[3 * x + 2], in[3 * x + 1], in[3 * x]);
        } else {
          std::memcpy(&p, in + 4 * x, 4);
        }
        out[x] = opaque ? (p | 0xFF000000) : p;
      }
    }
  }
  m_lock.reset();
  m_locked = false;
  return Ok;
}

Status Bitmap::GetHBITMAP(const Color& background, HBITMAP* result) {
  if (!m_image || !result) return Fail(InvalidParameter);
  *result = nullptr;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = LONG(m_image->width);
  info.bmiHeader.biHeight = -LONG(m_image->height);  // top-down, as the pixels are held
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) return Fail(OutOfMemory);
  auto* out = static_cast<DWORD*>(bits);
  const ARGB back = background.GetValue();
  for (std::size_t i = 0; i < m_image->pixels.size(); ++i) {
    const ARGB p = m_image->pixels[i];
    const unsigned a = p >> 24;
    auto mix = [a](ARGB front, ARGB behind, int shift) {
      return ((((front >> shift) & 0xFF) * a + ((behind >> shift) & 0xFF) * (255 - a) + 127) / 255) << shift;
    };
    out[i] = a == 255 ? (p & 0x00FFFFFF) : (mix(p, back, 16) | mix(p, back, 8) | mix(p, back, 0));
  }
  *result = bitmap;
  return Ok;
}

}  // namespace Gdiplus
