#include "Dib.h"

#include <limits>

namespace tolvar::gdi {

std::shared_ptr<Dib> Dib::Create(int width, int height, int bpp, bool topDown) {
  if (width <= 0 || height <= 0) return nullptr;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return nullptr;
  const long long stride = ((static_cast<long long>(width) * bpp + 31) / 32) * 4;
  const long long bytes = stride * height;
  if (bytes > (1LL << 30)) return nullptr;  // 1 GiB: far beyond any window or picture of the suite
  auto dib = std::make_shared<Dib>();
  dib->m_width = width;
  dib->m_height = height;
  dib->m_bpp = bpp;
  dib->m_stride = static_cast<int>(stride);
  dib->m_topDown = topDown;
  dib->m_bits.assign(static_cast<std::size_t>(bytes), 0);
  dib->m_colours = DefaultColourTable(bpp);
  return dib;
}

std::uint32_t Dib::ValueMask() const {
  switch (m_bpp) {
    case 1: return 1;
    case 4: return 0xF;
    case 8: return 0xFF;
    case 16: return 0x7FFF;
    case 24: return 0xFFFFFF;
    default: return 0xFFFFFFFF;
  }
}

std::uint32_t Dib::Get(int x, int y) const {
  const std::uint8_t* row = Row(y);
  switch (m_bpp) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (x & 1) ? (row[x >> 1] & 0xF) : (row[x >> 1] >> 4);
    case 8: return row[x];
    case 16: return static_cast<std::uint32_t>(row[2 * x] | (row[2 * x + 1] << 8)) & 0x7FFF;
    case 24: {
      const std::uint8_t* p = row + 3 * x;
      return static_cast<std::uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16));
    }
    default: {
      const std::uint8_t* p = row + 4 * x;
      return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
             (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    }
  }
}

void Dib::Set(int x, int y, std::uint32_t v) {
  std::uint8_t* row = Row(y);
  switch (m_bpp) {
    case 1: {
      const std::uint8_t bit = static_cast<std::uint8_t>(0x80 >> (x & 7));
      if (v & 1) row[x >> 3] |= bit; else row[x >> 3] &= static_cast<std::uint8_t>(~bit);
      break;
    }
    case 4: {
      std::uint8_t& b = row[x >> 1];
      if (x & 1) b = static_cast<std::uint8_t>((b & 0xF0) | (v & 0xF));
      else b = static_cast<std::uint8_t>((b & 0x0F) | ((v & 0xF) << 4));
      break;
    }
    case 8: row[x] = static_cast<std::uint8_t>(v); break;
    case 16:
      row[2 * x] = static_cast<std::uint8_t>(v);
      row[2 * x + 1] = static_cast<std::uint8_t>((v >> 8) & 0x7F);
      break;
    case 24: {
      std::uint8_t* p = row + 3 * x;
      p[0] = static_cast<std::uint8_t>(v);
      p[1] = static_cast<std::uint8_t>(v >> 8);
      p[2] = static_cast<std::uint8_t>(v >> 16);
      break;
    }
    default: {
      std::uint8_t* p = row + 4 * x;
      p[0] = static_cast<std::uint8_t>(v);
      p[1] = static_cast<std::uint8_t>(v >> 8);
      p[2] = static_cast<std::uint8_t>(v >> 16);
      p[3] = static_cast<std::uint8_t>(v >> 24);
      break;
    }
  }
}

bool Dib::SameFormat(const Dib& other) const {
  if (m_bpp != other.m_bpp) return false;
  if (!Indexed()) return true;
  if (m_colours.size() != other.m_colours.size()) return false;
  for (std::size_t i = 0; i < m_colours.size(); ++i) {
    if (QuadToColour(m_colours[i]) != QuadToColour(other.m_colours[i])) return false;
  }
  return true;
}

COLORREF Dib::ValueToColour(std::uint32_t v) const {
  if (Indexed()) {
    return v < m_colours.size() ? QuadToColour(m_colours[v]) : RGB(0, 0, 0);
  }
  if (m_bpp == 16) {
    auto expand = [](std::uint32_t c5) { return static_cast<BYTE>((c5 << 3) | (c5 >> 2)); };
    return RGB(expand((v >> 10) & 31), expand((v >> 5) & 31), expand(v & 31));
  }
  return RGB(static_cast<BYTE>(v >> 16), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v));
}

std::uint32_t Dib::ColourToValue(COLORREF c) const {
  const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
  if (Indexed()) {
    std::uint32_t best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (std::size_t i = 0; i < m_colours.size(); ++i) {
      const int dr = r - m_colours[i].rgbRed, dg = g - m_colours[i].rgbGreen, db = b - m_colours[i].rgbBlue;
      const int d = dr * dr + dg * dg + db * db;
      if (d < bestDistance) {
        bestDistance = d;
        best = static_cast<std::uint32_t>(i);
        if (d == 0) break;
      }
    }
    return best;
  }
  if (m_bpp == 16) return static_cast<std::uint32_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
  return static_cast<std::uint32_t>((r << 16) | (g << 8) | b);
}

std::vector<RGBQUAD> Dib::DefaultColourTable(int bpp) {
  std::vector<RGBQUAD> table;
  auto add = [&](BYTE r, BYTE g, BYTE b) { table.push_back(RGBQUAD{b, g, r, 0}); };
  if (bpp == 1) {
    add(0, 0, 0);
    add(255, 255, 255);
  } else if (bpp == 4) {
    static const BYTE vga[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                    {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                    {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                    {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    for (const auto& c : vga) add(c[0], c[1], c[2]);
  } else if (bpp == 8) {
    static const BYTE system[20][3] = {
        {0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
        {128, 0, 128},   {0, 128, 128},   {192, 192, 192}, {192, 220, 192}, {166, 202, 240},
        {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0},
        {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
    for (int i = 0; i < 10; ++i) add(system[i][0], system[i][1], system[i][2]);
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b) add(static_cast<BYTE>(r * 51), static_cast<BYTE>(g * 51), static_cast<BYTE>(b * 51));
    while (table.size() < 246) add(0, 0, 0);
    for (int i = 10; i < 20; ++i) add(system[i][0], system[i][1], system[i][2]);
  }
  return table;
}

}  // namespace tolvar::gdi
