#include "DeviceContext.h"

#include <gdi/Surface.h>
#include <gdi/SysParams.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <utility>

namespace tolvar::gdi {

DeviceContext::~DeviceContext() {
  if (state.bitmap.object && state.bitmap.object->selectedIn == this) state.bitmap.object->selectedIn = nullptr;
  for (DcState& s : saved) {
    if (s.bitmap.object && s.bitmap.object->selectedIn == this) s.bitmap.object->selectedIn = nullptr;
  }
}

Dib* DeviceContext::Target() const {
  if (!memory) return surface.get();
  return state.bitmap.object ? state.bitmap.object->dib.get() : nullptr;
}

std::shared_ptr<Dib> DeviceContext::TargetShared() const {
  if (!memory) return surface;
  return state.bitmap.object ? state.bitmap.object->dib : nullptr;
}

POINT DeviceContext::LogicalToSurface(int x, int y) const { return POINT{x + OffsetX(), y + OffsetY()}; }

const RegionData& DeviceContext::EffectiveClip() {
  const Dib* target = Target();
  if (m_clipValid && m_clipFor == target) return m_clip;
  m_clipFor = target;
  m_clipValid = true;
  if (!target) {
    m_clip.SetEmpty();
    return m_clip;
  }
  m_clip.SetRect(RECT{0, 0, target->Width(), target->Height()});
  if (visible) m_clip = RegionData::Combine(m_clip, *visible, RegionData::Op::And);
  if (state.clip) {
    RegionData clip = *state.clip;
    clip.Offset(surfaceOrigin.x, surfaceOrigin.y);
    m_clip = RegionData::Combine(m_clip, clip, RegionData::Op::And);
  }
  return m_clip;
}

bool DeviceContext::SelectBitmap(HBITMAP handle, const std::shared_ptr<BitmapObject>& bitmap) {
  if (!bitmap->stock && bitmap->selectedIn && bitmap->selectedIn != this) return false;
  if (state.bitmap.object && state.bitmap.object->selectedIn == this) state.bitmap.object->selectedIn = nullptr;
  state.bitmap = {handle, bitmap};
  if (!bitmap->stock) bitmap->selectedIn = this;
  InvalidateClip();
  return true;
}

namespace {

std::shared_ptr<DeviceContext> NewDc() {
  auto dc = std::make_shared<DeviceContext>();
  dc->state.pen = {StockObject(BLACK_PEN), LookupPen(StockObject(BLACK_PEN))};
  dc->state.brush = {StockObject(WHITE_BRUSH), LookupBrush(StockObject(WHITE_BRUSH))};
  dc->state.font = {StockObject(SYSTEM_FONT), LookupFont(StockObject(SYSTEM_FONT))};
  dc->state.palette = {StockObject(DEFAULT_PALETTE), LookupPalette(StockObject(DEFAULT_PALETTE))};
  return dc;
}

}  // namespace

HDC CreateSurfaceDC(HBITMAP surface, POINT origin, HRGN visibleRegion) {
  auto bitmap = LookupBitmap(surface);
  if (!bitmap) return nullptr;
  auto dc = NewDc();
  dc->memory = false;
  dc->surface = bitmap->dib;
  dc->surfaceHandle = surface;
  dc->surfaceOrigin = origin;
  if (visibleRegion) {
    auto region = LookupRegion(visibleRegion);
    if (!region) return nullptr;
    dc->visible = region->data;
  }
  return static_cast<HDC>(InsertObject(std::move(dc)));
}

HDC CreateScreenDC() {
  auto dc = NewDc();
  dc->memory = false;
  return static_cast<HDC>(InsertObject(std::move(dc)));
}

BOOL SetSurfaceDCOrigin(HDC hdc, POINT origin, HRGN visibleRegion) {
  auto dc = LookupDc(hdc);
  if (!dc || dc->memory) return FALSE;
  dc->surfaceOrigin = origin;
  if (visibleRegion) {
    auto region = LookupRegion(visibleRegion);
    if (!region) return FALSE;
    dc->visible = region->data;
  } else {
    dc->visible.reset();
  }
  dc->InvalidateClip();
  return TRUE;
}

HBITMAP GetTargetBitmap(HDC hdc) {
  auto dc = LookupDc(hdc);
  if (!dc) return nullptr;
  return dc->memory ? static_cast<HBITMAP>(dc->state.bitmap.handle) : dc->surfaceHandle;
}

}  // namespace tolvar::gdi

