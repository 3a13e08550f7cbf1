#include <gdi/Shapes.h>
#include <gdi/Bitmaps.h>
#include <gdi/SysParams.h>

#include "Raster.h"

#include <base/LastError.h>
#include <base/WinError.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

using namespace tolvar::gdi;

namespace {

// Windows' line: Bresenham stepping along the major axis, with the ties of octants 3, 5, 6 and 8
// going the other way so that a line and its reverse cover the same pixels; the end point is left out.
template <class Plot>
void LinePixels(POINT a, POINT b, Plot&& plot) {
  const int dx = b.x - a.x, dy = b.y - a.y;
  const int adx = std::abs(dx), ady = std::abs(dy);
  int octant;
  if (dy > 0) octant = dx > 0 ? (dx > dy ? 1 : 2) : (-dx > dy ? 4 : 3);
  else octant = dx < 0 ? (-dx > -dy ? 5 : 6) : (dx > -dy ? 8 : 7);
  const int bias = (octant == 3 || octant == 5 || octant == 6 || octant == 8) ? 1 : 0;
  const bool xMajor = adx > ady;
  const int major = xMajor ? adx : ady, minor = xMajor ? ady : adx;
  const int sx = dx > 0 ? 1 : -1, sy = dy > 0 ? 1 : -1;
  int x = a.x, y = a.y;
  int err = 2 * minor - major;
  for (int i = 0; i < major; ++i) {
    plot(x, y);
    if (err + bias > 0) {
      if (xMajor) y += sy; else x += sx;
      err += 2 * minor - 2 * major;
    } else {
      err += 2 * minor;
    }
    if (xMajor) x += sx; else y += sy;
  }
}

struct DashPattern { int count; int lengths[6]; };
const DashPattern kDashes[] = {
    {0, {}},                    // PS_SOLID
    {2, {18, 6}},               // PS_DASH
    {2, {3, 3}},                // PS_DOT
    {4, {9, 6, 3, 6}},          // PS_DASHDOT
    {6, {9, 3, 3, 3, 3, 3}},    // PS_DASHDOTDOT
};

// Draws with the DC's pen in surface coordinates: thin lines pixel by pixel with the dash pattern
// running on across segments, wide lines as round-capped strokes gathered first so each pixel is
// painted once.
class PenPainter {
public:
  PenPainter(DeviceContext& dc, Dib& target)
      : m_dc(dc), m_target(target), m_clip(dc.EffectiveClip()), m_pen(*dc.state.pen.object) {
    m_value = ColourValue(target, m_pen.colour);
    m_back = ColourValue(target, dc.state.bkColour);
    m_rop = Rop2ToRop3(dc.state.rop2);
  }

  bool Null() const { return m_pen.style == PS_NULL; }
  int Width() const { return m_pen.width; }
  bool Wide() const { return m_pen.width > 1; }

  void Segment(POINT a, POINT b) {
    if (Null()) return;
    if (Wide()) {
      LinePixels(a, b, [&](int x, int y) { Stamp(x, y); });
      Stamp(b.x, b.y);
      return;
    }
    LinePixels(a, b, [&](int x, int y) { Thin(x, y); });
  }

  void Pixel(int x, int y) {
    if (Null()) return;
    if (Wide()) Stamp(x, y); else PlotRop(m_target, m_clip, x, y, m_value, m_rop);
  }

  // Paints the gathered wide-pen pixels.
  void Flush() {
    std::sort(m_points.begin(), m_points.end(), [](const POINT& p, const POINT& q) {
      return p.y != q.y ? p.y < q.y : p.x < q.x;
    });
    auto end = std::unique(m_points.begin(), m_points.end(),
                           [](const POINT& p, const POINT& q) { return p.x == q.x && p.y == q.y; });
    for (auto it = m_points.begin(); it != end; ++it) PlotRop(m_target, m_clip, it->x, it->y, m_value, m_rop);
    m_points.clear();
  }

private:
  void Thin(int x, int y) {
    const int style = m_pen.style;
    if (style >= PS_DASH && style <= PS_DASHDOTDOT) {
      const DashPattern& dash = kDashes[style];
      const bool on = (m_dashIndex % 2) == 0;
      if (++m_dashPos >= dash.lengths[m_dashIndex]) {
        m_dashPos = 0;
        m_dashIndex = (m_dashIndex + 1) % dash.count;
      }
      if (!on) {
        // The gaps show the background colour unless the background is transparent.
        if (m_dc.state.bkMode == OPAQUE) PlotRop(m_target, m_clip, x, y, m_back, m_rop);
        return;
      }
    }
    PlotRop(m_target, m_clip, x, y, m_value, m_rop);
  }

