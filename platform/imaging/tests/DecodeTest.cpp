// Generated files of every format and variant decode to the pixels that were written, with the
// right raw format, size, pixel format and palette.
#include "Samples.h"

#include <png.h>

#include <algorithm>

#include <gtest/gtest.h>

using namespace Gdiplus;
using samples::Bytes;

namespace {

samples::GifFrame Frame(int left, int top, int width, int height, std::vector<std::uint8_t> indices,
                        std::vector<ARGB> localPalette = {}) {
  samples::GifFrame frame;
  frame.left = left, frame.top = top, frame.width = width, frame.height = height;
  frame.indices = std::move(indices);
  frame.localPalette = std::move(localPalette);
  return frame;
}

constexpr int kWidth = 37, kHeight = 23;  // odd sizes: partial bytes, rows and interlace passes

std::vector<ARGB> WithAlpha(std::vector<ARGB> pixels) {
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = (pixels[i] & 0x00FFFFFF) | ARGB((i * 7) & 255) << 24;
  return pixels;
}

struct PngCase {
  const char* name;
  samples::PngSpec spec;
  PixelFormat format;
};

const PngCase kPngCases[] = {
    {"grey 1", {PNG_COLOR_TYPE_GRAY, 1}, PixelFormat1bppIndexed},
    {"grey 2", {PNG_COLOR_TYPE_GRAY, 2}, PixelFormat4bppIndexed},
    {"grey 4", {PNG_COLOR_TYPE_GRAY, 4}, PixelFormat4bppIndexed},
    {"grey 8", {PNG_COLOR_TYPE_GRAY, 8}, PixelFormat8bppIndexed},
    {"grey 16", {PNG_COLOR_TYPE_GRAY, 16}, PixelFormat48bppRGB},
    {"grey 8 with a transparent value", {PNG_COLOR_TYPE_GRAY, 8, false, true}, PixelFormat32bppARGB},
    {"grey 16 with a transparent value", {PNG_COLOR_TYPE_GRAY, 16, false, true}, PixelFormat32bppARGB},
    {"grey and alpha 8", {PNG_COLOR_TYPE_GRAY_ALPHA, 8}, PixelFormat32bppARGB},
    {"grey and alpha 16", {PNG_COLOR_TYPE_GRAY_ALPHA, 16}, PixelFormat64bppARGB},
    {"colour 8", {PNG_COLOR_TYPE_RGB, 8}, PixelFormat24bppRGB},
    {"colour 16", {PNG_COLOR_TYPE_RGB, 16}, PixelFormat48bppRGB},
    {"colour 8 with a transparent colour", {PNG_COLOR_TYPE_RGB, 8, false, true}, PixelFormat32bppARGB},
    {"colour and alpha 8", {PNG_COLOR_TYPE_RGB_ALPHA, 8}, PixelFormat32bppARGB},
    {"colour and alpha 16", {PNG_COLOR_TYPE_RGB_ALPHA, 16}, PixelFormat64bppARGB},
    {"palette 1", {PNG_COLOR_TYPE_PALETTE, 1}, PixelFormat1bppIndexed},
    {"palette 2", {PNG_COLOR_TYPE_PALETTE, 2}, PixelFormat4bppIndexed},
    {"palette 4", {PNG_COLOR_TYPE_PALETTE, 4}, PixelFormat4bppIndexed},
    {"palette 8", {PNG_COLOR_TYPE_PALETTE, 8}, PixelFormat8bppIndexed},
    {"palette 8 with transparency", {PNG_COLOR_TYPE_PALETTE, 8, false, true}, PixelFormat8bppIndexed},
    {"interlaced grey 1", {PNG_COLOR_TYPE_GRAY, 1, true}, PixelFormat1bppIndexed},
    {"interlaced palette 4", {PNG_COLOR_TYPE_PALETTE, 4, true}, PixelFormat4bppIndexed},
    {"interlaced colour and alpha 16", {PNG_COLOR_TYPE_RGB_ALPHA, 16, true}, PixelFormat64bppARGB},
};

}  // namespace

