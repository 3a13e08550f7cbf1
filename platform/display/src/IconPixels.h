#pragma once
// An icon or cursor as 32-bit ARGB pixels for X (window icons, colour cursors). Its alpha is found
// by drawing it over black and over white: where the two differ it lets the background through,
// whatever form (masked or 32-bit) it has.
#include <base/WinDef.h>

#include <cstdint>
#include <vector>

namespace tolvar::display {

// `width` x `height` pixels, row by row; colours premultiplied by their alpha (as Xcursor wants
// them) or straight (as _NET_WM_ICON wants them). Empty when it cannot be drawn.
std::vector<std::uint32_t> IconPixels(HICON icon, int width, int height, bool premultiplied);

}  // namespace tolvar::display
