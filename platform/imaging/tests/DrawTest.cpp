// Bitmaps and drawing as the preview uses them: a 24-bit canvas cleared white, a picture scaled
// into it with the high-quality filter, pixels read and changed through LockBits, the canvas drawn
// on a device context and turned into a GDI bitmap. Previews of a photo-like picture are written as
// PNG files for a person to look at (TEST_PNG_DIR).
#include "Samples.h"

#include <gdi/Gdi.h>

#include <png.h>

#include <gtest/gtest.h>

#include <cmath>

using namespace Gdiplus;
using samples::Bytes;

namespace {

// Every pixel of a bitmap, through LockBits at 32 bits.
std::vector<ARGB> Read(Bitmap& bitmap) {
  BitmapData data{};
  EXPECT_EQ(bitmap.LockBits(nullptr, ImageLockModeRead, PixelFormat32bppARGB, &data), Ok);
  std::vector<ARGB> pixels;
  for (UINT y = 0; y < data.Height; ++y) {
    const auto* row = reinterpret_cast<const ARGB*>(static_cast<const BYTE*>(data.Scan0) + std::ptrdiff_t(y) * data.Stride);
    pixels.insert(pixels.end(), row, row + data.Width);
  }
  bitmap.UnlockBits(&data);
  return pixels;
}

template <class Colour>  // ARGB(int x, int y)
std::unique_ptr<Image> Picture(int width, int height, Colour colour) {
  std::vector<ARGB> pixels;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels.push_back(colour(x, y));
  return samples::ImageFrom(samples::WritePng({PNG_COLOR_TYPE_RGB_ALPHA, 8}, width, height, pixels));
}

// The picture wrapper's way: fit the whole picture into the box keeping its aspect (the larger ratio
// decides), on a white 24-bit canvas of the box's size, drawn from the top-left corner.
std::unique_ptr<Bitmap> Preview(Image& picture, int boxWidth, int boxHeight, InterpolationMode mode) {
  auto canvas = std::make_unique<Bitmap>(boxWidth, boxHeight, PixelFormat24bppRGB);
  Graphics graphics(canvas.get());
  graphics.Clear(Color(255, 255, 255, 255));
  graphics.SetInterpolationMode(mode);
  const double ratio = std::max(double(picture.GetWidth()) / boxWidth, double(picture.GetHeight()) / boxHeight);
  graphics.DrawImage(&picture, 0, 0, int(picture.GetWidth() / ratio), int(picture.GetHeight() / ratio));
  return canvas;
}

BYTE Red(ARGB p) { return BYTE(p >> 16); }
BYTE Green(ARGB p) { return BYTE(p >> 8); }
BYTE Blue(ARGB p) { return BYTE(p); }

}  // namespace

TEST(Draw, ABlankCanvasIsClearedAndReadBackAt24Bits) {
  samples::Library library;
  Bitmap canvas(7, 3, PixelFormat24bppRGB);
  ASSERT_EQ(canvas.GetLastStatus(), Ok);
  EXPECT_EQ(canvas.GetPixelFormat(), PixelFormat24bppRGB);
  GUID format{};
  canvas.GetRawFormat(&format);
  EXPECT_TRUE(format == ImageFormatMemoryBMP);
  EXPECT_EQ(Read(canvas), std::vector<ARGB>(21, 0xFF000000));  // opaque black

  Graphics graphics(&canvas);
  ASSERT_EQ(graphics.GetLastStatus(), Ok);
  // A translucent clear colour still leaves a 24-bit canvas opaque.
  ASSERT_EQ(graphics.Clear(Color(10, 0x12, 0x34, 0x56)), Ok);
  BitmapData data{};
  ASSERT_EQ(canvas.LockBits(nullptr, ImageLockModeRead, PixelFormat24bppRGB, &data), Ok);
  EXPECT_EQ(data.Stride, 24);  // 7 x 3 bytes, rounded up to whole 32-bit words
  const auto* bytes = static_cast<const BYTE*>(data.Scan0);
  EXPECT_EQ(bytes[0], 0x56);  // blue, green, red
  EXPECT_EQ(bytes[1], 0x34);
  EXPECT_EQ(bytes[2], 0x12);
  EXPECT_EQ(canvas.UnlockBits(&data), Ok);
  EXPECT_EQ(Read(canvas), std::vector<ARGB>(21, 0xFF123456));
}

