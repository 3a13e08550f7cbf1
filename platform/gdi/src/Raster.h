#pragma once
// The raster engine's primitives on a DC's target: raster operations on device values, brushes
// realized for a target, and clipped spans and pixels. Coordinates here are surface pixels.
#include "DeviceContext.h"

#include <cstdint>

namespace tolvar::gdi {

// Result of the ternary raster operation `rop` (its truth-table byte) on pattern, source, destination.
inline std::uint32_t Rop3(std::uint8_t rop, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
  switch (rop) {
    case 0x00: return 0;
    case 0xFF: return 0xFFFFFFFF;
    case 0xCC: return s;
    case 0xF0: return p;
    case 0xAA: return d;
    case 0x88: return s & d;
    case 0xEE: return s | d;
    case 0x66: return s ^ d;
    case 0x5A: return p ^ d;
    case 0x55: return ~d;
    case 0x33: return ~s;
    default: break;
  }
  std::uint32_t r = 0;
  for (int i = 0; i < 8; ++i) {
    if (rop & (1u << i)) r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  }
  return r;
}

// Binary raster operations (R2_*) as the ternary operation with the pen as pattern.
inline std::uint8_t Rop2ToRop3(int rop2) {
  // R2 codes 1..16 hold a truth table over (pen, destination) in code - 1; spread it over the source bit.
  const unsigned table = static_cast<unsigned>(rop2 - 1) & 0xF;
  std::uint8_t rop = 0;
  for (int i = 0; i < 8; ++i) {
    const int p = (i >> 2) & 1, d = i & 1;
    if (table & (1u << ((p << 1) | d))) rop |= static_cast<std::uint8_t>(1u << i);
  }
  return rop;
}

inline bool RopUsesSource(std::uint8_t rop) { return ((rop >> 2) & 0x33) != (rop & 0x33); }
inline bool RopUsesPattern(std::uint8_t rop) { return ((rop >> 4) & 0x0F) != (rop & 0x0F); }

// A brush as the values it paints on one target.
class BrushPaint {
public:
  BrushPaint() = default;
  BrushPaint(const BrushObject* brush, const DeviceContext& dc, const Dib& target);
  static BrushPaint Solid(std::uint32_t value);

  bool Null() const { return m_kind == K::Null; }
  // False where a hatched brush on a transparent background leaves the pixel alone.
  bool At(int x, int y, std::uint32_t& value) const;
  bool IsSolid() const { return m_kind == K::Solid; }
  std::uint32_t SolidValue() const { return m_value; }

private:
  enum class K { Null, Solid, Pattern, Hatch };
  K m_kind = K::Null;
  std::uint32_t m_value = 0;
  std::uint32_t m_back = 0;
  bool m_transparentBack = false;
  int m_hatch = 0;
  int m_originX = 0, m_originY = 0;
  int m_width = 0, m_height = 0;
  std::vector<std::uint32_t> m_pattern;  // values in the target's format
};

// Converts a colour for a target as pens and brushes do.
std::uint32_t ColourValue(const Dib& target, COLORREF colour);

// Fills the rectangle (surface coordinates, clipped) with the brush under the ternary operation.
void FillRectRop(Dib& target, const RegionData& clip, const RECT& rect, const BrushPaint& brush,
                 std::uint8_t rop);
// Fills one row span [x0, x1) the same way.
void FillSpanRop(Dib& target, const RegionData& clip, int y, int x0, int x1, const BrushPaint& brush,
                 std::uint8_t rop);
// One pixel under the ternary operation with `value` as pattern.
void PlotRop(Dib& target, const RegionData& clip, int x, int y, std::uint32_t value, std::uint8_t rop);

}  // namespace tolvar::gdi
