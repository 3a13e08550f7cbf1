// CSkinScrollBar: a window's vertical scroll bar drawn flat in the kit's colours and run by the kit
// (see the header for how it stands in for the window manager's drawing).
#include "SkinScrollBar.h"

#include "FlatDrawing.h"

#include <gdi/Unique.h>
#include <kernel/Format.h>

#include <algorithm>

namespace {

constexpr UINT_PTR kRepeatTimer = 0x5B01;
constexpr UINT kFirstDelay = 200;  // ms before a held arrow or page click repeats
constexpr UINT kRepeatDelay = 50;  // ms between repeats
constexpr int kMinThumb = 6;
constexpr int kThumbInset = 2;  // the thumb is narrower than the bar by this much on each side
constexpr int kThumbGap = 1;    // and leaves this much of the track beside the arrows

bool IsMouse(UINT m) {
  return (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) || (m >= WM_NCMOUSEMOVE && m <= WM_NCMBUTTONDBLCLK);
}

// The highest position the page leaves room for.
int MaxPosition(const SCROLLINFO& info) {
  return std::max(info.nMin, info.nMax - std::max(static_cast<int>(info.nPage) - 1, 0));
}

WORD CodeOf(CSkinScrollBar::Part part) {
  using Part = CSkinScrollBar::Part;
  switch (part) {
    case Part::LineUp: return SB_LINEUP;
    case Part::LineDown: return SB_LINEDOWN;
    case Part::PageUp: return SB_PAGEUP;
    case Part::PageDown: return SB_PAGEDOWN;
    default: return SB_ENDSCROLL;
  }
}

void Fill(HDC dc, const RECT& rect, COLORREF colour) {
  tolvar::gdi::UniqueBrush brush(::CreateSolidBrush(colour));
  ::FillRect(dc, &rect, brush.Get());
}

// A solid triangle centred in `box`, pointing up or down, one pixel row at a time.
void DrawArrowGlyph(HDC dc, const RECT& box, bool up, COLORREF colour) {
  const int size = std::max(2, std::min(box.right - box.left, box.bottom - box.top) / 3);
  const int cx = (box.left + box.right) / 2;
  const int top = (box.top + box.bottom - size) / 2;
  for (int row = 0; row < size; ++row) {
    const int half = up ? row : size - 1 - row;
    const RECT line{cx - half, top + row, cx + half + 1, top + row + 1};
    Fill(dc, line, colour);
  }
}

POINT ScreenToWindow(HWND window, POINT screen) {
  RECT frame{};
  ::GetWindowRect(window, &frame);
  return POINT{screen.x - frame.left, screen.y - frame.top};
}

}  // namespace

void CSkinScrollBar::SetColours(COLORREF face, COLORREF glyph, COLORREF track) {
  m_face = face;
  m_glyph = glyph;
  m_track = track;
  Repaint();
}

SCROLLINFO CSkinScrollBar::Info() const {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  if (!m_owner || !::GetScrollInfo(m_owner, SB_VERT, &info)) info = SCROLLINFO{sizeof info, 0, 0, 0, 0, 0, 0};
  return info;
}

bool CSkinScrollBar::Scrollable() const {
  const SCROLLINFO info = Info();
  return info.nMin < MaxPosition(info);
}

RECT CSkinScrollBar::BarRect() const {
  if (!m_reserved || !m_owner) return RECT{};
  const RECT client = uikit::ClientInWindow(m_owner);
  return RECT{client.right, client.top, client.right + ::GetSystemMetrics(SM_CXVSCROLL), client.bottom};
}

CSkinScrollBar::Geometry CSkinScrollBar::Measure(const RECT& bar, const SCROLLINFO& info) const {
  Geometry g;
  g.length = bar.bottom - bar.top;
  g.arrow = std::min(::GetSystemMetrics(SM_CYVSCROLL), g.length / 2);
  const int track = g.length - 2 * g.arrow;
  const int maxPosition = MaxPosition(info);
  if (info.nMin >= maxPosition) return g;
  const int size = info.nPage ? std::max(kMinThumb, ::MulDiv(track, static_cast<int>(info.nPage), info.nMax - info.nMin + 1))
                              : ::GetSystemMetrics(SM_CYVTHUMB);
  if (size >= track) return g;
  const int value = std::clamp(m_tracking ? m_trackPos : info.nPos, info.nMin, maxPosition);
  g.thumbSize = size;
  g.thumbStart = g.arrow + ::MulDiv(track - size, value - info.nMin, maxPosition - info.nMin);
  return g;
}