TEST(DecodePng, EveryColourTypeDepthAndInterlaceGivesTheWrittenPixels) {
  samples::Library library;
  for (const PngCase& c : kPngCases) {
    SCOPED_TRACE(c.name);
    const auto pixels = WithAlpha(samples::PatternPixels(kWidth, kHeight));
    const Bytes file = samples::WritePng(c.spec, kWidth, kHeight, pixels);
    auto image = samples::ImageFrom(file);
    ASSERT_EQ(image->GetLastStatus(), Ok);
    GUID format{};
    EXPECT_EQ(image->GetRawFormat(&format), Ok);
    EXPECT_TRUE(format == ImageFormatPNG);
    EXPECT_EQ(image->GetWidth(), UINT(kWidth));
    EXPECT_EQ(image->GetHeight(), UINT(kHeight));
    EXPECT_EQ(image->GetPixelFormat(), c.format);
    EXPECT_EQ(samples::PixelsOf(file), samples::ExpectedPng(c.spec, kWidth, kHeight, pixels));
  }
}

TEST(DecodePng, PaletteTransparencySetsTheAlphaFlag) {
  samples::Library library;
  const auto pixels = samples::PatternPixels(8, 8);
  for (bool transparency : {false, true}) {
    auto image = samples::ImageFrom(samples::WritePng({PNG_COLOR_TYPE_PALETTE, 4, false, transparency}, 8, 8, pixels));
    std::vector<BYTE> buffer(std::size_t(image->GetPaletteSize()));
    auto* palette = reinterpret_cast<ColorPalette*>(buffer.data());
    ASSERT_EQ(image->GetPalette(palette, INT(buffer.size())), Ok);
    EXPECT_EQ(palette->Count, 16u);
    EXPECT_EQ(palette->Flags, transparency ? UINT(PaletteFlagsHasAlpha) : 0u);
  }
}

TEST(DecodeJpeg, BaselineProgressiveGreyAndCmykComeCloseToThePicture) {
  samples::Library library;
  // A smooth picture, so that compression at quality 95 stays within a few levels.
  std::vector<ARGB> pixels;
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) pixels.push_back(Color::MakeARGB(255, BYTE(x * 4), BYTE(y * 5), BYTE(128 + x - y)));
  struct Case {
    const char* name;
    samples::JpegKind kind;
    PixelFormat format;
  } const cases[] = {
      {"baseline", samples::JpegKind::Baseline, PixelFormat24bppRGB},
      {"progressive", samples::JpegKind::Progressive, PixelFormat24bppRGB},
      {"grey", samples::JpegKind::Grey, PixelFormat8bppIndexed},
      {"cmyk", samples::JpegKind::Cmyk, PixelFormat32bppCMYK},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes file = samples::WriteJpeg(c.kind, 64, 48, pixels);
    auto image = samples::ImageFrom(file);
    ASSERT_EQ(image->GetLastStatus(), Ok);
    GUID format{};
    image->GetRawFormat(&format);
    EXPECT_TRUE(format == ImageFormatJPEG);
    EXPECT_EQ(image->GetWidth(), 64u);
    EXPECT_EQ(image->GetHeight(), 48u);
    EXPECT_EQ(image->GetPixelFormat(), c.format);
    std::vector<ARGB> expected = pixels;
    if (c.kind == samples::JpegKind::Grey)
      for (ARGB& p : expected) p = Color::MakeARGB(255, BYTE(p >> 8), BYTE(p >> 8), BYTE(p >> 8));
    EXPECT_LE(samples::MaxChannelDifference(samples::PixelsOf(file), expected), 8);
  }
}

