#pragma once
// CDeferScrollHook: draws the scroll bars of a list or edit window flat. It hangs on the window as a
// subclass hook (several hooks may share one window) and, after the window has painted itself for
// WM_PAINT, WM_NCPAINT or WM_ENABLE, paints its bars over: arrow boxes and thumb with a thin double
// frame on the background colour. The geometry is kept apart so it is tested without a window.
#include <SubclassWnd.h>

#include <user/ScrollBar.h>

struct FlatBarGeometry {
  bool vertical = false, horizontal = false;
  RECT verticalStrip{}, horizontalStrip{};
};
// The strips of the bars in a window of width x height (window coordinates), `inset` pixels in from
// each edge (a client edge).
FlatBarGeometry ComputeFlatBars(int width, int height, bool vertical, bool horizontal, int barWidth, int inset);
// The thumb of a strip: between the two square arrow boxes, as long as the page is of the range
// (at least a square), placed by the position; empty when nothing scrolls.
RECT FlatThumb(const RECT& strip, bool vertical, const SCROLLINFO& info);

class CDeferScrollHook : public CSubclassWnd {
 public:
  // Hooks the window (a null window unhooks).
  BOOL AttachHook(HWND control) { return HookWindow(control); }
  void SetBackground(COLORREF colour) { m_background = colour; }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void PaintBars();

  COLORREF m_background = RGB(0xFD, 0xEA, 0xE1) & 0xFFFFFF;
  bool m_flat = true;
};
