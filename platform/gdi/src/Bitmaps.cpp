#include <gdi/Bitmaps.h>

#include "Blit.h"

#include <base/LastError.h>
#include <base/WinError.h>

#include <algorithm>
#include <cstring>
#include <limits>

using namespace tolvar::gdi;

namespace {

// The colour table that follows a BITMAPINFO header: RGB quads, or with DIB_PAL_COLORS indices into
// the DC's palette.
std::vector<RGBQUAD> ReadColourTable(const BITMAPINFO* info, UINT usage, const DeviceContext* dc) {
  const BITMAPINFOHEADER& h = info->bmiHeader;
  std::vector<RGBQUAD> table;
  if (h.biBitCount > 8) return table;
  std::size_t count = h.biClrUsed ? h.biClrUsed : (1u << h.biBitCount);
  count = std::min<std::size_t>(count, 1u << h.biBitCount);
  const BYTE* base = reinterpret_cast<const BYTE*>(info) + h.biSize;
  for (std::size_t i = 0; i < count; ++i) {
    if (usage == DIB_PAL_COLORS) {
      WORD index;
      std::memcpy(&index, base + 2 * i, 2);
      PALETTEENTRY e{0, 0, 0, 0};
      if (dc && dc->state.palette.object && index < dc->state.palette.object->entries.size()) {
        e = dc->state.palette.object->entries[index];
      }
      table.push_back(RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0});
    } else {
      RGBQUAD q;
      std::memcpy(&q, base + sizeof(RGBQUAD) * i, sizeof q);
      table.push_back(q);
    }
  }
  // A table shorter than the depth allows is padded with black.
  table.resize(std::size_t{1} << h.biBitCount, RGBQUAD{0, 0, 0, 0});
  return table;
}

bool ValidHeader(const BITMAPINFOHEADER& h) {
  // The lowest height has no positive counterpart to stand for its rows.
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biWidth <= 0 || h.biHeight == 0 ||
      h.biHeight == std::numeric_limits<LONG>::min() || h.biPlanes != 1)
    return false;
  if (h.biCompression != BI_RGB) return false;  // compressed and bit-field DIBs are not used
  switch (h.biBitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: return true;
    default: return false;
  }
}

