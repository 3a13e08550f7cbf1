#pragma once
// Generated picture files for the tests: each format and variant written from a known pattern, so
// a test can compare every decoded pixel with what was written. PNG and JPEG are written with
// libpng and libjpeg; GIF and BMP by the small writers here, which can also produce what the
// libraries refuse to write (run-length BMPs, GIFs with every disposal method).
#include <imaging/Gdiplus.h>
#include <imaging/Decoders.h>

#include <cstdint>
#include <string>
#include <vector>

namespace samples {

using Bytes = std::vector<std::uint8_t>;
using Gdiplus::ARGB;

// The reference pattern: smooth gradients with a few hard edges, opaque.
ARGB Pattern(int x, int y);

struct PngSpec {
  int colourType;  // PNG_COLOR_TYPE_*
  int depth;
  bool interlaced = false;
  bool transparency = false;  // a tRNS chunk (grey, colour or palette)
};
// The picture in `pixels` (width x height ARGB) written as asked; samples are reduced to the depth
// by taking their high bits, and grey from the green channel.
Bytes WritePng(const PngSpec& spec, int width, int height, const std::vector<ARGB>& pixels);
// What a decoder must give back for that file.
std::vector<ARGB> ExpectedPng(const PngSpec& spec, int width, int height, const std::vector<ARGB>& pixels);

enum class JpegKind { Baseline, Progressive, Grey, Cmyk };
Bytes WriteJpeg(JpegKind kind, int width, int height, const std::vector<ARGB>& pixels, int quality = 95);

struct GifFrame {
  int left = 0, top = 0, width = 0, height = 0;
  std::vector<std::uint8_t> indices;  // width x height
  std::vector<ARGB> localPalette;     // empty: the global one
  int delay = 0;                      // hundredths of a second
  int disposal = 0;                   // 0-3
  int transparent = -1;
  bool interlaced = false;
  bool control = true;  // write a graphic control extension
  int lzwCodeSize = 8;   // 8 or 11 (beyond the format's limit, as some writers do)
};
Bytes WriteGif(int width, int height, const std::vector<ARGB>& globalPalette, const std::vector<GifFrame>& frames);

struct BmpSpec {
  int bits;                   // 1, 4, 8, 16, 24, 32
  int compression = 0;        // 0 plain, 1 RLE8, 2 RLE4, 3 bit fields
  bool topDown = false;
  bool coreHeader = false;    // the 12-byte header
  std::uint32_t masks[4] = {};  // bit fields: red, green, blue, alpha (alpha needs the 124-byte header)
};
// Indexed depths take `indices` and `palette`; the others take `pixels`.
Bytes WriteBmp(const BmpSpec& spec, int width, int height, const std::vector<ARGB>& pixels,
               const std::vector<std::uint8_t>& indices = {}, const std::vector<ARGB>& palette = {});
// Raw run-length data (pairs and escapes as written by hand) in an 8- or 4-bit BMP.
Bytes WriteRleBmp(int bits, int width, int height, const std::vector<ARGB>& palette, const Bytes& runs);

std::vector<ARGB> PatternPixels(int width, int height);

// Starts the library for a test and stops it at the end.
class Library {
public:
  Library();
  ~Library();

private:
  ULONG_PTR m_token = 0;
};

// A stream over a copy of the bytes, as callers make it, and an image read from it.
IStream* StreamOver(const Bytes& bytes);
std::unique_ptr<Gdiplus::Image> ImageFrom(const Bytes& bytes);

// Every pixel of the active frame, read through LockBits at 32 bits (a Bitmap), or through the
// decoder for a plain Image.
std::vector<ARGB> PixelsOf(const Bytes& file, UINT frame = 0);

// Writes `pixels` as a PNG file to $TEST_PNG_DIR/<name>.png when that variable is set.
void SavePng(const char* name, int width, int height, const std::vector<ARGB>& pixels);

// The largest difference of any channel between two pictures of the same size.
int MaxChannelDifference(const std::vector<ARGB>& a, const std::vector<ARGB>& b);

}  // namespace samples
