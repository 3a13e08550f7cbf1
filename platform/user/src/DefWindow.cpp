// DefWindowProc: what a window does with a message its own procedure leaves alone.
#include "Internal.h"

#include <user/Cursor.h>
#include <user/Input.h>
#include <user/Paint.h>
#include <user/ScrollBar.h>
#include <user/WindowPos.h>

#include <base/LastError.h>
#include <gdi/Gdi.h>
#include <resources/Resource.h>

#include <cstring>

namespace tolvar::user {
namespace {

POINT PointOf(LPARAM lParam) {
  return {static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(lParam))),
          static_cast<SHORT>(HIWORD(static_cast<DWORD_PTR>(lParam)))};
}

HBRUSH ClassBrush(const Window& window) {
  HBRUSH brush = window.windowClass ? window.windowClass->background : nullptr;
  auto value = reinterpret_cast<ULONG_PTR>(brush);
  // A system colour index + 1 stands for that colour's brush.
  if (value >= 1 && value <= 31) return GetSysColorBrush(static_cast<int>(value - 1));
  return brush;
}

LRESULT EraseBackground(HWND window, HDC hdc) {
  auto local = FindLocal(window);
  if (!local) return 0;
  HBRUSH brush = ClassBrush(*local);
  if (!brush) return 0;
  RECT client;
  GetClientRect(window, &client);
  FillRect(hdc, &client, brush);
  return 1;
}

LRESULT ControlColour(UINT message, HDC hdc) {
  const bool editLike = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
  if (message == WM_CTLCOLORSCROLLBAR) {
    SetBkColor(hdc, GetSysColor(COLOR_WINDOW));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_SCROLLBAR));
  }
  SetTextColor(hdc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(hdc, GetSysColor(editLike ? COLOR_WINDOW : COLOR_3DFACE));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(editLike ? COLOR_WINDOW : COLOR_3DFACE));
}

// WM_PRINT: the window's parts drawn into any DC whose origin is the window's top-left.
void Print(HWND window, HDC hdc, LPARAM flags) {
  if ((flags & PRF_CHECKVISIBLE) && !IsWindowVisible(window)) return;
  auto slot = ReadSlot(window);
  if (!slot) return;
  const POINT clientOffset{slot->client.left - slot->window.left, slot->client.top - slot->window.top};
  if (flags & PRF_NONCLIENT) {
    int saved = SaveDC(hdc);
    NonClientPaintInto(window, hdc);
    RestoreDC(hdc, saved);
  }
  int saved = SaveDC(hdc);
  OffsetViewportOrgEx(hdc, clientOffset.x, clientOffset.y, nullptr);
  RECT client{0, 0, slot->client.right - slot->client.left, slot->client.bottom - slot->client.top};
  IntersectClipRect(hdc, client.left, client.top, client.right, client.bottom);
  if (flags & PRF_ERASEBKGND) SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0);
  if (flags & PRF_CLIENT) SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(hdc), flags);
  if (flags & PRF_CHILDREN) {
    auto children = ChildrenOf(window);
    // Bottom of the z-order first, so the top child ends on top.
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
      auto c = ReadSlot(*it);
      if (!c || !(c->style & WS_VISIBLE)) continue;
      int inner = SaveDC(hdc);
      OffsetViewportOrgEx(hdc, c->window.left, c->window.top, nullptr);
      IntersectClipRect(hdc, 0, 0, c->window.right - c->window.left, c->window.bottom - c->window.top);
      SendMessageA(*it, WM_PRINT, reinterpret_cast<WPARAM>(hdc), flags & ~PRF_CHECKVISIBLE);
      RestoreDC(hdc, inner);
    }
  }
  RestoreDC(hdc, saved);
}

