// Uncompressed pixel data must be all there; run-length data must reach its end marker or the last
// row. Pixels that a run-length file skips take palette entry 0, as in a fresh bitmap.
#include <gdi/BmpReader.h>

#include <algorithm>
#include <bit>
#include <iterator>

namespace tolvar::gdi {

namespace {

constexpr DWORD kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;
constexpr unsigned long long kSmallPicture = 1ull << 20;
constexpr unsigned long long kPixelsPerByte = 4096;  // run-length data skips whole areas in a few bytes

struct Bytes {
  std::span<const BYTE> data;
  bool Has(std::size_t offset, std::size_t count) const { return offset <= data.size() && count <= data.size() - offset; }
  WORD U16(std::size_t at) const { return WORD(data[at] | (data[at + 1] << 8)); }
  DWORD U32(std::size_t at) const { return DWORD(U16(at)) | (DWORD(U16(at + 2)) << 16); }
};

bool SizeAllowed(unsigned long long width, unsigned long long height, unsigned long long plausible) {
  if (width == 0 || height == 0 || width > kMaxBmpPixels || height > kMaxBmpPixels) return false;
  const unsigned long long pixels = width * height;
  return pixels <= kMaxBmpPixels && pixels <= plausible;
}

std::uint32_t Argb(unsigned a, unsigned r, unsigned g, unsigned b) { return (a << 24) | (r << 16) | (g << 8) | b; }

// One channel described by a bit mask, scaled to 8 bits.
struct Channel {
  DWORD mask = 0;
  int shift = 0;
  DWORD max = 0;
  explicit Channel(DWORD m) : mask(m) {
    if (!m) return;
    shift = std::countr_zero(m);
    max = m >> shift;
  }
  unsigned Get(DWORD value, unsigned absent) const {
    if (!mask) return absent;
    return unsigned((static_cast<unsigned long long>((value & mask) >> shift) * 255 + max / 2) / max);
  }
};

struct Header {
  LONG width = 0, height = 0;
  WORD planes = 1, bits = 0;
  DWORD compression = kRgb;
  DWORD colours = 0;
  DWORD masks[4] = {};
  bool haveMasks = false;
  std::size_t paletteAt = 0;
  std::size_t paletteEntrySize = 4;
};

// The information header at `at`.
bool ReadHeader(const Bytes& b, std::size_t at, Header& h) {
  if (!b.Has(at, 4)) return false;
  const DWORD size = b.U32(at);
  if (size == 12) {
    if (!b.Has(at, 12)) return false;
    h.width = SHORT(b.U16(at + 4));
    h.height = SHORT(b.U16(at + 6));
    h.planes = b.U16(at + 8);
    h.bits = b.U16(at + 10);
    h.paletteAt = at + 12;
    h.paletteEntrySize = 3;
    return true;
  }
  if (size < 40 || size > 4096 || !b.Has(at, size)) return false;
  h.width = LONG(b.U32(at + 4));
  h.height = LONG(b.U32(at + 8));
  h.planes = b.U16(at + 12);
  h.bits = b.U16(at + 14);
  h.compression = b.U32(at + 16);
  h.colours = b.U32(at + 32);
  h.paletteAt = at + size;
  if (size >= 52) {
    for (int i = 0; i < (size >= 56 ? 4 : 3); ++i) h.masks[i] = b.U32(at + 40 + 4 * i);
    h.haveMasks = h.compression == kBitFields;
  } else if (h.compression == kBitFields) {
    if (!b.Has(h.paletteAt, 12)) return false;
    for (int i = 0; i < 3; ++i) h.masks[i] = b.U32(h.paletteAt + 4 * i);
    h.paletteAt += 12;
    h.haveMasks = true;
  }
  return true;
}

bool Supported(const Header& h) {
  if (h.planes != 1) return false;
  switch (h.bits) {
    case 1: return h.compression == kRgb;
    case 4: return h.compression == kRgb || h.compression == kRle4;
    case 8: return h.compression == kRgb || h.compression == kRle8;
    case 24: return h.compression == kRgb;
    case 16:
    case 32: return h.compression == kRgb || h.compression == kBitFields;
    default: return false;
  }
}

// Palette entries the header announces: the count used, else all the depth holds.
std::size_t AnnouncedColours(const Header& h) {
  const std::size_t depth = h.bits <= 8 ? std::size_t{1} << h.bits : 0;
  return h.colours ? h.colours : depth;
}

class RunLengthDecoder {
 public:
  RunLengthDecoder(const Bytes& b, std::size_t at, bool fourBit, std::vector<BYTE>& indices, UINT width, UINT height)
      : m_b(b), m_at(at), m_four(fourBit), m_indices(indices), m_width(width), m_height(height) {}