TEST(Draw, LockBitsRefusesBadRectanglesFormatsAndSecondLocks) {
  samples::Library library;
  Bitmap canvas(8, 8, PixelFormat24bppRGB);
  BitmapData data{};
  const Rect outside(4, 4, 5, 4);
  EXPECT_EQ(canvas.LockBits(&outside, ImageLockModeRead, PixelFormat24bppRGB, &data), InvalidParameter);
  EXPECT_EQ(canvas.LockBits(nullptr, ImageLockModeRead, PixelFormat8bppIndexed, &data), InvalidParameter);
  ASSERT_EQ(canvas.LockBits(nullptr, ImageLockModeRead, PixelFormat24bppRGB, &data), Ok);
  BitmapData second{};
  EXPECT_EQ(canvas.LockBits(nullptr, ImageLockModeRead, PixelFormat24bppRGB, &second), WrongState);
  EXPECT_EQ(Graphics(&canvas).Clear(Color(0, 0, 0)), WrongState);
  EXPECT_EQ(canvas.UnlockBits(&data), Ok);
  EXPECT_EQ(canvas.UnlockBits(&data), WrongState);
}

TEST(Draw, ReducingColoursThroughLockBitsKeepsTheHighFourBits) {
  samples::Library library;
  auto picture = Picture(40, 30, [](int x, int y) { return samples::Pattern(x, y); });
  auto canvas = Preview(*picture, 40, 30, InterpolationModeHighQualityBicubic);
  // The left half of the canvas only, as the wrapper locks its target size; the rest stays untouched.
  const Rect area(0, 0, 20, 30);
  BitmapData data{};
  ASSERT_EQ(canvas->LockBits(&area, ImageLockModeRead | ImageLockModeWrite, PixelFormat24bppRGB, &data), Ok);
  for (UINT y = 0; y < data.Height; ++y) {
    BYTE* row = static_cast<BYTE*>(data.Scan0) + std::ptrdiff_t(y) * data.Stride;
    for (UINT i = 0; i < data.Width * 3; ++i) row[i] &= 0xF0;
  }
  ASSERT_EQ(canvas->UnlockBits(&data), Ok);
  const auto pixels = Read(*canvas);
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      SCOPED_TRACE(testing::Message() << x << ", " << y);
      const ARGB expected = samples::Pattern(x, y);
      const ARGB p = pixels[std::size_t(y) * 40 + x];
      EXPECT_EQ(p, x < 20 ? expected & 0xFFF0F0F0 : expected);  // drawn at its own size: exact
    }
  }
}

TEST(Draw, TheHighQualityFilterAveragesWhereNearestNeighbourPicks) {
  samples::Library library;
  // One-pixel black and white checks, shrunk by 4.
  auto checks = Picture(64, 64, [](int x, int y) { return (x + y) % 2 ? ARGB(0xFFFFFFFF) : ARGB(0xFF000000); });
  const auto averaged = Read(*Preview(*checks, 16, 16, InterpolationModeHighQualityBicubic));
  for (ARGB p : averaged) {
    EXPECT_NEAR(Red(p), 128, 6);
    EXPECT_EQ(Red(p), Green(p));
  }
  const auto picked = Read(*Preview(*checks, 16, 16, InterpolationModeNearestNeighbor));
  for (ARGB p : picked) EXPECT_TRUE(p == 0xFF000000 || p == 0xFFFFFFFF);

  // Flat areas keep their colour exactly, up to the edges (nothing fades in from outside), whether
  // shrunk a little or a lot (large reductions first average blocks, the last ones partial here).
  for (int width : {100, 1003}) {
    SCOPED_TRACE(width);
    auto halves = Picture(width, width / 2, [width](int x, int) {
      return x < width / 2 ? ARGB(0xFFFF0000) : ARGB(0xFF0000FF);
    });
    const auto scaled = Read(*Preview(*halves, 40, 20, InterpolationModeHighQualityBicubic));
    for (int y : {0, 10, 18}) {  // the larger picture fills 19 rows of 20
      EXPECT_EQ(scaled[std::size_t(y) * 40 + 0], 0xFFFF0000u);
      EXPECT_EQ(scaled[std::size_t(y) * 40 + 15], 0xFFFF0000u);
      EXPECT_EQ(scaled[std::size_t(y) * 40 + 24], 0xFF0000FFu);
      EXPECT_EQ(scaled[std::size_t(y) * 40 + 39], 0xFF0000FFu);
    }
  }
}

