// PNG files through libpng: every colour type and bit depth, interlaced or not, with transparency
// (tRNS or an alpha channel), become 32-bit ARGB. 16-bit samples keep their high byte. Gamma, colour
// profile and significant-bits chunks are not applied, so a file gives the same pixels everywhere.
// A damaged critical chunk, a bad checksum of one or data that ends early fails; a damaged ancillary
// chunk is dropped with the image kept, as viewers do.
#include <imaging/Decoders.h>

#include <png.h>

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstring>

namespace tolvar::imaging {

static_assert(std::endian::native == std::endian::little, "pixels are read as little-endian ARGB words");

namespace {

using namespace Gdiplus;

// Deflate cannot expand data by more than about 1032 to 1; a little more allows for the other chunks.
constexpr ULONGLONG kInflateRatio = 1100;
constexpr ULONGLONG kSmallPicture = ULONGLONG(1) << 20;

struct Source {
  std::span<const BYTE> data;
  std::size_t position = 0;
};

void ReadBytes(png_structp png, png_bytep out, png_size_t count) {
  auto* source = static_cast<Source*>(png_get_io_ptr(png));
  if (count > source->data.size() - source->position) png_error(png, "unexpected end of file");
  std::memcpy(out, source->data.data() + source->position, count);
  source->position += count;
}

void Warn(png_structp, png_const_charp) {}

void Fail(png_structp png, png_const_charp) { png_longjmp(png, 1); }

// What callers see of the stored form: indexed formats keep their palette.
struct StoredForm {
  PixelFormat format;
  int paletteEntries;  // a grey palette of this many entries for grey files shown as indexed; 0: none
};

StoredForm FormOf(int colourType, int depth, bool transparency) {
  switch (colourType) {
    case PNG_COLOR_TYPE_PALETTE:
      return {depth == 1 ? PixelFormat1bppIndexed : depth <= 4 ? PixelFormat4bppIndexed : PixelFormat8bppIndexed, 0};
    case PNG_COLOR_TYPE_GRAY:
      if (transparency) return {PixelFormat32bppARGB, 0};
      if (depth == 16) return {PixelFormat48bppRGB, 0};
      return {depth == 1 ? PixelFormat1bppIndexed : depth <= 4 ? PixelFormat4bppIndexed : PixelFormat8bppIndexed,
              1 << depth};
    case PNG_COLOR_TYPE_RGB:
      if (transparency) return {depth == 16 ? PixelFormat64bppARGB : PixelFormat32bppARGB, 0};
      return {depth == 16 ? PixelFormat48bppRGB : PixelFormat24bppRGB, 0};
    default:  // grey with alpha, colour with alpha
      return {depth == 16 ? PixelFormat64bppARGB : PixelFormat32bppARGB, 0};
  }
}

// The part that libpng may leave by longjmp: it owns no C++ object, so nothing is skipped. Every
// buffer it fills was made by the caller.
bool ReadHeader(png_structp png, png_infop info) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);  // our own limit follows, against the data too
  png_read_info(png, info);
  return true;
}

bool UpdateInfo(png_structp png, png_infop info) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_update_info(png, info);
  return true;
}

bool ReadPixels(png_structp png, png_infop info, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_image(png, rows);
  png_read_end(png, info);
  return true;
}

}  // namespace

Status DecodePng(std::span<const BYTE> data, DecodedImage& image) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, Warn);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  struct Cleanup {
    png_structp& png;
    png_infop& info;
    ~Cleanup() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
  } cleanup{png, info};
  if (!png || !info) return OutOfMemory;

  Source source{data};
  png_set_read_fn(png, &source, ReadBytes);
  png_set_crc_action(png, PNG_CRC_DEFAULT, PNG_CRC_DEFAULT);
  if (!ReadHeader(png, info)) return GenericError;

  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  const int colourType = png_get_color_type(png, info);
  const int depth = png_get_bit_depth(png, info);
  const int channels = png_get_channels(png, info);
  const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;

  const ULONGLONG rawBytes =
      ULONGLONG(height) * (1 + (ULONGLONG(width) * channels * depth + 7) / 8);
  const bool plausible = rawBytes <= kSmallPicture + data.size() * kInflateRatio;
  if (!PictureSizeAllowed(width, height, plausible ? kMaxPixels : 0)) return OutOfMemory;

  const StoredForm form = FormOf(colourType, depth, transparency);
  std::vector<ARGB> palette;
  UINT paletteFlags = 0;
  if (colourType == PNG_COLOR_TYPE_PALETTE) {
    png_colorp entries = nullptr;
    int count = 0;
    png_get_PLTE(png, info, &entries, &count);
    png_bytep alpha = nullptr;
    int alphaCount = 0;
    png_color_16p unused = nullptr;
    if (transparency) png_get_tRNS(png, info, &alpha, &alphaCount, &unused);
    for (int i = 0; i < count; ++i) {
      const BYTE a = i < alphaCount ? alpha[i] : 255;
      if (a != 255) paletteFlags |= PaletteFlagsHasAlpha;
      palette.push_back(Color::MakeARGB(a, entries[i].red, entries[i].green, entries[i].blue));
    }
  } else if (form.paletteEntries) {
    for (int i = 0; i < form.paletteEntries; ++i) {
      const BYTE v = static_cast<BYTE>(i * 255 / (form.paletteEntries - 1));
      palette.push_back(Color::MakeARGB(255, v, v, v));
    }
    paletteFlags = PaletteFlagsGrayScale;
  }

  // Everything becomes blue, green, red, alpha bytes: a little-endian ARGB word per pixel.
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_bgr(png);
  png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  if (!UpdateInfo(png, info)) return GenericError;
  if (png_get_rowbytes(png, info) != std::size_t(width) * 4) return GenericError;

  std::vector<ARGB> pixels(std::size_t(width) * height);
  std::vector<png_bytep> rows(height);
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = reinterpret_cast<png_bytep>(&pixels[std::size_t(y) * width]);
  if (!ReadPixels(png, info, rows.data())) return GenericError;

  image.rawFormat = ImageFormatPNG;
  image.pixelFormat = form.format;
  image.width = width;
  image.height = height;
  image.pixels = std::move(pixels);
  image.palette = std::move(palette);
  image.paletteFlags = paletteFlags;
  return Ok;
}

}  // namespace tolvar::imaging
