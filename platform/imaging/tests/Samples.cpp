// The generated pictures of Samples.h and the small helpers the tests share.
#include "Samples.h"

#include <kernel/GlobalMemory.h>

#include <cstdio>
#include <jpeglib.h>
#include <png.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace samples {

using Gdiplus::Color;

ARGB Pattern(int x, int y) {
  const int r = (x * 16) & 255, g = (y * 16) & 255, b = ((x ^ y) * 8 + (x > 20 ? 100 : 0)) & 255;
  return Color::MakeARGB(255, std::uint8_t(r), std::uint8_t(g), std::uint8_t(b));
}

std::vector<ARGB> PatternPixels(int width, int height) {
  std::vector<ARGB> pixels;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels.push_back(Pattern(x, y));
  return pixels;
}

// ---- PNG --------------------------------------------------------------------------------------

namespace {

ARGB PaletteEntry(int i) {
  return Color::MakeARGB(255, std::uint8_t(i * 37), std::uint8_t(i * 91 + 10), std::uint8_t(255 - i * 13));
}
std::uint8_t PaletteAlpha(int i) { return i < 3 ? std::uint8_t(i * 100) : 255; }
int PaletteIndex(int x, int y, int depth) { return (x + 2 * y) % (1 << depth); }

std::uint8_t Channel(ARGB p, int shift) { return std::uint8_t(p >> shift); }

// A sample of `depth` bits from an 8-bit value.
unsigned Reduce(std::uint8_t v, int depth) { return depth == 16 ? v * 257u : unsigned(v) >> (8 - depth); }
// The 8-bit value a decoder gives for such a sample.
std::uint8_t Expand(unsigned s, int depth) {
  return depth == 16 ? std::uint8_t(s >> 8) : std::uint8_t(s * 255 / ((1u << depth) - 1));
}

void PutSample(std::vector<std::uint8_t>& row, std::size_t index, unsigned s, int depth) {
  if (depth == 16) {
    row[2 * index] = std::uint8_t(s >> 8), row[2 * index + 1] = std::uint8_t(s);
  } else if (depth == 8) {
    row[index] = std::uint8_t(s);
  } else {
    const std::size_t bit = index * depth;
    row[bit / 8] |= std::uint8_t(s << (8 - depth - bit % 8));
  }
}

void AppendToVector(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

}  // namespace

Bytes WritePng(const PngSpec& spec, int width, int height, const std::vector<ARGB>& pixels) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    ADD_FAILURE() << "libpng could not write the sample";
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, AppendToVector, nullptr);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), spec.depth, spec.colourType,
               spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  const int d = spec.depth;
  if (spec.colourType == PNG_COLOR_TYPE_PALETTE) {
    std::vector<png_color> palette;
    std::vector<png_byte> alpha;
    for (int i = 0; i < (1 << d); ++i) {
      const ARGB e = PaletteEntry(i);
      palette.push_back({Channel(e, 16), Channel(e, 8), Channel(e, 0)});
      alpha.push_back(PaletteAlpha(i));
    }
    png_set_PLTE(png, info, palette.data(), int(palette.size()));
    if (spec.transparency) png_set_tRNS(png, info, alpha.data(), 3, nullptr);
  } else if (spec.transparency) {
    png_color_16 key{};
    const ARGB p = pixels[0];
    key.gray = png_uint_16(Reduce(Channel(p, 8), d));
    key.red = png_uint_16(Reduce(Channel(p, 16), d));
    key.green = png_uint_16(Reduce(Channel(p, 8), d));
    key.blue = png_uint_16(Reduce(Channel(p, 0), d));
    png_set_tRNS(png, info, nullptr, 0, &key);
  }
  png_write_info(png, info);
  const int channels = spec.colourType == PNG_COLOR_TYPE_RGB         ? 3
                       : spec.colourType == PNG_COLOR_TYPE_RGB_ALPHA  ? 4
                       : spec.colourType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                      : 1;
  std::vector<std::vector<std::uint8_t>> rows(std::size_t(height),
                                              std::vector<std::uint8_t>((std::size_t(width) * channels * d + 7) / 8));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const ARGB p = pixels[std::size_t(y) * width + x];
      const std::size_t i = std::size_t(x) * channels;
      auto& row = rows[std::size_t(y)];
      switch (spec.colourType) {
        case PNG_COLOR_TYPE_PALETTE: PutSample(row, i, unsigned(PaletteIndex(x, y, d)), d); break;
        case PNG_COLOR_TYPE_GRAY: PutSample(row, i, Reduce(Channel(p, 8), d), d); break;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
          PutSample(row, i, Reduce(Channel(p, 8), d), d);
          PutSample(row, i + 1, Reduce(Channel(p, 24), d), d);
          break;
        default:
          PutSample(row, i, Reduce(Channel(p, 16), d), d);
          PutSample(row, i + 1, Reduce(Channel(p, 8), d), d);
          PutSample(row, i + 2, Reduce(Channel(p, 0), d), d);
          if (channels == 4) PutSample(row, i + 3, Reduce(Channel(p, 24), d), d);
      }
    }
  }
  std::vector<png_bytep> pointers;
  for (auto& row : rows) pointers.push_back(row.data());
  png_write_image(png, pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::vector<ARGB> ExpectedPng(const PngSpec& spec, int width, int height, const std::vector<ARGB>& pixels) {
  std::vector<ARGB> expected;
  const int d = spec.depth;
  const ARGB key = pixels[0];
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const ARGB p = pixels[std::size_t(y) * width + x];
      const std::uint8_t r = Expand(Reduce(Channel(p, 16), d), d), g = Expand(Reduce(Channel(p, 8), d), d),
                         b = Expand(Reduce(Channel(p, 0), d), d), a = Expand(Reduce(Channel(p, 24), d), d);
      switch (spec.colourType) {
        case PNG_COLOR_TYPE_PALETTE: {
          const int i = PaletteIndex(x, y, d);
          const ARGB e = PaletteEntry(i);
          expected.push_back(spec.transparency ? (e & 0x00FFFFFF) | (ARGB(PaletteAlpha(i)) << 24) : e);
          break;
        }
        case PNG_COLOR_TYPE_GRAY: {
          const bool clear = spec.transparency && Reduce(Channel(p, 8), d) == Reduce(Channel(key, 8), d);
          expected.push_back(Color::MakeARGB(clear ? 0 : 255, g, g, g));
          break;
        }
        case PNG_COLOR_TYPE_GRAY_ALPHA: expected.push_back(Color::MakeARGB(a, g, g, g)); break;
        case PNG_COLOR_TYPE_RGB: {
          const bool clear = spec.transparency && Reduce(Channel(p, 16), d) == Reduce(Channel(key, 16), d) &&
                             Reduce(Channel(p, 8), d) == Reduce(Channel(key, 8), d) &&
                             Reduce(Channel(p, 0), d) == Reduce(Channel(key, 0), d);
          expected.push_back(Color::MakeARGB(clear ? 0 : 255, r, g, b));
          break;
        }
        default: expected.push_back(Color::MakeARGB(a, r, g, b));
      }
    }
  }
  return expected;
}

