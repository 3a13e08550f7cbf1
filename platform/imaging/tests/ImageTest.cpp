// The library's interface as the suite uses it: starting and stopping, the encoder list, images from
// files and streams, frame dimensions and counts, frame selection and the frame-delay property.
#include "Samples.h"

#include <kernel/Kernel.h>

#include <png.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

using namespace Gdiplus;
using samples::Bytes;

namespace {

Bytes AnimatedGif(std::vector<int> delays) {
  std::vector<samples::GifFrame> frames;
  for (std::size_t i = 0; i < delays.size(); ++i) {
    samples::GifFrame frame;
    frame.width = frame.height = 4;
    frame.indices.assign(16, std::uint8_t(i % 2));
    frame.delay = delays[i];
    frames.push_back(frame);
  }
  return samples::WriteGif(4, 4, {0xFF000000, 0xFFFFFFFF}, frames);
}

}  // namespace

TEST(Startup, TokensVersionsAndUseBeforeStarting) {
  GdiplusStartupInput input;
  ULONG_PTR token = 0;
  GdiplusStartupOutput output;
  struct Case {
    const char* name;
    UINT version;
    BOOL suppressThread;
    bool withOutput;
    Status status;
  } const cases[] = {
      {"version 1", 1, FALSE, false, Ok},
      {"version 2", 2, FALSE, false, UnsupportedGdiplusVersion},
      {"no background thread, no output record", 1, TRUE, false, InvalidParameter},
      {"no background thread, with output record", 1, TRUE, true, Ok},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    input.GdiplusVersion = c.version;
    input.SuppressBackgroundThread = c.suppressThread;
    EXPECT_EQ(GdiplusStartup(&token, &input, c.withOutput ? &output : nullptr), c.status);
    if (c.status == Ok) {
      EXPECT_NE(token, 0u);
      if (c.withOutput) {  // the hooks exist and can be called, as such callers do
        ULONG_PTR hookToken = 0;
        ASSERT_NE(output.NotificationHook, nullptr);
        EXPECT_EQ(output.NotificationHook(&hookToken), Ok);
        output.NotificationUnhook(hookToken);
      }
      GdiplusShutdown(token);
    }
  }
  EXPECT_EQ(GdiplusStartup(nullptr, &input, &output), InvalidParameter);
  EXPECT_EQ(GdiplusStartup(&token, nullptr, nullptr), InvalidParameter);

  // Nothing works before a start or after the last shutdown; starts nest.
  const Bytes png = samples::WritePng({PNG_COLOR_TYPE_RGB, 8}, 2, 2, samples::PatternPixels(2, 2));
  EXPECT_EQ(samples::ImageFrom(png)->GetLastStatus(), GdiplusNotInitialized);
  EXPECT_EQ(Bitmap(4, 4, PixelFormat24bppRGB).GetLastStatus(), GdiplusNotInitialized);
  input = GdiplusStartupInput{};
  ULONG_PTR first = 0, second = 0;
  ASSERT_EQ(GdiplusStartup(&first, &input, nullptr), Ok);
  ASSERT_EQ(GdiplusStartup(&second, &input, nullptr), Ok);
  EXPECT_NE(first, second);
  GdiplusShutdown(first);
  EXPECT_EQ(samples::ImageFrom(png)->GetLastStatus(), Ok);
  GdiplusShutdown(second);
  EXPECT_EQ(samples::ImageFrom(png)->GetLastStatus(), GdiplusNotInitialized);
}