void ClampToMinMax(HWND window, WINDOWPOS& pos) {
  DWORD style = StyleOf(window);
  if (!(style & WS_THICKFRAME) && (style & (WS_POPUP | WS_CHILD))) return;
  if (pos.flags & SWP_NOSIZE) return;
  MINMAXINFO info{};
  info.ptMaxSize = {GetSystemMetrics(SM_CXMAXIMIZED), GetSystemMetrics(SM_CYMAXIMIZED)};
  info.ptMaxPosition = {-4, -4};
  info.ptMinTrackSize = {GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
  info.ptMaxTrackSize = {GetSystemMetrics(SM_CXSCREEN) + 12, GetSystemMetrics(SM_CYSCREEN) + 12};
  if (style & WS_CHILD) info.ptMinTrackSize = {0, 0};
  SendMessageA(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  if (style & (WS_MINIMIZE | WS_MAXIMIZE)) return;
  pos.cx = std::clamp<int>(pos.cx, info.ptMinTrackSize.x, std::max(info.ptMinTrackSize.x, info.ptMaxTrackSize.x));
  pos.cy = std::clamp<int>(pos.cy, info.ptMinTrackSize.y, std::max(info.ptMinTrackSize.y, info.ptMaxTrackSize.y));
}

WPARAM SystemCommandOf(LRESULT hit) {
  switch (hit) {
    case HTCLOSE: return SC_CLOSE;
    case HTMINBUTTON: return SC_MINIMIZE;
    case HTMAXBUTTON: return SC_MAXIMIZE;
    default: return 0;
  }
}

// The system command a press on a part of the frame starts at once (the hit code rides in its low
// bits, as on Windows): 0 for none.
WPARAM PressCommandOf(LRESULT hit) {
  if (hit >= HTLEFT && hit <= HTBOTTOMRIGHT) return SC_SIZE + static_cast<WPARAM>(hit - HTLEFT + 1);  // WMSZ_
  switch (hit) {
    case HTCAPTION: return SC_MOVE + HTCAPTION;
    case HTSYSMENU: return SC_MOUSEMENU + HTSYSMENU;
    case HTVSCROLL: return SC_VSCROLL + HTVSCROLL;
    case HTHSCROLL: return SC_HSCROLL + HTHSCROLL;
    default: return 0;
  }
}

}  // namespace
}  // namespace tolvar::user

