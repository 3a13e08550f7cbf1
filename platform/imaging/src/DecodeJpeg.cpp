// JPEG files through libjpeg: baseline and progressive, colour, greyscale and CMYK (Adobe's inverted
// form included), with the accurate integer transform so that every machine gives the same pixels.
// The orientation an EXIF block records is not applied: pixels come as stored, as the original does.
// A file that ends before its last scan fails; so does a progressive file with an absurd number of
// scans, which would otherwise take minutes to refuse.
#include <imaging/Decoders.h>

#include <cstdio>  // jpeglib.h needs FILE declared
#include <jpeglib.h>
#include <jerror.h>

#include <bit>
#include <csetjmp>

namespace tolvar::imaging {

static_assert(std::endian::native == std::endian::little, "BGRA rows are read as little-endian ARGB words");

namespace {

using namespace Gdiplus;

// An all-one-colour JPEG codes a block of 64 pixels in a few bits; no real picture holds more than
// a thousand pixels per byte.
constexpr ULONGLONG kPixelsPerByte = 1024;
constexpr ULONGLONG kSmallPicture = ULONGLONG(1) << 20;
constexpr int kMaxScans = 1000;

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

[[noreturn]] void Exit(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings are tolerated (extra bytes between markers and the like) except the one saying the data
// ended early: the rest of the picture would be invented.
void Message(j_common_ptr cinfo, int level) {
  if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) Exit(cinfo);
  if (level < 0) ++cinfo->err->num_warnings;
}

void Progress(j_common_ptr cinfo) {
  if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans)
    Exit(cinfo);
}

struct Decoder {
  jpeg_decompress_struct cinfo{};
  ErrorManager error{};
  jpeg_progress_mgr progress{};
  bool created = false;
  ~Decoder() {
    if (created) jpeg_destroy_decompress(&cinfo);
  }
};

bool ReadHeader(Decoder& d, std::span<const BYTE> data) {
  if (setjmp(d.error.jump)) return false;
  jpeg_create_decompress(&d.cinfo);
  d.created = true;
  d.progress.progress_monitor = Progress;
  d.cinfo.progress = &d.progress;
  jpeg_mem_src(&d.cinfo, data.data(), static_cast<unsigned long>(data.size()));
  return jpeg_read_header(&d.cinfo, TRUE) == JPEG_HEADER_OK;
}

// Fills `pixels` (width x height, allocated by the caller) row by row: colour straight into it, grey
// and CMYK through `row`, a buffer of one output row made by the caller.
bool ReadPixels(Decoder& d, ARGB* pixels, JSAMPLE* row) {
  if (setjmp(d.error.jump)) return false;
  jpeg_start_decompress(&d.cinfo);
  const JDIMENSION width = d.cinfo.output_width;
  const int components = d.cinfo.output_components;
  const bool inverted = d.cinfo.saw_Adobe_marker;  // Adobe stores CMYK inverted
  const bool direct = d.cinfo.out_color_space == JCS_EXT_BGRA;  // rows land as ARGB words already
  while (d.cinfo.output_scanline < d.cinfo.output_height) {
    const JDIMENSION y = d.cinfo.output_scanline;
    ARGB* out = pixels + std::size_t(y) * width;
    JSAMPROW rows[1] = {direct ? reinterpret_cast<JSAMPROW>(out) : row};
    if (jpeg_read_scanlines(&d.cinfo, rows, 1) != 1) return false;
    if (direct) continue;
    for (JDIMENSION x = 0; x < width; ++x) {
      const JSAMPLE* s = row + std::size_t(x) * components;
      if (components == 1) {
        out[x] = Color::MakeARGB(255, s[0], s[0], s[0]);
      } else {  // CMYK
        const unsigned c = inverted ? s[0] : 255 - s[0], m = inverted ? s[1] : 255 - s[1],
                       yy = inverted ? s[2] : 255 - s[2], k = inverted ? s[3] : 255 - s[3];
        out[x] = Color::MakeARGB(255, static_cast<BYTE>((c * k + 127) / 255), static_cast<BYTE>((m * k + 127) / 255),
                                 static_cast<BYTE>((yy * k + 127) / 255));
      }
    }
  }
  jpeg_finish_decompress(&d.cinfo);
  return true;
}

}  // namespace

