#pragma once
// A device context: the drawing attributes, the selected objects, and the surface it draws on. A
// memory DC draws on its selected bitmap; a surface DC (made by the window manager) draws on part of a
// window's backing DIB, with its own origin and visible region.
#include <gdi/DeviceContext.h>

#include "GdiObject.h"

#include <optional>

namespace tolvar::gdi {

template <class T>
struct Selected {
  HGDIOBJ handle = nullptr;
  std::shared_ptr<T> object;
};

struct DcState {
  Selected<PenObject> pen;
  Selected<BrushObject> brush;
  Selected<FontObject> font;
  Selected<BitmapObject> bitmap;
  Selected<PaletteObject> palette;
  COLORREF textColour = RGB(0, 0, 0);
  COLORREF bkColour = RGB(255, 255, 255);
  int bkMode = OPAQUE;
  int rop2 = R2_COPYPEN;
  int stretchMode = BLACKONWHITE;
  UINT textAlign = TA_LEFT | TA_TOP;
  POINT windowOrg{0, 0};
  POINT viewportOrg{0, 0};
  POINT brushOrg{0, 0};
  POINT position{0, 0};
  std::optional<RegionData> clip;  // device coordinates; none = no clip region
};

class DeviceContext : public GdiObject {
public:
  DeviceContext() : GdiObject(Kind::Dc) {}
  ~DeviceContext() override;

  DcState state;
  std::vector<DcState> saved;

  bool memory = true;
  // Surface DCs only: the backing bitmap, where device (0, 0) lies on it, and what of it is visible.
  std::shared_ptr<Dib> surface;
  HBITMAP surfaceHandle = nullptr;
  POINT surfaceOrigin{0, 0};
  std::optional<RegionData> visible;  // surface coordinates

  // The pixels this DC draws on (the selected bitmap of a memory DC).
  Dib* Target() const;
  std::shared_ptr<Dib> TargetShared() const;

  // Logical coordinates to surface (pixel) coordinates, and device to surface.
  POINT LogicalToSurface(int x, int y) const;
  int OffsetX() const { return state.viewportOrg.x - state.windowOrg.x + surfaceOrigin.x; }
  int OffsetY() const { return state.viewportOrg.y - state.windowOrg.y + surfaceOrigin.y; }

  // What may be drawn, in surface coordinates: the target's bounds, the visible region and the clip.
  const RegionData& EffectiveClip();
  void InvalidateClip() { m_clipValid = false; }

  // Replaces the selected bitmap; false when it is selected elsewhere.
  bool SelectBitmap(HBITMAP handle, const std::shared_ptr<BitmapObject>& bitmap);

private:
  RegionData m_clip;
  bool m_clipValid = false;
  const Dib* m_clipFor = nullptr;
};

}  // namespace tolvar::gdi
