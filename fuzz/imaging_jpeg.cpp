// Fuzz target: the JPEG decoder of the image library on arbitrary bytes. A decoded picture must be
// whole (width x height pixels), at full size and reduced for a preview.
#include <imaging/Decoders.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tolvar::imaging::DecodedImage image;
  if (tolvar::imaging::DecodeJpeg({data, size}, image) != Gdiplus::Ok) return 0;
  if (image.pixels.size() != std::size_t(image.width) * image.height) std::abort();
  tolvar::imaging::DecodedImage reduced;
  if (tolvar::imaging::DecodeJpegReduced({data, size}, 16, 16, reduced) == Gdiplus::Ok &&
      (reduced.pixels.size() != std::size_t(reduced.width) * reduced.height || reduced.width > image.width))
    std::abort();
  return 0;
}