TEST(Draw, PreviewsOfAPhotoFitTheBoxAtSeveralSizes) {
  samples::Library library;
  // A photo-like picture: sky, sun, hills, and fine stripes that alias when merely picked.
  std::vector<ARGB> photo;
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) {
      const double hill = 300 + 40 * std::sin(x / 60.0) + 20 * std::sin(x / 17.0);
      ARGB p = Color::MakeARGB(255, BYTE(90 + y / 4), BYTE(150 + y / 6), 250);
      if (std::hypot(x - 470, y - 110) < 55) p = 0xFFFFD040;
      if (y > hill) p = Color::MakeARGB(255, BYTE(40 + (y - 300) / 3), BYTE(120 + (x % 7) * 3), 40);
      if (y > 400 && (x / 3) % 2 == 0) p = 0xFF604020;  // a fence of 3-pixel posts
      photo.push_back(p);
    }
  }
  const Bytes jpeg = samples::WriteJpeg(samples::JpegKind::Baseline, 640, 480, photo, 90);
  auto picture = samples::ImageFrom(jpeg);
  ASSERT_EQ(picture->GetLastStatus(), Ok);
  struct Box {
    int width, height;
    InterpolationMode mode;
    const char* name;
  } const boxes[] = {
      {160, 120, InterpolationModeHighQualityBicubic, "imaging_preview_160x120"},
      {96, 96, InterpolationModeHighQualityBicubic, "imaging_preview_96x96"},
      {48, 36, InterpolationModeHighQualityBicubic, "imaging_preview_48x36"},
      {800, 600, InterpolationModeHighQualityBicubic, "imaging_preview_800x600"},
      {160, 120, InterpolationModeNearestNeighbor, "imaging_preview_160x120_nearest"},
  };
  for (const Box& box : boxes) {
    SCOPED_TRACE(box.name);
    auto canvas = Preview(*picture, box.width, box.height, box.mode);
    const auto pixels = Read(*canvas);
    samples::SavePng(box.name, box.width, box.height, pixels);
    const double ratio = std::max(640.0 / box.width, 480.0 / box.height);
    const int drawnHeight = int(480 / ratio);
    // The sun's middle is yellow at every size; below the drawn picture the canvas stays white.
    const ARGB sun = pixels[std::size_t(110 / ratio) * box.width + std::size_t(470 / ratio)];
    EXPECT_NEAR(Red(sun), 0xFF, 12);
    EXPECT_NEAR(Green(sun), 0xD0, 12);
    EXPECT_NEAR(Blue(sun), 0x40, 16);
    if (drawnHeight < box.height) {
      EXPECT_EQ(pixels.back(), 0xFFFFFFFFu);
    }
    // The fence averages to a mix of post and grass when shrunk by more than its period.
    if (box.mode == InterpolationModeHighQualityBicubic && ratio >= 6) {
      const ARGB fence = pixels[std::size_t(440 / ratio) * box.width + std::size_t(box.width / 2)];
      EXPECT_GT(Green(fence), 0x40);
      EXPECT_LT(Green(fence), 0x80);
    }
  }
}

