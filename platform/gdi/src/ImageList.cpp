#include <gdi/ImageList.h>
#include <gdi/SysParams.h>

#include "Blit.h"
#include "IconObject.h"
#include "ImageListObject.h"

#include <base/LastError.h>
#include <base/WinError.h>

#include <algorithm>
#include <utility>

namespace tolvar::gdi {

std::shared_ptr<ImageListObject> LookupImageList(HIMAGELIST list) {
  return Lookup<ImageListObject>(list, Kind::ImageList);
}

ImageListObject::~ImageListObject() {
  if (imageHandle) RemoveObject(imageHandle);
  if (maskHandle) RemoveObject(maskHandle);
}

bool ImageListObject::Reserve(int wanted) {
  if (wanted <= capacity) return true;
  const int newCapacity = std::max(wanted, capacity + std::max(1, grow));
  auto colour = Dib::Create(cx * newCapacity, cy, 32, true);
  auto bits = Dib::Create(cx * newCapacity, cy, 1, true);
  if (!colour || !bits) return false;
  if (image) {
    for (int y = 0; y < cy; ++y)
      for (int x = 0; x < cx * count; ++x) {
        colour->Set(x, y, image->dib->Get(x, y));
        bits->Set(x, y, mask->dib->Get(x, y));
      }
    image->dib = std::move(colour);
    mask->dib = std::move(bits);
  } else {
    image = std::make_shared<BitmapObject>();
    image->dib = std::move(colour);
    mask = std::make_shared<BitmapObject>();
    mask->dib = std::move(bits);
    imageHandle = static_cast<HBITMAP>(InsertObject(image));
    maskHandle = static_cast<HBITMAP>(InsertObject(mask));
  }
  capacity = newCapacity;
  return true;
}

void ImageListObject::Store(int index, const Dib& colour, const Dib* maskBits, int sx, int sy) {
  const SourceConverter convert = SourceConverter::ByColour(colour, *image->dib);
  for (int y = 0; y < cy; ++y)
    for (int x = 0; x < cx; ++x) {
      const int px = sx + x, py = sy + y;
      const bool inside = px < colour.Width() && py < colour.Height();
      const bool transparent = HasMask() && maskBits && inside && maskBits->Get(px, py);
      image->dib->Set(index * cx + x, y, inside && !transparent ? convert(colour.Get(px, py)) : 0);
      mask->dib->Set(index * cx + x, y, transparent ? 1 : 0);
    }
}

bool ImageListObject::Draw(int index, HDC hdc, int x, int y, int dx, int dy, COLORREF bk, COLORREF fg,
                           UINT style) const {
  auto dc = LookupDc(hdc);
  if (!dc || index < 0 || index >= count) return false;
  Dib* target = dc->Target();
  if (!target) return false;
  const int w = dx > 0 ? std::min(dx, cx) : cx;
  const int h = dy > 0 ? std::min(dy, cy) : cy;
  const POINT p = dc->LogicalToSurface(x, y);
  const RegionData& clip = dc->EffectiveClip();
  const Dib& colours = *image->dib;
  const Dib& bits = *mask->dib;
  if (style & ILD_MASK) {
    // The mask as a monochrome blit: the DC's text colour where opaque, its background elsewhere.
    const SourceConverter convert =
        SourceConverter::DcRules(bits, *target, dc->state.bkColour, dc->state.textColour, dc->state.bkColour);
    StretchCore(*target, clip, RECT{p.x, p.y, p.x + w, p.y + h}, &bits,
                RECT{index * cx, 0, index * cx + w, h}, &convert, BrushPaint{}, 0xCC, COLORONCOLOR);
    return true;
  }
  const COLORREF background = bk == CLR_DEFAULT ? this->background : bk;
  const bool useMask = HasMask() && !(style & ILD_IMAGE);
  const bool transparent = (style & ILD_TRANSPARENT) || background == CLR_NONE;
  int blend = 0;  // percent of the blend colour
  if (style & ILD_BLEND50) blend = 50;
  else if (style & ILD_BLEND25) blend = 25;
  const COLORREF blendColour = fg == CLR_DEFAULT ? GetSysColor(COLOR_HIGHLIGHT) : fg;
  if (fg == CLR_NONE) blend = 0;
  for (int yy = 0; yy < h; ++yy) {
    clip.ClipSpan(p.y + yy, p.x, p.x + w, [&](int l, int r) {
      for (int xx = l; xx < r; ++xx) {
        const int sx = index * cx + (xx - p.x);
        const bool masked = useMask && bits.Get(sx, yy);
        COLORREF c;
        if (masked) {
          if (transparent) continue;
          c = background;
        } else {
          c = colours.ValueToColour(colours.Get(sx, yy));
          if (blend) {
            auto mix = [&](int a, int b) { return static_cast<BYTE>((a * (100 - blend) + b * blend) / 100); };
            c = RGB(mix(GetRValue(c), GetRValue(blendColour)), mix(GetGValue(c), GetGValue(blendColour)),
                    mix(GetBValue(c), GetBValue(blendColour)));
          }
        }
        target->Set(xx, p.y + yy, ColourValue(*target, c));
      }
    });
  }
  return true;
}

}  // namespace tolvar::gdi