using namespace tolvar::user;

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) StoreWindowText(window, cs->lpszName);
      return TRUE;
    }
    case WM_NCCALCSIZE: {
      DWORD style = StyleOf(window), exStyle = ExStyleOf(window);
      bool menu = HasMenuBar(window, style);
      if (wParam) {
        auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
        params->rgrc[0] = NonClientCalcSize(params->rgrc[0], style, exStyle, menu);
      } else if (lParam) {
        auto* rect = reinterpret_cast<RECT*>(lParam);
        *rect = NonClientCalcSize(*rect, style, exStyle, menu);
      }
      return 0;
    }
    case WM_NCHITTEST: return NonClientHitTest(window, PointOf(lParam));
    case WM_NCPAINT: NonClientPaint(window, reinterpret_cast<HRGN>(wParam)); return 0;
    case WM_NCACTIVATE: {
      if (auto local = FindLocal(window)) local->ncActive = wParam != 0;
      if ((StyleOf(window) & WS_CAPTION) == WS_CAPTION && IsWindowVisible(window)) NonClientPaint(window, nullptr);
      return TRUE;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
    case WM_ICONERASEBKGND:
      return EraseBackground(window, reinterpret_cast<HDC>(wParam));
    case WM_SETTEXT:
      StoreWindowText(window, lParam ? reinterpret_cast<const char*>(lParam) : "");
      TellDisplayRetitled(window);
      if ((StyleOf(window) & WS_CAPTION) == WS_CAPTION && IsWindowVisible(window)) NonClientPaint(window, nullptr);
      return TRUE;
    case WM_GETTEXT: {
      auto local = FindLocal(window);
      if (!local || !lParam || wParam == 0) return 0;
      std::string text;
      {
        std::lock_guard guard(ProcessLock());
        text = local->text;
      }
      std::size_t n = std::min<std::size_t>(text.size(), wParam - 1);
      std::memcpy(reinterpret_cast<char*>(lParam), text.data(), n);
      reinterpret_cast<char*>(lParam)[n] = 0;
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH: {
      auto local = FindLocal(window);
      std::lock_guard guard(ProcessLock());
      return local ? static_cast<LRESULT>(local->text.size()) : 0;
    }
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_CLOSE: SendMessageA(window, WM_CLOSE, 0, 0); break;
        case SC_MINIMIZE: ShowWindow(window, SW_MINIMIZE); break;
        case SC_MAXIMIZE: ShowWindow(window, SW_MAXIMIZE); break;
        case SC_RESTORE: ShowWindow(window, SW_RESTORE); break;
        case SC_MOVE:
        case SC_SIZE: RunSizeMove(window, wParam, PointOf(lParam)); break;
        case SC_VSCROLL: TrackScrollBar(window, SB_VERT, PointOf(lParam)); break;
        case SC_HSCROLL: TrackScrollBar(window, SB_HORZ, PointOf(lParam)); break;
        case SC_MOUSEMENU: TrackSystemMenu(window, false); break;
        case SC_KEYMENU:
          // Alt+Space opens the system menu; Alt and a letter, the menu-bar entry it marks.
          if (lParam == ' ') TrackSystemMenu(window, true);
          else if (lParam) MenuBarMnemonic(window, static_cast<char>(lParam));
          break;
        default: break;
      }
      return 0;
    case WM_WINDOWPOSCHANGING:
      if (lParam) ClampToMinMax(window, *reinterpret_cast<WINDOWPOS*>(lParam));
      return 0;
    case WM_WINDOWPOSCHANGED: {
      auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
      auto slot = ReadSlot(window);
      if (!pos || !slot) return 0;
      if (!(pos->flags & SWP_NOCLIENTMOVE)) {
        SendMessageA(window, WM_MOVE, 0,
                     MAKELPARAM(static_cast<WORD>(slot->client.left), static_cast<WORD>(slot->client.top)));
      }
      if (!(pos->flags & SWP_NOCLIENTSIZE)) {
        WPARAM type = (slot->style & WS_MINIMIZE) ? SIZE_MINIMIZED : (slot->style & WS_MAXIMIZE) ? SIZE_MAXIMIZED : SIZE_RESTORED;
        SendMessageA(window, WM_SIZE, type,
                     MAKELPARAM(static_cast<WORD>(slot->client.right - slot->client.left),
                                static_cast<WORD>(slot->client.bottom - slot->client.top)));
      }
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !IsIconic(window)) SetFocus(window);
      return 0;
    case WM_MOUSEACTIVATE:
      if (StyleOf(window) & WS_CHILD) {
        HWND parent = ParentOf(window);
        if (parent && parent != Desktop()) {
          if (LRESULT result = SendMessageA(parent, WM_MOUSEACTIVATE, wParam, lParam)) return result;
        }
      }
      return MA_ACTIVATE;
    case WM_SETCURSOR: {
      if (StyleOf(window) & WS_CHILD) {
        HWND parent = ParentOf(window);
        if (parent && parent != Desktop() && SendMessageA(parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
      }
      auto hit = static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(lParam)));
      if (hit == HTCLIENT) {
        auto local = FindLocal(window);
        HCURSOR cursor = local && local->windowClass ? local->windowClass->cursor : nullptr;
        if (cursor) SetCursor(cursor);
        return cursor ? TRUE : FALSE;
      }
      SetCursor(LoadCursorA(nullptr, IDC_ARROW));
      return TRUE;
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return ControlColour(message, reinterpret_cast<HDC>(wParam));
    case WM_PRINT: Print(window, reinterpret_cast<HDC>(wParam), lParam); return 0;
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
      if (StyleOf(window) & WS_CHILD) {
        HWND parent = ParentOf(window);
        if (parent && parent != Desktop()) return SendMessageA(parent, message, wParam, lParam);
      }
      return 0;
    case WM_SYSCHAR:
      if (wParam == ' ') {
        // Alt+Space: the system menu of the top-level window, which a child passes the key up to.
        if ((StyleOf(window) & WS_CHILD) && ParentOf(window)) return SendMessageA(ParentOf(window), message, wParam, lParam);
        SendMessageA(window, WM_SYSCOMMAND, SC_KEYMENU, ' ');
        return 0;
      }
      // Alt and a letter drop the menu-bar entry that has it as its mnemonic.
      MenuBarMnemonic(TopLevelOf(window), static_cast<char>(wParam));
      return 0;
    case WM_SYSKEYDOWN:
      // Alt+F4 closes the top-level window.
      if (wParam == VK_F4 && (lParam & (1 << 29))) PostMessageA(TopLevelOf(window), WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    case WM_CANCELMODE:
      if (GetCapture() == window) ReleaseCapture();
      return 0;
    case WM_QUERYENDSESSION: return TRUE;
    case WM_SETREDRAW:
      // Drawing off: the window counts as invisible for painting until it is turned on again.
      WriteSlot(window, [&](WindowSlot& slot) {
        if (wParam) slot.style |= WS_VISIBLE;
        else slot.style &= ~WS_VISIBLE;
      });
      return 0;
    case WM_GETICON: {
      auto local = FindLocal(window);
      if (!local) return 0;
      return reinterpret_cast<LRESULT>(wParam == ICON_BIG ? local->bigIcon : local->smallIcon);
    }
    case WM_SETICON: {
      auto local = FindLocal(window);
      if (!local) return 0;
      HICON& slot = wParam == ICON_BIG ? local->bigIcon : local->smallIcon;
      HICON old = slot;
      slot = reinterpret_cast<HICON>(lParam);
      TellDisplayRetitled(window);
      return reinterpret_cast<LRESULT>(old);
    }
    case WM_NCLBUTTONDOWN: {
      auto local = FindLocal(window);
      if (!local) return 0;
      if (SystemCommandOf(static_cast<LRESULT>(wParam))) {
        // The caption button acts when the button is released over it.
        local->ncPressed = static_cast<LRESULT>(wParam);
        SetCapture(window);
      } else if (static_cast<LRESULT>(wParam) == HTMENU) {
        ClickMenuBar(window, PointOf(lParam));
      } else if (WPARAM command = PressCommandOf(static_cast<LRESULT>(wParam))) {
        HWND top = TopLevelOf(window);
        if (command != SC_VSCROLL + HTVSCROLL && command != SC_HSCROLL + HTHSCROLL && GetActiveWindow() != top) {
          SetActiveWindow(top);
        }
        SendMessageA(window, WM_SYSCOMMAND, command, lParam);
      }
      return 0;
    }
    case WM_LBUTTONUP: {
      auto local = FindLocal(window);
      if (!local || !local->ncPressed) return 0;
      LRESULT pressed = local->ncPressed;
      local->ncPressed = 0;
      ReleaseCapture();
      POINT screen = PointOf(lParam);
      ClientToScreen(window, &screen);
      if (NonClientHitTest(window, screen) == pressed) {
        WPARAM command = SystemCommandOf(pressed);
        if (command == SC_MAXIMIZE && IsZoomed(window)) command = SC_RESTORE;
        SendMessageA(window, WM_SYSCOMMAND, command, MAKELPARAM(static_cast<WORD>(screen.x), static_cast<WORD>(screen.y)));
      }
      return 0;
    }
    case WM_NCLBUTTONDBLCLK:
      if (static_cast<LRESULT>(wParam) == HTCAPTION && (StyleOf(window) & WS_MAXIMIZEBOX)) {
        SendMessageA(window, WM_SYSCOMMAND, IsZoomed(window) ? SC_RESTORE : SC_MAXIMIZE, lParam);
      } else if (static_cast<LRESULT>(wParam) == HTSYSMENU) {
        SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, lParam);
      }
      return 0;
    case WM_NOTIFYFORMAT: return 1;  // NFR_ANSI
    default: return 0;
  }
}
