#include <gdi/Objects.h>
#include <gdi/Region.h>

#include "DeviceContext.h"

#include <base/LastError.h>
#include <base/WinError.h>

#include <algorithm>
#include <cstring>

using namespace tolvar::gdi;

namespace {

template <class T>
HGDIOBJ Swap(Selected<T>& slot, HGDIOBJ handle, std::shared_ptr<T> object) {
  HGDIOBJ previous = slot.handle;
  slot = {handle, std::move(object)};
  return previous;
}

int CopyOut(const void* data, int size, int bufferSize, LPVOID buffer) {
  if (!buffer) return size;
  const int n = std::min(size, bufferSize);
  if (n <= 0) return 0;
  std::memcpy(buffer, data, static_cast<std::size_t>(n));
  return n;
}

BITMAP DescribeBitmap(const BitmapObject& bitmap) {
  const Dib& dib = *bitmap.dib;
  BITMAP bm{};
  bm.bmType = 0;
  bm.bmWidth = dib.Width();
  bm.bmHeight = dib.Height();
  // A device-dependent bitmap reports 16-bit aligned rows, a DIB section its own 32-bit aligned rows.
  bm.bmWidthBytes = bitmap.dibSection ? dib.Stride() : ((dib.Width() * dib.Bpp() + 15) / 16) * 2;
  bm.bmPlanes = 1;
  bm.bmBitsPixel = static_cast<WORD>(dib.Bpp());
  bm.bmBits = bitmap.dibSection ? const_cast<std::uint8_t*>(dib.Bits()) : nullptr;
  return bm;
}

}  // namespace

HGDIOBJ GetStockObject(int index) { return StockObject(index); }

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ handle) {
  auto dc = LookupDc(hdc);
  auto object = LookupObject(handle);
  if (!dc || !object) return nullptr;
  switch (object->GetKind()) {
    case Kind::Pen: return Swap(dc->state.pen, handle, std::static_pointer_cast<PenObject>(object));
    case Kind::Brush: return Swap(dc->state.brush, handle, std::static_pointer_cast<BrushObject>(object));
    case Kind::Font: return Swap(dc->state.font, handle, std::static_pointer_cast<FontObject>(object));
    case Kind::Bitmap: {
      if (!dc->memory) return nullptr;  // only memory DCs take bitmaps
      HGDIOBJ previous = dc->state.bitmap.handle;
      if (!dc->SelectBitmap(static_cast<HBITMAP>(handle), std::static_pointer_cast<BitmapObject>(object))) {
        return nullptr;
      }
      return previous;
    }
    case Kind::Region: {
      const int result = SelectClipRgn(hdc, static_cast<HRGN>(handle));
      return reinterpret_cast<HGDIOBJ>(static_cast<std::intptr_t>(result));
    }
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
}

BOOL DeleteObject(HGDIOBJ handle) {
  auto object = LookupObject(handle);
  if (!object) return FALSE;
  if (object->stock) return TRUE;
  switch (object->GetKind()) {
    case Kind::Pen: case Kind::Brush: case Kind::Font: case Kind::Region: case Kind::Palette:
      break;
    case Kind::Bitmap:
      // A bitmap still selected into a DC stays: the DC draws into it.
      if (std::static_pointer_cast<BitmapObject>(object)->selectedIn) return FALSE;
      break;
    default:
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
  }
  // Pens, brushes and fonts selected into a DC live on there until they are replaced.
  return RemoveObject(handle) ? TRUE : FALSE;
}

int GetObjectA(HGDIOBJ handle, int size, LPVOID buffer) {
  auto object = LookupObject(handle);
  if (!object) return 0;
  switch (object->GetKind()) {
    case Kind::Pen: {
      const auto& pen = static_cast<const PenObject&>(*object);
      LOGPEN lp{static_cast<UINT>(pen.style), POINT{pen.width, 0}, pen.colour};
      return CopyOut(&lp, sizeof lp, size, buffer);
    }
    case Kind::Brush: {
      const auto& brush = static_cast<const BrushObject&>(*object);
      LOGBRUSH lb{brush.style, brush.colour, 0};
      if (brush.style == BS_HATCHED) lb.lbHatch = static_cast<ULONG_PTR>(brush.hatch);
      if (brush.style == BS_PATTERN) lb.lbHatch = reinterpret_cast<ULONG_PTR>(brush.patternHandle);
      return CopyOut(&lb, sizeof lb, size, buffer);
    }
    case Kind::Font: {
      const auto& font = static_cast<const FontObject&>(*object);
      return CopyOut(&font.logfont, sizeof font.logfont, size, buffer);
    }
    case Kind::Bitmap: {
      const auto& bitmap = static_cast<const BitmapObject&>(*object);
      const BITMAP bm = DescribeBitmap(bitmap);
      if (bitmap.dibSection && (size >= static_cast<int>(sizeof(DIBSECTION)) || !buffer)) {
        DIBSECTION ds{};
        ds.dsBm = bm;
        const Dib& dib = *bitmap.dib;
        ds.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
        ds.dsBmih.biWidth = dib.Width();
        ds.dsBmih.biHeight = dib.TopDown() ? -dib.Height() : dib.Height();
        ds.dsBmih.biPlanes = 1;
        ds.dsBmih.biBitCount = static_cast<WORD>(dib.Bpp());
        ds.dsBmih.biCompression = BI_RGB;
        ds.dsBmih.biSizeImage = static_cast<DWORD>(dib.SizeBytes());
        ds.dsBmih.biClrUsed = static_cast<DWORD>(dib.ColourTable().size());
        return CopyOut(&ds, sizeof ds, size, buffer);
      }
      return CopyOut(&bm, sizeof bm, size, buffer);
    }
    case Kind::Palette: {
      const WORD count = static_cast<WORD>(static_cast<const PaletteObject&>(*object).entries.size());
      return CopyOut(&count, sizeof count, size, buffer);
    }
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
  }
}

DWORD GetObjectType(HGDIOBJ handle) {
  auto object = LookupObject(handle);
  if (!object) return 0;
  switch (object->GetKind()) {
    case Kind::Pen: return OBJ_PEN;
    case Kind::Brush: return OBJ_BRUSH;
    case Kind::Font: return OBJ_FONT;
    case Kind::Bitmap: return OBJ_BITMAP;
    case Kind::Region: return OBJ_REGION;
    case Kind::Palette: return OBJ_PAL;
    case Kind::Dc: return static_cast<const DeviceContext&>(*object).memory ? OBJ_MEMDC : OBJ_DC;
    default: return 0;
  }
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
  auto dc = LookupDc(hdc);
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_PEN: return dc->state.pen.handle;
    case OBJ_BRUSH: return dc->state.brush.handle;
    case OBJ_FONT: return dc->state.font.handle;
    case OBJ_BITMAP: return dc->memory ? dc->state.bitmap.handle : dc->surfaceHandle;
    case OBJ_PAL: return dc->state.palette.handle;
    default: return nullptr;
  }
}