  bool Run() {
    while (m_y < m_height) {
      if (!m_b.Has(m_at, 2)) return false;  // the data ended before the last row
      const BYTE count = m_b.data[m_at], value = m_b.data[m_at + 1];
      m_at += 2;
      if (count) {
        for (int i = 0; i < count; ++i) Put(m_four ? ((i & 1) ? value & 15 : value >> 4) : value);
        continue;
      }
      switch (value) {
        case 0:  // end of line
          m_x = 0;
          ++m_y;
          break;
        case 1:  // end of bitmap
          return true;
        case 2:  // move right and up
          if (!m_b.Has(m_at, 2)) return false;
          m_x += m_b.data[m_at];
          m_y += m_b.data[m_at + 1];
          m_at += 2;
          break;
        default: {  // `value` pixels as they are, padded to a whole 16-bit word
          const std::size_t bytes = m_four ? (value + 1u) / 2 : value;
          if (!m_b.Has(m_at, bytes)) return false;
          for (int i = 0; i < value; ++i) {
            const BYTE packed = m_b.data[m_at + (m_four ? i / 2 : i)];
            Put(m_four ? ((i & 1) ? packed & 15 : packed >> 4) : packed);
          }
          m_at += (bytes + 1) & ~std::size_t(1);
          break;
        }
      }
    }
    return true;
  }

 private:
  void Put(BYTE index) {
    if (m_x < m_width && m_y < m_height) m_indices[std::size_t(m_height - 1 - m_y) * m_width + m_x] = index;
    ++m_x;
  }