// A reduced decode picks the smallest of 1/8, 1/4, 1/2 and 1 that still covers the asked size, and
// its pixels are the picture's, averaged.
TEST(DecodeJpeg, ReducedDecodeCoversTheAskedSize) {
  std::vector<ARGB> pixels(std::size_t(400) * 240, Color::MakeARGB(255, 200, 40, 90));
  for (std::size_t i = 0; i < 400 * 120; ++i) pixels[i] = Color::MakeARGB(255, 10, 220, 30);  // top half
  const Bytes file = samples::WriteJpeg(samples::JpegKind::Baseline, 400, 240, pixels);
  struct Case {
    UINT minWidth, minHeight, width, height;
  } const cases[] = {
      {0, 0, 400, 240},     {50, 30, 50, 30},   {51, 10, 100, 60},  {10, 31, 100, 60},
      {100, 60, 100, 60},   {101, 60, 200, 120}, {201, 1, 400, 240}, {1000, 1000, 400, 240},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.minWidth) + "x" + std::to_string(c.minHeight));
    tolvar::imaging::DecodedImage image;
    ASSERT_EQ(tolvar::imaging::DecodeJpegReduced(file, c.minWidth, c.minHeight, image), Ok);
    EXPECT_EQ(image.width, c.width);
    EXPECT_EQ(image.height, c.height);
    ASSERT_EQ(image.pixels.size(), std::size_t(c.width) * c.height);
    // Well inside each half the colour is the written one.
    EXPECT_LE(samples::MaxChannelDifference({image.pixels[std::size_t(c.width) * (c.height / 4) + 3]},
                                            {Color::MakeARGB(255, 10, 220, 30)}), 8);
    EXPECT_LE(samples::MaxChannelDifference({image.pixels[std::size_t(c.width) * (c.height * 3 / 4) + 3]},
                                            {Color::MakeARGB(255, 200, 40, 90)}), 8);
  }
  UINT width = 0, height = 0;
  EXPECT_EQ(tolvar::imaging::ReadJpegSize(file, width, height), Ok);
  EXPECT_EQ(width, 400u);
  EXPECT_EQ(height, 240u);
  tolvar::imaging::DecodedImage broken;
  EXPECT_NE(tolvar::imaging::DecodeJpegReduced(Bytes(file.begin(), file.begin() + 200), 50, 30, broken), Ok);
}

