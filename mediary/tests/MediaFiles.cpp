#include "MediaFiles.h"

#include "Samples.h"

#include <cstring>
#include <fstream>

namespace mediafiles {

Bytes Jpeg(int width, int height) {
  return samples::WriteJpeg(samples::JpegKind::Baseline, width, height, samples::PatternPixels(width, height), 50);
}

Bytes Png(int width, int height) {
  return samples::WritePng({2 /* PNG_COLOR_TYPE_RGB */, 8}, width, height, samples::PatternPixels(width, height));
}

Bytes Bmp(int width, int height) {
  return samples::WriteBmp({24}, width, height, samples::PatternPixels(width, height));
}

Bytes Gif(int width, int height, int frames, bool transparent) {
  std::vector<samples::ARGB> palette{0xFF000000, 0xFFFFFFFF, 0xFFFF0000, 0xFF00FF00};
  std::vector<samples::GifFrame> list;
  for (int i = 0; i < frames; ++i) {
    samples::GifFrame frame;
    frame.width = width;
    frame.height = height;
    frame.indices.assign(std::size_t(width) * std::size_t(height), std::uint8_t(i % 4));
    frame.delay = 5;
    frame.transparent = transparent && i == 0 ? 3 : -1;
    list.push_back(std::move(frame));
  }
  return samples::WriteGif(width, height, palette, list);
}

Bytes Signature(std::string_view text, std::size_t offset, std::size_t size, std::uint8_t fill) {
  Bytes bytes(std::max(size, offset + text.size()), fill);
  std::memcpy(bytes.data() + offset, text.data(), text.size());
  return bytes;
}

Bytes Movie(std::string_view brand) {
  Bytes bytes = Signature("ftyp", 4, 64, 0);
  bytes[3] = 24;
  std::memcpy(bytes.data() + 8, brand.data(), brand.size());
  return bytes;
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace mediafiles
