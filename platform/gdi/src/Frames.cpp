#include <gdi/Frames.h>
#include <gdi/Bitmaps.h>
#include <gdi/DeviceContext.h>
#include <gdi/Icon.h>
#include <gdi/Objects.h>
#include <gdi/Shapes.h>
#include <gdi/SysParams.h>
#include <gdi/Text.h>

#include "DeviceContext.h"

#include <cstring>

namespace {

// Colours of each line by the edge's inner (bits 2-3) and outer (bits 0-1) kinds; -1 draws nothing.
// A lone inner border is drawn where the outer one would be.
constexpr signed char kTopLeftInner[] = {-1, -1, -1, -1, -1, COLOR_BTNHIGHLIGHT, COLOR_BTNHIGHLIGHT, -1,
                                         -1, COLOR_3DDKSHADOW, COLOR_3DDKSHADOW, -1, -1, -1, -1, -1};
constexpr signed char kTopLeftOuter[] = {-1, COLOR_3DLIGHT, COLOR_BTNSHADOW, -1,
                                         COLOR_BTNHIGHLIGHT, COLOR_3DLIGHT, COLOR_BTNSHADOW, -1,
                                         COLOR_3DDKSHADOW, COLOR_3DLIGHT, COLOR_BTNSHADOW, -1,
                                         -1, COLOR_3DLIGHT, COLOR_BTNSHADOW, -1};
constexpr signed char kBottomRightInner[] = {-1, -1, -1, -1, -1, COLOR_BTNSHADOW, COLOR_BTNSHADOW, -1,
                                             -1, COLOR_3DLIGHT, COLOR_3DLIGHT, -1, -1, -1, -1, -1};
constexpr signed char kBottomRightOuter[] = {-1, COLOR_3DDKSHADOW, COLOR_BTNHIGHLIGHT, -1,
                                             COLOR_BTNSHADOW, COLOR_3DDKSHADOW, COLOR_BTNHIGHLIGHT, -1,
                                             COLOR_3DLIGHT, COLOR_3DDKSHADOW, COLOR_BTNHIGHLIGHT, -1,
                                             -1, COLOR_3DDKSHADOW, COLOR_BTNHIGHLIGHT, -1};
// Soft edges swap the light and highlight of the top-left lines.
constexpr signed char kTopLeftInnerSoft[] = {-1, -1, -1, -1, -1, COLOR_3DLIGHT, COLOR_3DLIGHT, -1,
                                             -1, COLOR_BTNSHADOW, COLOR_BTNSHADOW, -1, -1, -1, -1, -1};
constexpr signed char kTopLeftOuterSoft[] = {-1, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW, -1,
                                             COLOR_3DLIGHT, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW, -1,
                                             COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW, -1,
                                             -1, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW, -1};

void Fill(HDC hdc, const RECT& r, int colour) {
  if (colour < 0 || r.right <= r.left || r.bottom <= r.top) return;
  FillRect(hdc, &r, GetSysColorBrush(colour));
}

// One ring of lines: top and left in `topLeft`, bottom and right in `bottomRight`; the corners
// top-right and bottom-left belong to the bottom-right lines.
void Ring(HDC hdc, const RECT& r, UINT sides, int topLeft, int bottomRight) {
  if (sides & BF_TOP) Fill(hdc, RECT{r.left, r.top, r.right - 1, r.top + 1}, topLeft);
  if (sides & BF_LEFT) Fill(hdc, RECT{r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
  if (sides & BF_BOTTOM) Fill(hdc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
  if (sides & BF_RIGHT) Fill(hdc, RECT{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
}

RECT Shrink(RECT r, UINT sides) {
  if (sides & BF_LEFT) ++r.left;
  if (sides & BF_TOP) ++r.top;
  if (sides & BF_RIGHT) --r.right;
  if (sides & BF_BOTTOM) --r.bottom;
  return r;
}

}  // namespace

BOOL DrawEdge(HDC hdc, LPRECT rect, UINT edge, UINT flags) {
  if (!rect || !tolvar::gdi::LookupDc(hdc)) return FALSE;
  const UINT index = edge & (BDR_INNER | BDR_OUTER);
  int ltOuter, ltInner, rbOuter, rbInner;
  if (flags & BF_MONO) {
    ltOuter = rbOuter = COLOR_WINDOWFRAME;
    ltInner = rbInner = (edge & BDR_INNER) ? COLOR_WINDOW : -1;
  } else if (flags & BF_FLAT) {
    ltOuter = rbOuter = COLOR_BTNSHADOW;
    ltInner = rbInner = (edge & BDR_INNER) ? COLOR_BTNFACE : -1;
  } else {
    ltOuter = ((flags & BF_SOFT) ? kTopLeftOuterSoft : kTopLeftOuter)[index];
    ltInner = ((flags & BF_SOFT) ? kTopLeftInnerSoft : kTopLeftInner)[index];
    rbOuter = kBottomRightOuter[index];
    rbInner = kBottomRightInner[index];
  }
  RECT r = *rect;
  const UINT sides = flags & BF_RECT;
  if (ltOuter >= 0 || rbOuter >= 0) {
    Ring(hdc, r, sides, ltOuter, rbOuter);
    r = Shrink(r, sides);
  }
  if (ltInner >= 0 || rbInner >= 0) {
    Ring(hdc, r, sides, ltInner, rbInner);
    r = Shrink(r, sides);
  }
  if (flags & BF_MIDDLE) Fill(hdc, r, (flags & BF_MONO) ? COLOR_WINDOW : COLOR_BTNFACE);
  if (flags & BF_ADJUST) *rect = r;
  return TRUE;
}

BOOL DrawFocusRect(HDC hdc, const RECT* rect) {
  auto dc = tolvar::gdi::LookupDc(hdc);
  if (!dc || !rect) return FALSE;
  const RECT& r = *rect;
  if (r.right <= r.left || r.bottom <= r.top) return TRUE;
  // Every other pixel of the outline, counted on the device so neighbouring rectangles line up.
  auto dot = [&](int x, int y) {
    const POINT d{x + dc->state.viewportOrg.x - dc->state.windowOrg.x, y + dc->state.viewportOrg.y - dc->state.windowOrg.y};
    if (((d.x + d.y) & 1) == 0) PatBlt(hdc, x, y, 1, 1, DSTINVERT);
  };
  for (int x = r.left; x < r.right; ++x) {
    dot(x, r.top);
    if (r.bottom - 1 > r.top) dot(x, r.bottom - 1);
  }
  for (int y = r.top + 1; y < r.bottom - 1; ++y) {
    dot(r.left, y);
    if (r.right - 1 > r.left) dot(r.right - 1, y);
  }
  return TRUE;
}