namespace {

// Decodes at 1/`denominator` of the stored size (1, 2, 4 or 8), which libjpeg does by leaving out
// the high frequencies of each block: a reduced decode costs a fraction of a whole one.
Status Decode(std::span<const BYTE> data, DecodedImage& image, UINT minWidth, UINT minHeight) {
  Decoder d;
  d.cinfo.err = jpeg_std_error(&d.error.base);
  d.error.base.error_exit = Exit;
  d.error.base.emit_message = Message;
  if (!ReadHeader(d, data)) return GenericError;

  const JDIMENSION width = d.cinfo.image_width, height = d.cinfo.image_height;
  if (!PictureSizeAllowed(width, height, kSmallPicture + data.size() * kPixelsPerByte)) return OutOfMemory;

  PixelFormat format = PixelFormat24bppRGB;
  switch (d.cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
      d.cinfo.out_color_space = JCS_GRAYSCALE;
      format = PixelFormat8bppIndexed;
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      d.cinfo.out_color_space = JCS_CMYK;
      format = PixelFormat32bppCMYK;
      break;
    default:
      d.cinfo.out_color_space = JCS_EXT_BGRA;
      break;
  }
  d.cinfo.dct_method = JDCT_ISLOW;
  const int components = d.cinfo.out_color_space == JCS_GRAYSCALE ? 1 : 4;

  // The largest reduction that still leaves at least the asked size (a side of 0 asks nothing).
  UINT denominator = 1;
  if (minWidth > 0 || minHeight > 0)
    for (UINT candidate : {8u, 4u, 2u})
      if ((width + candidate - 1) / candidate >= minWidth && (height + candidate - 1) / candidate >= minHeight) {
        denominator = candidate;
        break;
      }
  d.cinfo.scale_num = 1;
  d.cinfo.scale_denom = denominator;
  jpeg_calc_output_dimensions(&d.cinfo);
  const JDIMENSION outWidth = d.cinfo.output_width, outHeight = d.cinfo.output_height;
  if (outWidth == 0 || outHeight == 0 || outWidth > width || outHeight > height) return GenericError;

  std::vector<ARGB> pixels(std::size_t(outWidth) * outHeight);
  std::vector<JSAMPLE> row(std::size_t(outWidth) * components);
  if (!ReadPixels(d, pixels.data(), row.data())) return GenericError;
  if (d.cinfo.output_width != outWidth || d.cinfo.output_height != outHeight) return GenericError;

  std::vector<ARGB> palette;
  if (format == PixelFormat8bppIndexed)
    for (int v = 0; v < 256; ++v) palette.push_back(Color::MakeARGB(255, BYTE(v), BYTE(v), BYTE(v)));

  image.rawFormat = ImageFormatJPEG;
  image.pixelFormat = format;
  image.width = outWidth;
  image.height = outHeight;
  image.pixels = std::move(pixels);
  image.palette = std::move(palette);
  image.paletteFlags = format == PixelFormat8bppIndexed ? PaletteFlagsGrayScale : 0;
  return Ok;
}

}  // namespace

Status DecodeJpeg(std::span<const BYTE> data, DecodedImage& image) { return Decode(data, image, 0, 0); }

Status ReadJpegSize(std::span<const BYTE> data, UINT& width, UINT& height) {
  Decoder d;
  d.cinfo.err = jpeg_std_error(&d.error.base);
  d.error.base.error_exit = Exit;
  d.error.base.emit_message = Message;
  if (!ReadHeader(d, data)) return GenericError;
  width = d.cinfo.image_width;
  height = d.cinfo.image_height;
  return Ok;
}

Status DecodeJpegReduced(std::span<const BYTE> data, UINT minWidth, UINT minHeight, DecodedImage& image) {
  return Decode(data, image, minWidth, minHeight);
}

}  // namespace tolvar::imaging