  void Stamp(int cx, int cy) {
    const int w = m_pen.width;
    const double r = w / 2.0;
    const int lo = -(w / 2), hi = lo + w;
    for (int y = lo; y < hi; ++y)
      for (int x = lo; x < hi; ++x) {
        const double fx = x + 0.5 - (w % 2 ? 0.5 : 0.0), fy = y + 0.5 - (w % 2 ? 0.5 : 0.0);
        if (fx * fx + fy * fy <= r * r) m_points.push_back(POINT{cx + x, cy + y});
      }
  }

  DeviceContext& m_dc;
  Dib& m_target;
  const RegionData& m_clip;
  const PenObject& m_pen;
  std::uint32_t m_value = 0, m_back = 0;
  std::uint8_t m_rop = 0xF0;
  int m_dashIndex = 0, m_dashPos = 0;
  std::vector<POINT> m_points;
};

struct Drawing {
  std::shared_ptr<DeviceContext> dc;
  Dib* target = nullptr;
  explicit operator bool() const { return dc && target; }
};

Drawing Begin(HDC hdc) {
  Drawing d;
  d.dc = LookupDc(hdc);
  if (d.dc) d.target = d.dc->Target();
  return d;
}

RECT Ordered(const DeviceContext& dc, int left, int top, int right, int bottom) {
  const POINT a = dc.LogicalToSurface(std::min(left, right), std::min(top, bottom));
  const POINT b = dc.LogicalToSurface(std::max(left, right), std::max(top, bottom));
  return RECT{a.x, a.y, b.x, b.y};
}

// The brush of shape interiors, through the DC's binary raster operation.
void FillInterior(Drawing& d, int y, int x0, int x1) {
  const BrushPaint brush(d.dc->state.brush.object.get(), *d.dc, *d.target);
  if (brush.Null()) return;
  FillSpanRop(*d.target, d.dc->EffectiveClip(), y, x0, x1, brush, Rop2ToRop3(d.dc->state.rop2));
}

// Pixel (x, y) of the ellipse inscribed in `r` (right and bottom excluded): its centre lies inside.
bool EllipseSpan(const RECT& r, int y, int& x0, int& x1) {
  const double cx = (r.left + r.right - 1) / 2.0, cy = (r.top + r.bottom - 1) / 2.0;
  const double rx = (r.right - r.left) / 2.0, ry = (r.bottom - r.top) / 2.0;
  if (rx <= 0 || ry <= 0) return false;
  const double t = (y - cy) / ry;
  if (t * t > 1.0) return false;
  const double hw = rx * std::sqrt(1.0 - t * t);
  x0 = static_cast<int>(std::ceil(cx - hw - 1e-9));
  x1 = static_cast<int>(std::floor(cx + hw + 1e-9)) + 1;
  return x0 < x1;
}

HBRUSH BrushFromHandle(HBRUSH brush) {
  // FillRect and FrameRect take a system colour index + 1 in place of a brush.
  const auto value = reinterpret_cast<std::uintptr_t>(brush);
  if (value >= 1 && value <= 31) return GetSysColorBrush(static_cast<int>(value - 1));
  return brush;
}

int FillWithBrush(HDC hdc, const RECT& rect, HBRUSH handle, std::uint8_t rop) {
  Drawing d = Begin(hdc);
  if (!d) return 0;
  auto brushObject = LookupBrush(BrushFromHandle(handle));
  if (!brushObject) return 0;
  const BrushPaint brush(brushObject.get(), *d.dc, *d.target);
  const RECT r = Ordered(*d.dc, rect.left, rect.top, rect.right, rect.bottom);
  FillRectRop(*d.target, d.dc->EffectiveClip(), r, brush, rop);
  return 1;
}

}  // namespace

BOOL LineTo(HDC hdc, int x, int y) {
  Drawing d = Begin(hdc);
  if (!d) return FALSE;
  PenPainter pen(*d.dc, *d.target);
  const POINT from = d.dc->LogicalToSurface(d.dc->state.position.x, d.dc->state.position.y);
  pen.Segment(from, d.dc->LogicalToSurface(x, y));
  pen.Flush();
  d.dc->state.position = POINT{x, y};
  return TRUE;
}