// ---- JPEG -------------------------------------------------------------------------------------

Bytes WriteJpeg(JpegKind kind, int width, int height, const std::vector<ARGB>& pixels, int quality) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr error{};
  cinfo.err = jpeg_std_error(&error);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = JDIMENSION(width);
  cinfo.image_height = JDIMENSION(height);
  cinfo.input_components = kind == JpegKind::Grey ? 1 : kind == JpegKind::Cmyk ? 4 : 3;
  cinfo.in_color_space = kind == JpegKind::Grey ? JCS_GRAYSCALE : kind == JpegKind::Cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  if (kind == JpegKind::Progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(std::size_t(width) * cinfo.input_components);
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = int(cinfo.next_scanline);
    for (int x = 0; x < width; ++x) {
      const ARGB p = pixels[std::size_t(y) * width + x];
      JSAMPLE* s = &row[std::size_t(x) * cinfo.input_components];
      if (kind == JpegKind::Grey) {
        s[0] = Channel(p, 8);
      } else {
        // CMYK is stored inverted, as Adobe's programs write it (and the decoder expects with the
        // Adobe marker that libjpeg adds): the stored values are then red, green, blue and 255.
        s[0] = Channel(p, 16), s[1] = Channel(p, 8), s[2] = Channel(p, 0);
        if (kind == JpegKind::Cmyk) s[3] = 255;
      }
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  Bytes out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

// ---- GIF --------------------------------------------------------------------------------------

namespace {

void PutWord(Bytes& out, unsigned v) {
  out.push_back(std::uint8_t(v));
  out.push_back(std::uint8_t(v >> 8));
}

int PaletteBits(std::size_t entries) {
  int bits = 1;
  while ((std::size_t(1) << bits) < entries) ++bits;
  return bits;
}

void PutPalette(Bytes& out, const std::vector<ARGB>& palette, int bits) {
  for (std::size_t i = 0; i < (std::size_t(1) << bits); ++i) {
    const ARGB e = i < palette.size() ? palette[i] : 0;
    out.push_back(Channel(e, 16)), out.push_back(Channel(e, 8)), out.push_back(Channel(e, 0));
  }
}

// LZW data that a decoder must accept, made of literal codes only: 9-bit codes, with a clear code
// often enough that the code size never grows.
// A minimum code size of 11 (beyond the format's 8, which some writers use) starts at 12-bit codes:
// then no clear code follows the first, so the table fills and stays full, as decoders must allow.
void PutImageData(Bytes& out, const std::vector<std::uint8_t>& indices, int minCodeSize) {
  const int kClear = 1 << minCodeSize, kEnd = kClear + 1, kWidth = minCodeSize + 1;
  const int clearEvery = minCodeSize >= 11 ? 0 : 200;
  out.push_back(std::uint8_t(minCodeSize));
  Bytes packed;
  std::uint32_t accumulator = 0;
  int bits = 0;
  auto code = [&](int c) {
    accumulator |= std::uint32_t(c) << bits;
    bits += kWidth;
    while (bits >= 8) {
      packed.push_back(std::uint8_t(accumulator));
      accumulator >>= 8;
      bits -= 8;
    }
  };
  code(kClear);
  int sinceClear = 0;
  for (std::uint8_t index : indices) {
    if (++sinceClear == clearEvery) {
      code(kClear);
      sinceClear = 1;
    }
    code(index);
  }
  code(kEnd);
  if (bits) packed.push_back(std::uint8_t(accumulator));
  for (std::size_t at = 0; at < packed.size(); at += 255) {
    const std::size_t n = std::min<std::size_t>(255, packed.size() - at);
    out.push_back(std::uint8_t(n));
    out.insert(out.end(), packed.begin() + std::ptrdiff_t(at), packed.begin() + std::ptrdiff_t(at + n));
  }
  out.push_back(0);
}

}  // namespace

Bytes WriteGif(int width, int height, const std::vector<ARGB>& globalPalette, const std::vector<GifFrame>& frames) {
  Bytes out{'G', 'I', 'F', '8', '9', 'a'};
  PutWord(out, unsigned(width));
  PutWord(out, unsigned(height));
  const int globalBits = PaletteBits(globalPalette.size());
  out.push_back(globalPalette.empty() ? 0 : std::uint8_t(0x80 | 0x70 | (globalBits - 1)));
  out.push_back(0);  // background colour
  out.push_back(0);  // aspect ratio
  if (!globalPalette.empty()) PutPalette(out, globalPalette, globalBits);
  for (const GifFrame& f : frames) {
    if (f.control) {
      out.insert(out.end(), {0x21, 0xF9, 0x04});
      out.push_back(std::uint8_t((f.disposal << 2) | (f.transparent >= 0 ? 1 : 0)));
      PutWord(out, unsigned(f.delay));
      out.push_back(std::uint8_t(f.transparent >= 0 ? f.transparent : 0));
      out.push_back(0);
    }
    out.push_back(0x2C);
    PutWord(out, unsigned(f.left));
    PutWord(out, unsigned(f.top));
    PutWord(out, unsigned(f.width));
    PutWord(out, unsigned(f.height));
    const int localBits = PaletteBits(f.localPalette.size());
    out.push_back(std::uint8_t((f.localPalette.empty() ? 0 : 0x80 | (localBits - 1)) | (f.interlaced ? 0x40 : 0)));
    if (!f.localPalette.empty()) PutPalette(out, f.localPalette, localBits);
    std::vector<std::uint8_t> ordered;
    if (f.interlaced) {
      static constexpr int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
      for (int pass = 0; pass < 4; ++pass)
        for (int y = kStart[pass]; y < f.height; y += kStep[pass])
          ordered.insert(ordered.end(), f.indices.begin() + std::ptrdiff_t(y) * f.width,
                         f.indices.begin() + std::ptrdiff_t(y + 1) * f.width);
    } else {
      ordered = f.indices;
    }
    PutImageData(out, ordered, f.lzwCodeSize);
  }
  out.push_back(0x3B);
  return out;
}

// ---- BMP --------------------------------------------------------------------------------------

namespace {

void PutDword(Bytes& out, std::uint32_t v) {
  PutWord(out, v & 0xFFFF);
  PutWord(out, v >> 16);
}

void PutFileAndInfoHeaders(Bytes& out, const BmpSpec& spec, int width, int height, std::size_t paletteEntries,
                           std::size_t pixelBytes) {
  const std::uint32_t infoSize = spec.coreHeader ? 12 : spec.masks[3] ? 124 : 40;
  const std::size_t extraMasks = (spec.compression == 3 && infoSize == 40) ? 12 : 0;
  const std::size_t paletteBytes = paletteEntries * (spec.coreHeader ? 3 : 4);
  const std::uint32_t pixelsAt = std::uint32_t(14 + infoSize + extraMasks + paletteBytes);
  out.push_back('B'), out.push_back('M');
  PutDword(out, std::uint32_t(pixelsAt + pixelBytes));
  PutDword(out, 0);
  PutDword(out, pixelsAt);
  PutDword(out, infoSize);
  if (spec.coreHeader) {
    PutWord(out, unsigned(width));
    PutWord(out, unsigned(height));
    PutWord(out, 1);
    PutWord(out, unsigned(spec.bits));
    return;
  }
  PutDword(out, std::uint32_t(width));
  PutDword(out, std::uint32_t(spec.topDown ? -height : height));
  PutWord(out, 1);
  PutWord(out, unsigned(spec.bits));
  PutDword(out, std::uint32_t(spec.compression));
  PutDword(out, std::uint32_t(pixelBytes));
  PutDword(out, 2835), PutDword(out, 2835);
  PutDword(out, std::uint32_t(paletteEntries));
  PutDword(out, 0);
  if (infoSize == 124) {
    for (std::uint32_t m : spec.masks) PutDword(out, m);
    out.resize(out.size() + (124 - 56), 0);  // colour space and the rest: not used
  } else if (extraMasks) {
    for (int i = 0; i < 3; ++i) PutDword(out, spec.masks[i]);
  }
}

void PutPaletteQuads(Bytes& out, const std::vector<ARGB>& palette, bool triples) {
  for (ARGB e : palette) {
    out.push_back(Channel(e, 0)), out.push_back(Channel(e, 8)), out.push_back(Channel(e, 16));
    if (!triples) out.push_back(0);
  }
}

std::uint32_t Pack(ARGB p, const std::uint32_t masks[4]) {
  std::uint32_t v = 0;
  const int shifts[4] = {16, 8, 0, 24};
  for (int i = 0; i < 4; ++i) {
    if (!masks[i]) continue;
    const int low = __builtin_ctz(masks[i]);
    const std::uint32_t max = masks[i] >> low;
    v |= ((std::uint32_t(Channel(p, shifts[i])) * max + 127) / 255) << low;
  }
  return v;
}

}  // namespace

Bytes WriteBmp(const BmpSpec& spec, int width, int height, const std::vector<ARGB>& pixels,
               const std::vector<std::uint8_t>& indices, const std::vector<ARGB>& palette) {
  const std::size_t stride = ((std::size_t(width) * spec.bits + 31) / 32) * 4;
  Bytes out;
  PutFileAndInfoHeaders(out, spec, width, height, spec.bits <= 8 ? palette.size() : 0, stride * height);
  if (spec.bits <= 8) PutPaletteQuads(out, palette, spec.coreHeader);
  std::uint32_t masks[4] = {spec.masks[0], spec.masks[1], spec.masks[2], spec.masks[3]};
  if (spec.compression != 3) {
    if (spec.bits == 16) masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    if (spec.bits == 32) masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
  }
  for (int row = 0; row < height; ++row) {
    const int y = spec.topDown ? row : height - 1 - row;
    std::vector<std::uint8_t> line(stride, 0);
    for (int x = 0; x < width; ++x) {
      const std::size_t i = std::size_t(y) * width + x;
      switch (spec.bits) {
        case 1: line[std::size_t(x) / 8] |= std::uint8_t((indices[i] & 1) << (7 - x % 8)); break;
        case 4: line[std::size_t(x) / 2] |= std::uint8_t((indices[i] & 15) << (x % 2 ? 0 : 4)); break;
        case 8: line[std::size_t(x)] = indices[i]; break;
        case 24:
          line[3 * x] = Channel(pixels[i], 0), line[3 * x + 1] = Channel(pixels[i], 8),
                   line[3 * x + 2] = Channel(pixels[i], 16);
          break;
        case 16: {
          const std::uint32_t v = Pack(pixels[i], masks);
          line[2 * x] = std::uint8_t(v), line[2 * x + 1] = std::uint8_t(v >> 8);
          break;
        }
        default: {
          const std::uint32_t v = Pack(pixels[i], masks);
          for (int k = 0; k < 4; ++k) line[4 * x + k] = std::uint8_t(v >> (8 * k));
        }
      }
    }
    out.insert(out.end(), line.begin(), line.end());
  }
  return out;
}

Bytes WriteRleBmp(int bits, int width, int height, const std::vector<ARGB>& palette, const Bytes& runs) {
  BmpSpec spec{bits, bits == 8 ? 1 : 2};
  Bytes out;
  PutFileAndInfoHeaders(out, spec, width, height, palette.size(), runs.size());
  PutPaletteQuads(out, palette, false);
  out.insert(out.end(), runs.begin(), runs.end());
  return out;
}

// ---- helpers ----------------------------------------------------------------------------------

Library::Library() {
  Gdiplus::GdiplusStartupInput input;
  EXPECT_EQ(Gdiplus::GdiplusStartup(&m_token, &input, nullptr), Gdiplus::Ok);
}

Library::~Library() { Gdiplus::GdiplusShutdown(m_token); }

IStream* StreamOver(const Bytes& bytes) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  void* data = GlobalLock(block);
  if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
  GlobalUnlock(block);
  IStream* stream = nullptr;
  EXPECT_EQ(CreateStreamOnHGlobal(block, TRUE, &stream), S_OK);
  return stream;
}

std::unique_ptr<Gdiplus::Image> ImageFrom(const Bytes& bytes) {
  IStream* stream = StreamOver(bytes);
  std::unique_ptr<Gdiplus::Image> image(Gdiplus::Image::FromStream(stream));
  stream->Release();
  return image;
}

std::vector<ARGB> PixelsOf(const Bytes& file, UINT frame) {
  tolvar::imaging::DecodedImage image;
  if (tolvar::imaging::DecodeImage(file, image) != Gdiplus::Ok) return {};
  if (image.SelectFrame(frame) != Gdiplus::Ok) return {};
  return image.pixels;
}

void SavePng(const char* name, int width, int height, const std::vector<ARGB>& pixels) {
  const char* folder = std::getenv("TEST_PNG_DIR");
  if (!folder || !*folder) return;
  const std::string path = std::string(folder) + "/" + name + ".png";
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
  if (!file) return;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return;
  }
  png_init_io(png, file.get());
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<png_byte> row(std::size_t(width) * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const ARGB p = pixels[std::size_t(y) * width + x];
      row[4 * x] = Channel(p, 16), row[4 * x + 1] = Channel(p, 8), row[4 * x + 2] = Channel(p, 0),
              row[4 * x + 3] = Channel(p, 24);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
}

int MaxChannelDifference(const std::vector<ARGB>& a, const std::vector<ARGB>& b) {
  if (a.size() != b.size()) return 1000;
  int worst = 0;
  for (std::size_t i = 0; i < a.size(); ++i)
    for (int shift : {0, 8, 16, 24})
      worst = std::max(worst, std::abs(int(Channel(a[i], shift)) - int(Channel(b[i], shift))));
  return worst;
}

}  // namespace samples
