// Cursor shapes: a table from the built-in cursors to the cursor font, and colour cursors drawn
// into ARGB pixels.
#include "XCursors.h"

#include "IconPixels.h"

#include <gdi/Gdi.h>
#include <user/User.h>

#include <X11/Xcursor/Xcursor.h>
#include <X11/cursorfont.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tolvar::display {
namespace {

struct FontShape {
  LPCSTR name;
  unsigned shape;
};
// The standard cursors and their nearest glyphs of the X cursor font.
const FontShape kFontShapes[] = {
    {IDC_ARROW, XC_left_ptr},
    {IDC_IBEAM, XC_xterm},
    {IDC_WAIT, XC_watch},
    {IDC_APPSTARTING, XC_watch},
    {IDC_CROSS, XC_crosshair},
    {IDC_UPARROW, XC_sb_up_arrow},
    {IDC_SIZENWSE, XC_bottom_right_corner},
    {IDC_SIZENESW, XC_bottom_left_corner},
    {IDC_SIZEWE, XC_sb_h_double_arrow},
    {IDC_SIZENS, XC_sb_v_double_arrow},
    {IDC_SIZEALL, XC_fleur},
    {IDC_NO, XC_circle},
    {IDC_HAND, XC_hand2},
};

}  // namespace

XCursors::~XCursors() {
  for (auto& [handle, cursor] : m_made) XFreeCursor(m_display, cursor);
  if (m_blank) XFreeCursor(m_display, m_blank);
}

Cursor XCursors::For(HCURSOR cursor) {
  if (!cursor) {
    if (!m_blank) {
      // A cursor of one transparent pixel.
      char none = 0;
      Pixmap empty = XCreateBitmapFromData(m_display, DefaultRootWindow(m_display), &none, 1, 1);
      XColor black{};
      m_blank = XCreatePixmapCursor(m_display, empty, empty, &black, &black, 0, 0);
      XFreePixmap(m_display, empty);
    }
    return m_blank;
  }
  auto it = m_made.find(cursor);
  if (it != m_made.end()) return it->second;
  const Cursor made = Make(cursor);
  m_made[cursor] = made;
  return made;
}

Cursor XCursors::Make(HCURSOR cursor) {
  // The built-in cursors are shared handles: loading one again gives the same.
  for (const FontShape& row : kFontShapes) {
    if (LoadCursorA(nullptr, row.name) == cursor) return XCreateFontCursor(m_display, row.shape);
  }
  if (XcursorSupportsARGB(m_display)) {
    if (Cursor colour = FromPixels(cursor)) return colour;
  }
  return XCreateFontCursor(m_display, XC_left_ptr);
}

Cursor XCursors::FromPixels(HCURSOR cursor) {
  ICONINFO info{};
  if (!GetIconInfo(cursor, &info)) return None;
  BITMAP mask{};
  GetObjectA(info.hbmMask, sizeof mask, &mask);
  const int width = mask.bmWidth, height = info.hbmColor ? mask.bmHeight : mask.bmHeight / 2;
  if (info.hbmColor) DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  if (width <= 0 || height <= 0 || width > 256 || height > 256) return None;
  const std::vector<std::uint32_t> pixels = IconPixels(cursor, width, height, true);
  if (pixels.empty()) return None;
  XcursorImage* image = XcursorImageCreate(width, height);
  if (!image) return None;
  image->xhot = static_cast<XcursorDim>(std::min<int>(static_cast<int>(info.xHotspot), width - 1));
  image->yhot = static_cast<XcursorDim>(std::min<int>(static_cast<int>(info.yHotspot), height - 1));
  std::copy(pixels.begin(), pixels.end(), image->pixels);
  const Cursor made = XcursorImageLoadCursor(m_display, image);
  XcursorImageDestroy(image);
  return made;
}

}  // namespace tolvar::display
