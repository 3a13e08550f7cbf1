#include <gdi/Icon.h>
#include <gdi/SysParams.h>

#include "Blit.h"
#include "IconObject.h"

#include <base/LastError.h>
#include <base/WinError.h>

#include <cstring>

namespace tolvar::gdi {

std::shared_ptr<IconObject> LookupIcon(HICON icon) { return Lookup<IconObject>(icon, Kind::Icon); }

HICON InsertIcon(std::shared_ptr<IconObject> icon) { return static_cast<HICON>(InsertObject(std::move(icon))); }

std::shared_ptr<Dib> ScaleDib(const Dib& from, int width, int height) {
  auto to = Dib::Create(width, height, from.Bpp(), true);
  if (!to) return nullptr;
  to->ColourTable() = from.ColourTable();
  for (int y = 0; y < height; ++y) {
    const int sy = static_cast<int>(static_cast<long long>(y) * from.Height() / height);
    for (int x = 0; x < width; ++x) {
      to->Set(x, y, from.Get(static_cast<int>(static_cast<long long>(x) * from.Width() / width), sy));
    }
  }
  return to;
}

namespace {

std::uint32_t Le16(const BYTE* p) { return static_cast<std::uint32_t>(p[0] | (p[1] << 8)); }
std::uint32_t Le32(const BYTE* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::shared_ptr<Dib> CopyAs(const Dib& from, int bpp) {
  auto to = Dib::Create(from.Width(), from.Height(), bpp, true);
  if (!to) return nullptr;
  const SourceConverter convert = SourceConverter::ByColour(from, *to);
  for (int y = 0; y < from.Height(); ++y)
    for (int x = 0; x < from.Width(); ++x) to->Set(x, y, convert(from.Get(x, y)));
  return to;
}

bool HasAlpha(const Dib& colour) {
  for (int y = 0; y < colour.Height(); ++y)
    for (int x = 0; x < colour.Width(); ++x)
      if (colour.Get(x, y) >> 24) return true;
  return false;
}

}  // namespace

}  // namespace tolvar::gdi

using namespace tolvar::gdi;

HICON CreateIconIndirect(const ICONINFO* info) {
  if (!info) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto mask = LookupBitmap(info->hbmMask);
  if (!mask) return nullptr;
  auto icon = std::make_shared<IconObject>();
  icon->isIcon = info->fIcon != FALSE;
  icon->hotspot = POINT{static_cast<LONG>(info->xHotspot), static_cast<LONG>(info->yHotspot)};
  icon->mask = CopyAs(*mask->dib, 1);
  if (info->hbmColor) {
    auto colour = LookupBitmap(info->hbmColor);
    if (!colour) return nullptr;
    icon->colour = CopyAs(*colour->dib, 32);
    icon->width = colour->dib->Width();
    icon->height = colour->dib->Height();
  } else {
    icon->width = mask->dib->Width();
    icon->height = mask->dib->Height() / 2;
  }
  if (!icon->mask || icon->width <= 0 || icon->height <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (icon->isIcon) icon->hotspot = POINT{icon->width / 2, icon->height / 2};
  return InsertIcon(std::move(icon));
}

BOOL GetIconInfo(HICON handle, PICONINFO info) {
  auto icon = LookupIcon(handle);
  if (!icon || !info) return FALSE;
  info->fIcon = icon->isIcon ? TRUE : FALSE;
  info->xHotspot = static_cast<DWORD>(icon->hotspot.x);
  info->yHotspot = static_cast<DWORD>(icon->hotspot.y);
  info->hbmMask = InsertBitmap(std::make_shared<Dib>(*icon->mask), false);
  info->hbmColor = icon->colour ? InsertBitmap(std::make_shared<Dib>(*icon->colour), false) : nullptr;
  return TRUE;
}

BOOL DestroyIcon(HICON handle) {
  if (!LookupIcon(handle)) return FALSE;
  return RemoveObject(handle) ? TRUE : FALSE;
}

HICON CopyIcon(HICON handle) {
  auto icon = LookupIcon(handle);
  if (!icon) return nullptr;
  auto copy = std::make_shared<IconObject>(*icon);
  return InsertIcon(std::move(copy));
}

HICON CreateIconFromResourceEx(const BYTE* bits, DWORD size, BOOL isIcon, DWORD, int cx, int cy, UINT) {
  auto fail = [] {
    SetLastError(ERROR_INVALID_DATA);
    return static_cast<HICON>(nullptr);
  };
  if (!bits) return fail();
  std::size_t offset = 0;
  POINT hotspot{0, 0};
  if (!isIcon) {
    if (size < 4) return fail();
    hotspot = POINT{static_cast<LONG>(Le16(bits)), static_cast<LONG>(Le16(bits + 2))};
    offset = 4;
  }
  if (size < offset + 40) return fail();
  const BYTE* h = bits + offset;
  const std::uint32_t headerSize = Le32(h);
  const int width = static_cast<std::int32_t>(Le32(h + 4));
  const int doubledHeight = static_cast<std::int32_t>(Le32(h + 8));
  const int bpp = static_cast<int>(Le16(h + 14));
  const std::uint32_t compression = Le32(h + 16);
  const std::uint32_t coloursUsed = Le32(h + 32);
  if (headerSize < 40 || width <= 0 || width > 256 || doubledHeight <= 0 || doubledHeight > 512 || compression != BI_RGB) {
    return fail();  // PNG-compressed and other images are not used by the suite
  }
  const int height = doubledHeight / 2;
  auto colour = Dib::Create(width, height, bpp, false);
  auto mask = Dib::Create(width, height, 1, false);
  if (!colour || !mask || bpp == 16) return fail();
  const std::size_t tableCount = bpp <= 8 ? (coloursUsed ? coloursUsed : (1u << bpp)) : 0;
  std::size_t at = offset + headerSize;
  if (tableCount > 256 || size < at + 4 * tableCount) return fail();
  std::vector<RGBQUAD> table(std::size_t{1} << (bpp <= 8 ? bpp : 0), RGBQUAD{0, 0, 0, 0});
  for (std::size_t i = 0; i < tableCount && i < table.size(); ++i) {
    table[i] = RGBQUAD{bits[at + 4 * i], bits[at + 4 * i + 1], bits[at + 4 * i + 2], 0};
  }
  if (bpp <= 8) colour->ColourTable() = table;
  at += 4 * tableCount;
  if (size < at + colour->SizeBytes() + mask->SizeBytes()) return fail();
  std::memcpy(colour->Bits(), bits + at, colour->SizeBytes());
  std::memcpy(mask->Bits(), bits + at + colour->SizeBytes(), mask->SizeBytes());

  auto icon = std::make_shared<IconObject>();
  icon->isIcon = isIcon != FALSE;
  icon->colour = CopyAs(*colour, 32);
  icon->mask = CopyAs(*mask, 1);
  icon->width = width;
  icon->height = height;
  icon->hotspot = isIcon ? POINT{width / 2, height / 2} : hotspot;
  if (cx > 0 && cy > 0 && (cx != width || cy != height)) {
    icon->colour = ScaleDib(*icon->colour, cx, cy);
    icon->mask = ScaleDib(*icon->mask, cx, cy);
    icon->hotspot = POINT{icon->hotspot.x * cx / width, icon->hotspot.y * cy / height};
    icon->width = cx;
    icon->height = cy;
  }
  if (!icon->colour || !icon->mask) return fail();
  return InsertIcon(std::move(icon));
}

BOOL DrawIcon(HDC hdc, int x, int y, HICON icon) {
  return DrawIconEx(hdc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
}

BOOL DrawIconEx(HDC hdc, int x, int y, HICON handle, int cx, int cy, UINT, HBRUSH flickerFree, UINT flags) {
  auto dc = LookupDc(hdc);
  auto icon = LookupIcon(handle);
  if (!dc || !icon) return FALSE;
  Dib* target = dc->Target();
  if (!target) return FALSE;
  if (cx == 0) cx = (flags & DI_DEFAULTSIZE) ? GetSystemMetrics(icon->isIcon ? SM_CXICON : SM_CXCURSOR) : icon->width;
  if (cy == 0) cy = (flags & DI_DEFAULTSIZE) ? GetSystemMetrics(icon->isIcon ? SM_CYICON : SM_CYCURSOR) : icon->height;
  if (!(flags & DI_NORMAL)) flags |= DI_NORMAL;
  const POINT p = dc->LogicalToSurface(x, y);
  const RECT dst{p.x, p.y, p.x + cx, p.y + cy};
  const RegionData& clip = dc->EffectiveClip();
  if (flickerFree) {
    // Drawn as if off screen on the brush: the rectangle shows the brush around the icon.
    auto brush = LookupBrush(flickerFree);
    if (brush) FillRectRop(*target, clip, dst, BrushPaint(brush.get(), *dc, *target), 0xF0);
  }
  const RECT whole{0, 0, icon->width, icon->height};
  const bool normal = (flags & DI_NORMAL) == DI_NORMAL;
  if (icon->colour && normal && HasAlpha(*icon->colour)) {
    // Per-pixel alpha: the image blended over what is there; the mask plays no part.
    for (int yy = 0; yy < cy; ++yy) {
      const int sy = yy * icon->height / cy;
      clip.ClipSpan(dst.top + yy, dst.left, dst.right, [&](int l, int r) {
        for (int xx = l; xx < r; ++xx) {
          const std::uint32_t v = icon->colour->Get((xx - dst.left) * icon->width / cx, sy);
          const int a = static_cast<int>(v >> 24);
          const COLORREF under = target->ValueToColour(target->Get(xx, dst.top + yy));
          auto mix = [&](int s, int d) { return static_cast<BYTE>((s * a + d * (255 - a) + 127) / 255); };
          target->Set(xx, dst.top + yy,
                      target->ColourToValue(RGB(mix((v >> 16) & 0xFF, GetRValue(under)),
                                                mix((v >> 8) & 0xFF, GetGValue(under)), mix(v & 0xFF, GetBValue(under)))));
        }
      });
    }
    return TRUE;
  }
  // Mask and image are painted black on white whatever the DC's colours, as Windows does.
  const BrushPaint none;
  if (flags & DI_MASK) {
    const SourceConverter convert = SourceConverter::DcRules(*icon->mask, *target, RGB(255, 255, 255), RGB(0, 0, 0),
                                                             RGB(255, 255, 255));
    StretchCore(*target, clip, dst, icon->mask.get(), whole, &convert, none, (flags & DI_IMAGE) ? 0x88 : 0xCC,
                COLORONCOLOR);
  }
  if (flags & DI_IMAGE) {
    const std::uint8_t rop = (flags & DI_MASK) ? 0x66 : 0xCC;
    if (icon->colour) {
      const SourceConverter convert = SourceConverter::ByColour(*icon->colour, *target);
      StretchCore(*target, clip, dst, icon->colour.get(), whole, &convert, none, rop, COLORONCOLOR);
    } else {
      const SourceConverter convert = SourceConverter::DcRules(*icon->mask, *target, RGB(255, 255, 255),
                                                               RGB(0, 0, 0), RGB(255, 255, 255));
      const RECT xorHalf{0, icon->height, icon->width, 2 * icon->height};
      StretchCore(*target, clip, dst, icon->mask.get(), xorHalf, &convert, none, rop, COLORONCOLOR);
    }
  }
  return TRUE;
}
