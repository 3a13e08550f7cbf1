// BMP files, read by the platform's one bitmap reader (which the window manager's image loader
// shares), and described here in the imaging module's terms.
#include <imaging/Decoders.h>

#include <gdi/BmpReader.h>

namespace tolvar::imaging {

using namespace Gdiplus;

Status DecodeBmp(std::span<const BYTE> data, DecodedImage& image) {
  gdi::BmpImage bmp;
  switch (gdi::ReadBmpFile(data, bmp)) {
    case gdi::BmpResult::Ok: break;
    case gdi::BmpResult::TooLarge: return OutOfMemory;
    case gdi::BmpResult::Invalid: return GenericError;
  }
  PixelFormat format = PixelFormat24bppRGB;
  switch (bmp.bits) {
    case 1: format = PixelFormat1bppIndexed; break;
    case 4: format = PixelFormat4bppIndexed; break;
    case 8: format = PixelFormat8bppIndexed; break;
    case 16: format = bmp.masks[1] == 0x07E0 ? PixelFormat16bppRGB565 : PixelFormat16bppRGB555; break;
    case 32: format = bmp.masks[3] ? PixelFormat32bppARGB : PixelFormat32bppRGB; break;
    default: break;
  }
  image.rawFormat = ImageFormatBMP;
  image.pixelFormat = format;
  image.width = bmp.width;
  image.height = bmp.height;
  image.pixels.assign(bmp.pixels.begin(), bmp.pixels.end());
  image.palette.assign(bmp.palette.begin(), bmp.palette.end());
  image.paletteFlags = 0;
  return Ok;
}

}  // namespace tolvar::imaging
