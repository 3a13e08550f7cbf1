// The preview's picture: decode, fit, centre, draw.
#include "Picture.h"

#include "FileBytes.h"

#include <imaging/Decoders.h>
#include <kernel/File.h>
#include <kernel/Path.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

using namespace Gdiplus;


// A bitmap of decoded pixels, for drawing them scaled.
std::unique_ptr<Bitmap> BitmapOf(const tolvar::imaging::DecodedImage& image) {
  auto bitmap = std::make_unique<Bitmap>(INT(image.width), INT(image.height), PixelFormat32bppARGB);
  BitmapData data{};
  if (bitmap->LockBits(nullptr, ImageLockModeWrite, PixelFormat32bppARGB, &data) != Ok) return nullptr;
  for (UINT y = 0; y < image.height; ++y)
    std::memcpy(static_cast<BYTE*>(data.Scan0) + std::ptrdiff_t(y) * data.Stride, image.pixels.data() + std::size_t(y) * image.width,
                std::size_t(image.width) * sizeof(ARGB));
  bitmap->UnlockBits(&data);
  return bitmap;
}

}  // namespace

FittedRect FitRect(int itemWidth, int itemHeight, int boxWidth, int boxHeight) {
  FittedRect r{0, 0, std::max(itemWidth, 0), std::max(itemHeight, 0)};
  if (r.width > boxWidth || r.height > boxHeight) {
    if (boxWidth <= 0 || boxHeight <= 0) return {0, 0, 0, 0};
    // The larger ratio decides, compared without division: w / bw against h / bh.
    if (std::int64_t(r.width) * boxHeight >= std::int64_t(r.height) * boxWidth) {
      r.height = int(std::int64_t(r.height) * boxWidth / r.width);
      r.width = boxWidth;
    } else {
      r.width = int(std::int64_t(r.width) * boxHeight / r.height);
      r.height = boxHeight;
    }
  }
  r.x = std::max(0, (boxWidth - r.width) / 2);
  r.y = std::max(0, (boxHeight - r.height) / 2);
  return r;
}

CPicture::~CPicture() {
  if (!m_temporaryFile.empty()) DeleteFileA(m_temporaryFile.c_str());
}

void CPicture::SetSize(std::uint16_t width, std::uint16_t height) {
  m_width = width;
  m_height = height;
}

int CPicture::Load(const std::string& path, unsigned frame) { return Load(ReadFileBytes(path), frame); }

int CPicture::Load(std::span<const std::uint8_t> bytes, unsigned frame) {
  m_canvas.reset();
  m_delays.clear();
  if (m_width == 0 || m_height == 0 || bytes.empty()) return 0;

  tolvar::imaging::DecodedImage image;
  UINT fullWidth = 0, fullHeight = 0;
  if (tolvar::imaging::ReadJpegSize(bytes, fullWidth, fullHeight) == Ok) {
    // A JPEG is decoded only as large as the box shows it.
    const FittedRect place = FitRect(int(fullWidth), int(fullHeight), m_width, m_height);
    if (place.width == 0 || place.height == 0) return 0;
    if (tolvar::imaging::DecodeJpegReduced(bytes, UINT(place.width), UINT(place.height), image) != Ok) return 0;
  } else if (tolvar::imaging::DecodeImage(bytes, image) != Ok) {
    return 0;
  }
  if (image.width == 0 || image.height == 0) return 0;
  if (fullWidth == 0) {
    fullWidth = image.width;
    fullHeight = image.height;
  }
  const FittedRect place = FitRect(int(fullWidth), int(fullHeight), m_width, m_height);
  if (place.width == 0 || place.height == 0) return 0;
  if (image.frameCount > 1) {
    if (image.SelectFrame(frame % image.frameCount) != Ok) return 0;
    for (LONG delay : image.frameDelays) m_delays.push_back(unsigned(std::max<LONG>(delay, 0)));
  }
  std::unique_ptr<Bitmap> picture = BitmapOf(image);
  if (!picture) return 0;

  auto canvas = std::make_unique<Bitmap>(INT(m_width), INT(m_height), PixelFormat24bppRGB);
  Graphics graphics(canvas.get());
  graphics.Clear(Color(m_background | 0xFF000000));
  graphics.SetInterpolationMode(InterpolationModeHighQuality);
  if (graphics.DrawImage(picture.get(), place.x, place.y, place.width, place.height) != Ok) return 0;
  m_canvas = std::move(canvas);
  return 1;
}

void CPicture::Draw(HDC dc) {
  if (!m_canvas || !dc) return;
  Graphics graphics(dc);
  graphics.DrawImage(m_canvas.get(), 0, 0, m_width, m_height);
}

unsigned CPicture::GetFrameCount(const std::string& path) {
  const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
  tolvar::imaging::DecodedImage image;
  if (bytes.empty() || tolvar::imaging::DecodeImage(bytes, image) != Ok) return 0;
  return image.frameCount;
}

unsigned CPicture::GetFrameDelay(unsigned frame) const {
  return frame < m_delays.size() ? m_delays[frame] * 10 : 0;
}

void CPicture::ReduceColours() {
  if (!m_canvas) return;
  BitmapData data{};
  const Rect whole(0, 0, m_width, m_height);
  if (m_canvas->LockBits(&whole, ImageLockModeRead | ImageLockModeWrite, PixelFormat24bppRGB, &data) != Ok) return;
  for (UINT y = 0; y < data.Height; ++y) {
    BYTE* row = static_cast<BYTE*>(data.Scan0) + std::ptrdiff_t(y) * data.Stride;
    for (UINT x = 0; x < data.Width * 3; ++x) row[x] &= 0xF0;
  }
  m_canvas->UnlockBits(&data);
}