BOOL Polyline(HDC hdc, const POINT* points, int count) {
  Drawing d = Begin(hdc);
  if (!d || !points || count < 2) return FALSE;
  PenPainter pen(*d.dc, *d.target);
  for (int i = 0; i + 1 < count; ++i) {
    pen.Segment(d.dc->LogicalToSurface(points[i].x, points[i].y),
                d.dc->LogicalToSurface(points[i + 1].x, points[i + 1].y));
  }
  pen.Flush();
  return TRUE;
}

BOOL Polygon(HDC hdc, const POINT* points, int count) {
  Drawing d = Begin(hdc);
  if (!d || !points || count < 2) return FALSE;
  std::vector<POINT> p(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) p[i] = d.dc->LogicalToSurface(points[i].x, points[i].y);
  // Interior by the alternate rule, sampling each pixel at its centre.
  int top = p[0].y, bottom = p[0].y;
  for (const POINT& q : p) { top = std::min(top, static_cast<int>(q.y)); bottom = std::max(bottom, static_cast<int>(q.y)); }
  for (int y = top; y < bottom; ++y) {
    const double sy = y + 0.5;
    std::vector<double> xs;
    for (int i = 0; i < count; ++i) {
      const POINT a = p[i], b = p[(i + 1) % count];
      if ((a.y <= sy) == (b.y <= sy)) continue;
      xs.push_back(a.x + (sy - a.y) * (b.x - a.x) / static_cast<double>(b.y - a.y));
    }
    std::sort(xs.begin(), xs.end());
    for (std::size_t i = 0; i + 1 < xs.size(); i += 2) {
      const int x0 = static_cast<int>(std::ceil(xs[i] - 0.5)), x1 = static_cast<int>(std::ceil(xs[i + 1] - 0.5));
      if (x0 < x1) FillInterior(d, y, x0, x1);
    }
  }
  // The outline is closed and, unlike a rectangle's, takes in the right and bottom vertices.
  PenPainter pen(*d.dc, *d.target);
  for (int i = 0; i < count; ++i) pen.Segment(p[i], p[(i + 1) % count]);
  pen.Flush();
  return TRUE;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  Drawing d = Begin(hdc);
  if (!d) return FALSE;
  RECT r = Ordered(*d.dc, left, top, right, bottom);
  PenPainter pen(*d.dc, *d.target);
  if (pen.Null()) {
    // Without a pen the filled area is one pixel smaller, as on Windows.
    for (int y = r.top; y < r.bottom - 1; ++y) FillInterior(d, y, r.left, r.right - 1);
    return TRUE;
  }
  const int w = pen.Width();
  RECT outer = r;
  if (w > 1 && d.dc->state.pen.object->style != PS_INSIDEFRAME) {
    // A wide pen is centred on the outline.
    outer = RECT{r.left - (w - 1) / 2, r.top - (w - 1) / 2, r.right + w / 2, r.bottom + w / 2};
  }
  const RECT inner{outer.left + w, outer.top + w, outer.right - w, outer.bottom - w};
  for (int y = inner.top; y < inner.bottom; ++y) FillInterior(d, y, inner.left, inner.right);
  if (w == 1) {
    pen.Segment(POINT{r.left, r.top}, POINT{r.right - 1, r.top});
    pen.Segment(POINT{r.right - 1, r.top}, POINT{r.right - 1, r.bottom - 1});
    pen.Segment(POINT{r.right - 1, r.bottom - 1}, POINT{r.left, r.bottom - 1});
    pen.Segment(POINT{r.left, r.bottom - 1}, POINT{r.left, r.top});
    return TRUE;
  }
  const std::uint32_t value = ColourValue(*d.target, d.dc->state.pen.object->colour);
  const std::uint8_t rop = Rop2ToRop3(d.dc->state.rop2);
  const RegionData& clip = d.dc->EffectiveClip();
  for (int y = outer.top; y < outer.bottom; ++y)
    for (int x = outer.left; x < outer.right; ++x) {
      if (x >= inner.left && x < inner.right && y >= inner.top && y < inner.bottom) continue;
      PlotRop(*d.target, clip, x, y, value, rop);
    }
  return TRUE;
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom) {
  Drawing d = Begin(hdc);
  if (!d) return FALSE;
  const RECT r = Ordered(*d.dc, left, top, right, bottom);
  PenPainter pen(*d.dc, *d.target);
  if (pen.Null()) {
    const RECT smaller{r.left, r.top, r.right - 1, r.bottom - 1};
    for (int y = smaller.top; y < smaller.bottom; ++y) {
      int x0, x1;
      if (EllipseSpan(smaller, y, x0, x1)) FillInterior(d, y, x0, x1);
    }
    return TRUE;
  }
  const int w = pen.Width();
  RECT outer = r;
  if (w > 1 && d.dc->state.pen.object->style != PS_INSIDEFRAME) {
    outer = RECT{r.left - (w - 1) / 2, r.top - (w - 1) / 2, r.right + w / 2, r.bottom + w / 2};
  }
  const RECT inner{outer.left + w, outer.top + w, outer.right - w, outer.bottom - w};
  const std::uint32_t value = ColourValue(*d.target, d.dc->state.pen.object->colour);
  const std::uint8_t rop = Rop2ToRop3(d.dc->state.rop2);
  const RegionData& clip = d.dc->EffectiveClip();
  for (int y = outer.top; y < outer.bottom; ++y) {
    int ox0, ox1, ix0 = 0, ix1 = 0;
    if (!EllipseSpan(outer, y, ox0, ox1)) continue;
    const bool hasInner = y >= inner.top && y < inner.bottom && EllipseSpan(inner, y, ix0, ix1);
    if (hasInner) FillInterior(d, y, ix0, ix1);
    for (int x = ox0; x < ox1; ++x) {
      if (hasInner && x >= ix0 && x < ix1) continue;
      PlotRop(*d.target, clip, x, y, value, rop);
    }
  }
  return TRUE;
}

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush) {
  if (!rect) return 0;
  return FillWithBrush(hdc, *rect, brush, 0xF0);
}