using namespace tolvar::gdi;

HDC CreateCompatibleDC(HDC hdc) {
  if (hdc && !LookupDc(hdc)) return nullptr;
  auto dc = NewDc();
  dc->state.bitmap = {StockBitmap(), LookupBitmap(StockBitmap())};
  return static_cast<HDC>(InsertObject(std::move(dc)));
}

BOOL DeleteDC(HDC hdc) {
  if (!LookupDc(hdc)) return FALSE;
  return RemoveObject(hdc) ? TRUE : FALSE;
}

int SaveDC(HDC hdc) {
  auto dc = LookupDc(hdc);
  if (!dc) return 0;
  dc->saved.push_back(dc->state);
  return static_cast<int>(dc->saved.size());
}

BOOL RestoreDC(HDC hdc, int savedDc) {
  auto dc = LookupDc(hdc);
  if (!dc) return FALSE;
  const int depth = static_cast<int>(dc->saved.size());
  const int level = savedDc < 0 ? depth + savedDc + 1 : savedDc;
  if (savedDc == 0 || level < 1 || level > depth) return FALSE;
  DcState restored = dc->saved[level - 1];
  dc->saved.resize(level - 1);
  // The bitmap of the restored state comes back into this DC.
  if (dc->memory && restored.bitmap.object && restored.bitmap.object != dc->state.bitmap.object) {
    if (!dc->SelectBitmap(static_cast<HBITMAP>(restored.bitmap.handle), restored.bitmap.object)) return FALSE;
  }
  dc->state = std::move(restored);
  dc->InvalidateClip();
  return TRUE;
}

namespace {

template <class T, class Setter>
T Exchange(HDC hdc, T failure, Setter&& setter) {
  auto dc = LookupDc(hdc);
  if (!dc) return failure;
  return setter(*dc);
}

}  // namespace

