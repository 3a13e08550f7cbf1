// Moving and sizing a window by the mouse (a caption or border drag) or by the keys (SC_MOVE and
// SC_SIZE from the system menu): a modal loop on the window's thread that holds the capture, follows
// the pointer (or moves a virtual one by the arrow keys), asks WM_MOVING / WM_SIZING whether the new
// rectangle suits the program and keeps it within WM_GETMINMAXINFO's limits, and moves the window
// as it goes (the contents are shown while dragging). Enter or the button's release ends it; Escape
// puts the window back. The loop hands every other message it takes to DispatchMessageA, so timers,
// sent messages and thread messages keep flowing.
#include "Internal.h"

#include <user/Input.h>
#include <user/WindowPos.h>

#include <gdi/Gdi.h>

#include <algorithm>

namespace tolvar::user {
namespace {

constexpr int kKeyStep = 8;  // pixels an arrow key moves the pointer by

// Which edges of the rectangle a WMSZ_ code moves.
struct Edges {
  bool left, top, right, bottom;
};
Edges EdgesOf(WPARAM edge) {
  switch (edge) {
    case WMSZ_LEFT: return {true, false, false, false};
    case WMSZ_RIGHT: return {false, false, true, false};
    case WMSZ_TOP: return {false, true, false, false};
    case WMSZ_TOPLEFT: return {true, true, false, false};
    case WMSZ_TOPRIGHT: return {false, true, true, false};
    case WMSZ_BOTTOM: return {false, false, false, true};
    case WMSZ_BOTTOMLEFT: return {true, false, false, true};
    case WMSZ_BOTTOMRIGHT: return {false, false, true, true};
    default: return {false, false, false, false};
  }
}

// The edge the first arrow key picks when sizing by keys.
WPARAM EdgeOfKey(WPARAM key) {
  switch (key) {
    case VK_LEFT: return WMSZ_LEFT;
    case VK_RIGHT: return WMSZ_RIGHT;
    case VK_UP: return WMSZ_TOP;
    case VK_DOWN: return WMSZ_BOTTOM;
    default: return 0;
  }
}

MINMAXINFO Limits(HWND window) {
  MINMAXINFO info{};
  info.ptMaxSize = {GetSystemMetrics(SM_CXMAXIMIZED), GetSystemMetrics(SM_CYMAXIMIZED)};
  info.ptMaxPosition = {-4, -4};
  info.ptMinTrackSize = {GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
  info.ptMaxTrackSize = {GetSystemMetrics(SM_CXSCREEN) + 12, GetSystemMetrics(SM_CYSCREEN) + 12};
  if (StyleOf(window) & WS_CHILD) info.ptMinTrackSize = {0, 0};
  SendMessageA(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  return info;
}

// The rectangle a drag by (dx, dy) from `start` makes, the moving edges kept within the limits.
RECT Dragged(const RECT& start, bool moving, WPARAM edge, int dx, int dy, const MINMAXINFO& limits) {
  RECT r = start;
  if (moving) {
    OffsetRect(&r, dx, dy);
    return r;
  }
  const Edges e = EdgesOf(edge);
  const int minW = limits.ptMinTrackSize.x, maxW = std::max(minW, static_cast<int>(limits.ptMaxTrackSize.x));
  const int minH = limits.ptMinTrackSize.y, maxH = std::max(minH, static_cast<int>(limits.ptMaxTrackSize.y));
  if (e.left) r.left = std::clamp<LONG>(start.left + dx, start.right - maxW, start.right - minW);
  if (e.right) r.right = std::clamp<LONG>(start.right + dx, start.left + minW, start.left + maxW);
  if (e.top) r.top = std::clamp<LONG>(start.top + dy, start.bottom - maxH, start.bottom - minH);
  if (e.bottom) r.bottom = std::clamp<LONG>(start.bottom + dy, start.top + minH, start.top + maxH);
  return r;
}

bool IsMouse(UINT m) {
  return (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) || (m >= WM_NCMOUSEMOVE && m <= WM_NCMBUTTONDBLCLK);
}

// Places the window at `screen` (a rectangle in screen coordinates).
void Place(HWND window, const RECT& screen, bool moving) {
  POINT origin{screen.left, screen.top};
  HWND parent = ParentOf(window);
  if ((StyleOf(window) & WS_CHILD) && parent && parent != Desktop()) ScreenToClient(parent, &origin);
  SetWindowPos(window, nullptr, origin.x, origin.y, screen.right - screen.left, screen.bottom - screen.top,
               SWP_NOZORDER | SWP_NOACTIVATE | (moving ? SWP_NOSIZE : 0u));
}

}  // namespace

void RunSizeMove(HWND window, WPARAM command, POINT screen) {
  const bool moving = (command & 0xFFF0) == SC_MOVE;
  const WPARAM hit = command & 0x000F;
  const bool byMouse = hit != 0;
  const DWORD style = StyleOf(window);
  // A maximized or minimized window keeps its place; one without a sizing frame keeps its size.
  if (style & (WS_MAXIMIZE | WS_MINIMIZE)) return;
  if (!moving && !(style & WS_THICKFRAME)) return;
  if (!IsWindowVisible(window)) return;
  WPARAM edge = moving ? 0 : hit;  // sizing by keys: the first arrow key chooses the edge
  RECT start{};
  GetWindowRect(window, &start);
  const MINMAXINFO limits = Limits(window);
  POINT anchor = screen;
  if (!byMouse) {
    // By keys the virtual pointer starts in the middle of the caption (moving) or of the window.
    anchor = {(start.left + start.right) / 2,
              moving ? start.top + GetSystemMetrics(SM_CYCAPTION) / 2 : (start.top + start.bottom) / 2};
  }
  POINT pointer = anchor;
  SetCapture(window);
  SendMessageA(window, WM_ENTERSIZEMOVE, 0, 0);
  RECT current = start;
  bool cancelled = false;
  auto follow = [&] {
    RECT r = Dragged(start, moving, edge, pointer.x - anchor.x, pointer.y - anchor.y, limits);
    if (EqualRect(&r, &current)) return;
    // The program may change the rectangle it is told of.
    SendMessageA(window, moving ? WM_MOVING : WM_SIZING, moving ? 0 : edge, reinterpret_cast<LPARAM>(&r));
    current = r;
    Place(window, current, moving);
  };
  MSG message;
  while (IsWindow(window) && GetCapture() == window) {
    // A release routed before the capture was taken (the whole drag came at once, the release
    // beside every window) never arrives: once what is queued is done and the button is up, the
    // drag is over.
    if (byMouse && !(GetAsyncKeyState(VK_LBUTTON) & 0x8000) && !PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
      break;
    }
    if (!GetMessageA(&message, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    const UINT m = message.message;
    if (IsMouse(m)) {
      NoteInputMessage(message);
      if (!moving && !edge) continue;  // sizing by keys waits for an arrow to pick the edge
      pointer = message.pt;
      follow();
      if (m == WM_LBUTTONUP || m == WM_NCLBUTTONUP || (!byMouse && (m == WM_LBUTTONDOWN || m == WM_NCLBUTTONDOWN))) {
        break;
      }
      continue;
    }
    if (m == WM_KEYDOWN || m == WM_SYSKEYDOWN) {
      NoteInputMessage(message);
      const WPARAM key = message.wParam;
      if (key == VK_RETURN) break;
      if (key == VK_ESCAPE) {
        cancelled = true;
        break;
      }
      if (!moving && !edge) {
        edge = EdgeOfKey(key);
        if (edge) anchor = pointer;
        continue;
      }
      const int dx = key == VK_LEFT ? -kKeyStep : key == VK_RIGHT ? kKeyStep : 0;
      const int dy = key == VK_UP ? -kKeyStep : key == VK_DOWN ? kKeyStep : 0;
      if (dx || dy) {
        pointer.x += dx;
        pointer.y += dy;
        follow();
      }
      continue;
    }
    if (m == WM_KEYUP || m == WM_SYSKEYUP || m == WM_CHAR || m == WM_SYSCHAR) {
      NoteInputMessage(message);
      continue;
    }
    DispatchMessageA(&message);
  }
  if (!IsWindow(window)) return;
  if (cancelled && !EqualRect(&current, &start)) Place(window, start, moving);
  if (GetCapture() == window) ReleaseCapture();
  SendMessageA(window, WM_EXITSIZEMOVE, 0, 0);
}

}  // namespace tolvar::user
