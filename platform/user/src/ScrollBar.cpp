// Scroll bars: a window's own two (WS_HSCROLL, WS_VSCROLL) in its non-client area, and the
// "ScrollBar" control. Both keep the same state (range, page, position, disabled arrows), are laid
// out and drawn by the same code in the classic look (arrow buttons, a track, a thumb whose length
// shows the page against the range), and are tracked by the same modal loop while the mouse button
// is held: an arrow or a page click repeats on the window manager's timers, a thumb drag reports
// where the thumb is; the loop ends with SB_ENDSCROLL when the button is released.
//
// The state lives in the window object (Window::scrollBars), one record per bar, made on first use.
#include "Internal.h"

#include <user/Cursor.h>
#include <user/Input.h>
#include <user/Paint.h>
#include <user/ScrollBar.h>
#include <user/WindowPos.h>

#include <base/LastError.h>
#include <base/WinError.h>
#include <gdi/Gdi.h>

#include <algorithm>

namespace tolvar::user {

struct ScrollInfo {
  int min = 0;
  int max = 100;
  UINT page = 0;
  int pos = 0;
  int trackPos = 0;
  UINT disabled = ESB_ENABLE_BOTH;  // ESB_DISABLE_ bits
  bool tracking = false;
};

struct ScrollBars {
  ScrollInfo bars[3];  // SB_HORZ, SB_VERT, SB_CTL
};

namespace {

constexpr const char* kScrollBarClass = "ScrollBar";
constexpr UINT_PTR kScrollTimer = 0xFFFB;
constexpr UINT kFirstDelay = 200;   // ms before a held arrow or page click repeats
constexpr UINT kRepeatDelay = 50;   // ms between repeats
constexpr int kMinThumb = 6;

enum class Part { None, ArrowLess, PageLess, Thumb, PageMore, ArrowMore };

// Under ProcessLock(). Null when the window is not this process's or the bar index is wrong.
ScrollInfo* InfoOf(Window& window, int bar) {
  if (bar < SB_HORZ || bar > SB_CTL) return nullptr;
  if (!window.scrollBars) window.scrollBars = std::make_shared<ScrollBars>();
  return &window.scrollBars->bars[bar];
}

std::optional<ScrollInfo> ReadInfo(HWND window, int bar) {
  auto local = FindLocal(window);
  if (!local) return std::nullopt;
  std::lock_guard guard(ProcessLock());
  ScrollInfo* info = InfoOf(*local, bar);
  if (!info) return std::nullopt;
  return *info;
}

// The state as drawn: a disabled control shows both arrows disabled and no thumb.
std::optional<ScrollInfo> ShownInfo(HWND window, int bar) {
  auto info = ReadInfo(window, bar);
  if (info && bar == SB_CTL && !IsWindowEnabled(window)) info->disabled = ESB_DISABLE_BOTH;
  return info;
}

template <class F>
bool ChangeInfo(HWND window, int bar, F&& change) {
  auto local = FindLocal(window);
  if (!local) return false;
  std::lock_guard guard(ProcessLock());
  ScrollInfo* info = InfoOf(*local, bar);
  if (!info) return false;
  change(*info);
  return true;
}

// The highest position the page leaves room for.
int MaxPosition(const ScrollInfo& info) {
  return std::max(info.min, info.max - std::max(static_cast<int>(info.page) - 1, 0));
}

bool Scrollable(const ScrollInfo& info) { return info.min < info.max - std::max(static_cast<int>(info.page) - 1, 0); }

bool Vertical(HWND window, int bar) {
  if (bar == SB_CTL) return (StyleOf(window) & SBS_VERT) != 0;
  return bar == SB_VERT;
}

// The bar's rectangle: for a window bar in window coordinates, for the control its client area.
// False when the window shows no such bar.
bool BarRect(HWND window, int bar, RECT& rect) {
  auto slot = ReadSlot(window);
  if (!slot) return false;
  if (bar == SB_CTL) {
    rect = {0, 0, slot->client.right - slot->client.left, slot->client.bottom - slot->client.top};
    return true;
  }
  RECT client = slot->client;
  OffsetRect(&client, -slot->window.left, -slot->window.top);
  if (bar == SB_VERT) {
    if (!(slot->style & WS_VSCROLL)) return false;
    const int width = GetSystemMetrics(SM_CXVSCROLL);
    rect = (slot->exStyle & WS_EX_LEFTSCROLLBAR) ? RECT{client.left - width, client.top, client.left, client.bottom}
                                                 : RECT{client.right, client.top, client.right + width, client.bottom};
    return true;
  }
  if (!(slot->style & WS_HSCROLL)) return false;
  rect = {client.left, client.bottom, client.right, client.bottom + GetSystemMetrics(SM_CYHSCROLL)};
  return true;
}

// Where the parts lie along the bar, in pixels from its start.
struct Geometry {
  int length = 0;
  int arrow = 0;
  int thumbStart = 0;
  int thumbSize = 0;  // 0: no thumb (nothing to scroll, disabled, or no room)
};

Geometry Measure(const RECT& rect, bool vertical, const ScrollInfo& info) {
  Geometry g;
  g.length = vertical ? rect.bottom - rect.top : rect.right - rect.left;
  g.arrow = std::min(GetSystemMetrics(vertical ? SM_CYVSCROLL : SM_CXHSCROLL), g.length / 2);
  const int track = g.length - 2 * g.arrow;
  if (!Scrollable(info) || info.disabled == ESB_DISABLE_BOTH) return g;
  int size = info.page ? std::max(kMinThumb, MulDiv(track, static_cast<int>(info.page), info.max - info.min + 1))
                       : GetSystemMetrics(vertical ? SM_CYVTHUMB : SM_CXHTHUMB);
  if (size >= track) return g;
  const int value = info.tracking ? info.trackPos : info.pos;
  g.thumbSize = size;
  g.thumbStart = g.arrow + MulDiv(track - size, value - info.min, MaxPosition(info) - info.min);
  return g;
}

// The position a thumb whose start lies at `start` (pixels from the bar's start) stands for.
int PositionAt(const Geometry& g, const ScrollInfo& info, int start) {
  const int room = g.length - 2 * g.arrow - g.thumbSize;
  if (room <= 0) return info.min;
  const int offset = std::clamp(start - g.arrow, 0, room);
  return info.min + MulDiv(offset, MaxPosition(info) - info.min, room);
}

Part PartAt(const RECT& rect, bool vertical, const ScrollInfo& info, POINT p) {
  if (!PtInRect(&rect, p)) return Part::None;
  const Geometry g = Measure(rect, vertical, info);
  const int along = vertical ? p.y - rect.top : p.x - rect.left;
  if (along < g.arrow) return (info.disabled & ESB_DISABLE_LTUP) ? Part::None : Part::ArrowLess;
  if (along >= g.length - g.arrow) return (info.disabled & ESB_DISABLE_RTDN) ? Part::None : Part::ArrowMore;
  if (!g.thumbSize) return Part::None;
  if (along < g.thumbStart) return Part::PageLess;
  if (along < g.thumbStart + g.thumbSize) return Part::Thumb;
  return Part::PageMore;
}

// The span [from, to) along the bar as a rectangle.
RECT Span(const RECT& rect, bool vertical, int from, int to) {
  return vertical ? RECT{rect.left, rect.top + from, rect.right, rect.top + to}
                  : RECT{rect.left + from, rect.top, rect.left + to, rect.bottom};
}

void DrawBar(HDC hdc, const RECT& rect, bool vertical, const ScrollInfo& info, Part pressed, HBRUSH track) {
  if (IsRectEmpty(&rect)) return;
  const Geometry g = Measure(rect, vertical, info);
  const bool noScroll = !Scrollable(info) && info.disabled == ESB_DISABLE_BOTH;
  struct Arrow {
    Part part;
    int from, to;
    UINT glyph;
    UINT disabledBit;
  };
  const Arrow arrows[] = {
      {Part::ArrowLess, 0, g.arrow, vertical ? DFCS_SCROLLUP : DFCS_SCROLLLEFT, ESB_DISABLE_LTUP},
      {Part::ArrowMore, g.length - g.arrow, g.length, vertical ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT, ESB_DISABLE_RTDN},
  };
  for (const Arrow& a : arrows) {
    RECT r = Span(rect, vertical, a.from, a.to);
    UINT state = a.glyph | (pressed == a.part ? DFCS_PUSHED | DFCS_FLAT : 0u) |
                 (((info.disabled & a.disabledBit) || noScroll) ? DFCS_INACTIVE : 0u);
    DrawFrameControl(hdc, &r, DFC_SCROLL, state);
  }
  RECT body = Span(rect, vertical, g.arrow, g.length - g.arrow);
  FillRect(hdc, &body, track);
  if (!g.thumbSize) return;
  // A held page click shows its side of the track dark.
  if (pressed == Part::PageLess || pressed == Part::PageMore) {
    RECT dark = pressed == Part::PageLess ? Span(rect, vertical, g.arrow, g.thumbStart)
                                          : Span(rect, vertical, g.thumbStart + g.thumbSize, g.length - g.arrow);
    FillRect(hdc, &dark, GetSysColorBrush(COLOR_3DDKSHADOW));
  }
  RECT thumb = Span(rect, vertical, g.thumbStart, g.thumbStart + g.thumbSize);
  FillRect(hdc, &thumb, GetSysColorBrush(COLOR_3DFACE));
  DrawEdge(hdc, &thumb, EDGE_RAISED, BF_RECT);
}

// The classic track: a fine checkerboard of the face and highlight colours, so that the track shows
// against a thumb of the face colour. The brush is a monochrome pattern: the DC's text and
// background colours paint it.
HBRUSH ClassicTrack(HDC hdc) {
  static HBRUSH brush = [] {
    const WORD rows[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    HBITMAP pattern = CreateBitmap(8, 8, 1, 1, rows);
    HBRUSH made = CreatePatternBrush(pattern);
    DeleteObject(pattern);
    return made;
  }();
  SetTextColor(hdc, GetSysColor(COLOR_3DFACE));
  SetBkColor(hdc, GetSysColor(COLOR_3DHILIGHT));
  return brush;
}

// The brush of the control's track: its parent chooses it, as for every control; the default
// answer stands for the classic track.
HBRUSH ControlTrackBrush(HWND control, HDC hdc) {
  HWND parent = GetParent(control);
  LRESULT brush = SendMessageA(parent ? parent : control, WM_CTLCOLORSCROLLBAR, reinterpret_cast<WPARAM>(hdc),
                               reinterpret_cast<LPARAM>(control));
  if (!brush || reinterpret_cast<HBRUSH>(brush) == GetSysColorBrush(COLOR_SCROLLBAR)) return ClassicTrack(hdc);
  return reinterpret_cast<HBRUSH>(brush);
}

void PaintBar(HWND window, int bar, Part pressed) {
  if (!IsWindowVisible(window)) return;
  RECT rect;
  auto info = ShownInfo(window, bar);
  if (!info || !BarRect(window, bar, rect)) return;
  HDC hdc = bar == SB_CTL ? GetDC(window) : GetWindowDC(window);
  if (!hdc) return;
  HBRUSH track = bar == SB_CTL ? ControlTrackBrush(window, hdc) : ClassicTrack(hdc);
  DrawBar(hdc, rect, Vertical(window, bar), *info, pressed, track);
  ReleaseDC(window, hdc);
}

void Notify(HWND window, int bar, WORD code, int position) {
  const UINT message = Vertical(window, bar) ? WM_VSCROLL : WM_HSCROLL;
  const WPARAM wParam = MAKEWPARAM(code, static_cast<WORD>(position));
  if (bar == SB_CTL) {
    HWND parent = GetParent(window);
    if (parent) SendMessageA(parent, message, wParam, reinterpret_cast<LPARAM>(window));
  } else {
    SendMessageA(window, message, wParam, 0);
  }
}

// A screen point in the coordinates of BarRect.
POINT BarPoint(HWND window, int bar, POINT screen) {
  if (bar == SB_CTL) {
    ScreenToClient(window, &screen);
    return screen;
  }
  RECT frame{};
  GetWindowRect(window, &frame);
  return {screen.x - frame.left, screen.y - frame.top};
}

WORD CodeOf(Part part) {
  switch (part) {
    case Part::ArrowLess: return SB_LINEUP;
    case Part::ArrowMore: return SB_LINEDOWN;
    case Part::PageLess: return SB_PAGEUP;
    case Part::PageMore: return SB_PAGEDOWN;
    default: return SB_ENDSCROLL;
  }
}

bool IsMouse(UINT m) {
  return (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) || (m >= WM_NCMOUSEMOVE && m <= WM_NCMBUTTONDBLCLK);
}

// Shows or hides a window bar by its style and recomputes the frame; true when the style changed.
bool ShowWindowBar(HWND window, int bar, bool show) {
  const DWORD bits = bar == SB_BOTH ? (WS_HSCROLL | WS_VSCROLL) : bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
  bool changed = false;
  WriteSlot(window, [&](WindowSlot& slot) {
    const DWORD style = show ? (slot.style | bits) : (slot.style & ~bits);
    changed = style != slot.style;
    slot.style = style;
  });
  if (changed) {
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
  return changed;
}

// The state change behind SetScrollInfo and SBM_SETSCROLLINFO; returns the new position.
int ApplyScrollInfo(HWND window, int bar, const SCROLLINFO& si, bool redraw) {
  enum { kKeep, kShow, kHide } visibility = kKeep;
  bool repaint = redraw;
  int position = 0;
  const bool ok = ChangeInfo(window, bar, [&](ScrollInfo& info) {
    bool paramsChanged = false;
    if ((si.fMask & SIF_PAGE) && info.page != si.nPage) {
      info.page = si.nPage;
      paramsChanged = true;
    }
    if (si.fMask & SIF_RANGE) {
      // A range upside down or wider than an int can count is taken as empty.
      if (si.nMin > si.nMax || static_cast<unsigned>(si.nMax) - static_cast<unsigned>(si.nMin) >= 0x80000000u) {
        paramsChanged = paramsChanged || info.min != 0 || info.max != 0;
        info.min = info.max = 0;
      } else if (info.min != si.nMin || info.max != si.nMax) {
        info.min = si.nMin;
        info.max = si.nMax;
        paramsChanged = true;
      }
    }
    const long long span = static_cast<long long>(info.max) - info.min + 1;
    if (static_cast<long long>(info.page) > span) info.page = static_cast<UINT>(span);
    if (si.fMask & SIF_POS) info.pos = si.nPos;
    info.pos = std::clamp(info.pos, info.min, MaxPosition(info));
    if (si.fMask & (SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL)) {
      if (!Scrollable(info)) {
        if (si.fMask & SIF_DISABLENOSCROLL) {
          info.disabled = ESB_DISABLE_BOTH;
          repaint = true;
        } else if (bar != SB_CTL && paramsChanged) {
          visibility = kHide;
        }
      } else if (si.fMask != SIF_PAGE) {
        // A bar that has something to scroll again is enabled (and shown), unless only its page moved.
        if (info.disabled == ESB_DISABLE_BOTH) repaint = true;
        info.disabled = ESB_ENABLE_BOTH;
        if (bar != SB_CTL && paramsChanged) visibility = kShow;
      }
    }
    position = info.pos;
  });
  if (!ok) return 0;
  if (visibility != kKeep && ShowWindowBar(window, bar, visibility == kShow)) return position;
  if (repaint) PaintBar(window, bar, Part::None);
  return position;
}

BOOL ReadScrollInfo(HWND window, int bar, SCROLLINFO& si) {
  auto info = ReadInfo(window, bar);
  if (!info) return FALSE;
  if (si.fMask & SIF_RANGE) {
    si.nMin = info->min;
    si.nMax = info->max;
  }
  if (si.fMask & SIF_PAGE) si.nPage = info->page;
  if (si.fMask & SIF_POS) si.nPos = info->pos;
  if (si.fMask & SIF_TRACKPOS) si.nTrackPos = info->tracking ? info->trackPos : info->pos;
  return (si.fMask & SIF_ALL) ? TRUE : FALSE;
}

bool ValidBar(HWND window, int bar) {
  if (bar < SB_HORZ || bar > SB_CTL) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (!IsWindow(window)) return InvalidWindow(false);
  if (!FindLocal(window)) {
    SetLastError(ERROR_ACCESS_DENIED);  // the state lives with the window's own process
    return false;
  }
  return true;
}

// Keys the focused control answers, as its parent would see them from a mouse.
struct KeyCode {
  int key;
  WORD code;
};
constexpr KeyCode kControlKeys[] = {
    {VK_UP, SB_LINEUP},   {VK_LEFT, SB_LINEUP},   {VK_DOWN, SB_LINEDOWN}, {VK_RIGHT, SB_LINEDOWN},
    {VK_PRIOR, SB_PAGEUP}, {VK_NEXT, SB_PAGEDOWN}, {VK_HOME, SB_TOP},     {VK_END, SB_BOTTOM},
};

LRESULT ScrollBarControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      // The control starts with an empty range, as the control does on Windows.
      SCROLLINFO si{sizeof si, SIF_RANGE, 0, 0, 0, 0, 0};
      ApplyScrollInfo(window, SB_CTL, si, false);
      return 0;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC hdc = BeginPaint(window, &paint);
      RECT rect;
      auto info = ShownInfo(window, SB_CTL);
      if (info && BarRect(window, SB_CTL, rect)) {
        DrawBar(hdc, rect, Vertical(window, SB_CTL), *info, Part::None, ControlTrackBrush(window, hdc));
      }
      EndPaint(window, &paint);
      return 0;
    }
    case WM_ERASEBKGND: return 1;  // the bar covers its whole client area
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      POINT screen{static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(lParam))),
                   static_cast<SHORT>(HIWORD(static_cast<DWORD_PTR>(lParam)))};
      ClientToScreen(window, &screen);
      TrackScrollBar(window, SB_CTL, screen);
      return 0;
    }
    case WM_KEYDOWN:
      for (const KeyCode& k : kControlKeys) {
        if (static_cast<int>(wParam) != k.key) continue;
        Notify(window, SB_CTL, k.code, 0);
        Notify(window, SB_CTL, SB_ENDSCROLL, 0);
        break;
      }
      return 0;
    case WM_GETDLGCODE: return 0x0001;  // DLGC_WANTARROWS
    case WM_ENABLE:
      PaintBar(window, SB_CTL, Part::None);
      return 0;
    case SBM_SETPOS: {
      const int old = GetScrollPos(window, SB_CTL);
      SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, static_cast<int>(wParam), 0};
      ApplyScrollInfo(window, SB_CTL, si, lParam != 0);
      return old;
    }
    case SBM_GETPOS: {
      auto info = ReadInfo(window, SB_CTL);
      return info ? info->pos : 0;
    }
    case SBM_SETRANGE:
    case SBM_SETRANGEREDRAW: {
      const int old = GetScrollPos(window, SB_CTL);
      SCROLLINFO si{sizeof si, SIF_RANGE, static_cast<int>(wParam), static_cast<int>(lParam), 0, 0, 0};
      ApplyScrollInfo(window, SB_CTL, si, message == SBM_SETRANGEREDRAW);
      return old;
    }
    case SBM_GETRANGE: {
      auto info = ReadInfo(window, SB_CTL);
      if (info && wParam) *reinterpret_cast<LPINT>(wParam) = info->min;
      if (info && lParam) *reinterpret_cast<LPINT>(lParam) = info->max;
      return 0;
    }
    case SBM_ENABLE_ARROWS: {
      bool changed = false;
      ChangeInfo(window, SB_CTL, [&](ScrollInfo& info) {
        changed = info.disabled != (static_cast<UINT>(wParam) & ESB_DISABLE_BOTH);
        info.disabled = static_cast<UINT>(wParam) & ESB_DISABLE_BOTH;
      });
      if (changed) PaintBar(window, SB_CTL, Part::None);
      return changed;
    }
    case SBM_SETSCROLLINFO:
      if (!lParam) return 0;
      return ApplyScrollInfo(window, SB_CTL, *reinterpret_cast<const SCROLLINFO*>(lParam), wParam != 0);
    case SBM_GETSCROLLINFO:
      if (!lParam) return FALSE;
      return ReadScrollInfo(window, SB_CTL, *reinterpret_cast<SCROLLINFO*>(lParam));
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