  const Bytes& m_b;
  std::size_t m_at;
  bool m_four;
  std::vector<BYTE>& m_indices;
  UINT m_width, m_height;
  UINT m_x = 0, m_y = 0;  // m_y counts from the bottom row
};

// `pixelsAt` is where the pixel data starts; 0 for a packed DIB, whose pixels follow its colour table.
BmpResult Decode(const Bytes& b, const Header& h, std::size_t pixelsAt, BmpImage& image) {
  if (!Supported(h) || h.width <= 0 || h.height == 0 || h.height == LONG(0x80000000)) return BmpResult::Invalid;
  const bool topDown = h.height < 0;
  const bool runLength = h.compression == kRle8 || h.compression == kRle4;
  if (topDown && runLength) return BmpResult::Invalid;
  const UINT width = UINT(h.width), height = UINT(topDown ? -h.height : h.height);
  if (h.bits <= 8 && h.colours > (std::size_t{1} << h.bits)) return BmpResult::Invalid;

  const bool packed = pixelsAt == 0;
  if (packed) {
    // A table kept beside deeper pixels (a hint for palettes) is skipped.
    const std::size_t colours = AnnouncedColours(h);
    if (!b.Has(h.paletteAt, 0) || colours > (b.data.size() - h.paletteAt) / h.paletteEntrySize) return BmpResult::Invalid;
    pixelsAt = h.paletteAt + colours * h.paletteEntrySize;
  }
  if (!b.Has(pixelsAt, 0)) return BmpResult::Invalid;

  const unsigned long long stride = ((static_cast<unsigned long long>(width) * h.bits + 31) / 32) * 4;
  if (runLength) {
    if (!SizeAllowed(width, height, kSmallPicture + b.data.size() * kPixelsPerByte)) return BmpResult::TooLarge;
  } else {
    if (!SizeAllowed(width, height, kMaxBmpPixels)) return BmpResult::TooLarge;
    if (stride * height > b.data.size() - pixelsAt) return BmpResult::Invalid;  // truncated
  }

  // The palette: as many entries as the header says, else as the bit depth holds, and only those the
  // file really holds before its pixels.
  std::vector<std::uint32_t> palette;
  if (h.bits <= 8) {
    const std::size_t entries = AnnouncedColours(h);
    for (std::size_t i = 0; i < entries; ++i) {
      const std::size_t at = h.paletteAt + i * h.paletteEntrySize;
      if (!b.Has(at, 3) || at >= pixelsAt) break;
      palette.push_back(Argb(255, b.data[at + 2], b.data[at + 1], b.data[at]));
    }
    if (palette.empty()) return BmpResult::Invalid;
  }
  auto colour = [&palette](unsigned index) { return index < palette.size() ? palette[index] : Argb(255, 0, 0, 0); };

  std::vector<std::uint32_t> pixels(std::size_t(width) * height);
  std::vector<BYTE> indices;
  DWORD masks[4] = {};
  if (h.bits <= 8) indices.assign(pixels.size(), 0);
  if (runLength) {
    RunLengthDecoder decoder(b, pixelsAt, h.compression == kRle4, indices, width, height);
    if (!decoder.Run()) return BmpResult::Invalid;
  } else {
    if (h.haveMasks) {
      std::copy(std::begin(h.masks), std::end(h.masks), masks);
    } else if (h.bits == 16) {
      masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else if (h.bits == 32) {
      masks[0] = 0x00FF0000, masks[1] = 0x0000FF00, masks[2] = 0x000000FF;  // the fourth byte is unused
    }
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
    for (UINT row = 0; row < height; ++row) {
      const BYTE* in = b.data.data() + pixelsAt + std::size_t(stride) * row;
      const std::size_t outRow = std::size_t(topDown ? row : height - 1 - row) * width;
      for (UINT x = 0; x < width; ++x) {
        switch (h.bits) {
          case 1: indices[outRow + x] = (in[x / 8] >> (7 - x % 8)) & 1; break;
          case 4: indices[outRow + x] = (in[x / 2] >> (x % 2 ? 0 : 4)) & 15; break;
          case 8: indices[outRow + x] = in[x]; break;
          case 24: pixels[outRow + x] = Argb(255, in[3 * x + 2], in[3 * x + 1], in[3 * x]); break;
          default: {
            const DWORD v = h.bits == 16 ? DWORD(in[2 * x] | (in[2 * x + 1] << 8))
                                         : DWORD(in[4 * x] | (in[4 * x + 1] << 8) | (in[4 * x + 2] << 16) |
                                                 (DWORD(in[4 * x + 3]) << 24));
            pixels[outRow + x] = Argb(alpha.Get(v, 255), red.Get(v, 0), green.Get(v, 0), blue.Get(v, 0));
          }
        }
      }
    }
  }
  for (std::size_t i = 0; i < indices.size(); ++i) pixels[i] = colour(indices[i]);

  image.width = width;
  image.height = height;
  image.bits = h.bits;
  image.compression = h.compression;
  std::copy(std::begin(masks), std::end(masks), image.masks);
  image.pixels = std::move(pixels);
  image.palette = std::move(palette);
  image.indices = std::move(indices);
  image.topDown = topDown;
  image.dataOffset = pixelsAt;
  return BmpResult::Ok;
}

}  // namespace

BmpResult ReadBmpFile(std::span<const BYTE> file, BmpImage& image) {
  const Bytes b{file};
  Header h;
  if (!b.Has(0, 14) || file[0] != 'B' || file[1] != 'M' || !ReadHeader(b, 14, h)) return BmpResult::Invalid;
  // The header's offset of the pixel data is honoured: a file may keep a gap before its pixels.
  const std::size_t pixelsAt = b.U32(10);
  if (pixelsAt < h.paletteAt) return BmpResult::Invalid;  // pixels overlapping the header
  return Decode(b, h, pixelsAt, image);
}

BmpResult ReadPackedDib(std::span<const BYTE> dib, BmpImage& image) {
  const Bytes b{dib};
  Header h;
  if (!ReadHeader(b, 0, h)) return BmpResult::Invalid;
  return Decode(b, h, 0, image);
}

}  // namespace tolvar::gdi
