// Showing, moving, sizing and stacking windows; rectangles and coordinate mapping.
#include "Internal.h"

#include <user/Input.h>
#include <user/Paint.h>
#include <user/WindowPos.h>

#include <base/LastError.h>
#include <base/WinError.h>
#include <gdi/Gdi.h>

namespace tolvar::user {
namespace {

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

std::uint32_t InsertAfterValue(HWND insertAfter) {
  if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) return 0;
  if (insertAfter == HWND_BOTTOM) return 1;
  return HandleValue(insertAfter);
}

// Whether the window already stands where the z-order request would put it.
bool AlreadyPlaced(const WindowSlot& slot, HWND insertAfter) {
  if (insertAfter == HWND_TOP) return slot.prev == 0 || (!(slot.exStyle & WS_EX_TOPMOST) && [&] {
    auto above = ReadSlot(HandleOf(slot.prev));
    return above && (above->exStyle & WS_EX_TOPMOST);
  }());
  if (insertAfter == HWND_BOTTOM) return slot.next == 0;
  if (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) return false;
  return slot.prev == HandleValue(insertAfter);
}

BOOL SetWindowPosHere(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  auto slot = ReadSlot(window);
  if (!slot) return InvalidWindow(FALSE);
  const RECT oldWindow = slot->window;
  const RECT oldClient = slot->client;
  const bool wasVisible = (slot->style & WS_VISIBLE) != 0;
  const bool topLevel = IsTopLevel(*slot);
  WINDOWPOS pos{window, insertAfter, x, y, cx, cy, flags};
  if (pos.flags & SWP_NOMOVE) pos.x = oldWindow.left, pos.y = oldWindow.top;
  if (pos.flags & SWP_NOSIZE) pos.cx = Width(oldWindow), pos.cy = Height(oldWindow);
  if (pos.cx < 0) pos.cx = 0;
  if (pos.cy < 0) pos.cy = 0;
  if (pos.cx == Width(oldWindow) && pos.cy == Height(oldWindow)) pos.flags |= SWP_NOSIZE;
  if (pos.x == oldWindow.left && pos.y == oldWindow.top) pos.flags |= SWP_NOMOVE;
  if (wasVisible) pos.flags &= ~SWP_SHOWWINDOW;
  if (!wasVisible) pos.flags &= ~SWP_HIDEWINDOW;
  if (!(pos.flags & SWP_NOZORDER) && AlreadyPlaced(*slot, insertAfter)) pos.flags |= SWP_NOZORDER;
  if (!topLevel) pos.flags |= SWP_NOACTIVATE;

  if (!(pos.flags & SWP_NOSENDCHANGING)) {
    SendMessageA(window, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    if (!IsWindow(window)) return FALSE;
  }
  RECT newWindow = (pos.flags & SWP_NOMOVE) ? RECT{oldWindow.left, oldWindow.top, 0, 0} : RECT{pos.x, pos.y, 0, 0};
  newWindow.right = newWindow.left + ((pos.flags & SWP_NOSIZE) ? Width(oldWindow) : pos.cx);
  newWindow.bottom = newWindow.top + ((pos.flags & SWP_NOSIZE) ? Height(oldWindow) : pos.cy);

  RECT newClient = oldClient;
  OffsetRect(&newClient, newWindow.left - oldWindow.left, newWindow.top - oldWindow.top);
  if (!(pos.flags & SWP_NOSIZE) || (pos.flags & SWP_FRAMECHANGED)) {
    NCCALCSIZE_PARAMS params{};
    params.rgrc[0] = newWindow;
    params.rgrc[1] = oldWindow;
    params.rgrc[2] = oldClient;
    params.lppos = &pos;
    SendMessageA(window, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params));
    newClient = params.rgrc[0];
  }
  if (newClient.left - newWindow.left == oldClient.left - oldWindow.left &&
      newClient.top - newWindow.top == oldClient.top - oldWindow.top && (pos.flags & SWP_NOMOVE)) {
    pos.flags |= SWP_NOCLIENTMOVE;
  }
  if (newClient.left == oldClient.left && newClient.top == oldClient.top) pos.flags |= SWP_NOCLIENTMOVE;
  if (Width(newClient) == Width(oldClient) && Height(newClient) == Height(oldClient)) pos.flags |= SWP_NOCLIENTSIZE;

  Station& station = Station::Get();
  HWND parent = nullptr;
  station.With([&](StationData& data) {
    WindowSlot* s = station.Find(data, HandleValue(window));
    if (!s) return 0;
    s->window = newWindow;
    s->client = newClient;
    if (pos.flags & SWP_SHOWWINDOW) s->style |= WS_VISIBLE;
    if (pos.flags & SWP_HIDEWINDOW) s->style &= ~WS_VISIBLE;
    if (!(pos.flags & SWP_NOZORDER)) {
      if (pos.hwndInsertAfter == HWND_TOPMOST) s->exStyle |= WS_EX_TOPMOST;
      if (pos.hwndInsertAfter == HWND_NOTOPMOST) s->exStyle &= ~WS_EX_TOPMOST;
      std::uint32_t parentHandle = s->parent;
      std::uint32_t after = InsertAfterValue(pos.hwndInsertAfter);
      if (after != HandleValue(window)) {
        station.Unlink(data, HandleValue(window));
        station.Link(data, HandleValue(window), parentHandle, after);
      }
    }
    parent = HandleOf(s->parent);
    return 0;
  });

  const bool nowVisible = (StyleOf(window) & WS_VISIBLE) != 0;
  const bool changed = !(pos.flags & SWP_NOSIZE) || !(pos.flags & SWP_NOMOVE) || (pos.flags & SWP_FRAMECHANGED) ||
                       !(pos.flags & SWP_NOZORDER);
  if (!(pos.flags & SWP_NOREDRAW)) {
    if (pos.flags & SWP_SHOWWINDOW) {
      InvalidateWhole(window, true);
    } else if (pos.flags & SWP_HIDEWINDOW) {
      InvalidateParentArea(parent, oldWindow);
    } else if (nowVisible && changed) {
      if (!(pos.flags & SWP_NOSIZE) || !(pos.flags & SWP_NOMOVE)) InvalidateParentArea(parent, oldWindow);
      InvalidateWhole(window, true);
    }
  }
  if ((pos.flags & SWP_HIDEWINDOW) && topLevel && GetActiveWindow() == window) LoseInputState(window, false);
  if (topLevel && nowVisible && !(pos.flags & SWP_NOACTIVATE) && GetActiveWindow() != window) {
    ActivateWindow(window, WA_ACTIVE);
  }
  if (!IsWindow(window)) return FALSE;
  SendMessageA(window, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
  if (topLevel) {
    if (!(pos.flags & SWP_NOSIZE) || !(pos.flags & SWP_NOMOVE)) TellDisplayMoved(window);
    if (pos.flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) TellDisplayShown(window, nowVisible);
  }
  return TRUE;
}

RECT MaximizedRect(const WindowSlot& slot) {
  RECT area{};
  if (IsTopLevel(slot)) {
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  } else if (auto parent = ReadSlot(HandleOf(slot.parent))) {
    area = {0, 0, Width(parent->client), Height(parent->client)};
  }
  RECT frame = area;
  AdjustWindowRectEx(&frame, slot.style, FALSE, slot.exStyle & ~WS_EX_CLIENTEDGE);
  // The frame lies beyond the area; the caption stays inside.
  return {frame.left, area.top - (area.left - frame.left), frame.right, frame.bottom};
}

BOOL ShowWindowHere(HWND window, int command) {
  auto slot = ReadSlot(window);
  if (!slot) return InvalidWindow(FALSE);
  auto local = FindLocal(window);
  if (!local) return InvalidWindow(FALSE);
  const bool wasVisible = (slot->style & WS_VISIBLE) != 0;
  const bool child = (slot->style & WS_CHILD) != 0;
  const bool minimized = (slot->style & WS_MINIMIZE) != 0;
  const bool maximized = (slot->style & WS_MAXIMIZE) != 0;
  UINT swp = 0;
  RECT target = slot->window;
  bool stateChange = false;
  DWORD newState = slot->style & (WS_MINIMIZE | WS_MAXIMIZE);
  WPARAM sizeType = SIZE_RESTORED;

  auto restoreTo = [&] {
    if (local->hasNormalRect) target = local->normalRect;
    newState = 0;
    stateChange = minimized || maximized;
    swp |= SWP_FRAMECHANGED;
  };
  auto keepNormal = [&] {
    if (!minimized && !maximized) {
      local->normalRect = slot->window;
      local->hasNormalRect = true;
    }
  };

  switch (command) {
    case SW_HIDE:
      if (!wasVisible) return FALSE;
      swp = SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE;
      if (child || GetActiveWindow() != window) swp |= SWP_NOACTIVATE | SWP_NOZORDER;
      break;
    case SW_SHOWMINNOACTIVE:
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
      swp = SWP_SHOWWINDOW | SWP_FRAMECHANGED;
      if (command != SW_SHOWMINIMIZED) swp |= SWP_NOACTIVATE;
      if (!minimized) {
        keepNormal();
        target = {-32000, -32000, -32000 + GetSystemMetrics(SM_CXMIN), -32000 + GetSystemMetrics(SM_CYMIN)};
        newState = WS_MINIMIZE;
        stateChange = true;
      }
      sizeType = SIZE_MINIMIZED;
      break;
    case SW_SHOWMAXIMIZED:
      swp = SWP_SHOWWINDOW | SWP_FRAMECHANGED;
      if (!maximized) {
        keepNormal();
        target = MaximizedRect(*slot);
        newState = WS_MAXIMIZE;
        stateChange = true;
      }
      sizeType = SIZE_MAXIMIZED;
      break;
    case SW_SHOWNA:
      swp = SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER;
      if (wasVisible) return TRUE;
      break;
    case SW_SHOW:
      if (wasVisible) return TRUE;
      swp = SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE;
      break;
    case SW_SHOWNOACTIVATE:
      swp = SWP_NOACTIVATE;
      [[fallthrough]];
    case SW_SHOWNORMAL:
    case SW_SHOWDEFAULT:
    case SW_RESTORE:
      swp |= SWP_SHOWWINDOW;
      if (minimized || maximized) {
        restoreTo();
      } else {
        if (wasVisible && command != SW_RESTORE) return TRUE;
        swp |= SWP_NOSIZE | SWP_NOMOVE;
      }
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
  }
  if (child) swp |= SWP_NOACTIVATE | SWP_NOZORDER;
  const bool show = command != SW_HIDE;
  if (show != wasVisible) {
    SendMessageA(window, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    if (!IsWindow(window)) return wasVisible;
  }
  if (stateChange) {
    WriteSlot(window, [&](WindowSlot& s) { s.style = (s.style & ~(WS_MINIMIZE | WS_MAXIMIZE)) | newState; });
    if (newState == 0 && local->hasNormalRect) local->hasNormalRect = false;
  }
  SetWindowPosHere(window, HWND_TOP, target.left, target.top, Width(target), Height(target), swp);
  if (!IsWindow(window)) return wasVisible;
  if (local->needSize) {
    local->needSize = false;
    auto now = ReadSlot(window);
    if (now) {
      SendMessageA(window, WM_SIZE, sizeType,
                   MAKELPARAM(static_cast<WORD>(Width(now->client)), static_cast<WORD>(Height(now->client))));
      SendMessageA(window, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(now->client.left), static_cast<WORD>(now->client.top)));
    }
  }
  if (command == SW_HIDE) {
    if (GetActiveWindow() == window) LoseInputState(window, false);
    HWND focus = GetFocus();
    if (focus && (focus == window || IsDescendant(window, focus))) {
      HWND parent = ParentOf(window);
      SetFocus(parent == Desktop() ? nullptr : parent);
    }
  }
  return wasVisible ? TRUE : FALSE;
}

}  // namespace

POINT ClientOriginOnScreen(HWND window) {
  Station& station = Station::Get();
  return station.With([&](StationData& data) {
    POINT origin{0, 0};
    WindowSlot* slot = station.Find(data, HandleValue(window));
    for (int depth = 0; slot && slot->handle != kDesktopHandle && depth < 256; ++depth) {
      origin.x += slot->client.left;
      origin.y += slot->client.top;
      slot = station.Find(data, slot->parent);
    }
    return origin;
  });
}

POINT WindowOriginOnScreen(HWND window) {
  auto slot = ReadSlot(window);
  if (!slot || slot->handle == kDesktopHandle) return {0, 0};
  POINT origin = ClientOriginOnScreen(HandleOf(slot->parent));
  return {origin.x + slot->window.left, origin.y + slot->window.top};
}

}  // namespace tolvar::user

