#pragma once
// The blit core shared by BitBlt, StretchBlt, the DIB-to-device functions, icons and image lists.
#include "Raster.h"

#include <functional>

namespace tolvar::gdi {

// Turns source device values into destination device values.
class SourceConverter {
public:
  // Windows' DC rules: a monochrome source paints its 0 bits in the destination DC's text colour and
  // its 1 bits in its background colour; a colour source onto a monochrome destination gives 1 (white)
  // where it equals the source DC's background colour and 0 elsewhere.
  static SourceConverter DcRules(const Dib& src, const Dib& dst, COLORREF srcBk, COLORREF dstText,
                                 COLORREF dstBk);
  // Colours through the colour tables, as the DIB transfer functions do.
  static SourceConverter ByColour(const Dib& src, const Dib& dst);

  std::uint32_t operator()(std::uint32_t v) const;
  bool Identity() const { return m_mode == Mode::Identity; }

private:
  enum class Mode { Identity, Table, ToMono, Direct };
  Mode m_mode = Mode::Identity;
  std::vector<std::uint32_t> m_table;
  const Dib* m_src = nullptr;
  const Dib* m_dst = nullptr;
  COLORREF m_monoMatch = 0;
};

// Copies the source rectangle (pixels of `src`) onto the destination rectangle (surface pixels of
// `dst`), stretching when the sizes differ, under ternary operation `rop` with `brush` as pattern.
// `src` may be null when the operation does not use a source.
void StretchCore(Dib& dst, const RegionData& clip, RECT dstRect, const Dib* src, RECT srcRect,
                 const SourceConverter* convert, const BrushPaint& brush, std::uint8_t rop, int stretchMode);

// The converter for a blit between two DCs.
SourceConverter ConverterFor(const DeviceContext& srcDc, const Dib& src, const DeviceContext& dstDc,
                             const Dib& dst);

}  // namespace tolvar::gdi
