// Truncated, corrupt and hostile files of every format fail with a status: never a crash, a hang,
// an overrun (the debug build runs under AddressSanitizer) or an allocation sized by a lying header.
#include "Samples.h"

#include <png.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

using namespace Gdiplus;
using samples::Bytes;

namespace {

struct Sample {
  const char* name;
  Bytes file;
};

std::vector<Sample> Samples() {
  const auto pixels = samples::PatternPixels(40, 30);
  std::vector<samples::GifFrame> frames(3);
  for (int i = 0; i < 3; ++i) {
    frames[i].left = i * 5, frames[i].top = i * 3, frames[i].width = 20, frames[i].height = 15;
    frames[i].indices.assign(300, std::uint8_t(i + 1));
    frames[i].disposal = i;
    frames[i].interlaced = i == 1;
  }
  std::vector<ARGB> palette(16);
  for (int i = 0; i < 16; ++i) palette[std::size_t(i)] = Color::MakeARGB(255, BYTE(i * 16), BYTE(255 - i * 16), 0);
  std::vector<std::uint8_t> indices(40 * 30);
  for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = std::uint8_t(i % 16);
  return {
      {"png", samples::WritePng({PNG_COLOR_TYPE_RGB, 8}, 40, 30, pixels)},
      {"interlaced png", samples::WritePng({PNG_COLOR_TYPE_PALETTE, 4, true, true}, 40, 30, pixels)},
      {"jpeg", samples::WriteJpeg(samples::JpegKind::Baseline, 40, 30, pixels)},
      {"progressive jpeg", samples::WriteJpeg(samples::JpegKind::Progressive, 40, 30, pixels)},
      {"animated gif", samples::WriteGif(40, 30, palette, frames)},
      {"bmp", samples::WriteBmp({24}, 40, 30, pixels)},
      {"4-bit bmp", samples::WriteBmp({4}, 40, 30, pixels, indices, palette)},
      {"run-length bmp", samples::WriteRleBmp(8, 4, 2, palette, {4, 1, 0, 0, 2, 3, 0, 4, 5, 6, 7, 0, 0, 1})},
  };
}

// Decodes and, for an animation, renders every frame; checks that a success is whole.
Status DecodeAll(const Bytes& file) {
  tolvar::imaging::DecodedImage image;
  Status status = tolvar::imaging::DecodeImage(file, image);
  for (UINT frame = 1; status == Ok && frame < image.frameCount; ++frame) status = image.SelectFrame(frame);
  if (status == Ok) {
    EXPECT_EQ(image.pixels.size(), std::size_t(image.width) * image.height);
  }
  return status;
}

}  // namespace

TEST(Robustness, TruncatedFilesOfEveryFormatFail) {
  for (const Sample& sample : Samples()) {
    SCOPED_TRACE(sample.name);
    ASSERT_EQ(DecodeAll(sample.file), Ok);
    // Cut in the header, the palette or tables, the middle of the data, and just before the end
    // marker (a GIF without its one-byte trailer is still whole, as viewers agree).
    for (std::size_t keep : {std::size_t(5), std::size_t(20), sample.file.size() / 2, sample.file.size() - 3}) {
      SCOPED_TRACE(keep);
      const Bytes cut(sample.file.begin(), sample.file.begin() + std::ptrdiff_t(keep));
      EXPECT_NE(DecodeAll(cut), Ok);
    }
  }
}

TEST(Robustness, CorruptBytesNeverCrash) {
  std::mt19937 random(20261210);
  for (const Sample& sample : Samples()) {
    SCOPED_TRACE(sample.name);
    for (int round = 0; round < 300; ++round) {
      Bytes file = sample.file;
      const int changes = 1 + int(random() % 4);
      for (int i = 0; i < changes; ++i) file[random() % file.size()] = std::uint8_t(random());
      DecodeAll(file);  // any status; the sanitizers and the size check judge the rest
    }
  }
}