TEST(Startup, EncodersAreListedWithTheirMimeTypesAndClassIds) {
  samples::Library library;
  UINT count = 0, size = 0;
  ASSERT_EQ(GetImageEncodersSize(&count, &size), Ok);
  ASSERT_GT(count, 0u);
  std::vector<std::uint64_t> buffer((size + 7) / 8);  // aligned for the records
  auto* encoders = reinterpret_cast<ImageCodecInfo*>(buffer.data());
  ASSERT_EQ(GetImageEncoders(count, size, encoders), Ok);
  EXPECT_EQ(GetImageEncoders(count, size - 1, encoders), GenericError);
  const CLSID gif = {0x557cf402, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
  int found = -1;
  for (UINT i = 0; i < count; ++i)
    if (std::u16string_view(encoders[i].MimeType) == u"image/gif") found = int(i);
  ASSERT_GE(found, 0);
  EXPECT_TRUE(encoders[found].Clsid == gif);
  EXPECT_TRUE(encoders[found].FormatID == ImageFormatGIF);
  EXPECT_EQ(std::u16string_view(encoders[found].FormatDescription), u"GIF");
}

TEST(ImageFile, LoadsFromAWindowsPathAndReportsMissingFiles) {
  const auto home = std::filesystem::temp_directory_path() / ("imaging-test-" + std::to_string(getpid()));
  std::filesystem::create_directories(home / "drive_c" / "Pictures");
  setenv("TOLVAR_HOME", home.c_str(), 1);
  samples::Library library;
  const Bytes gif = AnimatedGif({3, 4});
  std::ofstream(home / "drive_c" / "Pictures" / "Wave.gif", std::ios::binary)
      .write(reinterpret_cast<const char*>(gif.data()), std::streamsize(gif.size()));

  Image image(u"C:\\Pictures\\wave.GIF");  // letter case does not matter, as on Windows
  EXPECT_EQ(image.GetLastStatus(), Ok);
  EXPECT_EQ(image.GetWidth(), 4u);
  EXPECT_EQ(image.GetFrameCount(&FrameDimensionTime), 2u);

  Bitmap missing(u"C:\\Pictures\\none.png");
  EXPECT_EQ(missing.GetLastStatus(), FileNotFound);
  EXPECT_EQ(missing.GetWidth(), 0u);
  EXPECT_EQ(missing.GetFrameDimensionsCount(), 0u);
  std::filesystem::remove_all(home);
}

TEST(ImageFrames, DimensionsCountsAndSelectionAlongTimeOrPage) {
  samples::Library library;
  auto gif = samples::ImageFrom(AnimatedGif({10, 20, 30}));
  auto png = samples::ImageFrom(samples::WritePng({PNG_COLOR_TYPE_RGB, 8}, 3, 3, samples::PatternPixels(3, 3)));
  struct Case {
    const char* name;
    Image* image;
    GUID dimension;
    UINT frames;
  } const cases[] = {{"gif", gif.get(), FrameDimensionTime, 3}, {"png", png.get(), FrameDimensionPage, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(c.image->GetFrameDimensionsCount(), 1u);
    GUID dimension{};
    ASSERT_EQ(c.image->GetFrameDimensionsList(&dimension, 1), Ok);
    EXPECT_TRUE(dimension == c.dimension);
    EXPECT_EQ(c.image->GetFrameCount(&dimension), c.frames);
    EXPECT_EQ(c.image->SelectActiveFrame(&dimension, c.frames - 1), Ok);
    EXPECT_EQ(c.image->SelectActiveFrame(&dimension, c.frames), InvalidParameter);
    c.image->GetLastStatus();
  }
  // A still picture asked along time has no frames there; selecting frame 0 on time fails and
  // leaves the picture as it was (callers select on time for every kind and ignore the result).
  EXPECT_EQ(png->GetFrameCount(&FrameDimensionTime), 0u);
  EXPECT_EQ(png->GetLastStatus(), InvalidParameter);
  EXPECT_EQ(png->SelectActiveFrame(&FrameDimensionTime, 0), InvalidParameter);
  EXPECT_EQ(png->GetWidth(), 3u);
}

TEST(ImageFrames, FrameDelaysAreHundredthsAsTheFileHoldsThem) {
  samples::Library library;
  auto gif = samples::ImageFrom(AnimatedGif({10, 5, 0, 65535}));
  const UINT size = gif->GetPropertyItemSize(PropertyTagFrameDelay);
  ASSERT_EQ(size, sizeof(PropertyItem) + 4 * sizeof(LONG));
  std::vector<std::uint64_t> buffer((size + 7) / 8);
  auto* item = reinterpret_cast<PropertyItem*>(buffer.data());
  EXPECT_EQ(gif->GetPropertyItem(PropertyTagFrameDelay, size - 1, item), InvalidParameter);
  ASSERT_EQ(gif->GetPropertyItem(PropertyTagFrameDelay, size, item), Ok);
  EXPECT_EQ(item->id, PropertyTagFrameDelay);
  EXPECT_EQ(item->type, PropertyTagTypeLong);
  EXPECT_EQ(item->length, 4 * sizeof(LONG));
  const auto* delays = static_cast<const LONG*>(item->value);
  // The small delay stays 5 here; turning it into 50 ms and raising short ones is the caller's.
  EXPECT_EQ(std::vector<LONG>(delays, delays + 4), (std::vector<LONG>{10, 5, 0, 65535}));

  auto png = samples::ImageFrom(samples::WritePng({PNG_COLOR_TYPE_RGB, 8}, 3, 3, samples::PatternPixels(3, 3)));
  EXPECT_EQ(png->GetPropertyItemSize(PropertyTagFrameDelay), 0u);
  EXPECT_EQ(png->GetPropertyItem(PropertyTagFrameDelay, size, item), PropertyNotFound);
}

TEST(ImageStream, ReadsFromTheStreamsPositionAndLeavesTheCallersBlock) {
  samples::Library library;
  const Bytes png = samples::WritePng({PNG_COLOR_TYPE_RGB, 8}, 5, 4, samples::PatternPixels(5, 4));
  Bytes prefixed = {'x', 'y', 'z'};
  prefixed.insert(prefixed.end(), png.begin(), png.end());
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, prefixed.size());
  std::memcpy(GlobalLock(block), prefixed.data(), prefixed.size());
  GlobalUnlock(block);
  IStream* stream = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(block, FALSE, &stream), S_OK);
  LARGE_INTEGER skip{};
  skip.QuadPart = 3;
  ASSERT_EQ(stream->Seek(skip, STREAM_SEEK_SET, nullptr), S_OK);
  {
    Image image(stream);
    EXPECT_EQ(image.GetLastStatus(), Ok);
    EXPECT_EQ(image.GetWidth(), 5u);
  }
  EXPECT_EQ(stream->Release(), 0u);
  EXPECT_EQ(GlobalSize(block), prefixed.size());  // not freed with the stream
  EXPECT_EQ(GlobalFree(block), nullptr);
}