TEST(DecodeGif, FramesComposeWithPalettesTransparencyAndEveryDisposal) {
  samples::Library library;
  // A 6 x 4 screen. Frame 0 fills it with colour 1; frames 1 to 3 paint 2 x 2 squares (one with a
  // transparent corner), each disposed of in its own way before the next frame; the last frame is
  // interlaced and covers the screen.
  const std::vector<ARGB> global = {0xFF000000, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
  const std::vector<ARGB> local = {0xFF000000, 0xFFFFFF00};
  std::vector<samples::GifFrame> frames(5);
  frames[0] = Frame(0, 0, 6, 4, std::vector<std::uint8_t>(24, 1));
  frames[0].delay = 5;  // small delays are kept as the file holds them
  frames[1] = Frame(0, 0, 2, 2, {3, 2, 2, 2});
  frames[1].transparent = 3, frames[1].disposal = 1, frames[1].delay = 10;  // stays
  frames[2] = Frame(2, 0, 2, 2, {2, 2, 2, 2});
  frames[2].disposal = 2, frames[2].delay = 20;  // restored to background (transparent)
  frames[3] = Frame(4, 0, 2, 2, {1, 1, 1, 1}, local);
  frames[3].disposal = 3, frames[3].delay = 0;  // restored to what was there before
  // Rows of colours 1 (transparent: frame 3's disposal shows through), 2, 3, 3, stored interlaced
  // in the order 0, 2, 1, 3.
  std::vector<std::uint8_t> rows;
  for (std::uint8_t colour : {1, 2, 3, 3}) rows.insert(rows.end(), 6, colour);
  frames[4] = Frame(0, 0, 6, 4, rows);
  frames[4].interlaced = true, frames[4].transparent = 1, frames[4].delay = 1;
  const Bytes file = samples::WriteGif(6, 4, global, frames);

  auto image = samples::ImageFrom(file);
  ASSERT_EQ(image->GetLastStatus(), Ok);
  GUID format{};
  image->GetRawFormat(&format);
  EXPECT_TRUE(format == ImageFormatGIF);
  EXPECT_EQ(image->GetPixelFormat(), PixelFormat8bppIndexed);
  EXPECT_EQ(image->GetFrameCount(&FrameDimensionTime), 5u);

  constexpr ARGB R = 0xFFFF0000, G = 0xFF00FF00, B = 0xFF0000FF, Y = 0xFFFFFF00, _ = 0;
  const std::vector<std::vector<ARGB>> expected = {
      {R, R, R, R, R, R, /**/ R, R, R, R, R, R, /**/ R, R, R, R, R, R, /**/ R, R, R, R, R, R},
      {R, G, R, R, R, R, /**/ G, G, R, R, R, R, /**/ R, R, R, R, R, R, /**/ R, R, R, R, R, R},
      {R, G, G, G, R, R, /**/ G, G, G, G, R, R, /**/ R, R, R, R, R, R, /**/ R, R, R, R, R, R},
      {R, G, _, _, Y, Y, /**/ G, G, _, _, Y, Y, /**/ R, R, R, R, R, R, /**/ R, R, R, R, R, R},
      {R, G, _, _, R, R, /**/ G, G, G, G, G, G, /**/ B, B, B, B, B, B, /**/ B, B, B, B, B, B},
  };
  for (UINT i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(samples::PixelsOf(file, i), expected[i]);
  }
  // Going back starts again from the first frame.
  tolvar::imaging::DecodedImage decoded;
  ASSERT_EQ(tolvar::imaging::DecodeImage(file, decoded), Ok);
  ASSERT_EQ(decoded.SelectFrame(4), Ok);
  ASSERT_EQ(decoded.SelectFrame(1), Ok);
  EXPECT_EQ(decoded.pixels, expected[1]);
  EXPECT_EQ(decoded.frameDelays, (std::vector<LONG>{5, 10, 20, 0, 1}));
}

TEST(DecodeGif, OneFrameWithATransparentIndexHasAlphaInItsPalette) {
  samples::Library library;
  const std::vector<ARGB> palette = {0xFFFFFFFF, 0xFF000000};
  for (int transparent : {-1, 0}) {
    samples::GifFrame frame = Frame(0, 0, 4, 4, std::vector<std::uint8_t>(16, 1));
    frame.transparent = transparent;
    auto image = samples::ImageFrom(samples::WriteGif(4, 4, palette, {frame}));
    EXPECT_EQ(image->GetFrameCount(&FrameDimensionTime), 1u);
    std::vector<BYTE> buffer(std::size_t(image->GetPaletteSize()));
    auto* colours = reinterpret_cast<ColorPalette*>(buffer.data());
    ASSERT_EQ(image->GetPalette(colours, INT(buffer.size())), Ok);
    EXPECT_EQ(colours->Flags, transparent >= 0 ? UINT(PaletteFlagsHasAlpha) : 0u);
    EXPECT_EQ(colours->Entries[0] >> 24, transparent >= 0 ? 0u : 255u);
  }
}

// Image data whose LZW minimum code size is 11 (12-bit codes from the start, more pixels than the
// table holds so that it fills): a frame of such data between ordinary ones, interlaced, decodes.
TEST(DecodeGif, ImageDataOfCodeSizeElevenDecodes) {
  samples::Library library;
  const std::vector<ARGB> palette = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
  constexpr int kW = 64, kH = 50;  // 3,200 pixels, literal codes: the table is full after 2,046
  std::vector<samples::GifFrame> frames = {Frame(0, 0, kW, kH, std::vector<std::uint8_t>(kW * kH, 0)),
                                           Frame(0, 0, kW, kH, {}), Frame(0, 0, 2, 1, {3, 3})};
  for (int i = 0; i < kW * kH; ++i) frames[1].indices.push_back(std::uint8_t((i / 7 + i / kW) % 4));
  frames[1].lzwCodeSize = 11;
  frames[1].interlaced = true;
  const Bytes file = samples::WriteGif(kW, kH, palette, frames);
  tolvar::imaging::DecodedImage decoded;
  ASSERT_EQ(tolvar::imaging::DecodeImage(file, decoded), Ok);
  ASSERT_EQ(decoded.frameCount, 3u);
  std::vector<ARGB> expected;
  for (std::uint8_t index : frames[1].indices) expected.push_back(palette[index]);
  ASSERT_EQ(decoded.SelectFrame(1), Ok);
  EXPECT_EQ(decoded.pixels, expected);
  ASSERT_EQ(decoded.SelectFrame(2), Ok);  // the ordinary frame after it is read from the right place
  expected[0] = expected[1] = palette[3];
  EXPECT_EQ(decoded.pixels, expected);

  // Cut inside that frame's data, or with a code beyond the table: a failure, not a picture.
  Bytes truncated(file.begin(), file.begin() + std::ptrdiff_t(file.size() / 2));
  Bytes corrupt = file;
  const Bytes descriptorEnd = {0x32, 0x00, 0x40, 0x0B};  // height 50, interlaced, code size 11
  const auto at = std::search(corrupt.begin(), corrupt.end(), descriptorEnd.begin(), descriptorEnd.end());
  ASSERT_NE(at, corrupt.end());
  at[5] |= 0xF0, at[6] = 0xFF;  // the code after the first clear code: 4,095
  for (const Bytes& bad : {truncated, corrupt}) {
    tolvar::imaging::DecodedImage image;
    const Status status = tolvar::imaging::DecodeImage(bad, image);
    EXPECT_TRUE(status != Ok || image.SelectFrame(1) != Ok);
  }
}

namespace {

std::vector<std::uint8_t> IndexPattern(int width, int height, int colours) {
  std::vector<std::uint8_t> indices;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) indices.push_back(std::uint8_t((x * 3 + y) % colours));
  return indices;
}

std::vector<ARGB> Colours(int count) {
  std::vector<ARGB> palette;
  for (int i = 0; i < count; ++i) palette.push_back(Color::MakeARGB(255, BYTE(i * 53), BYTE(255 - i), BYTE(i * 7)));
  return palette;
}

// What a mask of so many bits per channel keeps of an 8-bit value, scaled back to 8 bits.
BYTE Quantise(BYTE v, int bits) {
  const unsigned max = (1u << bits) - 1;
  const unsigned q = (v * max + 127) / 255;
  return BYTE((q * 255 + max / 2) / max);
}

}  // namespace

