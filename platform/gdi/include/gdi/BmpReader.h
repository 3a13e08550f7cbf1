#pragma once
// The one reader of device-independent bitmaps, for files ("BM" and its file header) and for packed
// DIBs (a bitmap resource: header, colour table, pixels): the old 12-byte header and the 40- to
// 124-byte ones, 1, 4 and 8 bits with a palette, 16 and 32 bits with the default layout or with bit
// masks, 24 bits, and the run-length forms of 8 and 4 bits; bottom-up or top-down rows. Every count
// in the header is checked against the bytes there before anything is allocated.
#include <base/WinDef.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tolvar::gdi {

struct BmpImage {
  UINT width = 0;
  UINT height = 0;
  WORD bits = 0;          // the depth the data is stored at
  DWORD compression = 0;  // BI_RGB, BI_RLE8, BI_RLE4 or BI_BITFIELDS
  DWORD masks[4] = {};    // red, green, blue, alpha in effect for 16 and 32 bits
  std::vector<std::uint32_t> pixels;   // 0xAARRGGBB, top row first, alpha not premultiplied
  std::vector<std::uint32_t> palette;  // indexed depths: the entries the file holds (alpha 255)
  std::vector<BYTE> indices;           // indexed depths: one palette index per pixel, top row first
  bool topDown = false;                // the rows are stored top row first
  // Where the stored rows start in the bytes read, for a caller that keeps an uncompressed picture
  // as it is stored (its depth, its fourth bytes); the rows are all there once the read succeeded.
  std::size_t dataOffset = 0;
};

enum class BmpResult { Ok, Invalid, TooLarge };

// No picture larger than this is decoded (256 MB of 32-bit pixels), whatever its header claims.
constexpr unsigned long long kMaxBmpPixels = 1ull << 26;

BmpResult ReadBmpFile(std::span<const BYTE> file, BmpImage& image);
BmpResult ReadPackedDib(std::span<const BYTE> dib, BmpImage& image);

}  // namespace tolvar::gdi