using namespace tolvar::user;

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  auto slot = ReadSlot(window);
  if (!slot || slot->handle == kDesktopHandle) return InvalidWindow(FALSE);
  if (!IsLocal(*slot)) {
    Request request;
    request.op = RemoteOp::SetWindowPos;
    request.window = window;
    request.args = {reinterpret_cast<std::int64_t>(insertAfter), x, y, cx, cy, flags};
    auto answer = RemoteCall(*slot, request);
    return answer ? static_cast<BOOL>(answer->result) : FALSE;
  }
  if (slot->tid != GetCurrentThreadId()) {
    return static_cast<BOOL>(RunOnWindowThread(*slot, [=] {
      return static_cast<LRESULT>(SetWindowPosHere(window, insertAfter, x, y, cx, cy, flags));
    }));
  }
  return SetWindowPosHere(window, insertAfter, x, y, cx, cy, flags);
}

BOOL ShowWindow(HWND window, int command) {
  auto slot = ReadSlot(window);
  if (!slot || slot->handle == kDesktopHandle) return InvalidWindow(FALSE);
  if (!IsLocal(*slot)) {
    Request request;
    request.op = RemoteOp::ShowWindow;
    request.window = window;
    request.args = {command};
    auto answer = RemoteCall(*slot, request);
    return answer ? static_cast<BOOL>(answer->result) : FALSE;
  }
  if (slot->tid != GetCurrentThreadId()) {
    return static_cast<BOOL>(
        RunOnWindowThread(*slot, [=] { return static_cast<LRESULT>(ShowWindowHere(window, command)); }));
  }
  return ShowWindowHere(window, command);
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(window, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL BringWindowToTop(HWND window) { return SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

BOOL GetWindowRect(HWND window, LPRECT rect) {
  auto slot = ReadSlot(window);
  if (!slot || !rect) return InvalidWindow(FALSE);
  if (slot->handle == kDesktopHandle) {
    *rect = slot->window;
    return TRUE;
  }
  POINT origin = ClientOriginOnScreen(HandleOf(slot->parent));
  *rect = slot->window;
  OffsetRect(rect, origin.x, origin.y);
  return TRUE;
}

BOOL GetClientRect(HWND window, LPRECT rect) {
  auto slot = ReadSlot(window);
  if (!slot || !rect) return InvalidWindow(FALSE);
  *rect = {0, 0, Width(slot->client), Height(slot->client)};
  return TRUE;
}

BOOL ClientToScreen(HWND window, LPPOINT point) {
  if (!point || !IsWindow(window)) return InvalidWindow(FALSE);
  POINT origin = ClientOriginOnScreen(window);
  point->x += origin.x;
  point->y += origin.y;
  return TRUE;
}

BOOL ScreenToClient(HWND window, LPPOINT point) {
  if (!point || !IsWindow(window)) return InvalidWindow(FALSE);
  POINT origin = ClientOriginOnScreen(window);
  point->x -= origin.x;
  point->y -= origin.y;
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
  if ((from && !IsWindow(from)) || (to && !IsWindow(to))) return InvalidWindow(0u);
  POINT a = from ? ClientOriginOnScreen(from) : POINT{0, 0};
  POINT b = to ? ClientOriginOnScreen(to) : POINT{0, 0};
  const int dx = a.x - b.x, dy = a.y - b.y;
  for (UINT i = 0; points && i < count; ++i) {
    points[i].x += dx;
    points[i].y += dy;
  }
  SetLastError(0);
  return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

BOOL GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement) {
  auto slot = ReadSlot(window);
  if (!slot || !placement) return InvalidWindow(FALSE);
  auto local = FindLocal(window);
  placement->flags = 0;
  placement->showCmd = (slot->style & WS_MINIMIZE)   ? SW_SHOWMINIMIZED
                       : (slot->style & WS_MAXIMIZE) ? SW_SHOWMAXIMIZED
                                                     : SW_SHOWNORMAL;
  placement->ptMinPosition = {-1, -1};
  placement->ptMaxPosition = {-1, -1};
  placement->rcNormalPosition = local && local->hasNormalRect ? local->normalRect : slot->window;
  return TRUE;
}
