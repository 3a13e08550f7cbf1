// Fuzz target: the GIF decoder of the image library on arbitrary bytes. A decoded picture must be
// whole (width x height pixels); every frame of an animation is rendered, up to a bound that keeps
// each run short.
#include <imaging/Decoders.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tolvar::imaging::DecodedImage image;
  if (tolvar::imaging::DecodeGif({data, size}, image) != Gdiplus::Ok) return 0;
  for (UINT frame = 1; frame < image.frameCount && frame < 64; ++frame) {
    if (image.SelectFrame(frame) != Gdiplus::Ok) break;
    if (image.pixels.size() != std::size_t(image.width) * image.height) std::abort();
  }
  if (image.pixels.size() != std::size_t(image.width) * image.height) std::abort();
  return 0;
}