HPEN CreatePen(int style, int width, COLORREF color) {
  const int kind = style & PS_STYLE_MASK;
  if (kind > PS_INSIDEFRAME) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto pen = std::make_shared<PenObject>();
  pen->style = kind;
  pen->width = std::max(1, std::abs(width));
  // Styled lines are cosmetic: one pixel wide whatever was asked, as on Windows.
  if (kind >= PS_DASH && kind <= PS_DASHDOTDOT) pen->width = 1;
  pen->colour = color & 0xFFFFFF;
  return static_cast<HPEN>(InsertObject(std::move(pen)));
}

HPEN CreatePenIndirect(const LOGPEN* pen) {
  if (!pen) return nullptr;
  return CreatePen(static_cast<int>(pen->lopnStyle), pen->lopnWidth.x, pen->lopnColor);
}

HBRUSH CreateSolidBrush(COLORREF color) {
  LOGBRUSH lb{BS_SOLID, color, 0};
  return CreateBrushIndirect(&lb);
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color) {
  LOGBRUSH lb{BS_HATCHED, color, static_cast<ULONG_PTR>(hatch)};
  return CreateBrushIndirect(&lb);
}

HBRUSH CreatePatternBrush(HBITMAP bitmap) {
  LOGBRUSH lb{BS_PATTERN, 0, reinterpret_cast<ULONG_PTR>(bitmap)};
  return CreateBrushIndirect(&lb);
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* lb) {
  if (!lb) return nullptr;
  auto brush = std::make_shared<BrushObject>();
  brush->style = lb->lbStyle;
  brush->colour = lb->lbColor & 0xFFFFFF;
  switch (lb->lbStyle) {
    case BS_SOLID: case BS_NULL: break;
    case BS_HATCHED:
      if (lb->lbHatch > HS_DIAGCROSS) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
      }
      brush->hatch = static_cast<int>(lb->lbHatch);
      break;
    case BS_PATTERN: {
      auto source = LookupBitmap(reinterpret_cast<HGDIOBJ>(lb->lbHatch));
      if (!source) return nullptr;
      // The brush keeps the pattern as it is now; the caller may delete the bitmap afterwards.
      brush->pattern = std::make_shared<Dib>(*source->dib);
      brush->patternHandle = reinterpret_cast<HBITMAP>(lb->lbHatch);
      break;
    }
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
  return static_cast<HBRUSH>(InsertObject(std::move(brush)));
}

HPALETTE CreatePalette(const LOGPALETTE* lp) {
  if (!lp || lp->palNumEntries == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto palette = std::make_shared<PaletteObject>();
  palette->entries.assign(lp->palPalEntry, lp->palPalEntry + lp->palNumEntries);
  return static_cast<HPALETTE>(InsertObject(std::move(palette)));
}

HPALETTE CreateHalftonePalette(HDC hdc) {
  if (hdc && !LookupDc(hdc)) return nullptr;
  auto palette = std::make_shared<PaletteObject>();
  for (const RGBQUAD& q : Dib::DefaultColourTable(8)) {
    palette->entries.push_back({q.rgbRed, q.rgbGreen, q.rgbBlue, 0});
  }
  return static_cast<HPALETTE>(InsertObject(std::move(palette)));
}

HPALETTE SelectPalette(HDC hdc, HPALETTE handle, BOOL) {
  auto dc = LookupDc(hdc);
  auto palette = LookupPalette(handle);
  if (!dc || !palette) return nullptr;
  return static_cast<HPALETTE>(Swap(dc->state.palette, handle, palette));
}

UINT RealizePalette(HDC hdc) {
  // A 32-bit display maps every colour exactly: no system palette entry changes.
  return LookupDc(hdc) ? 0 : GDI_ERROR;
}

UINT GetPaletteEntries(HPALETTE handle, UINT start, UINT count, PALETTEENTRY* entries) {
  auto palette = LookupPalette(handle);
  if (!palette) return 0;
  const UINT total = static_cast<UINT>(palette->entries.size());
  if (!entries) return total;
  if (start >= total) return 0;
  const UINT n = std::min(count, total - start);
  std::copy_n(palette->entries.begin() + start, n, entries);
  return n;
}
