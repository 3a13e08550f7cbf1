#pragma once
// The decoders behind Image: one per file format, each turning the bytes of a file into a
// DecodedImage. Image and Bitmap are the interface for the suite; these entry points are public for
// the tests and the fuzz targets, which feed them bytes directly.
//
// Every decoder treats its input as hostile: the width and height a header claims are checked
// against the pixel limit and against what the number of bytes could possibly hold before any
// pixel memory is allocated, and truncated or corrupt data fails with a status.
#include <imaging/GdiplusTypes.h>

#include <memory>
#include <span>
#include <vector>

namespace tolvar::imaging {

using Gdiplus::ARGB;
using Gdiplus::Status;

// No picture larger than this is decoded (256 MB of 32-bit pixels), whatever its header claims.
constexpr ULONGLONG kMaxPixels = ULONGLONG(1) << 26;

// Whether a picture of width x height may be allocated: neither side 0, at most kMaxPixels, and at
// most `plausiblePixels`, the most pixels the file's bytes could describe in its format.
bool PictureSizeAllowed(ULONGLONG width, ULONGLONG height, ULONGLONG plausiblePixels);

// Multi-frame pictures render a frame on request, so that only one frame is held at a time.
class FrameSource {
public:
  virtual ~FrameSource() = default;
  // Fills `pixels` (width x height of the picture) with frame `index` as it is shown.
  virtual Status Render(UINT index, std::vector<ARGB>& pixels) = 0;
};

struct DecodedImage {
  GUID rawFormat = ImageFormatUndefined;
  Gdiplus::PixelFormat pixelFormat = Gdiplus::PixelFormat32bppARGB;  // as the file stores it
  UINT width = 0;
  UINT height = 0;
  std::vector<ARGB> pixels;   // the active frame, top row first, alpha not premultiplied
  std::vector<ARGB> palette;  // for indexed formats
  UINT paletteFlags = 0;      // Gdiplus::PaletteFlags
  UINT frameCount = 1;
  UINT activeFrame = 0;
  std::vector<LONG> frameDelays;         // per frame, hundredths of a second; animations only
  std::unique_ptr<FrameSource> frames;   // animations only

  Status SelectFrame(UINT index);
};

// Picks the decoder by the file's signature; UnknownImageFormat when none matches.
Status DecodeImage(std::span<const BYTE> data, DecodedImage& image);

Status DecodePng(std::span<const BYTE> data, DecodedImage& image);
Status DecodeJpeg(std::span<const BYTE> data, DecodedImage& image);
// A JPEG decoded at the smallest of 1/8, 1/4, 1/2 or whole size that is still at least
// minWidth x minHeight (or the whole size when the picture is smaller): a preview drawn much smaller
// than the photo pays only for what it shows. The image's width and height are the decoded ones.
Status DecodeJpegReduced(std::span<const BYTE> data, UINT minWidth, UINT minHeight, DecodedImage& image);
// The stored size of a JPEG from its header alone.
Status ReadJpegSize(std::span<const BYTE> data, UINT& width, UINT& height);
Status DecodeGif(std::span<const BYTE> data, DecodedImage& image);
Status DecodeBmp(std::span<const BYTE> data, DecodedImage& image);

}  // namespace tolvar::imaging