int CSkinScrollBar::PositionAt(const Geometry& g, const SCROLLINFO& info, int thumbStart) const {
  const int room = g.length - 2 * g.arrow - g.thumbSize;
  if (room <= 0) return info.nMin;
  const int offset = std::clamp(thumbStart - g.arrow, 0, room);
  return info.nMin + ::MulDiv(offset, MaxPosition(info) - info.nMin, room);
}

CSkinScrollBar::Part CSkinScrollBar::PartAt(POINT p) const {
  const RECT bar = BarRect();
  if (!::PtInRect(&bar, p)) return Part::None;
  const Geometry g = Measure(bar, Info());
  const int along = p.y - bar.top;
  if (along < g.arrow) return Part::LineUp;
  if (along >= g.length - g.arrow) return Part::LineDown;
  if (!g.thumbSize) return Part::None;
  if (along < g.thumbStart) return Part::PageUp;
  if (along < g.thumbStart + g.thumbSize) return Part::Thumb;
  return Part::PageDown;
}

// ---- Painting --------------------------------------------------------------------------------------

void CSkinScrollBar::Paint(HDC dc) {
  const RECT bar = BarRect();
  if (::IsRectEmpty(&bar)) return;
  const SCROLLINFO info = Info();
  m_drawn = info;
  const Geometry g = Measure(bar, info);
  auto span = [&](int from, int to) { return RECT{bar.left, bar.top + from, bar.right, bar.top + to}; };

  Fill(dc, span(g.arrow, g.length - g.arrow), m_track);
  // A held page click shows its side of the track in the glyph colour.
  if (g.thumbSize && (m_pressed == Part::PageUp || m_pressed == Part::PageDown)) {
    Fill(dc, m_pressed == Part::PageUp ? span(g.arrow, g.thumbStart) : span(g.thumbStart + g.thumbSize, g.length - g.arrow),
         m_glyph);
  }
  // Pressed, an arrow shows inverted.
  const struct {
    Part part;
    RECT box;
    bool up;
  } arrows[] = {{Part::LineUp, span(0, g.arrow), true}, {Part::LineDown, span(g.length - g.arrow, g.length), false}};
  for (const auto& arrow : arrows) {
    const bool pressed = m_pressed == arrow.part;
    Fill(dc, arrow.box, pressed ? m_glyph : m_face);
    DrawArrowGlyph(dc, arrow.box, arrow.up, pressed ? m_face : m_glyph);
  }
  if (g.thumbSize) {
    RECT thumb = span(g.thumbStart, g.thumbStart + g.thumbSize);
    ::InflateRect(&thumb, -kThumbInset, -kThumbGap);
    Fill(dc, thumb, m_face);
  }
  // Beside a horizontal bar of the window manager's, the corner square takes the track colour.
  if (::GetWindowLongA(m_owner, GWL_STYLE) & WS_HSCROLL) {
    Fill(dc, RECT{bar.left, bar.bottom, bar.right, bar.bottom + ::GetSystemMetrics(SM_CYHSCROLL)}, m_track);
  }
}

void CSkinScrollBar::Repaint() {
  if (!m_owner || !m_reserved || !::IsWindowVisible(m_owner)) return;
  CWindowDC dc(CWnd::FromHandle(m_owner));
  if (dc.m_hDC) Paint(dc);
}

// ---- The owner's messages --------------------------------------------------------------------------

