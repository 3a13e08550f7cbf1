#pragma once
// CSkinScrollBar: the kit's flat look for a window's own vertical scroll bar, the one the kit's list
// shows when its rows do not fit. The window manager keeps the bar's state (range, page, position)
// as for any window; this object takes the drawing and the mouse over from it:
//
// - The window manager draws a window's bar, also straight away whenever its position changes,
//   only while the window has WS_VSCROLL. So the style is taken off again each time the window
//   manager sets it, and this object reserves the bar's strip at the right of the client area
//   itself (WM_NCCALCSIZE) while there is something to scroll.
// - It paints the strip in the owner's colours, flat: arrow buttons and thumb in the face colour
//   with glyphs in the glyph colour, the track in the track colour; a pressed part shows inverted.
// - It answers the hit test for the strip and runs the mouse itself: an arrow scrolls a line, the
//   track a page, both repeating while held; the thumb follows the pointer. The owner hears
//   WM_VSCROLL as from the window manager's bar. The wheel stays the owner's: the bar follows what
//   it scrolled.
//
// The owner routes its window procedure through Filter and keeps the colours up to date.
//
// Threads: the user-interface thread that owns the window.
#include <framework/Afx.h>

class CSkinScrollBar {
public:
  // The parts of the bar, in its order from the top.
  enum class Part { None, LineUp, PageUp, Thumb, PageDown, LineDown };

  CSkinScrollBar() = default;
  CSkinScrollBar(const CSkinScrollBar&) = delete;
  CSkinScrollBar& operator=(const CSkinScrollBar&) = delete;

  void SetColours(COLORREF face, COLORREF glyph, COLORREF track);
  COLORREF FaceColour() const { return m_face; }
  COLORREF GlyphColour() const { return m_glyph; }
  COLORREF TrackColour() const { return m_track; }

  // The owner's window procedure goes through here: `next` is the owner's own processing of the
  // message (the window manager's bar never shows while this object is in the way).
  template <class Next>
  LRESULT Filter(HWND owner, UINT message, WPARAM wParam, LPARAM lParam, Next&& next) {
    m_owner = owner;
    LRESULT result = 0;
    if (Before(message, wParam, lParam, result)) return result;
    result = next();
    After(message, wParam, lParam, result);
    return result;
  }

  // Whether the bar holds its strip, and where, in the owner's window coordinates (empty when not).
  bool IsShown() const { return m_reserved; }
  RECT BarRect() const;
  // The part under a point in window coordinates.
  Part PartAt(POINT windowPoint) const;
  // Draws the bar onto a DC of the owner's whole window (window coordinates).
  void Paint(HDC windowDC);

private:
  struct Geometry {
    int length = 0;
    int arrow = 0;
    int thumbStart = 0;
    int thumbSize = 0;  // 0: no thumb
  };

  bool Before(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  void After(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // Takes the style back and makes the frame follow the state after each message.
  void Sync();
  SCROLLINFO Info() const;
  bool Scrollable() const;
  Geometry Measure(const RECT& bar, const SCROLLINFO& info) const;
  int PositionAt(const Geometry& g, const SCROLLINFO& info, int thumbStart) const;
  void Repaint();
  void Track(POINT screen);
  void Scroll(WORD code, int position);

  HWND m_owner = nullptr;
  COLORREF m_face = 0x822A08;
  COLORREF m_glyph = 0xFF0000;
  COLORREF m_track = 0xFFFFFF;
  bool m_reserved = false;  // the frame holds the strip
  bool m_syncing = false;
  Part m_pressed = Part::None;  // shown pressed
  bool m_tracking = false;      // the thumb is being dragged
  int m_trackPos = 0;
  SCROLLINFO m_drawn{};  // the state the strip shows
};
