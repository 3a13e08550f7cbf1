#include "ImageFiles.h"

#include "ByteWriter.h"

#include <stdexcept>

namespace tolvar::rc {

std::vector<std::uint8_t> BitmapResource(std::span<const std::uint8_t> file) {
  constexpr size_t kFileHeader = 14, kSmallestInfoHeader = 12;
  if (file.size() < kFileHeader + kSmallestInfoHeader || file[0] != 'B' || file[1] != 'M')
    throw std::runtime_error("not a bitmap file");
  return {file.begin() + kFileHeader, file.end()};
}

IconGroup ReadIconFile(std::span<const std::uint8_t> file, bool cursor, std::uint16_t firstId) {
  const char* kind = cursor ? "cursor" : "icon";
  if (file.size() < 6 || ReadU16(file, 0) != 0 || ReadU16(file, 2) != (cursor ? 2 : 1))
    throw std::runtime_error(cursor ? "not a cursor file" : "not an icon file");
  std::uint16_t count = ReadU16(file, 4);
  if (count == 0) throw std::runtime_error(std::string("the ") + kind + " file holds no image");
  if (file.size() < 6 + 16 * size_t(count)) throw std::runtime_error(std::string("truncated ") + kind + " file");

  IconGroup group;
  ByteWriter dir;
  dir.U16(0);
  dir.U16(cursor ? 2 : 1);
  dir.U16(count);
  for (std::uint16_t i = 0; i < count; ++i) {
    size_t e = 6 + 16 * size_t(i);
    std::uint8_t width = file[e], height = file[e + 1], colours = file[e + 2];
    std::uint16_t planesOrHotX = ReadU16(file, e + 4), bitsOrHotY = ReadU16(file, e + 6);
    std::uint32_t size = ReadU32(file, e + 8), offset = ReadU32(file, e + 12);
    if (size == 0 || offset > file.size() || size > file.size() - offset)
      throw std::runtime_error(std::string("image ") + std::to_string(i) + " lies outside the " + kind + " file");
    auto image = file.subspan(offset, size);
    // Planes and bit count come from the image's BITMAPINFOHEADER when the file entry leaves them
    // open (cursor entries always do: they hold the hot spot there).
    bool hasInfoHeader = image.size() >= 40 && ReadU32(image, 0) == 40;
    std::uint16_t planes = cursor ? 1 : planesOrHotX, bits = cursor ? 0 : bitsOrHotY;
    if (hasInfoHeader && (planes == 0 || bits == 0)) {
      planes = ReadU16(image, 12);
      bits = ReadU16(image, 14);
    }
    std::uint16_t id = static_cast<std::uint16_t>(firstId + i);
    ByteWriter data;
    if (cursor) {
      data.U16(planesOrHotX);
      data.U16(bitsOrHotY);
      dir.U16(width ? width : 256);
      dir.U16(static_cast<std::uint16_t>((height ? height : 256) * 2));  // with the AND mask
    } else {
      dir.U8(width);
      dir.U8(height);
      dir.U8(colours);
      dir.U8(0);
    }
    data.Bytes(image);
    dir.U16(planes);
    dir.U16(bits);
    dir.U32(static_cast<std::uint32_t>(data.Size()));
    dir.U16(id);
    group.images.push_back(data.Take());
  }
  group.directory = dir.Take();
  return group;
}

}  // namespace tolvar::rc