TEST(DecodeBmp, EveryDepthHeaderAndRowOrderGivesTheWrittenPixels) {
  samples::Library library;
  struct Case {
    const char* name;
    samples::BmpSpec spec;
    PixelFormat format;
  } const cases[] = {
      {"1 bit", {1}, PixelFormat1bppIndexed},
      {"4 bits", {4}, PixelFormat4bppIndexed},
      {"8 bits", {8}, PixelFormat8bppIndexed},
      {"8 bits, top-down", {8, 0, true}, PixelFormat8bppIndexed},
      {"8 bits, old header", {8, 0, false, true}, PixelFormat8bppIndexed},
      {"16 bits, 5-5-5", {16}, PixelFormat16bppRGB555},
      {"16 bits, 5-6-5 masks", {16, 3, false, false, {0xF800, 0x07E0, 0x001F, 0}}, PixelFormat16bppRGB565},
      {"24 bits", {24}, PixelFormat24bppRGB},
      {"24 bits, top-down", {24, 0, true}, PixelFormat24bppRGB},
      {"32 bits", {32}, PixelFormat32bppRGB},
      {"32 bits with an alpha mask", {32, 3, false, false, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}}, PixelFormat32bppARGB},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int colours = c.spec.bits <= 8 ? 1 << c.spec.bits : 0;
    const auto palette = Colours(colours);
    const auto indices = IndexPattern(kWidth, kHeight, std::max(colours, 1));
    const auto pixels = c.format == PixelFormat32bppARGB ? WithAlpha(samples::PatternPixels(kWidth, kHeight))
                                                         : samples::PatternPixels(kWidth, kHeight);
    const Bytes file = samples::WriteBmp(c.spec, kWidth, kHeight, pixels, indices, palette);
    auto image = samples::ImageFrom(file);
    ASSERT_EQ(image->GetLastStatus(), Ok);
    GUID format{};
    image->GetRawFormat(&format);
    EXPECT_TRUE(format == ImageFormatBMP);
    EXPECT_EQ(image->GetWidth(), UINT(kWidth));
    EXPECT_EQ(image->GetHeight(), UINT(kHeight));
    EXPECT_EQ(image->GetPixelFormat(), c.format);
    std::vector<ARGB> expected;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
      const ARGB p = pixels[i];
      if (colours) {
        expected.push_back(palette[indices[i]]);
      } else if (c.spec.bits == 16) {
        const int greenBits = c.format == PixelFormat16bppRGB565 ? 6 : 5;
        expected.push_back(Color::MakeARGB(255, Quantise(BYTE(p >> 16), 5), Quantise(BYTE(p >> 8), greenBits),
                                           Quantise(BYTE(p), 5)));
      } else {
        expected.push_back(c.format == PixelFormat32bppARGB ? p : (p | 0xFF000000));
      }
    }
    EXPECT_EQ(samples::PixelsOf(file), expected);
  }
}