using namespace tolvar::gdi;

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow) {
  if (cx <= 0 || cy <= 0 || initial < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto list = std::make_shared<ImageListObject>();
  list->cx = cx;
  list->cy = cy;
  list->flags = flags;
  list->grow = std::max(1, grow);
  if (!list->Reserve(std::max(1, initial))) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return reinterpret_cast<HIMAGELIST>(InsertObject(std::move(list)));
}

BOOL ImageList_Destroy(HIMAGELIST handle) {
  if (!LookupImageList(handle)) return FALSE;
  return RemoveObject(handle) ? TRUE : FALSE;
}

int ImageList_GetImageCount(HIMAGELIST handle) {
  auto list = LookupImageList(handle);
  return list ? list->count : 0;
}

BOOL ImageList_GetIconSize(HIMAGELIST handle, int* cx, int* cy) {
  auto list = LookupImageList(handle);
  if (!list || !cx || !cy) return FALSE;
  *cx = list->cx;
  *cy = list->cy;
  return TRUE;
}

namespace {

int AddStrip(ImageListObject& list, const Dib& colour, const Dib* mask) {
  const int n = colour.Width() / list.cx;
  if (n <= 0) return -1;
  if (!list.Reserve(list.count + n)) return -1;
  const int first = list.count;
  for (int i = 0; i < n; ++i) list.Store(first + i, colour, mask, i * list.cx, 0);
  list.count += n;
  return first;
}

}  // namespace

int ImageList_Add(HIMAGELIST handle, HBITMAP image, HBITMAP mask) {
  auto list = LookupImageList(handle);
  auto bitmap = LookupBitmap(image);
  if (!list || !bitmap) return -1;
  std::shared_ptr<Dib> maskBits;
  if (mask) {
    auto maskBitmap = LookupBitmap(mask);
    if (!maskBitmap) return -1;
    maskBits = std::make_shared<Dib>(*maskBitmap->dib);
    if (maskBits->Bpp() != 1) {
      // A colour mask counts its white pixels as transparent.
      auto mono = Dib::Create(maskBits->Width(), maskBits->Height(), 1, true);
      for (int y = 0; y < mono->Height(); ++y)
        for (int x = 0; x < mono->Width(); ++x)
          mono->Set(x, y, maskBits->ValueToColour(maskBits->Get(x, y)) == RGB(255, 255, 255) ? 1 : 0);
      maskBits = mono;
    }
  }
  return AddStrip(*list, *bitmap->dib, maskBits.get());
}

int ImageList_AddMasked(HIMAGELIST handle, HBITMAP image, COLORREF maskColour) {
  auto list = LookupImageList(handle);
  auto bitmap = LookupBitmap(image);
  if (!list || !bitmap) return -1;
  const Dib& colour = *bitmap->dib;
  auto mask = Dib::Create(colour.Width(), colour.Height(), 1, true);
  if (!mask) return -1;
  const COLORREF key = maskColour & 0xFFFFFF;
  for (int y = 0; y < colour.Height(); ++y)
    for (int x = 0; x < colour.Width(); ++x) mask->Set(x, y, colour.ValueToColour(colour.Get(x, y)) == key ? 1 : 0);
  return AddStrip(*list, colour, mask.get());
}

int ImageList_ReplaceIcon(HIMAGELIST handle, int index, HICON iconHandle) {
  auto list = LookupImageList(handle);
  auto icon = LookupIcon(iconHandle);
  if (!list || !icon || index < -1 || index >= list->count) return -1;
  // The icon at the list's size; a monochrome icon brings its XOR half as the image.
  std::shared_ptr<Dib> colour;
  if (icon->colour) {
    colour = icon->colour;
  } else {
    colour = Dib::Create(icon->width, icon->height, 1, true);
    for (int y = 0; y < icon->height; ++y)
      for (int x = 0; x < icon->width; ++x) colour->Set(x, y, icon->mask->Get(x, icon->height + y));
  }
  std::shared_ptr<Dib> mask = icon->mask;
  if (icon->width != list->cx || icon->height != list->cy) {
    colour = ScaleDib(*colour, list->cx, list->cy);
    mask = ScaleDib(*mask, list->cx, icon->colour ? list->cy : 2 * list->cy);
  }
  if (!colour || !mask) return -1;
  if (index == -1) {
    if (!list->Reserve(list->count + 1)) return -1;
    index = list->count++;
  }
  const bool hadMask = list->flags & ILC_MASK;
  list->flags |= ILC_MASK;  // an icon always brings its transparency along for the store
  list->Store(index, *colour, mask.get(), 0, 0);
  if (!hadMask) list->flags &= ~ILC_MASK;
  return index;
}

BOOL ImageList_Remove(HIMAGELIST handle, int index) {
  auto list = LookupImageList(handle);
  if (!list || index < -1 || index >= list->count) return FALSE;
  if (index == -1) {
    list->count = 0;
    return TRUE;
  }
  Dib& colour = *list->image->dib;
  Dib& mask = *list->mask->dib;
  for (int i = index; i + 1 < list->count; ++i)
    for (int y = 0; y < list->cy; ++y)
      for (int x = 0; x < list->cx; ++x) {
        colour.Set(i * list->cx + x, y, colour.Get((i + 1) * list->cx + x, y));
        mask.Set(i * list->cx + x, y, mask.Get((i + 1) * list->cx + x, y));
      }
  --list->count;
  return TRUE;
}

HICON ImageList_GetIcon(HIMAGELIST handle, int index, UINT) {
  auto list = LookupImageList(handle);
  if (!list || index < 0 || index >= list->count) return nullptr;
  auto icon = std::make_shared<IconObject>();
  icon->width = list->cx;
  icon->height = list->cy;
  icon->hotspot = POINT{list->cx / 2, list->cy / 2};
  icon->colour = Dib::Create(list->cx, list->cy, 32, true);
  icon->mask = Dib::Create(list->cx, list->cy, 1, true);
  for (int y = 0; y < list->cy; ++y)
    for (int x = 0; x < list->cx; ++x) {
      icon->colour->Set(x, y, list->image->dib->Get(index * list->cx + x, y));
      icon->mask->Set(x, y, list->HasMask() ? list->mask->dib->Get(index * list->cx + x, y) : 0);
    }
  return InsertIcon(std::move(icon));
}

COLORREF ImageList_SetBkColor(HIMAGELIST handle, COLORREF colour) {
  auto list = LookupImageList(handle);
  if (!list) return CLR_NONE;
  return std::exchange(list->background, colour);
}

COLORREF ImageList_GetBkColor(HIMAGELIST handle) {
  auto list = LookupImageList(handle);
  return list ? list->background : CLR_NONE;
}

BOOL ImageList_GetImageInfo(HIMAGELIST handle, int index, IMAGEINFO* info) {
  auto list = LookupImageList(handle);
  if (!list || !info || index < 0 || index >= list->count) return FALSE;
  info->hbmImage = list->imageHandle;
  info->hbmMask = list->HasMask() ? list->maskHandle : nullptr;
  info->Unused1 = info->Unused2 = 0;
  info->rcImage = RECT{index * list->cx, 0, (index + 1) * list->cx, list->cy};
  return TRUE;
}

BOOL ImageList_Draw(HIMAGELIST handle, int index, HDC hdc, int x, int y, UINT style) {
  return ImageList_DrawEx(handle, index, hdc, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, style);
}

BOOL ImageList_DrawEx(HIMAGELIST handle, int index, HDC hdc, int x, int y, int dx, int dy, COLORREF background,
                      COLORREF foreground, UINT style) {
  auto list = LookupImageList(handle);
  if (!list) return FALSE;
  return list->Draw(index, hdc, x, y, dx, dy, background, foreground, style) ? TRUE : FALSE;
}
