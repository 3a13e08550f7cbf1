// Flat scroll bars painted over the window's own.
#include "DeferScrollHook.h"

#include <gdi/Gdi.h>
#include <gdi/SysParams.h>
#include <user/Paint.h>

#include <algorithm>

FlatBarGeometry ComputeFlatBars(int width, int height, bool vertical, bool horizontal, int barWidth, int inset) {
  FlatBarGeometry g;
  g.vertical = vertical;
  g.horizontal = horizontal;
  const int left = inset, top = inset, right = width - inset, bottom = height - inset;
  // With both bars the corner square belongs to neither.
  if (vertical) g.verticalStrip = {right - barWidth, top, right, horizontal ? bottom - barWidth : bottom};
  if (horizontal) g.horizontalStrip = {left, bottom - barWidth, vertical ? right - barWidth : right, bottom};
  return g;
}

RECT FlatThumb(const RECT& strip, bool vertical, const SCROLLINFO& info) {
  const int length = vertical ? strip.bottom - strip.top : strip.right - strip.left;
  const int thickness = vertical ? strip.right - strip.left : strip.bottom - strip.top;
  const int track = length - 2 * thickness;
  const long long range = (long long)info.nMax - info.nMin + 1;
  if (track <= 0 || range <= 0 || (info.nPage > 0 && info.nPage >= range)) return {};
  int thumb = info.nPage ? int(track * (long long)info.nPage / range) : thickness;
  thumb = std::clamp(thumb, std::min(thickness, track), track);
  const long long span = range - std::max<long long>(info.nPage, 1);
  const int offset = span > 0 ? int((long long)(track - thumb) * (info.nPos - info.nMin) / span) : 0;
  const int start = thickness + std::clamp(offset, 0, track - thumb);
  return vertical ? RECT{strip.left, strip.top + start, strip.right, strip.top + start + thumb}
                  : RECT{strip.left + start, strip.top, strip.left + start + thumb, strip.bottom};
}

namespace {

void Fill(HDC dc, const RECT& r, COLORREF colour) {
  ::SetBkColor(dc, colour);
  ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, "", 0, nullptr);
}

// Outer frame highlight top-left and shadow bottom-right, inner frame in the face colour.
void Box(HDC dc, const RECT& r, COLORREF background) {
  Fill(dc, r, background);
  const COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT), dark = ::GetSysColor(COLOR_BTNSHADOW),
                 face = ::GetSysColor(COLOR_BTNFACE);
  Fill(dc, {r.left, r.top, r.right, r.top + 1}, light);
  Fill(dc, {r.left, r.top, r.left + 1, r.bottom}, light);
  Fill(dc, {r.left, r.bottom - 1, r.right, r.bottom}, dark);
  Fill(dc, {r.right - 1, r.top, r.right, r.bottom}, dark);
  const RECT inner{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
  Fill(dc, {inner.left, inner.top, inner.right, inner.top + 1}, face);
  Fill(dc, {inner.left, inner.top, inner.left + 1, inner.bottom}, face);
  Fill(dc, {inner.left, inner.bottom - 1, inner.right, inner.bottom}, face);
  Fill(dc, {inner.right - 1, inner.top, inner.right, inner.bottom}, face);
}

void PaintStrip(HDC dc, HWND window, const RECT& strip, bool vertical, COLORREF background) {
  Fill(dc, strip, background);
  const int thickness = vertical ? strip.right - strip.left : strip.bottom - strip.top;
  if (vertical) {
    Box(dc, {strip.left, strip.top, strip.right, strip.top + thickness}, background);
    Box(dc, {strip.left, strip.bottom - thickness, strip.right, strip.bottom}, background);
  } else {
    Box(dc, {strip.left, strip.top, strip.left + thickness, strip.bottom}, background);
    Box(dc, {strip.right - thickness, strip.top, strip.right, strip.bottom}, background);
  }
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
  if (::GetScrollInfo(window, vertical ? SB_VERT : SB_HORZ, &info)) {
    const RECT thumb = FlatThumb(strip, vertical, info);
    if (thumb.right > thumb.left && thumb.bottom > thumb.top) Box(dc, thumb, background);
  }
}

}  // namespace

LRESULT CDeferScrollHook::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT && message != WM_NCPAINT && message != WM_ENABLE) return Default(message, wParam, lParam);
  const LONG style = ::GetWindowLongA(m_hWnd, GWL_STYLE);
  if (!(style & (WS_VSCROLL | WS_HSCROLL))) return Default(message, wParam, lParam);
  Default(message, wParam, lParam);
  if (m_flat) PaintBars();
  return 0;
}

void CDeferScrollHook::PaintBars() {
  RECT window{};
  ::GetWindowRect(m_hWnd, &window);
  const int width = window.right - window.left, height = window.bottom - window.top;
  // A client edge leaves one pixel on each side when the client area starts 3 pixels inside.
  POINT origin{0, 0};
  ::ClientToScreen(m_hWnd, &origin);
  const bool edge = (::GetWindowLongA(m_hWnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) && origin.x - window.left >= 3;
  const LONG style = ::GetWindowLongA(m_hWnd, GWL_STYLE);
  const FlatBarGeometry g = ComputeFlatBars(width, height, style & WS_VSCROLL, style & WS_HSCROLL,
                                            ::GetSystemMetrics(SM_CXVSCROLL), edge ? 2 : 0);
  HDC dc = ::GetWindowDC(m_hWnd);
  if (!dc) return;
  const COLORREF oldBackground = ::GetBkColor(dc);
  if (g.vertical) PaintStrip(dc, m_hWnd, g.verticalStrip, true, m_background);
  if (g.horizontal) PaintStrip(dc, m_hWnd, g.horizontalStrip, false, m_background);
  ::SetBkColor(dc, oldBackground);
  ::ReleaseDC(m_hWnd, dc);
}
