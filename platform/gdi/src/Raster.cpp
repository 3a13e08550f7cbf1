#include "Raster.h"

#include <algorithm>

namespace tolvar::gdi {
namespace {

const std::uint8_t kHatches[6][8] = {
    {0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00},  // HS_HORIZONTAL
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},  // HS_VERTICAL
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // HS_FDIAGONAL
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // HS_BDIAGONAL
    {0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08, 0x08},  // HS_CROSS
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // HS_DIAGCROSS
};

int Wrap(int v, int n) {
  const int m = v % n;
  return m < 0 ? m + n : m;
}

}  // namespace

std::uint32_t ColourValue(const Dib& target, COLORREF colour) { return target.ColourToValue(colour & 0xFFFFFF); }

BrushPaint BrushPaint::Solid(std::uint32_t value) {
  BrushPaint paint;
  paint.m_kind = K::Solid;
  paint.m_value = value;
  return paint;
}

BrushPaint::BrushPaint(const BrushObject* brush, const DeviceContext& dc, const Dib& target) {
  if (!brush || brush->style == BS_NULL) return;
  m_originX = dc.surfaceOrigin.x + dc.state.brushOrg.x;
  m_originY = dc.surfaceOrigin.y + dc.state.brushOrg.y;
  switch (brush->style) {
    case BS_SOLID:
      m_kind = K::Solid;
      m_value = ColourValue(target, brush->colour);
      break;
    case BS_HATCHED:
      m_kind = K::Hatch;
      m_hatch = brush->hatch >= 0 && brush->hatch <= HS_DIAGCROSS ? brush->hatch : 0;
      m_value = ColourValue(target, brush->colour);
      m_back = ColourValue(target, dc.state.bkColour);
      m_transparentBack = dc.state.bkMode == TRANSPARENT;
      break;
    case BS_PATTERN: {
      const Dib& pattern = *brush->pattern;
      m_kind = K::Pattern;
      m_width = pattern.Width();
      m_height = pattern.Height();
      m_pattern.resize(static_cast<std::size_t>(m_width) * m_height);
      // A monochrome pattern paints its 0 bits in the text colour and its 1 bits in the background.
      const bool mono = pattern.Bpp() == 1;
      const std::uint32_t fore = ColourValue(target, dc.state.textColour);
      const std::uint32_t back = ColourValue(target, dc.state.bkColour);
      const bool same = pattern.SameFormat(target);
      for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
          const std::uint32_t v = pattern.Get(x, y);
          std::uint32_t out;
          if (mono) out = v ? back : fore;
          else if (same) out = v;
          else out = ColourValue(target, pattern.ValueToColour(v));
          m_pattern[static_cast<std::size_t>(y) * m_width + x] = out;
        }
      }
      break;
    }
    default: break;
  }
}

bool BrushPaint::At(int x, int y, std::uint32_t& value) const {
  switch (m_kind) {
    case K::Solid: value = m_value; return true;
    case K::Pattern:
      value = m_pattern[static_cast<std::size_t>(Wrap(y - m_originY, m_height)) * m_width +
                        Wrap(x - m_originX, m_width)];
      return true;
    case K::Hatch: {
      const bool on = (kHatches[m_hatch][Wrap(y - m_originY, 8)] >> (7 - Wrap(x - m_originX, 8))) & 1;
      if (on) {
        value = m_value;
        return true;
      }
      if (m_transparentBack) return false;
      value = m_back;
      return true;
    }
    case K::Null: break;
  }
  return false;
}

void FillSpanRop(Dib& target, const RegionData& clip, int y, int x0, int x1, const BrushPaint& brush,
                 std::uint8_t rop) {
  if (brush.Null() && RopUsesPattern(rop)) return;
  const std::uint32_t mask = target.ValueMask();
  const bool direct32 = target.Bpp() == 32 && brush.IsSolid() && rop == 0xF0;
  clip.ClipSpan(y, x0, x1, [&](int l, int r) {
    if (direct32) {
      const std::uint32_t v = brush.SolidValue();
      std::uint8_t* p = target.Row(y) + 4 * l;
      for (int x = l; x < r; ++x, p += 4) {
        p[0] = static_cast<std::uint8_t>(v);
        p[1] = static_cast<std::uint8_t>(v >> 8);
        p[2] = static_cast<std::uint8_t>(v >> 16);
        p[3] = static_cast<std::uint8_t>(v >> 24);
      }
      return;
    }
    for (int x = l; x < r; ++x) {
      std::uint32_t p = 0;
      if (!brush.Null() && !brush.At(x, y, p)) continue;
      target.Set(x, y, Rop3(rop, p, 0, target.Get(x, y)) & mask);
    }
  });
}

void FillRectRop(Dib& target, const RegionData& clip, const RECT& rect, const BrushPaint& brush,
                 std::uint8_t rop) {
  const RECT box = clip.Box();
  const int top = std::max(rect.top, box.top), bottom = std::min(rect.bottom, box.bottom);
  for (int y = top; y < bottom; ++y) FillSpanRop(target, clip, y, rect.left, rect.right, brush, rop);
}

void PlotRop(Dib& target, const RegionData& clip, int x, int y, std::uint32_t value, std::uint8_t rop) {
  if (!clip.Contains(x, y)) return;
  target.Set(x, y, Rop3(rop, value, 0, target.Get(x, y)) & target.ValueMask());
}

}  // namespace tolvar::gdi