// A DIB in the caller's format, holding a copy of `bits` (or zeros).
std::shared_ptr<Dib> DibFromInfo(const BITMAPINFO* info, const void* bits, UINT usage, const DeviceContext* dc) {
  if (!info || !ValidHeader(info->bmiHeader)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const BITMAPINFOHEADER& h = info->bmiHeader;
  const bool topDown = h.biHeight < 0;
  auto dib = Dib::Create(h.biWidth, topDown ? -h.biHeight : h.biHeight, h.biBitCount, topDown);
  if (!dib) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (dib->Indexed()) dib->ColourTable() = ReadColourTable(info, usage, dc);
  if (bits) std::memcpy(dib->Bits(), bits, dib->SizeBytes());
  return dib;
}

// Copies pixels between two DIBs of the same size through their colours.
void ConvertInto(const Dib& from, Dib& to) {
  const SourceConverter convert = SourceConverter::ByColour(from, to);
  if (convert.Identity() && from.Stride() == to.Stride()) {
    for (int y = 0; y < from.Height(); ++y) std::memcpy(to.Row(y), from.Row(y), static_cast<std::size_t>(from.Stride()));
    return;
  }
  for (int y = 0; y < from.Height(); ++y)
    for (int x = 0; x < from.Width(); ++x) to.Set(x, y, convert(from.Get(x, y)));
}

// The depth of bitmaps compatible with a DC: its current bitmap's for a memory DC, 32 for the screen.
std::shared_ptr<Dib> CompatibleDib(HDC hdc, int width, int height) {
  auto dc = hdc ? LookupDc(hdc) : nullptr;
  if (hdc && !dc) return nullptr;
  if (dc && dc->memory) {
    const Dib* current = dc->Target();
    if (current && current->Bpp() != 32) {
      auto dib = Dib::Create(width, height, current->Bpp());
      if (dib && dib->Indexed()) dib->ColourTable() = current->ColourTable();
      return dib;
    }
  }
  return Dib::Create(width, height, 32);
}

}  // namespace

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  if (width < 0 || height < 0 || planes != 1) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (width == 0 || height == 0) return StockBitmap();  // as Windows: the 1x1 monochrome stock bitmap
  auto dib = Dib::Create(width, height, static_cast<int>(bitsPerPixel), true);
  if (!dib) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (bits) {
    // Device-dependent bits come as top-down rows padded to 16 bits.
    const int rowBytes = ((width * static_cast<int>(bitsPerPixel) + 15) / 16) * 2;
    const BYTE* in = static_cast<const BYTE*>(bits);
    for (int y = 0; y < height; ++y) {
      std::memcpy(dib->Row(y), in + static_cast<std::size_t>(y) * rowBytes,
                  static_cast<std::size_t>(std::min(rowBytes, dib->Stride())));
    }
  }
  return InsertBitmap(std::move(dib), false);
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
  if (width < 0 || height < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (width == 0 || height == 0) return StockBitmap();
  auto dib = CompatibleDib(hdc, width, height);
  if (!dib) {
    if (hdc && !LookupDc(hdc)) return nullptr;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return InsertBitmap(std::move(dib), false);
}

HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD) {
  if (bits) *bits = nullptr;
  if (section) {  // sections backed by file mappings are not used by the suite
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto dc = hdc ? LookupDc(hdc) : nullptr;
  auto dib = DibFromInfo(info, nullptr, usage, dc.get());
  if (!dib) return nullptr;
  void* pixels = dib->Bits();
  HBITMAP handle = InsertBitmap(std::move(dib), true);
  if (handle && bits) *bits = pixels;
  return handle;
}

HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage) {
  if (!header || header->biHeight == std::numeric_limits<LONG>::min()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const int width = header->biWidth;
  const int height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
  // The bitmap is compatible with the DC; a monochrome description asks for a monochrome bitmap.
  std::shared_ptr<Dib> dib = header->biBitCount == 1 ? Dib::Create(width, height, 1, true)
                                                      : CompatibleDib(hdc, width, height);
  if (!dib) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if ((init & CBM_INIT) && bits) {
    auto dc = hdc ? LookupDc(hdc) : nullptr;
    auto from = DibFromInfo(info, bits, usage, dc.get());
    if (!from || from->Width() != width || from->Height() != height) return nullptr;
    ConvertInto(*from, *dib);
  }
  return InsertBitmap(std::move(dib), false);
}

LONG GetBitmapBits(HBITMAP handle, LONG size, LPVOID bits) {
  auto bitmap = LookupBitmap(handle);
  if (!bitmap) return 0;
  const Dib& dib = *bitmap->dib;
  const int rowBytes = ((dib.Width() * dib.Bpp() + 15) / 16) * 2;
  const LONG total = rowBytes * dib.Height();
  if (!bits) return total;
  LONG copied = 0;
  BYTE* out = static_cast<BYTE*>(bits);
  for (int y = 0; y < dib.Height() && copied < size; ++y) {
    const LONG n = std::min<LONG>(rowBytes, size - copied);
    std::memcpy(out + copied, dib.Row(y), static_cast<std::size_t>(std::min<LONG>(n, dib.Stride())));
    copied += n;
  }
  return copied;
}

int GetDIBits(HDC hdc, HBITMAP handle, UINT start, UINT lines, LPVOID bits, LPBITMAPINFO info, UINT usage) {
  auto dc = LookupDc(hdc);
  auto bitmap = LookupBitmap(handle);
  if (!dc || !bitmap || !info) return 0;
  const Dib& dib = *bitmap->dib;
  BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biSize < sizeof(BITMAPINFOHEADER)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (h.biBitCount == 0) {
    // Asked for the bitmap's own format.
    h.biWidth = dib.Width();
    h.biHeight = dib.Height();
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(dib.Bpp());
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(dib.SizeBytes());
    h.biClrUsed = 0;
    return dib.Height();
  }
  if (h.biWidth == 0) h.biWidth = dib.Width();
  if (h.biHeight == 0) h.biHeight = dib.Height();
  auto out = DibFromInfo(info, nullptr, DIB_RGB_COLORS, dc.get());
  if (!out) return 0;
  // The caller's format gets the standard colour table of its depth (or the bitmap's own when equal).
  if (out->Indexed()) {
    out->ColourTable() = out->Bpp() == dib.Bpp() && dib.Indexed() ? dib.ColourTable() : Dib::DefaultColourTable(out->Bpp());
    if (usage == DIB_RGB_COLORS) {
      BYTE* table = reinterpret_cast<BYTE*>(info) + h.biSize;
      std::memcpy(table, out->ColourTable().data(), out->ColourTable().size() * sizeof(RGBQUAD));
    }
  }
  h.biSizeImage = static_cast<DWORD>(out->SizeBytes());
  if (!bits) return dib.Height();
  // Scan lines count from the bottom of the bitmap for a bottom-up request, from the top otherwise.
  const int height = std::min(out->Height(), dib.Height());
  const int width = std::min(out->Width(), dib.Width());
  const SourceConverter convert = SourceConverter::ByColour(dib, *out);
  int copied = 0;
  for (UINT scan = start; scan < start + lines && static_cast<int>(scan) < height; ++scan, ++copied) {
    const int y = out->TopDown() ? static_cast<int>(scan) : height - 1 - static_cast<int>(scan);
    for (int x = 0; x < width; ++x) out->Set(x, y, convert(dib.Get(x, y)));
    // Row `scan` of the caller's buffer, counted from its start.
    const int outRow = static_cast<int>(scan - start);
    std::memcpy(static_cast<BYTE*>(bits) + static_cast<std::size_t>(outRow) * out->Stride(), out->Row(y),
                static_cast<std::size_t>(out->Stride()));
  }
  return copied;
}

int SetDIBits(HDC hdc, HBITMAP handle, UINT start, UINT lines, const void* bits, const BITMAPINFO* info,
              UINT usage) {
  auto bitmap = LookupBitmap(handle);
  if (!bitmap || !bits || !info) return 0;
  auto dc = hdc ? LookupDc(hdc) : nullptr;
  if (!info || !ValidHeader(info->bmiHeader)) return 0;
  // Build the full-height DIB in the caller's format and place the given scan lines in it.
  BITMAPINFOHEADER h = info->bmiHeader;
  const bool topDown = h.biHeight < 0;
  const int height = topDown ? -h.biHeight : h.biHeight;
  auto from = DibFromInfo(info, nullptr, usage, dc.get());
  if (!from) return 0;
  Dib& dib = *bitmap->dib;
  const SourceConverter convert = SourceConverter::ByColour(*from, dib);
  int copied = 0;
  for (UINT scan = start; scan < start + lines && static_cast<int>(scan) < height; ++scan, ++copied) {
    const int y = topDown ? static_cast<int>(scan) : height - 1 - static_cast<int>(scan);
    std::memcpy(from->Row(y), static_cast<const BYTE*>(bits) + static_cast<std::size_t>(scan - start) * from->Stride(),
                static_cast<std::size_t>(from->Stride()));
    if (y >= dib.Height()) continue;
    for (int x = 0; x < std::min(from->Width(), dib.Width()); ++x) dib.Set(x, y, convert(from->Get(x, y)));
  }
  return copied;
}

int StretchDIBits(HDC hdc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                  int srcWidth, int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop) {
  auto dc = LookupDc(hdc);
  if (!dc || !bits) return 0;
  Dib* target = dc->Target();
  if (!target) return 0;
  auto from = DibFromInfo(info, bits, usage, dc.get());
  if (!from) return 0;
  // Source coordinates of DIB functions count rows from the bottom of a bottom-up DIB.
  const int top = from->TopDown() ? ySrc : from->Height() - ySrc - srcHeight;
  const POINT d = dc->LogicalToSurface(xDest, yDest);
  const SourceConverter convert = SourceConverter::ByColour(*from, *target);
  const BrushPaint brush(dc->state.brush.object.get(), *dc, *target);
  StretchCore(*target, dc->EffectiveClip(), RECT{d.x, d.y, d.x + destWidth, d.y + destHeight}, from.get(),
              RECT{xSrc, top, xSrc + srcWidth, top + srcHeight}, &convert, brush, static_cast<std::uint8_t>(rop >> 16),
              dc->state.stretchMode);
  return srcHeight < 0 ? -srcHeight : srcHeight;
}

int SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc,
                      UINT startScan, UINT lines, const void* bits, const BITMAPINFO* info, UINT usage) {
  if (!info || !ValidHeader(info->bmiHeader)) return 0;
  // The given scan lines are a band of the whole DIB: build the whole in memory, then copy as a blit.
  const BITMAPINFOHEADER& h = info->bmiHeader;
  const bool topDown = h.biHeight < 0;
  const int fullHeight = topDown ? -h.biHeight : h.biHeight;
  auto dc = LookupDc(hdc);
  if (!dc || !bits) return 0;
  auto from = DibFromInfo(info, nullptr, usage, dc.get());
  if (!from) return 0;
  int copied = 0;
  for (UINT scan = startScan; scan < startScan + lines && static_cast<int>(scan) < fullHeight; ++scan, ++copied) {
    const int y = topDown ? static_cast<int>(scan) : fullHeight - 1 - static_cast<int>(scan);
    std::memcpy(from->Row(y), static_cast<const BYTE*>(bits) + static_cast<std::size_t>(scan - startScan) * from->Stride(),
                static_cast<std::size_t>(from->Stride()));
  }
  Dib* target = dc->Target();
  if (!target) return 0;
  const int top = topDown ? ySrc : fullHeight - ySrc - static_cast<int>(height);
  const POINT d = dc->LogicalToSurface(xDest, yDest);
  const SourceConverter convert = SourceConverter::ByColour(*from, *target);
  const int w = static_cast<int>(width), hgt = static_cast<int>(height);
  StretchCore(*target, dc->EffectiveClip(), RECT{d.x, d.y, d.x + w, d.y + hgt}, from.get(),
              RECT{xSrc, top, xSrc + w, top + hgt}, &convert, BrushPaint{}, 0xCC, COLORONCOLOR);
  return copied;
}