int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush) {
  if (!rect) return 0;
  const RECT& r = *rect;
  if (r.right <= r.left || r.bottom <= r.top) return 1;
  const RECT sides[] = {{r.left, r.top, r.right, r.top + 1},
                        {r.left, r.bottom - 1, r.right, r.bottom},
                        {r.left, r.top + 1, r.left + 1, r.bottom - 1},
                        {r.right - 1, r.top + 1, r.right, r.bottom - 1}};
  for (const RECT& side : sides) {
    if (!FillWithBrush(hdc, side, brush, 0xF0)) return 0;
  }
  return 1;
}

BOOL InvertRect(HDC hdc, const RECT* rect) {
  if (!rect) return FALSE;
  return PatBlt(hdc, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, DSTINVERT);
}

BOOL FillRgn(HDC hdc, HRGN handle, HBRUSH brush) {
  auto region = LookupRegion(handle);
  if (!region) return FALSE;
  for (const RECT& r : region->data.Rects()) {
    if (!FillWithBrush(hdc, r, brush, 0xF0)) return FALSE;
  }
  return TRUE;
}

BOOL FrameRgn(HDC hdc, HRGN handle, HBRUSH brush, int width, int height) {
  auto region = LookupRegion(handle);
  if (!region || width <= 0 || height <= 0) return FALSE;
  // The frame is what the region loses when it shrinks by the width and height on every side.
  RegionData inner = region->data;
  for (const POINT shift : {POINT{width, 0}, POINT{-width, 0}, POINT{0, height}, POINT{0, -height}}) {
    RegionData moved = region->data;
    moved.Offset(shift.x, shift.y);
    inner = RegionData::Combine(inner, moved, RegionData::Op::And);
  }
  const RegionData frame = RegionData::Combine(region->data, inner, RegionData::Op::Diff);
  for (const RECT& r : frame.Rects()) {
    if (!FillWithBrush(hdc, r, brush, 0xF0)) return FALSE;
  }
  return TRUE;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
  Drawing d = Begin(hdc);
  if (!d) return CLR_INVALID;
  const POINT p = d.dc->LogicalToSurface(x, y);
  if (!d.dc->EffectiveClip().Contains(p.x, p.y)) return CLR_INVALID;
  const std::uint32_t value = ColourValue(*d.target, color);
  d.target->Set(p.x, p.y, value);
  return d.target->ValueToColour(value);
}

COLORREF GetPixel(HDC hdc, int x, int y) {
  Drawing d = Begin(hdc);
  if (!d) return CLR_INVALID;
  const POINT p = d.dc->LogicalToSurface(x, y);
  if (!d.dc->EffectiveClip().Contains(p.x, p.y)) return CLR_INVALID;
  return d.target->ValueToColour(d.target->Get(p.x, p.y));
}
