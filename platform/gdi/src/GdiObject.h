#pragma once
// The drawing objects behind HGDIOBJ handles, and the process's table of them. GDI handles are a
// table of their own, apart from the kernel's: CloseHandle never takes a pen.
#include <gdi/GdiTypes.h>

#include "Dib.h"
#include "RegionData.h"

#include <memory>
#include <vector>

namespace tolvar::gdi {

class DeviceContext;
class FontFace;

enum class Kind { Pen, Brush, Font, Bitmap, Region, Palette, Dc, Icon, ImageList };

class GdiObject {
public:
  explicit GdiObject(Kind kind) : m_kind(kind) {}
  virtual ~GdiObject() = default;
  Kind GetKind() const { return m_kind; }
  bool stock = false;  // stock objects are never deleted

private:
  Kind m_kind;
};

struct PenObject : GdiObject {
  PenObject() : GdiObject(Kind::Pen) {}
  int style = PS_SOLID;
  int width = 1;
  COLORREF colour = 0;
};

struct BrushObject : GdiObject {
  BrushObject() : GdiObject(Kind::Brush) {}
  UINT style = BS_SOLID;
  COLORREF colour = 0;
  int hatch = 0;
  std::shared_ptr<Dib> pattern;  // BS_PATTERN: a private copy of the bitmap
  HBITMAP patternHandle = nullptr;  // as given, for GetObject
};

struct FontObject : GdiObject {
  FontObject() : GdiObject(Kind::Font) {}
  LOGFONTA logfont{};
  std::shared_ptr<FontFace> face;  // realized on first use
};

struct BitmapObject : GdiObject {
  BitmapObject() : GdiObject(Kind::Bitmap) {}
  std::shared_ptr<Dib> dib;
  bool dibSection = false;
  DeviceContext* selectedIn = nullptr;  // a bitmap lives in at most one DC at a time
};

struct RegionObject : GdiObject {
  RegionObject() : GdiObject(Kind::Region) {}
  RegionData data;
};

struct PaletteObject : GdiObject {
  PaletteObject() : GdiObject(Kind::Palette) {}
  std::vector<PALETTEENTRY> entries;
};

// Handle table --------------------------------------------------------------------------------------

HGDIOBJ InsertObject(std::shared_ptr<GdiObject> object);
std::shared_ptr<GdiObject> LookupObject(HGDIOBJ handle);  // nullptr, ERROR_INVALID_HANDLE, when unknown
bool RemoveObject(HGDIOBJ handle);

template <class T>
std::shared_ptr<T> Lookup(HGDIOBJ handle, Kind kind) {
  auto object = LookupObject(handle);
  if (!object || object->GetKind() != kind) return nullptr;
  return std::static_pointer_cast<T>(object);
}

inline std::shared_ptr<PenObject> LookupPen(HGDIOBJ h) { return Lookup<PenObject>(h, Kind::Pen); }
inline std::shared_ptr<BrushObject> LookupBrush(HGDIOBJ h) { return Lookup<BrushObject>(h, Kind::Brush); }
inline std::shared_ptr<FontObject> LookupFont(HGDIOBJ h) { return Lookup<FontObject>(h, Kind::Font); }
inline std::shared_ptr<BitmapObject> LookupBitmap(HGDIOBJ h) { return Lookup<BitmapObject>(h, Kind::Bitmap); }
inline std::shared_ptr<RegionObject> LookupRegion(HGDIOBJ h) { return Lookup<RegionObject>(h, Kind::Region); }
inline std::shared_ptr<PaletteObject> LookupPalette(HGDIOBJ h) { return Lookup<PaletteObject>(h, Kind::Palette); }
std::shared_ptr<DeviceContext> LookupDc(HDC hdc);

// Stock objects, made on first use.
HGDIOBJ StockObject(int index);
HBITMAP StockBitmap();  // the 1x1 monochrome bitmap of every new memory DC

// A bitmap handle for a new DIB.
HBITMAP InsertBitmap(std::shared_ptr<Dib> dib, bool dibSection);

}  // namespace tolvar::gdi
