// The caption painter: cached caption bitmaps made by the frame, and the gradient the frame paints.
#include "CaptionPainter.h"

#include "LauncherMessages.h"

#include <user/DisplayBackend.h>

#include <algorithm>

namespace {

constexpr COLORREF kActiveEnd = 0xD08410;    // red 16, green 132, blue 208
constexpr COLORREF kInactiveEnd = 0xB8B4B8;
constexpr int kDarkBelow = 101;              // lightness under which the title is white

int Interpolate(int from, int to, int step, int steps) { return from + (to - from) * step / steps; }

}  // namespace

RECT CaptionRect(HWND window) {
  RECT bounds;
  GetWindowRect(window, &bounds);
  const LONG style = GetWindowLongA(window, GWL_STYLE);
  const bool sizable = (style & WS_THICKFRAME) != 0;
  const int frameX = GetSystemMetrics(sizable ? SM_CXFRAME : SM_CXDLGFRAME);
  const int frameY = GetSystemMetrics(sizable ? SM_CYFRAME : SM_CYDLGFRAME);
  const int width = bounds.right - bounds.left;
  return RECT{frameX, frameY, width - frameX, frameY + GetSystemMetrics(SM_CYCAPTION) - GetSystemMetrics(SM_CYBORDER)};
}

int ColourLightness(COLORREF colour) {
  const int red = GetRValue(colour), green = GetGValue(colour), blue = GetBValue(colour);
  const int high = std::max({red, green, blue});
  const int low = std::min({red, green, blue});
  return ((high + low) * 240 + 255) / 510;
}

void PaintCaptionGradient(HDC dc, int width, int height, bool active, LPCSTR title, HFONT font, int textLeft,
                          int textRight) {
  const COLORREF start = GetSysColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
  const COLORREF end = active ? kActiveEnd : kInactiveEnd;
  const int split = width * 5 / 6;
  const int band = std::max(1, width * 5 / 384);
  auto fill = [dc](int left, int right, int h, COLORREF colour) {
    RECT rect{left, 0, right, h};
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
  };
  fill(split, width, height, end);
  // Bands from the split leftwards, each coloured by its distance from the split.
  int x = split;
  while (x > band) {
    const int distance = split - (x - band);
    const COLORREF colour = RGB(Interpolate(GetRValue(end), GetRValue(start), distance, split),
                                Interpolate(GetGValue(end), GetGValue(start), distance, split),
                                Interpolate(GetBValue(end), GetBValue(start), distance, split));
    fill(x - band, x, height, colour);
    x -= band;
  }
  fill(0, x, height, start);

  if (!title || !*title) return;
  HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColourLightness(start) < kDarkBelow ? RGB(255, 255, 255) : RGB(0, 0, 0));
  RECT text{textLeft, 0, textRight, height};
  DrawTextA(dc, title, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  if (oldFont) SelectObject(dc, oldFont);
}

BOOL CCaptionPainter::Install(HWND frame, UINT repaintMessage, DWORD) {
  if (m_hWnd && m_hWnd != frame) Uninstall();
  m_repaintMessage = repaintMessage;
  if (!HookWindow(frame)) return FALSE;
  tolvar::user::SetOwnCaption(frame, true);
  return TRUE;
}

void CCaptionPainter::Uninstall() {
  // A window being destroyed has been unhooked already; its flag goes with it.
  if (m_hWnd) tolvar::user::SetOwnCaption(m_hWnd, false);
  CSubclassWnd::Unhook();
}

void CCaptionPainter::SetTitle(LPCSTR title) {
  m_title = title ? title : "";
  DropCache();
}

void CCaptionPainter::DropCache() {
  m_cache[0].Reset();
  m_cache[1].Reset();
}

HFONT CCaptionPainter::CaptionFont() {
  if (!m_font) {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    m_font.Reset(CreateFontIndirectA(&metrics.lfCaptionFont));
  }
  return m_font.Get();
}

