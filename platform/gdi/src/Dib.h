#pragma once
// Pixel storage of every bitmap: a Windows-layout DIB (rows padded to 32 bits, bottom-up unless
// created top-down) with its colour table. Pixels are handled as "device values": the palette index
// for 1, 4 and 8 bits, 0x00RRGGBB for 24 and 32 bits (32-bit keeps its fourth byte), 0RRRRRGGGGGBBBBB
// for 16 bits. Raster operations work on these values, as the hardware would.
#include <gdi/GdiTypes.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace tolvar::gdi {

class Dib {
public:
  // Fails (nullptr) for sizes or depths that cannot be held.
  static std::shared_ptr<Dib> Create(int width, int height, int bpp, bool topDown = false);

  int Width() const { return m_width; }
  int Height() const { return m_height; }
  int Bpp() const { return m_bpp; }
  int Stride() const { return m_stride; }
  bool TopDown() const { return m_topDown; }
  std::uint8_t* Bits() { return m_bits.data(); }
  const std::uint8_t* Bits() const { return m_bits.data(); }
  std::size_t SizeBytes() const { return m_bits.size(); }

  std::uint8_t* Row(int y) { return m_bits.data() + static_cast<std::size_t>(RowIndex(y)) * m_stride; }
  const std::uint8_t* Row(int y) const { return m_bits.data() + static_cast<std::size_t>(RowIndex(y)) * m_stride; }

  std::uint32_t Get(int x, int y) const;
  void Set(int x, int y, std::uint32_t value);
  // Mask of the bits a device value may carry.
  std::uint32_t ValueMask() const;

  std::vector<RGBQUAD>& ColourTable() { return m_colours; }
  const std::vector<RGBQUAD>& ColourTable() const { return m_colours; }
  bool Indexed() const { return m_bpp <= 8; }
  bool SameFormat(const Dib& other) const;

  COLORREF ValueToColour(std::uint32_t value) const;
  // The value that shows `colour`: exact for direct colour, the nearest table entry when indexed.
  std::uint32_t ColourToValue(COLORREF colour) const;

  // The default colour table of a depth: black/white for 1 bit, the VGA colours for 4, and for 8
  // the 20 system colours spread over a 6x6x6 cube.
  static std::vector<RGBQUAD> DefaultColourTable(int bpp);

private:
  int RowIndex(int y) const { return m_topDown ? y : m_height - 1 - y; }

  int m_width = 0;
  int m_height = 0;
  int m_bpp = 32;
  int m_stride = 0;
  bool m_topDown = false;
  std::vector<std::uint8_t> m_bits;
  std::vector<RGBQUAD> m_colours;
};

inline COLORREF QuadToColour(RGBQUAD q) { return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue); }
inline RGBQUAD ColourToQuad(COLORREF c) { return RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0}; }

}  // namespace tolvar::gdi
