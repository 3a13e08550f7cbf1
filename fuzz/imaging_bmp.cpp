// Fuzz target: the platform's bitmap reader on arbitrary bytes, as a file through the image library's
// BMP decoder and as a packed DIB (a bitmap resource) the way the image loader reads it. A decoded
// picture must be whole (width x height pixels), and an uncompressed one's stored rows, which the
// image loader copies as they are, must lie inside the bytes read.
#include <gdi/BmpReader.h>
#include <imaging/Decoders.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void CheckWhole(const tolvar::gdi::BmpImage& image, std::size_t size) {
  const std::size_t pixels = std::size_t(image.width) * image.height;
  if (image.pixels.size() != pixels) std::abort();
  if (image.bits <= 8 && (image.indices.size() != pixels || image.palette.empty())) std::abort();
  if (image.compression == 0) {
    const std::size_t stride = ((std::size_t(image.width) * image.bits + 31) / 32) * 4;
    if (image.dataOffset > size || stride * image.height > size - image.dataOffset) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tolvar::imaging::DecodedImage decoded;
  if (tolvar::imaging::DecodeBmp({data, size}, decoded) == Gdiplus::Ok &&
      decoded.pixels.size() != std::size_t(decoded.width) * decoded.height)
    std::abort();
  tolvar::gdi::BmpImage image;
  if (tolvar::gdi::ReadBmpFile({data, size}, image) == tolvar::gdi::BmpResult::Ok) CheckWhole(image, size);
  // The same bytes past a file header, as a resource holds them.
  if (size > 14) {
    tolvar::gdi::BmpImage packed;
    if (tolvar::gdi::ReadPackedDib({data + 14, size - 14}, packed) == tolvar::gdi::BmpResult::Ok)
      CheckWhole(packed, size - 14);
  }
  return 0;
}
