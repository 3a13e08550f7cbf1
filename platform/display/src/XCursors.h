#pragma once
// The X cursors that stand for the window manager's: the standard shapes as the X cursor font's
// nearest glyphs, any other cursor (a colour cursor from a .cur resource) as a full-colour cursor
// where the server takes one (RENDER, through Xcursor), else the arrow. Made once per handle, on
// the display's thread, and freed with the display.
#include <base/WinDef.h>

#include <X11/Xlib.h>

#include <map>

namespace tolvar::display {

class XCursors {
public:
  explicit XCursors(Display* display) : m_display(display) {}
  ~XCursors();
  XCursors(const XCursors&) = delete;
  XCursors& operator=(const XCursors&) = delete;

  // NULL hides the pointer, as SetCursor(NULL) does.
  Cursor For(HCURSOR cursor);

private:
  Cursor Make(HCURSOR cursor);
  Cursor FromPixels(HCURSOR cursor);

  Display* m_display;
  std::map<HCURSOR, Cursor> m_made;
  Cursor m_blank = None;
};

}  // namespace tolvar::display
