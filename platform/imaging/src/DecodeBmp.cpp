// BMP files, decoded here (no library is needed for so plain a format): the old 12-byte header and
// the 40- to 124-byte ones, 1, 4 and 8 bits with a palette, 16 and 32 bits with the default layout
// or with bit masks, 24 bits, and the run-length forms of 8 and 4 bits; bottom-up or top-down rows.
// Uncompressed pixel data must be all there; run-length data must reach its end marker or the last
// row. Pixels that a run-length file skips take palette entry 0, as in a fresh bitmap.
#include <imaging/Decoders.h>

#include <algorithm>
#include <bit>

namespace tolvar::imaging {

namespace {

using namespace Gdiplus;

constexpr ULONGLONG kSmallPicture = ULONGLONG(1) << 20;
constexpr ULONGLONG kPixelsPerByte = 4096;  // run-length data skips whole areas in a few bytes

constexpr DWORD BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3;

struct Bytes {
  std::span<const BYTE> data;
  bool Has(std::size_t offset, std::size_t count) const { return offset <= data.size() && count <= data.size() - offset; }
  WORD U16(std::size_t at) const { return WORD(data[at] | (data[at + 1] << 8)); }
  DWORD U32(std::size_t at) const { return DWORD(U16(at)) | (DWORD(U16(at + 2)) << 16); }
};

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
  BYTE Get(DWORD value, BYTE absent) const {
    if (!mask) return absent;
    return BYTE((ULONGLONG((value & mask) >> shift) * 255 + max / 2) / max);
  }
};

struct Header {
  LONG width = 0, height = 0;
  WORD bits = 0;
  DWORD compression = BI_RGB;
  DWORD colours = 0;
  DWORD masks[4] = {};  // red, green, blue, alpha
  bool haveMasks = false;
  std::size_t paletteAt = 0;
  std::size_t paletteEntrySize = 4;
};

bool ReadHeader(const Bytes& b, Header& h) {
  if (!b.Has(0, 18)) return false;
  const DWORD size = b.U32(14);
  if (size == 12) {
    if (!b.Has(14, 12)) return false;
    h.width = SHORT(b.U16(18));
    h.height = SHORT(b.U16(20));
    h.bits = b.U16(24);
    h.paletteAt = 14 + 12;
    h.paletteEntrySize = 3;
    return true;
  }
  if (size < 40 || size > 4096 || !b.Has(14, size)) return false;
  h.width = LONG(b.U32(18));
  h.height = LONG(b.U32(22));
  h.bits = b.U16(28);
  h.compression = b.U32(30);
  h.colours = b.U32(46);
  h.paletteAt = 14 + size;
  if (size >= 52) {
    for (int i = 0; i < (size >= 56 ? 4 : 3); ++i) h.masks[i] = b.U32(54 + 4 * i);
    h.haveMasks = h.compression == BI_BITFIELDS;
  } else if (h.compression == BI_BITFIELDS) {
    if (!b.Has(h.paletteAt, 12)) return false;
    for (int i = 0; i < 3; ++i) h.masks[i] = b.U32(h.paletteAt + 4 * i);
    h.paletteAt += 12;
    h.haveMasks = true;
  }
  return true;
}

bool Supported(const Header& h) {
  switch (h.bits) {
    case 1: return h.compression == BI_RGB;
    case 4: return h.compression == BI_RGB || h.compression == BI_RLE4;
    case 8: return h.compression == BI_RGB || h.compression == BI_RLE8;
    case 24: return h.compression == BI_RGB;
    case 16:
    case 32: return h.compression == BI_RGB || h.compression == BI_BITFIELDS;
    default: return false;
  }
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

}  // namespace

Status DecodeBmp(std::span<const BYTE> data, DecodedImage& image) {
  const Bytes b{data};
  Header h;
  if (!b.Has(0, 2) || data[0] != 'B' || data[1] != 'M' || !ReadHeader(b, h)) return GenericError;
  if (!Supported(h) || h.width <= 0 || h.height == 0 || h.height == LONG(0x80000000)) return GenericError;
  const bool topDown = h.height < 0;
  const bool runLength = h.compression == BI_RLE8 || h.compression == BI_RLE4;
  if (topDown && runLength) return GenericError;
  const UINT width = UINT(h.width), height = UINT(topDown ? -h.height : h.height);
  const std::size_t pixelsAt = b.U32(10);

  const ULONGLONG stride = ((ULONGLONG(width) * h.bits + 31) / 32) * 4;
  if (runLength) {
    if (!PictureSizeAllowed(width, height, kSmallPicture + data.size() * kPixelsPerByte)) return OutOfMemory;
  } else {
    if (!PictureSizeAllowed(width, height, kMaxPixels)) return OutOfMemory;
    if (!b.Has(pixelsAt, 0) || stride * height > data.size() - pixelsAt) return GenericError;  // truncated
  }

  // The palette: as many entries as the header says, else as the bit depth holds, and only those the
  // file really contains.
  std::vector<ARGB> palette;
  if (h.bits <= 8) {
    std::size_t entries = h.colours ? std::min<std::size_t>(h.colours, std::size_t(1) << h.bits) : std::size_t(1) << h.bits;
    for (std::size_t i = 0; i < entries; ++i) {
      const std::size_t at = h.paletteAt + i * h.paletteEntrySize;
      if (!b.Has(at, 3) || (pixelsAt && at >= pixelsAt)) break;
      palette.push_back(Color::MakeARGB(255, data[at + 2], data[at + 1], data[at]));
    }
    if (palette.empty()) return GenericError;
  }
  auto paletteColour = [&palette](unsigned index) {
    return index < palette.size() ? palette[index] : Color::MakeARGB(255, 0, 0, 0);
  };

  std::vector<ARGB> pixels(std::size_t(width) * height);
  PixelFormat format = PixelFormat24bppRGB;
  if (runLength) {
    std::vector<BYTE> indices(std::size_t(width) * height, 0);
    if (!b.Has(pixelsAt, 0)) return GenericError;
    RunLengthDecoder decoder(b, pixelsAt, h.compression == BI_RLE4, indices, width, height);
    if (!decoder.Run()) return GenericError;
    for (std::size_t i = 0; i < indices.size(); ++i) pixels[i] = paletteColour(indices[i]);
    format = h.bits == 4 ? PixelFormat4bppIndexed : PixelFormat8bppIndexed;
  } else {
    DWORD masks[4] = {};
    if (h.haveMasks) {
      std::copy(std::begin(h.masks), std::end(h.masks), masks);
    } else if (h.bits == 16) {
      masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else if (h.bits == 32) {
      masks[0] = 0x00FF0000, masks[1] = 0x0000FF00, masks[2] = 0x000000FF;  // the fourth byte is unused
    }
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
    switch (h.bits) {
      case 1: format = PixelFormat1bppIndexed; break;
      case 4: format = PixelFormat4bppIndexed; break;
      case 8: format = PixelFormat8bppIndexed; break;
      case 16: format = masks[1] == 0x07E0 ? PixelFormat16bppRGB565 : PixelFormat16bppRGB555; break;
      case 32: format = masks[3] ? PixelFormat32bppARGB : PixelFormat32bppRGB; break;
      default: break;
    }
    for (UINT row = 0; row < height; ++row) {
      const BYTE* in = data.data() + pixelsAt + std::size_t(stride) * row;
      ARGB* out = &pixels[std::size_t(topDown ? row : height - 1 - row) * width];
      for (UINT x = 0; x < width; ++x) {
        switch (h.bits) {
          case 1: out[x] = paletteColour((in[x / 8] >> (7 - x % 8)) & 1); break;
          case 4: out[x] = paletteColour((in[x / 2] >> (x % 2 ? 0 : 4)) & 15); break;
          case 8: out[x] = paletteColour(in[x]); break;
          case 24: out[x] = Color::MakeARGB(255, in[3 * x + 2], in[3 * x + 1], in[3 * x]); break;
          default: {
            const DWORD v = h.bits == 16 ? DWORD(in[2 * x] | (in[2 * x + 1] << 8))
                                         : DWORD(in[4 * x] | (in[4 * x + 1] << 8) | (in[4 * x + 2] << 16) | (DWORD(in[4 * x + 3]) << 24));
            out[x] = Color::MakeARGB(alpha.Get(v, 255), red.Get(v, 0), green.Get(v, 0), blue.Get(v, 0));
          }
        }
      }
    }
  }

  image.rawFormat = ImageFormatBMP;
  image.pixelFormat = format;
  image.width = width;
  image.height = height;
  image.pixels = std::move(pixels);
  image.palette = std::move(palette);
  image.paletteFlags = 0;
  return Ok;
}

}  // namespace tolvar::imaging
