// A preview from a 2-megapixel JPEG: the image library's whole path (decode at full size, then the
// high-quality filter down to 160 x 120 on a white 24-bit canvas), beside libjpeg decoding the same
// file by itself at full size and with its DCT scaling to 1/8 (the cheapest way to a small picture,
// which the library cannot take since it decodes before it knows the size it will be drawn at).
// The ratio of the library's path to libjpeg's scaled decode is printed at the end.
#include <imaging/Decoders.h>
#include <imaging/Gdiplus.h>
#include <kernel/GlobalMemory.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <jpeglib.h>
#include "PhotoJpeg.h"  // after the platform headers, as jpeglib.h

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using photo_jpeg::kHeight;
using photo_jpeg::kWidth;

const std::vector<unsigned char>& Jpeg() {
  static const std::vector<unsigned char> jpeg = photo_jpeg::MakePhotoJpeg(12345, true);
  return jpeg;
}

void LibraryPreview(benchmark::State& state) {
  const auto& jpeg = Jpeg();
  for (auto _ : state) {
    // As the caller does it: the file's bytes in a global block, a stream over it, an image.
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, jpeg.size());
    std::memcpy(GlobalLock(block), jpeg.data(), jpeg.size());
    GlobalUnlock(block);
    IStream* stream = nullptr;
    CreateStreamOnHGlobal(block, TRUE, &stream);
    Gdiplus::Image image(stream);
    stream->Release();
    Gdiplus::Bitmap canvas(160, 120, Gdiplus::PixelFormat24bppRGB);
    Gdiplus::Graphics graphics(&canvas);
    graphics.Clear(Gdiplus::Color(255, 255, 255));
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    if (graphics.DrawImage(&image, 0, 0, 160, 120) != Gdiplus::Ok) state.SkipWithError("drawing failed");
    benchmark::DoNotOptimize(canvas);
  }
}

// The library's decode alone, to show how the preview's time divides between decoding and scaling.
void LibraryDecode(benchmark::State& state) {
  const auto& jpeg = Jpeg();
  for (auto _ : state) {
    tolvar::imaging::DecodedImage image;
    if (tolvar::imaging::DecodeImage(jpeg, image) != Gdiplus::Ok) state.SkipWithError("decoding failed");
    benchmark::DoNotOptimize(image.pixels);
  }
}

// libjpeg alone: the same file decoded at 1/denominator of its size into RGB rows.
void LibjpegDecode(benchmark::State& state) {
  const auto& jpeg = Jpeg();
  const unsigned denominator = unsigned(state.range(0));
  for (auto _ : state) {
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr error{};
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.scale_num = 1;
    cinfo.scale_denom = denominator;
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    std::vector<JSAMPLE> pixels(std::size_t(cinfo.output_width) * cinfo.output_height * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
      JSAMPROW rows[1] = {&pixels[std::size_t(cinfo.output_scanline) * cinfo.output_width * 3]};
      jpeg_read_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    benchmark::DoNotOptimize(pixels);
  }
}

// The console report, and the times kept for the ratio printed after it.
class Reporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) m_times[run.benchmark_name()] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    const auto library = m_times.find("LibraryPreview"), scaled = m_times.find("LibjpegDecode/8"),
               full = m_times.find("LibjpegDecode/1");
    if (library == m_times.end() || scaled == m_times.end() || full == m_times.end()) return;
    std::printf("\nJPEG of %d x %d (%zu bytes) to a 160 x 120 preview:\n", kWidth, kHeight, Jpeg().size());
    std::printf("  library (full decode + high-quality scaling) / libjpeg decode at 1/8: %.2f\n",
                library->second / scaled->second);
    std::printf("  library (full decode + high-quality scaling) / libjpeg decode at full size: %.2f\n",
                library->second / full->second);
  }

private:
  std::map<std::string, double> m_times;
};

}  // namespace

BENCHMARK(LibraryPreview)->Unit(benchmark::kMillisecond);
BENCHMARK(LibraryDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(LibjpegDecode)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartupInput input;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);
  Reporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  Gdiplus::GdiplusShutdown(token);
  benchmark::Shutdown();
  return 0;
}
