// The non-client area in the classic look: frames, caption with its buttons, menu bar, client edge
// and scroll-bar space; its size, its hit testing and its painting.
#include "Internal.h"

#include <user/Cursor.h>
#include <user/Input.h>
#include <user/Paint.h>
#include <user/WindowPos.h>

#include <gdi/Gdi.h>

namespace tolvar::user {
namespace {

// The outer part: frame, border and caption (and menu bar), as Windows sizes them.
void AdjustOuter(RECT& rect, DWORD style, bool menu, DWORD exStyle) {
  int adjust = 0;
  if ((exStyle & (WS_EX_STATICEDGE | WS_EX_DLGMODALFRAME)) == WS_EX_STATICEDGE) {
    adjust = 1;
  } else if ((exStyle & WS_EX_DLGMODALFRAME) || (style & (WS_THICKFRAME | WS_DLGFRAME))) {
    adjust = 2;
  }
  if (style & WS_THICKFRAME) adjust += GetSystemMetrics(SM_CXFRAME) - GetSystemMetrics(SM_CXDLGFRAME);
  if ((style & (WS_BORDER | WS_DLGFRAME)) || (exStyle & WS_EX_DLGMODALFRAME)) ++adjust;
  InflateRect(&rect, adjust, adjust);
  if ((style & WS_CAPTION) == WS_CAPTION) {
    rect.top -= GetSystemMetrics((exStyle & WS_EX_TOOLWINDOW) ? SM_CYSMCAPTION : SM_CYCAPTION);
  }
  if (menu) rect.top -= GetSystemMetrics(SM_CYMENU);
}

void AdjustInner(RECT& rect, DWORD style, DWORD exStyle) {
  if (exStyle & WS_EX_CLIENTEDGE) InflateRect(&rect, GetSystemMetrics(SM_CXEDGE), GetSystemMetrics(SM_CYEDGE));
  if (style & WS_VSCROLL) {
    if (exStyle & WS_EX_LEFTSCROLLBAR) rect.left -= GetSystemMetrics(SM_CXVSCROLL);
    else rect.right += GetSystemMetrics(SM_CXVSCROLL);
  }
  if (style & WS_HSCROLL) rect.bottom += GetSystemMetrics(SM_CYHSCROLL);
}

bool HasCaption(DWORD style) { return (style & WS_CAPTION) == WS_CAPTION; }

// The parts of a window in window coordinates.
struct Layout {
  RECT window{};   // (0, 0) to the window size
  RECT caption{};  // empty without one
  RECT menu{};
  RECT client{};
  RECT closeButton{};
  RECT maxButton{};
  RECT minButton{};
  RECT icon{};  // the system menu's button: the small icon at the caption's left
  int frame = 0;
};

Layout LayoutOf(HWND window) {
  Layout layout;
  auto slot = ReadSlot(window);
  if (!slot) return layout;
  const DWORD style = slot->style, exStyle = slot->exStyle;
  layout.window = {0, 0, slot->window.right - slot->window.left, slot->window.bottom - slot->window.top};
  layout.client = slot->client;
  OffsetRect(&layout.client, -slot->window.left, -slot->window.top);
  RECT outer{0, 0, 0, 0};
  AdjustOuter(outer, style, false, exStyle);
  layout.frame = -outer.left;
  int top = layout.frame;
  if (HasCaption(style)) {
    int height = GetSystemMetrics((exStyle & WS_EX_TOOLWINDOW) ? SM_CYSMCAPTION : SM_CYCAPTION);
    layout.caption = {layout.frame, top, layout.window.right - layout.frame, top + height - 1};
    top += height;
    if ((style & WS_SYSMENU) && !(exStyle & (WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME))) {
      const int side = GetSystemMetrics(SM_CXSMICON);
      const int y = layout.caption.top + (layout.caption.bottom - layout.caption.top - side) / 2;
      layout.icon = {layout.caption.left + 2, y, layout.caption.left + 2 + side, y + side};
    }
    if (style & WS_SYSMENU) {
      const int size = layout.caption.bottom - layout.caption.top - 4;
      const int buttonWidth = GetSystemMetrics((exStyle & WS_EX_TOOLWINDOW) ? SM_CXSMSIZE : SM_CXSIZE) - 2;
      RECT button{layout.caption.right - 2 - buttonWidth, layout.caption.top + 2, layout.caption.right - 2,
                  layout.caption.top + 2 + size};
      layout.closeButton = button;
      if (style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX)) {
        OffsetRect(&button, -(buttonWidth + 2), 0);
        layout.maxButton = button;
        OffsetRect(&button, -buttonWidth, 0);
        layout.minButton = button;
      }
    }
  }
  if (HasMenuBar(window, style)) {
    int height = MenuBarHeight(window, layout.window.right - 2 * layout.frame);
    layout.menu = {layout.frame, top, layout.window.right - layout.frame, top + height};
  }
  return layout;
}

}  // namespace