void DrawWindowScrollBars(HWND window, HDC hdc) {
  RECT vertical{}, horizontal{};
  const bool hasVertical = BarRect(window, SB_VERT, vertical);
  const bool hasHorizontal = BarRect(window, SB_HORZ, horizontal);
  for (int bar : {SB_VERT, SB_HORZ}) {
    const RECT& rect = bar == SB_VERT ? vertical : horizontal;
    if (!(bar == SB_VERT ? hasVertical : hasHorizontal)) continue;
    auto info = ReadInfo(window, bar);
    if (info) DrawBar(hdc, rect, bar == SB_VERT, *info, Part::None, ClassicTrack(hdc));
  }
  if (hasVertical && hasHorizontal) {
    // The square where the two bars meet.
    RECT corner{vertical.left, horizontal.top, vertical.right, horizontal.bottom};
    FillRect(hdc, &corner, GetSysColorBrush(COLOR_3DFACE));
  }
}

void TrackScrollBar(HWND window, int bar, POINT screen) {
  RECT rect;
  auto start = ReadInfo(window, bar);
  if (!start || !BarRect(window, bar, rect)) return;
  const bool vertical = Vertical(window, bar);
  const Part pressed = PartAt(rect, vertical, *start, BarPoint(window, bar, screen));
  if (pressed == Part::None) return;
  SetCapture(window);
  // Where in the thumb it was taken, so that it keeps that spot under the pointer.
  const Geometry startGeometry = Measure(rect, vertical, *start);
  const POINT startPoint = BarPoint(window, bar, screen);
  const int grip = (vertical ? startPoint.y - rect.top : startPoint.x - rect.left) - startGeometry.thumbStart;
  if (pressed == Part::Thumb) {
    ChangeInfo(window, bar, [](ScrollInfo& info) {
      info.tracking = true;
      info.trackPos = info.pos;
    });
    PaintBar(window, bar, Part::None);
  } else {
    PaintBar(window, bar, pressed);
    Notify(window, bar, CodeOf(pressed), 0);
    SetTimer(window, kScrollTimer, kFirstDelay, nullptr);
  }
  bool over = true;  // the pointer is over the part pressed
  MSG message;
  while (IsWindow(window) && GetCapture() == window) {
    if (!GetMessageA(&message, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    const UINT m = message.message;
    if (m == WM_TIMER && message.hwnd == window && message.wParam == kScrollTimer) {
      auto info = ReadInfo(window, bar);
      POINT cursor{};
      GetCursorPos(&cursor);
      // A page click repeats only until the thumb reaches the pointer.
      if (info && PartAt(rect, vertical, *info, BarPoint(window, bar, cursor)) == pressed) {
        Notify(window, bar, CodeOf(pressed), 0);
        PaintBar(window, bar, pressed);
      }
      SetTimer(window, kScrollTimer, kRepeatDelay, nullptr);
      continue;
    }
    if (!IsMouse(m)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
      continue;
    }
    NoteInputMessage(message);
    const POINT p = BarPoint(window, bar, message.pt);
    const bool up = m == WM_LBUTTONUP || m == WM_NCLBUTTONUP;
    if (pressed == Part::Thumb) {
      auto info = ReadInfo(window, bar);
      if (!info) break;
      const Geometry g = Measure(rect, vertical, *info);
      const int value = PositionAt(g, *info, (vertical ? p.y - rect.top : p.x - rect.left) - grip);
      if (value != info->trackPos) {
        ChangeInfo(window, bar, [&](ScrollInfo& i) { i.trackPos = value; });
        PaintBar(window, bar, Part::None);
        if (!up) Notify(window, bar, SB_THUMBTRACK, value);
      }
    } else {
      auto info = ReadInfo(window, bar);
      const bool now = info && PartAt(rect, vertical, *info, p) == pressed;
      if (now != over) PaintBar(window, bar, now ? pressed : Part::None);
      over = now;
    }
    if (up) break;
  }
  if (!IsWindow(window)) return;
  KillTimer(window, kScrollTimer);
  if (pressed == Part::Thumb) {
    int value = 0;
    ChangeInfo(window, bar, [&](ScrollInfo& info) {
      value = info.trackPos;
      info.tracking = false;
    });
    Notify(window, bar, SB_THUMBPOSITION, value);
  }
  if (IsWindow(window)) Notify(window, bar, SB_ENDSCROLL, 0);
  if (GetCapture() == window) ReleaseCapture();
  PaintBar(window, bar, Part::None);
}

void RegisterScrollBarClass() {
  WNDCLASSA wc{};
  wc.style = CS_DBLCLKS | CS_VREDRAW | CS_HREDRAW;
  wc.lpfnWndProc = ScrollBarControlProc;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = kScrollBarClass;
  RegisterClassA(&wc);
}

}  // namespace tolvar::user

using namespace tolvar::user;

int SetScrollInfo(HWND window, int bar, LPCSCROLLINFO info, BOOL redraw) {
  if (!info || !ValidBar(window, bar)) {
    if (!info) SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (bar == SB_CTL) {
    return static_cast<int>(SendMessageA(window, SBM_SETSCROLLINFO, redraw, reinterpret_cast<LPARAM>(info)));
  }
  return ApplyScrollInfo(window, bar, *info, redraw != FALSE);
}

BOOL GetScrollInfo(HWND window, int bar, LPSCROLLINFO info) {
  if (!info || !ValidBar(window, bar)) {
    if (!info) SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (bar == SB_CTL) return static_cast<BOOL>(SendMessageA(window, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(info)));
  return ReadScrollInfo(window, bar, *info);
}

int SetScrollPos(HWND window, int bar, int position, BOOL redraw) {
  if (!ValidBar(window, bar)) return 0;
  const int old = GetScrollPos(window, bar);
  SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, position, 0};
  SetScrollInfo(window, bar, &si, redraw);
  return old;
}

int GetScrollPos(HWND window, int bar) {
  SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, 0, 0};
  return GetScrollInfo(window, bar, &si) ? si.nPos : 0;
}

BOOL SetScrollRange(HWND window, int bar, int minimum, int maximum, BOOL redraw) {
  if (!ValidBar(window, bar)) return FALSE;
  if (static_cast<long long>(maximum) - minimum > 0x7FFFFFFF) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  SCROLLINFO si{sizeof si, SIF_RANGE, minimum, maximum, 0, 0, 0};
  SetScrollInfo(window, bar, &si, redraw);
  return TRUE;
}

BOOL GetScrollRange(HWND window, int bar, LPINT minimum, LPINT maximum) {
  SCROLLINFO si{sizeof si, SIF_RANGE, 0, 0, 0, 0, 0};
  const BOOL ok = GetScrollInfo(window, bar, &si);
  if (minimum) *minimum = ok ? si.nMin : 0;
  if (maximum) *maximum = ok ? si.nMax : 0;
  return ok;
}

BOOL ShowScrollBar(HWND window, int bar, BOOL show) {
  if (!IsWindow(window)) return InvalidWindow(FALSE);
  if (bar == SB_CTL) {
    ShowWindow(window, show ? SW_SHOW : SW_HIDE);
    return TRUE;
  }
  if (bar < SB_HORZ || bar > SB_BOTH) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  ShowWindowBar(window, bar, show != FALSE);
  return TRUE;
}

BOOL EnableScrollBar(HWND window, UINT bar, UINT arrows) {
  if (!IsWindow(window)) return InvalidWindow(FALSE);
  if (bar == SB_CTL) return static_cast<BOOL>(SendMessageA(window, SBM_ENABLE_ARROWS, arrows, 0));
  if (bar > SB_BOTH) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  bool changed = false;
  for (int b : {SB_HORZ, SB_VERT}) {
    if (bar != SB_BOTH && static_cast<int>(bar) != b) continue;
    ChangeInfo(window, b, [&](ScrollInfo& info) {
      changed = changed || info.disabled != (arrows & ESB_DISABLE_BOTH);
      info.disabled = arrows & ESB_DISABLE_BOTH;
    });
    if (changed) PaintBar(window, b, Part::None);
  }
  return changed ? TRUE : FALSE;
}