bool CSkinScrollBar::Before(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_NCHITTEST: {
      const POINT screen{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      const RECT bar = BarRect();
      const POINT at = ScreenToWindow(m_owner, screen);
      if (!::PtInRect(&bar, at)) return false;
      result = HTVSCROLL;
      return true;
    }
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
      if (wParam != HTVSCROLL || !m_reserved) return false;
      Track(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
      result = 0;
      return true;
    default: return false;
  }
}

void CSkinScrollBar::After(UINT message, WPARAM wParam, LPARAM lParam, LRESULT&) {
  switch (message) {
    case WM_NCCALCSIZE: {
      if (!lParam) return;
      RECT* rect = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
      // The window manager has just shown its bar and made room for it: the strip is ours from now
      // on (Sync takes the style back). Without the style, the strip stays while there is
      // something to scroll.
      if (::GetWindowLongA(m_owner, GWL_STYLE) & WS_VSCROLL) {
        m_reserved = true;
      } else if (m_reserved) {
        rect->right = std::max(rect->left, rect->right - ::GetSystemMetrics(SM_CXVSCROLL));
      }
      return;
    }
    case WM_NCPAINT: Repaint(); break;
    case WM_PRINT:
      if ((lParam & PRF_NONCLIENT) && wParam) Paint(reinterpret_cast<HDC>(wParam));
      break;
    case WM_NCDESTROY:
      m_owner = nullptr;
      m_reserved = false;
      return;
    default: break;
  }
  Sync();
}

void CSkinScrollBar::Sync() {
  if (m_syncing || !m_owner || !::IsWindow(m_owner)) return;
  m_syncing = true;
  // Changing the frame may change the client size and with it what the owner scrolls: a few rounds
  // until nothing moves.
  for (int round = 0; round < 4; ++round) {
    const DWORD style = static_cast<DWORD>(::GetWindowLongA(m_owner, GWL_STYLE));
    if (style & WS_VSCROLL) {
      ::SetWindowLongA(m_owner, GWL_STYLE, static_cast<LONG>(style & ~WS_VSCROLL));
      m_reserved = true;
    } else if (m_reserved && !Scrollable()) {
      // Where the window manager would hide its bar.
      m_reserved = false;
    } else {
      break;
    }
    ::SetWindowPos(m_owner, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
  if (m_reserved) {
    const SCROLLINFO now = Info();
    if (now.nMin != m_drawn.nMin || now.nMax != m_drawn.nMax || now.nPage != m_drawn.nPage || now.nPos != m_drawn.nPos)
      Repaint();
  }
  m_syncing = false;
}

// ---- The mouse -------------------------------------------------------------------------------------

void CSkinScrollBar::Scroll(WORD code, int position) {
  // The window manager keeps a drag's position only while it tracks its own bar; the owner reads
  // the position the thumb stands for from the bar (as a list control does), so it is set first.
  if (code == SB_THUMBTRACK || code == SB_THUMBPOSITION) ::SetScrollPos(m_owner, SB_VERT, position, FALSE);
  ::SendMessageA(m_owner, WM_VSCROLL, MAKEWPARAM(code, static_cast<WORD>(position)), 0);
}

void CSkinScrollBar::Track(POINT screen) {
  HWND owner = m_owner;
  const RECT bar = BarRect();
  const POINT start = ScreenToWindow(owner, screen);
  const Part pressed = PartAt(start);
  if (pressed == Part::None) return;
  ::SetCapture(owner);
  // Where in the thumb it was taken, so that it keeps that spot under the pointer.
  const int grip = start.y - bar.top - Measure(bar, Info()).thumbStart;
  m_pressed = pressed;
  if (pressed == Part::Thumb) {
    m_tracking = true;
    m_trackPos = Info().nPos;
    Repaint();
  } else {
    Repaint();
    Scroll(CodeOf(pressed), 0);
    ::SetTimer(owner, kRepeatTimer, kFirstDelay, nullptr);
  }
  MSG message{};
  while (::IsWindow(owner) && ::GetCapture() == owner) {
    if (!::GetMessageA(&message, nullptr, 0, 0)) {
      ::PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    const UINT m = message.message;
    if (m == WM_TIMER && message.hwnd == owner && message.wParam == kRepeatTimer) {
      POINT cursor{};
      ::GetCursorPos(&cursor);
      // A page click repeats only until the thumb reaches the pointer.
      if (PartAt(ScreenToWindow(owner, cursor)) == pressed) Scroll(CodeOf(pressed), 0);
      ::SetTimer(owner, kRepeatTimer, kRepeatDelay, nullptr);
      continue;
    }
    if (!IsMouse(m)) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
      continue;
    }
    const POINT at = ScreenToWindow(owner, message.pt);
    const bool up = m == WM_LBUTTONUP || m == WM_NCLBUTTONUP;
    if (pressed == Part::Thumb) {
      const SCROLLINFO info = Info();
      const int value = PositionAt(Measure(bar, info), info, at.y - bar.top - grip);
      if (value != m_trackPos) {
        m_trackPos = value;
        if (!up) Scroll(SB_THUMBTRACK, value);
        Repaint();
      }
    } else {
      // Off the part pressed, it shows released and does not repeat.
      const Part shown = PartAt(at) == pressed ? pressed : Part::None;
      if (shown != m_pressed) {
        m_pressed = shown;
        Repaint();
      }
    }
    if (up) break;
  }
  if (!::IsWindow(owner)) return;
  ::KillTimer(owner, kRepeatTimer);
  m_pressed = Part::None;
  if (pressed == Part::Thumb) {
    m_tracking = false;
    Scroll(SB_THUMBPOSITION, m_trackPos);
  }
  Scroll(SB_ENDSCROLL, 0);
  if (::GetCapture() == owner) ::ReleaseCapture();
  Repaint();
}