void CCaptionPainter::PaintCaption() {
  if (!m_hWnd || IsIconic(m_hWnd)) return;
  const RECT caption = CaptionRect(m_hWnd);
  const SIZE size{caption.right - caption.left, caption.bottom - caption.top};
  if (size.cx <= 0 || size.cy <= 0) return;
  if (size.cx != m_cacheSize.cx || size.cy != m_cacheSize.cy) {
    DropCache();
    m_cacheSize = size;
  }
  const int look = m_active ? 1 : 0;
  tolvar::user::WindowDC window(m_hWnd, true);
  HDC memory = CreateCompatibleDC(window.Get());
  if (!m_cache[look]) {
    m_cache[look].Reset(CreateCompatibleBitmap(window.Get(), size.cx, size.cy));
    HGDIOBJ old = SelectObject(memory, m_cache[look].Get());
    CaptionPaintBlock block{size.cx, size.cy, memory, m_active};
    ::SendMessageA(m_hWnd, m_repaintMessage, static_cast<WPARAM>(m_active), reinterpret_cast<LPARAM>(&block));
    ::SendMessageA(m_hWnd, WM_CAPTION_DRAWBUTTONS, reinterpret_cast<WPARAM>(memory), 0);
    SelectObject(memory, old);
  }
  HGDIOBJ old = SelectObject(memory, m_cache[look].Get());
  BitBlt(window.Get(), caption.left, caption.top, size.cx, size.cy, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
}

// The default handling of WM_NCACTIVATE and WM_SETTEXT draws a caption of its own on a visible
// window; with WS_VISIBLE off for the call it draws nothing, and ours is the only caption painted.
LRESULT CCaptionPainter::DefaultUnseen(UINT message, WPARAM wParam, LPARAM lParam) {
  const LONG style = GetWindowLongA(m_hWnd, GWL_STYLE);
  if (style & WS_VISIBLE) SetWindowLongA(m_hWnd, GWL_STYLE, style & ~WS_VISIBLE);
  const LRESULT result = Default(message, wParam, lParam);
  if ((style & WS_VISIBLE) && IsWindow(m_hWnd)) {
    SetWindowLongA(m_hWnd, GWL_STYLE, GetWindowLongA(m_hWnd, GWL_STYLE) | WS_VISIBLE);
  }
  return result;
}

// The default frame painting with the caption taken out of the region to paint, then our caption.
LRESULT CCaptionPainter::NonClientPaint(WPARAM wParam, LPARAM lParam) {
  RECT bounds;
  GetWindowRect(m_hWnd, &bounds);
  RECT caption = CaptionRect(m_hWnd);
  OffsetRect(&caption, bounds.left, bounds.top);  // the region is in screen coordinates
  const bool whole = wParam <= 1;
  HRGN rest = whole ? CreateRectRgnIndirect(&bounds) : CreateRectRgn(0, 0, 0, 0);
  if (!whole) CombineRgn(rest, reinterpret_cast<HRGN>(wParam), nullptr, RGN_COPY);
  LRESULT result;
  if (IsIconic(m_hWnd) || !RectInRegion(rest, &caption)) {
    result = Default(WM_NCPAINT, wParam, lParam);
  } else {
    HRGN captionRegion = CreateRectRgnIndirect(&caption);
    CombineRgn(rest, rest, captionRegion, RGN_DIFF);
    DeleteObject(captionRegion);
    // An empty rest still goes as a region: 1 would stand for the whole frame.
    result = Default(WM_NCPAINT, reinterpret_cast<WPARAM>(rest), lParam);
    PaintCaption();
  }
  DeleteObject(rest);
  return result;
}

LRESULT CCaptionPainter::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCPAINT: return NonClientPaint(wParam, lParam);
    case WM_NCACTIVATE: {
      const LRESULT result = DefaultUnseen(message, wParam, lParam);
      ::SendMessageA(m_hWnd, WM_NCPAINT, 1, 0);
      return result;
    }
    case WM_SETTEXT: {
      const LRESULT result = DefaultUnseen(message, wParam, lParam);
      m_cacheSize = {0, 0};
      DropCache();
      ::SendMessageA(m_hWnd, WM_NCPAINT, 1, 0);
      return result;
    }
    case WM_SETTINGCHANGE:
      m_cacheSize = {0, 0};
      DropCache();
      ::SendMessageA(m_hWnd, m_repaintMessage, 0, 0);
      return Default(message, wParam, lParam);
    default:
      return Default(message, wParam, lParam);
  }
}