RECT MenuBarRect(HWND window) { return LayoutOf(window).menu; }

RECT NonClientCalcSize(const RECT& window, DWORD style, DWORD exStyle, bool hasMenu) {
  RECT outer{0, 0, 0, 0};
  AdjustOuter(outer, style, hasMenu, exStyle);
  RECT inner{0, 0, 0, 0};
  AdjustInner(inner, style, exStyle);
  RECT client{window.left - outer.left - inner.left, window.top - outer.top - inner.top,
              window.right - outer.right - inner.right, window.bottom - outer.bottom - inner.bottom};
  if (client.right < client.left) client.right = client.left;
  if (client.bottom < client.top) client.bottom = client.top;
  return client;
}

LRESULT NonClientHitTest(HWND window, POINT screen) {
  RECT rect;
  if (!GetWindowRect(window, &rect) || !PtInRect(&rect, screen)) return HTNOWHERE;
  const POINT p{screen.x - rect.left, screen.y - rect.top};
  Layout layout = LayoutOf(window);
  if (PtInRect(&layout.client, p)) return HTCLIENT;
  const DWORD style = StyleOf(window);
  if (style & WS_THICKFRAME) {
    const int frame = layout.frame;
    const int corner = GetSystemMetrics(SM_CXSIZE) + frame;
    const RECT& w = layout.window;
    const bool left = p.x < frame, right = p.x >= w.right - frame;
    const bool top = p.y < frame, bottom = p.y >= w.bottom - frame;
    if (top || bottom || left || right) {
      if (top) return p.x < corner ? HTTOPLEFT : p.x >= w.right - corner ? HTTOPRIGHT : HTTOP;
      if (bottom) return p.x < corner ? HTBOTTOMLEFT : p.x >= w.right - corner ? HTBOTTOMRIGHT : HTBOTTOM;
      if (left) return p.y < corner ? HTTOPLEFT : p.y >= w.bottom - corner ? HTBOTTOMLEFT : HTLEFT;
      return p.y < corner ? HTTOPRIGHT : p.y >= w.bottom - corner ? HTBOTTOMRIGHT : HTRIGHT;
    }
  }
  if (PtInRect(&layout.caption, p)) {
    if (PtInRect(&layout.closeButton, p)) return HTCLOSE;
    if (PtInRect(&layout.maxButton, p)) return HTMAXBUTTON;
    if (PtInRect(&layout.minButton, p)) return HTMINBUTTON;
    if (p.x < layout.icon.right + 1 && !IsRectEmpty(&layout.icon)) return HTSYSMENU;
    return HTCAPTION;
  }
  if (PtInRect(&layout.menu, p)) return HTMENU;
  RECT client = layout.client;
  if (style & WS_VSCROLL) {
    const int width = GetSystemMetrics(SM_CXVSCROLL);
    RECT bar = (ExStyleOf(window) & WS_EX_LEFTSCROLLBAR) ? RECT{client.left - width, client.top, client.left, client.bottom}
                                                          : RECT{client.right, client.top, client.right + width, client.bottom};
    if (PtInRect(&bar, p)) return HTVSCROLL;
  }
  if (style & WS_HSCROLL) {
    RECT bar{client.left, client.bottom, client.right, client.bottom + GetSystemMetrics(SM_CYHSCROLL)};
    if (PtInRect(&bar, p)) return HTHSCROLL;
  }
  return (style & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME)) ? HTBORDER : HTNOWHERE;
}

void NonClientPaint(HWND window, HRGN region) {
  auto slot = ReadSlot(window);
  if (!slot) return;
  RECT window0{0, 0, slot->window.right - slot->window.left, slot->window.bottom - slot->window.top};
  RECT client = slot->client;
  OffsetRect(&client, -slot->window.left, -slot->window.top);
  if (EqualRect(&client, &window0)) return;
  // A region (screen coordinates) limits the painting to it: the program painted the rest itself.
  // 1 stands for the whole frame, as WM_NCPAINT's wParam does.
  const bool limited = reinterpret_cast<ULONG_PTR>(region) > 1;
  HDC hdc = limited ? GetDCEx(window, region, DCX_WINDOW | DCX_INTERSECTRGN) : GetWindowDC(window);
  if (!hdc) return;
  NonClientPaintInto(window, hdc);
  ReleaseDC(window, hdc);
}

