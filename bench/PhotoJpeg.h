#pragma once
// A photo-like picture of 2.0 megapixels (4:3): sky, a sun, hills and some noise, compressed at
// quality 85. `seed` varies the noise; `fence` adds fine stripes along the bottom.
#include <cstdio>
#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace photo_jpeg {

constexpr int kWidth = 1632, kHeight = 1224;

inline std::vector<unsigned char> MakePhotoJpeg(unsigned seed, bool fence) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr error{};
  cinfo.err = jpeg_std_error(&error);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = kWidth;
  cinfo.image_height = kHeight;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 85, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(kWidth * 3);
  unsigned noise = seed;
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = int(cinfo.next_scanline);
    for (int x = 0; x < kWidth; ++x) {
      noise = noise * 1103515245 + 12345;
      const int n = int((noise >> 16) & 15) - 8;
      int r = 90 + y / 10, g = 150 + y / 16, b = 250;
      if (std::hypot(x - 1200, y - 280) < 140) r = 255, g = 208, b = 64;
      if (y > 760 + 100 * std::sin(x / 150.0)) r = 40 + (y - 760) / 8, g = 120 + (x % 7) * 3, b = 40;
      if (fence && y > 1000 && (x / 8) % 2 == 0) r = 96, g = 64, b = 32;
      row[3 * x] = JSAMPLE(std::clamp(r + n, 0, 255));
      row[3 * x + 1] = JSAMPLE(std::clamp(g + n, 0, 255));
      row[3 * x + 2] = JSAMPLE(std::clamp(b + n, 0, 255));
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<unsigned char> out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

}  // namespace photo_jpeg