TEST(DecodeBmp, RunLengthDataWithRunsLiteralsMovesAndEndsOfLine) {
  samples::Library library;
  const auto palette = Colours(16);
  // 8 bits, 6 x 3, rows from the bottom: a run of 3 of colour 5 then 3 literal pixels; end of line;
  // a move 2 right and 1 up (the middle row ends there, its rest untouched); a run of 2 of colour 9
  // on the top row at x 2; end of bitmap. Untouched pixels are colour 0.
  const Bytes rle8 = {3, 5, 0, 3, 1, 2, 3, 0, /* pad */ 0, 0, 0, 2, 2, 1, 2, 9, 0, 1};
  const ARGB c0 = palette[0], c1 = palette[1], c2 = palette[2], c3 = palette[3], c5 = palette[5], c9 = palette[9];
  const std::vector<ARGB> expected8 = {c0, c0, c9, c9, c0, c0, /**/ c0, c0, c0, c0, c0, c0,
                                       /**/ c5, c5, c5, c1, c2, c3};
  Bytes file = samples::WriteRleBmp(8, 6, 3, palette, rle8);
  EXPECT_EQ(samples::PixelsOf(file), expected8);
  EXPECT_EQ(samples::ImageFrom(file)->GetPixelFormat(), PixelFormat8bppIndexed);

  // 4 bits, 5 x 2: a run of 5 alternating colours 1 and 2; end of line; 3 literal pixels 3, 4, 5
  // (two bytes, padded to a word); the data then ends with the last row complete.
  const Bytes rle4 = {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 0};
  const ARGB c4 = palette[4];
  const std::vector<ARGB> expected4 = {c3, c4, c5, c0, c0, /**/ c1, c2, c1, c2, c1};
  EXPECT_EQ(samples::PixelsOf(samples::WriteRleBmp(4, 5, 2, palette, rle4)), expected4);
}

TEST(DecodeImage, WbmpAndUnknownBytesAreNotPictures) {
  samples::Library library;
  // A WBMP header (type 0, fixed header 0, 8 x 8) is left to the caller's own sniffing.
  const Bytes wbmp = {0, 0, 8, 8, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0};
  for (const Bytes& bytes : {wbmp, Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6}, Bytes{}}) {
    auto image = samples::ImageFrom(bytes);
    EXPECT_EQ(image->GetLastStatus(), UnknownImageFormat);
    EXPECT_EQ(image->GetWidth(), 0u);
    GUID format{};
    EXPECT_EQ(image->GetRawFormat(&format), InvalidParameter);
  }
}