void NonClientPaintInto(HWND window, HDC hdc) {
  auto slot = ReadSlot(window);
  auto local = FindLocal(window);
  if (!slot || !local) return;
  const DWORD style = slot->style, exStyle = slot->exStyle;
  Layout layout = LayoutOf(window);
  if (EqualRect(&layout.client, &layout.window)) return;
  // Everything but the client area.
  ExcludeClipRect(hdc, layout.client.left, layout.client.top, layout.client.right, layout.client.bottom);
  RECT r = layout.window;
  const bool edgeFrame = (exStyle & WS_EX_DLGMODALFRAME) || (style & (WS_THICKFRAME | WS_DLGFRAME));
  if (edgeFrame) {
    DrawEdge(hdc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    for (int i = 2; i < layout.frame; ++i) {
      FrameRect(hdc, &r, GetSysColorBrush(local->ncActive ? COLOR_ACTIVEBORDER : COLOR_INACTIVEBORDER));
      InflateRect(&r, -1, -1);
    }
  } else if (style & WS_BORDER) {
    FrameRect(hdc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
    InflateRect(&r, -1, -1);
  } else if (exStyle & WS_EX_STATICEDGE) {
    DrawEdge(hdc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  }
  if (!IsRectEmpty(&layout.caption)) {
    RECT caption = layout.caption;
    const bool active = local->ncActive;
    const COLORREF from = GetSysColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
    const COLORREF to = GetSysColor(active ? COLOR_GRADIENTACTIVECAPTION : COLOR_GRADIENTINACTIVECAPTION);
    const int width = caption.right - caption.left;
    for (int x = 0; x < width; ++x) {
      auto mix = [&](int a, int b) { return static_cast<BYTE>(a + (b - a) * x / std::max(1, width - 1)); };
      HBRUSH brush = CreateSolidBrush(RGB(mix(GetRValue(from), GetRValue(to)), mix(GetGValue(from), GetGValue(to)),
                                          mix(GetBValue(from), GetBValue(to))));
      RECT column{caption.left + x, caption.top, caption.left + x + 1, caption.bottom};
      FillRect(hdc, &column, brush);
      DeleteObject(brush);
    }
    RECT line{caption.left, caption.bottom, caption.right, caption.bottom + 1};
    FillRect(hdc, &line, GetSysColorBrush(COLOR_3DFACE));
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    HFONT font = CreateFontIndirectA((exStyle & WS_EX_TOOLWINDOW) ? &metrics.lfSmCaptionFont : &metrics.lfCaptionFont);
    HGDIOBJ oldFont = SelectObject(hdc, font);
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
    RECT text = caption;
    text.left += 3;
    if (!IsRectEmpty(&layout.icon)) {
      HICON icon = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, 0 /* ICON_SMALL */, 0));
      if (!icon && local->windowClass) icon = local->windowClass->smallIcon ? local->windowClass->smallIcon : local->windowClass->icon;
      if (!icon) icon = LoadIconA(nullptr, IDI_APPLICATION);
      if (icon) {
        DrawIconEx(hdc, layout.icon.left, layout.icon.top, icon, layout.icon.right - layout.icon.left,
                   layout.icon.bottom - layout.icon.top, 0, nullptr, DI_NORMAL);
      }
      text.left = layout.icon.right + 3;
    }
    if (!IsRectEmpty(&layout.minButton)) text.right = layout.minButton.left;
    else if (!IsRectEmpty(&layout.closeButton)) text.right = layout.closeButton.left;
    DrawTextA(hdc, local->text.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    SelectObject(hdc, oldFont);
    DeleteObject(font);
    if (!IsRectEmpty(&layout.closeButton)) {
      RECT b = layout.closeButton;
      DrawFrameControl(hdc, &b, DFC_CAPTION, DFCS_CAPTIONCLOSE);
    }
    if (!IsRectEmpty(&layout.maxButton)) {
      RECT b = layout.maxButton;
      DrawFrameControl(hdc, &b, DFC_CAPTION,
                       ((style & WS_MAXIMIZE) ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMAX) |
                           ((style & WS_MAXIMIZEBOX) ? 0 : DFCS_INACTIVE));
      b = layout.minButton;
      DrawFrameControl(hdc, &b, DFC_CAPTION, DFCS_CAPTIONMIN | ((style & WS_MINIMIZEBOX) ? 0 : DFCS_INACTIVE));
    }
  }
  if (!IsRectEmpty(&layout.menu)) DrawMenuBarInto(window, hdc, layout.menu);
  DrawWindowScrollBars(window, hdc);
  RECT inner = layout.client;
  if (style & WS_VSCROLL) {
    if (exStyle & WS_EX_LEFTSCROLLBAR) inner.left -= GetSystemMetrics(SM_CXVSCROLL);
    else inner.right += GetSystemMetrics(SM_CXVSCROLL);
  }
  if (style & WS_HSCROLL) inner.bottom += GetSystemMetrics(SM_CYHSCROLL);
  if (exStyle & WS_EX_CLIENTEDGE) {
    InflateRect(&inner, GetSystemMetrics(SM_CXEDGE), GetSystemMetrics(SM_CYEDGE));
    DrawEdge(hdc, &inner, EDGE_SUNKEN, BF_RECT);
  }
}

}  // namespace tolvar::user

using namespace tolvar::user;

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
  if (!rect) return FALSE;
  AdjustOuter(*rect, style, menu != FALSE, exStyle);
  AdjustInner(*rect, style, exStyle);
  return TRUE;
}

BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu) { return AdjustWindowRectEx(rect, style, menu, 0); }