TEST(Draw, TranslucentPicturesBlendOverTheCanvas) {
  samples::Library library;
  auto red = Picture(4, 4, [](int, int) { return ARGB(0x80FF0000); });
  auto canvas = Preview(*red, 4, 4, InterpolationModeHighQualityBicubic);
  const ARGB p = Read(*canvas)[5];
  EXPECT_EQ(p >> 24, 0xFFu);
  EXPECT_EQ(Red(p), 0xFF);
  EXPECT_NEAR(Green(p), 0x7F, 1);
  EXPECT_NEAR(Blue(p), 0x7F, 1);
  // Drawing on an indexed picture is refused, as Windows does.
  auto gif = samples::ImageFrom(samples::WriteGif(2, 2, {0xFF000000, 0xFFFFFFFF}, [] {
    samples::GifFrame frame;
    frame.width = frame.height = 2;
    frame.indices = {0, 1, 1, 0};
    return std::vector<samples::GifFrame>{frame};
  }()));
  EXPECT_EQ(Graphics(gif.get()).GetLastStatus(), OutOfMemory);
}

TEST(Draw, OnADeviceContextThroughTheDcsTransferAndAsAGdiBitmap) {
  samples::Library library;
  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = 40;
  info.bmiHeader.biHeight = -30;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP target = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, target);

  Graphics graphics(dc);
  ASSERT_EQ(graphics.Clear(Color(255, 255, 255)), Ok);
  EXPECT_EQ(GetPixel(dc, 39, 29), RGB(255, 255, 255));
  auto green = Picture(2, 2, [](int, int) { return ARGB(0xFF00FF00); });
  auto halfBlue = Picture(2, 2, [](int, int) { return ARGB(0x800000FF); });
  ASSERT_EQ(graphics.DrawImage(green.get(), 10, 5, 8, 6), Ok);
  ASSERT_EQ(graphics.DrawImage(halfBlue.get(), Rect(30, 20, 20, 20)), Ok);  // partly outside
  EXPECT_EQ(GetPixel(dc, 10, 5), RGB(0, 255, 0));
  EXPECT_EQ(GetPixel(dc, 17, 10), RGB(0, 255, 0));
  EXPECT_EQ(GetPixel(dc, 18, 10), RGB(255, 255, 255));
  const COLORREF blended = GetPixel(dc, 39, 29);
  EXPECT_NEAR(GetRValue(blended), 0x7F, 1);
  EXPECT_NEAR(GetBValue(blended), 0xFF, 1);

  // A GDI bitmap of a picture with alpha shows it over the background colour.
  Bitmap picture(2, 1, PixelFormat32bppARGB);
  BitmapData data{};
  ASSERT_EQ(picture.LockBits(nullptr, ImageLockModeWrite, PixelFormat32bppARGB, &data), Ok);
  static_cast<ARGB*>(data.Scan0)[0] = 0xFF112233;
  static_cast<ARGB*>(data.Scan0)[1] = 0x00FFFFFF;  // transparent
  ASSERT_EQ(picture.UnlockBits(&data), Ok);
  HBITMAP converted = nullptr;
  ASSERT_EQ(picture.GetHBITMAP(Color(255, 0, 0, 255), &converted), Ok);
  BITMAP description{};
  ASSERT_EQ(GetObject(converted, sizeof(description), &description), int(sizeof(description)));
  EXPECT_EQ(description.bmWidth, 2);
  EXPECT_EQ(description.bmHeight, 1);
  HDC probe = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(probe, converted);
  EXPECT_EQ(GetPixel(probe, 0, 0), RGB(0x11, 0x22, 0x33));
  EXPECT_EQ(GetPixel(probe, 1, 0), RGB(0, 0, 255));
  SelectObject(probe, previous);
  DeleteDC(probe);
  DeleteObject(converted);

  SelectObject(dc, old);
  DeleteObject(target);
  DeleteDC(dc);
}