COLORREF SetBkColor(HDC hdc, COLORREF color) {
  return Exchange(hdc, CLR_INVALID, [&](DeviceContext& dc) { return std::exchange(dc.state.bkColour, color); });
}
COLORREF GetBkColor(HDC hdc) {
  return Exchange(hdc, CLR_INVALID, [](DeviceContext& dc) { return dc.state.bkColour; });
}
COLORREF SetTextColor(HDC hdc, COLORREF color) {
  return Exchange(hdc, CLR_INVALID, [&](DeviceContext& dc) { return std::exchange(dc.state.textColour, color); });
}
COLORREF GetTextColor(HDC hdc) {
  return Exchange(hdc, CLR_INVALID, [](DeviceContext& dc) { return dc.state.textColour; });
}
int SetBkMode(HDC hdc, int mode) {
  if (mode != TRANSPARENT && mode != OPAQUE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Exchange(hdc, 0, [&](DeviceContext& dc) { return std::exchange(dc.state.bkMode, mode); });
}
int GetBkMode(HDC hdc) {
  return Exchange(hdc, 0, [](DeviceContext& dc) { return dc.state.bkMode; });
}
int SetROP2(HDC hdc, int rop2) {
  if (rop2 < R2_BLACK || rop2 > R2_WHITE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Exchange(hdc, 0, [&](DeviceContext& dc) { return std::exchange(dc.state.rop2, rop2); });
}
int GetROP2(HDC hdc) {
  return Exchange(hdc, 0, [](DeviceContext& dc) { return dc.state.rop2; });
}
int SetStretchBltMode(HDC hdc, int mode) {
  if (mode < BLACKONWHITE || mode > HALFTONE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Exchange(hdc, 0, [&](DeviceContext& dc) { return std::exchange(dc.state.stretchMode, mode); });
}
int GetStretchBltMode(HDC hdc) {
  return Exchange(hdc, 0, [](DeviceContext& dc) { return dc.state.stretchMode; });
}
UINT SetTextAlign(HDC hdc, UINT align) {
  return Exchange(hdc, GDI_ERROR, [&](DeviceContext& dc) { return std::exchange(dc.state.textAlign, align); });
}
UINT GetTextAlign(HDC hdc) {
  return Exchange(hdc, GDI_ERROR, [](DeviceContext& dc) { return dc.state.textAlign; });
}

namespace {

BOOL SetPoint(HDC hdc, POINT DcState::*member, POINT value, LPPOINT previous, bool movesClip) {
  auto dc = LookupDc(hdc);
  if (!dc) return FALSE;
  if (previous) *previous = dc->state.*member;
  dc->state.*member = value;
  if (movesClip) dc->InvalidateClip();
  return TRUE;
}

BOOL GetPoint(HDC hdc, POINT DcState::*member, LPPOINT out) {
  auto dc = LookupDc(hdc);
  if (!dc || !out) return FALSE;
  *out = dc->state.*member;
  return TRUE;
}

}  // namespace

BOOL SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT previous) {
  return SetPoint(hdc, &DcState::windowOrg, POINT{x, y}, previous, false);
}
BOOL GetWindowOrgEx(HDC hdc, LPPOINT origin) { return GetPoint(hdc, &DcState::windowOrg, origin); }
BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT previous) {
  return SetPoint(hdc, &DcState::viewportOrg, POINT{x, y}, previous, false);
}
BOOL GetViewportOrgEx(HDC hdc, LPPOINT origin) { return GetPoint(hdc, &DcState::viewportOrg, origin); }
BOOL OffsetViewportOrgEx(HDC hdc, int dx, int dy, LPPOINT previous) {
  POINT current;
  if (!GetViewportOrgEx(hdc, &current)) return FALSE;
  return SetViewportOrgEx(hdc, current.x + dx, current.y + dy, previous);
}
BOOL OffsetWindowOrgEx(HDC hdc, int dx, int dy, LPPOINT previous) {
  POINT current;
  if (!GetWindowOrgEx(hdc, &current)) return FALSE;
  return SetWindowOrgEx(hdc, current.x + dx, current.y + dy, previous);
}
BOOL SetBrushOrgEx(HDC hdc, int x, int y, LPPOINT previous) {
  return SetPoint(hdc, &DcState::brushOrg, POINT{x, y}, previous, false);
}
BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT previous) {
  return SetPoint(hdc, &DcState::position, POINT{x, y}, previous, false);
}
BOOL GetCurrentPositionEx(HDC hdc, LPPOINT position) { return GetPoint(hdc, &DcState::position, position); }

int GetDeviceCaps(HDC hdc, int index) {
  if (hdc && !LookupDc(hdc)) return 0;
  if (index == HORZRES) return GetSystemMetrics(SM_CXSCREEN);
  if (index == VERTRES) return GetSystemMetrics(SM_CYSCREEN);
  struct Cap { int index; int value; };
  static const Cap caps[] = {
      {HORZSIZE, 271},  {VERTSIZE, 203},   {BITSPIXEL, 32},
      {PLANES, 1},      {NUMCOLORS, -1},   {LOGPIXELSX, 96}, {LOGPIXELSY, 96}, {SIZEPALETTE, 0},
      {COLORRES, 24},
      {RASTERCAPS, RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB},
  };
  for (const Cap& c : caps) {
    if (c.index == index) return c.value;
  }
  return 0;
}
