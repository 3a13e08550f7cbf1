#include <gdi/Region.h>

#include "DeviceContext.h"

#include <base/LastError.h>
#include <base/WinError.h>

using namespace tolvar::gdi;

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  auto region = std::make_shared<RegionObject>();
  region->data.SetRect(RECT{left, top, right, bottom});
  return static_cast<HRGN>(InsertObject(std::move(region)));
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
  if (!rect) return nullptr;
  return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode) {
  auto d = LookupRegion(dest);
  auto a = LookupRegion(src1);
  if (!d || !a) return ERROR;
  if (mode == RGN_COPY) {
    d->data = a->data;
    return d->data.Complexity();
  }
  auto b = LookupRegion(src2);
  if (!b) return ERROR;
  RegionData::Op op;
  switch (mode) {
    case RGN_AND: op = RegionData::Op::And; break;
    case RGN_OR: op = RegionData::Op::Or; break;
    case RGN_XOR: op = RegionData::Op::Xor; break;
    case RGN_DIFF: op = RegionData::Op::Diff; break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return ERROR;
  }
  d->data = RegionData::Combine(a->data, b->data, op);
  return d->data.Complexity();
}

int OffsetRgn(HRGN handle, int dx, int dy) {
  auto region = LookupRegion(handle);
  if (!region) return ERROR;
  region->data.Offset(dx, dy);
  return region->data.Complexity();
}

BOOL PtInRegion(HRGN handle, int x, int y) {
  auto region = LookupRegion(handle);
  return region && region->data.Contains(x, y) ? TRUE : FALSE;
}

BOOL RectInRegion(HRGN handle, const RECT* rect) {
  auto region = LookupRegion(handle);
  if (!region || !rect) return FALSE;
  RegionData probe(*rect);  // orders reversed coordinates as Windows does
  return !probe.Empty() && region->data.Intersects(probe.Box()) ? TRUE : FALSE;
}

int GetRgnBox(HRGN handle, LPRECT rect) {
  auto region = LookupRegion(handle);
  if (!region || !rect) return ERROR;
  *rect = region->data.Box();
  return region->data.Complexity();
}

BOOL EqualRgn(HRGN a, HRGN b) {
  auto ra = LookupRegion(a);
  auto rb = LookupRegion(b);
  if (!ra || !rb) return ERROR;
  return ra->data == rb->data ? TRUE : FALSE;
}

BOOL SetRectRgn(HRGN handle, int left, int top, int right, int bottom) {
  auto region = LookupRegion(handle);
  if (!region) return FALSE;
  region->data.SetRect(RECT{left, top, right, bottom});
  return TRUE;
}

namespace {

// The clip area of a DC in device coordinates, for answering questions about it.
RegionData DeviceClip(DeviceContext& dc) {
  RegionData clip = dc.EffectiveClip();
  clip.Offset(-dc.surfaceOrigin.x, -dc.surfaceOrigin.y);
  return clip;
}

int ClipResult(DeviceContext& dc) {
  dc.InvalidateClip();
  return DeviceClip(dc).Complexity();
}

}  // namespace

int ExtSelectClipRgn(HDC hdc, HRGN handle, int mode) {
  auto dc = LookupDc(hdc);
  if (!dc) return ERROR;
  if (!handle) {
    if (mode != RGN_COPY) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return ERROR;
    }
    dc->state.clip.reset();
    return ClipResult(*dc);
  }
  auto region = LookupRegion(handle);
  if (!region) return ERROR;
  if (mode == RGN_COPY) {
    dc->state.clip = region->data;
    return ClipResult(*dc);
  }
  RegionData::Op op;
  switch (mode) {
    case RGN_AND: op = RegionData::Op::And; break;
    case RGN_OR: op = RegionData::Op::Or; break;
    case RGN_XOR: op = RegionData::Op::Xor; break;
    case RGN_DIFF: op = RegionData::Op::Diff; break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return ERROR;
  }
  // Without a clip region the DC's whole surface counts as the current one.
  const RegionData current = dc->state.clip ? *dc->state.clip : DeviceClip(*dc);
  dc->state.clip = RegionData::Combine(current, region->data, op);
  return ClipResult(*dc);
}

int SelectClipRgn(HDC hdc, HRGN region) { return ExtSelectClipRgn(hdc, region, RGN_COPY); }

namespace {

int ClipRect(HDC hdc, int left, int top, int right, int bottom, RegionData::Op op) {
  auto dc = LookupDc(hdc);
  if (!dc) return ERROR;
  // The rectangle is logical; the clip region lives in device coordinates.
  const int dx = dc->state.viewportOrg.x - dc->state.windowOrg.x;
  const int dy = dc->state.viewportOrg.y - dc->state.windowOrg.y;
  RegionData rect(RECT{left + dx, top + dy, right + dx, bottom + dy});
  RegionData current = dc->state.clip ? *dc->state.clip : DeviceClip(*dc);
  dc->state.clip = RegionData::Combine(current, rect, op);
  return ClipResult(*dc);
}

}  // namespace

int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom) {
  return ClipRect(hdc, left, top, right, bottom, RegionData::Op::Diff);
}

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
  return ClipRect(hdc, left, top, right, bottom, RegionData::Op::And);
}

int GetClipBox(HDC hdc, LPRECT rect) {
  auto dc = LookupDc(hdc);
  if (!dc || !rect) return ERROR;
  RegionData clip = DeviceClip(*dc);
  RECT box = clip.Box();
  const int dx = dc->state.viewportOrg.x - dc->state.windowOrg.x;
  const int dy = dc->state.viewportOrg.y - dc->state.windowOrg.y;
  *rect = RECT{box.left - dx, box.top - dy, box.right - dx, box.bottom - dy};
  return clip.Complexity();
}

int GetClipRgn(HDC hdc, HRGN handle) {
  auto dc = LookupDc(hdc);
  auto region = LookupRegion(handle);
  if (!dc || !region) return -1;
  if (!dc->state.clip) return 0;
  region->data = *dc->state.clip;
  return 1;
}