namespace {

void PutBig(Bytes& out, std::uint32_t v) {
  for (int shift : {24, 16, 8, 0}) out.push_back(std::uint8_t(v >> shift));
}

// A PNG signature and a valid IHDR claiming width x height, then a tiny IDAT: a few dozen bytes.
Bytes HugePng(std::uint32_t width, std::uint32_t height) {
  Bytes file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes chunk = {'I', 'H', 'D', 'R'};
  PutBig(chunk, width);
  PutBig(chunk, height);
  chunk.insert(chunk.end(), {8, 2, 0, 0, 0});
  PutBig(file, 13);
  file.insert(file.end(), chunk.begin(), chunk.end());
  PutBig(file, std::uint32_t(crc32(0, chunk.data(), uInt(chunk.size()))));
  const Bytes idat = {'I', 'D', 'A', 'T', 0x78, 0x9C, 0x03, 0x00};
  PutBig(file, 4);
  file.insert(file.end(), idat.begin(), idat.end());
  PutBig(file, std::uint32_t(crc32(0, idat.data(), uInt(idat.size()))));
  return file;
}

Bytes HugeJpeg() {
  // Start of image, a baseline frame header of 65,500 x 65,500 (libjpeg itself refuses more) with
  // three components, the start of a scan (standard tables stand in for missing ones), two bytes.
  return {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x11, 0x08, 0xFF, 0xDC, 0xFF, 0xDC, 0x03, 0x01, 0x11, 0x00, 0x02, 0x11,
          0x00, 0x03, 0x11, 0x00, 0xFF, 0xDA, 0x00, 0x0C, 0x03, 0x01, 0x00, 0x02, 0x11, 0x03, 0x11, 0x00, 0x3F,
          0x00, 0x12, 0x34, 0xFF, 0xD9};
}

Bytes HugeBmp(bool runLength) {
  samples::BmpSpec spec{8, runLength ? 1 : 0};
  // A 1 x 1 file, then its header patched to 65,535 x 65,535.
  Bytes file = runLength ? samples::WriteRleBmp(8, 1, 1, {0xFF000000}, {0, 1})
                         : samples::WriteBmp(spec, 1, 1, {}, {0}, {0xFF000000});
  for (int at : {18, 22}) file[std::size_t(at)] = 0xFF, file[std::size_t(at) + 1] = 0xFF;
  return file;
}

}  // namespace

TEST(Robustness, HeadersClaimingHugePicturesAreRefusedBeforeAllocating) {
  samples::GifFrame frame;
  frame.width = frame.height = 1;
  frame.indices = {0};
  Bytes hugeScreen = samples::WriteGif(1, 1, {0xFF000000, 0xFFFFFFFF}, {frame});
  hugeScreen[6] = hugeScreen[7] = hugeScreen[8] = hugeScreen[9] = 0xFF;
  Bytes hugeFrame = samples::WriteGif(4, 4, {0xFF000000, 0xFFFFFFFF}, {frame});
  const std::size_t descriptor = 13 + 6 + 8;  // header, palette of 2, control extension
  ASSERT_EQ(hugeFrame[descriptor], 0x2C);
  for (std::size_t at : {descriptor + 5, descriptor + 6, descriptor + 7, descriptor + 8}) hugeFrame[at] = 0xFF;

  struct Case {
    const char* name;
    Bytes file;
  } const cases[] = {
      {"png", HugePng(65535, 65535)},
      {"png as wide as it may be", HugePng(0x7FFFFFFF, 1)},
      {"jpeg", HugeJpeg()},
      {"gif screen", hugeScreen},
      {"gif frame", hugeFrame},
      {"bmp", HugeBmp(false)},
      {"run-length bmp", HugeBmp(true)},
  };
  samples::Library library;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_LT(c.file.size(), 100u);
    tolvar::imaging::DecodedImage image;
    EXPECT_EQ(tolvar::imaging::DecodeImage(c.file, image), OutOfMemory);
    auto wrapped = samples::ImageFrom(c.file);
    EXPECT_EQ(wrapped->GetLastStatus(), OutOfMemory);
    EXPECT_EQ(wrapped->GetWidth(), 0u);
  }
}

TEST(Robustness, ThePixelLimitAllowsLargePhotosButNotMore) {
  EXPECT_TRUE(tolvar::imaging::PictureSizeAllowed(8000, 6000, tolvar::imaging::kMaxPixels));
  EXPECT_FALSE(tolvar::imaging::PictureSizeAllowed(65535, 65535, tolvar::imaging::kMaxPixels));
  EXPECT_FALSE(tolvar::imaging::PictureSizeAllowed(0x100000000ull, 0x100000000ull, ~0ull));  // no overflow
  EXPECT_FALSE(tolvar::imaging::PictureSizeAllowed(0, 10, tolvar::imaging::kMaxPixels));
  EXPECT_FALSE(tolvar::imaging::PictureSizeAllowed(2000, 2000, 1000000));  // more than the data can hold
}

TEST(Robustness, TheFuzzTargetsSeedsAndFoundCasesDecodeWithoutHarm) {
  // Every file under the decoders' fuzz corpora: the seeds, and any case a fuzzer found and that
  // was kept there, replayed in the ordinary test run.
  int files = 0;
  for (const char* target : {"imaging_png", "imaging_jpeg", "imaging_gif", "imaging_bmp"}) {
    const std::filesystem::path folder = std::filesystem::path(TOLVAR_FUZZ_CORPUS) / target;
    ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      SCOPED_TRACE(entry.path().string());
      std::ifstream in(entry.path(), std::ios::binary);
      const Bytes file((std::istreambuf_iterator<char>(in)), {});
      DecodeAll(file);
      ++files;
    }
  }
  EXPECT_GT(files, 0);
}
