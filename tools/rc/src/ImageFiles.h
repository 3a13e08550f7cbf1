#pragma once
// Bitmap, icon and cursor files as resources. A BITMAP resource is the DIB of a .bmp file without
// its 14-byte file header. An .ico/.cur file becomes one RT_GROUP_ICON/RT_GROUP_CURSOR directory
// naming one RT_ICON/RT_CURSOR resource per image; a cursor image is preceded by its hot spot.
// Errors are thrown as std::runtime_error with a message; the caller adds the script's place.
#include <cstdint>
#include <span>
#include <vector>

namespace tolvar::rc {

std::vector<std::uint8_t> BitmapResource(std::span<const std::uint8_t> file);

struct IconGroup {
  std::vector<std::uint8_t> directory;              // the group resource
  std::vector<std::vector<std::uint8_t>> images;    // the image resources, ids firstId, firstId+1...
};

IconGroup ReadIconFile(std::span<const std::uint8_t> file, bool cursor, std::uint16_t firstId);

}  // namespace tolvar::rc
