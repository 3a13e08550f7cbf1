// Creating and destroying windows, in Windows' order of messages.
#include "Internal.h"

#include <user/Input.h>
#include <user/Dialog.h>
#include <user/Paint.h>
#include <user/WindowPos.h>

#include <base/LastError.h>
#include <base/WinError.h>
#include <gdi/Gdi.h>
#include <kernel/Kernel.h>

namespace tolvar::user {
namespace {

// WM_PARENTNOTIFY goes up the chain of ancestors as long as the child does not ask otherwise.
void SendParentNotify(HWND window, WORD event) {
  HWND child = window;
  for (int depth = 0; depth < 256; ++depth) {
    auto slot = ReadSlot(child);
    if (!slot || !(slot->style & WS_CHILD) || (slot->exStyle & WS_EX_NOPARENTNOTIFY)) return;
    HWND parent = HandleOf(slot->parent);
    if (!parent || parent == Desktop()) return;
    SendMessageA(parent, WM_PARENTNOTIFY, MAKEWPARAM(event, static_cast<WORD>(GetDlgCtrlID(window))),
                 reinterpret_cast<LPARAM>(window));
    child = parent;
  }
}

// Sends to a window of this process on its own thread, directly when that is the calling thread.
LRESULT SendLocal(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto local = FindLocal(window);
  if (!local) return 0;
  if (local->thread == GetCurrentThreadId()) return CallProcedure(window, message, wParam, lParam);
  return SendMessageA(window, message, wParam, lParam);
}

void SendDestroy(HWND window) {
  if (!FindLocal(window)) return;
  LoseInputState(window, true);
  SendLocal(window, WM_DESTROY, 0, 0);
  for (HWND child : ChildrenOf(window)) SendDestroy(child);
}

// A child of another process goes with its parent, as on Windows: its own thread destroys it and
// gets WM_DESTROY and WM_NCDESTROY, so a hosted program's dialog (and the modal loop that runs it)
// ends with the window it was put in. A program that does not answer in time is asked all the
// same: its mailbox keeps the request, and the station meanwhile keeps the child on the desktop,
// hidden, until the program gets to it.
void DestroyForeignChild(HWND child) {
  auto slot = ReadSlot(child);
  if (!slot || IsLocal(*slot)) return;
  Request request;
  request.op = RemoteOp::Destroy;
  request.window = child;
  RemoteCall(*slot, request);
}

void FreeWindow(HWND window) {
  auto local = FindLocal(window);
  if (!local) return;
  for (HWND child : ChildrenOf(window)) {
    if (FindLocal(child)) FreeWindow(child);
    else DestroyForeignChild(child);
  }
  SendLocal(window, WM_NCDESTROY, 0, 0);
  if (local->thread == GetCurrentThreadId()) kernel::KillWindowTimers(window);
  DestroyCaretOf(window);
  bool topLevel = false;
  Station& station = Station::Get();
  {
    std::lock_guard guard(ProcessLock());
    station.With([&](StationData& data) {
      if (WindowSlot* slot = station.FindAny(data, HandleValue(window))) topLevel = slot->parent == kDesktopHandle;
      station.Free(data, HandleValue(window));
      return 0;
    });
    if (local->windowClass) --local->windowClass->windows;
  }
  if (topLevel) TellDisplayDestroyed(window);
  if (local->menu) DestroyMenuOfWindow(local->menu);
  DestroySystemMenuOf(*local);
  RemoveLocal(window);
}

}  // namespace

Window::~Window() {
  if (update) DeleteObject(update);
  if (ownDc) DeleteDC(ownDc);
  if (surface) DeleteObject(surface);
  if (dialog && dialog->ownsFont && dialog->font) DeleteObject(dialog->font);
}

void StoreWindowText(HWND window, std::string_view text) {
  std::lock_guard guard(ProcessLock());
  if (auto local = FindLocal(window)) local->text = std::string(text);
  WriteSlot(window, [&](WindowSlot& slot) { CopyToField(slot.text, kStationTextMax, text); });
}

void DestroyThreadWindows(DWORD threadId) {
  for (int pass = 0; pass < 4; ++pass) {
    std::vector<HWND> roots;
    for (auto& window : LocalWindows()) {
      if (window->thread != threadId || window->destroying) continue;
      auto parent = ParentOf(window->handle);
      auto parentSlot = parent ? ReadSlot(parent) : std::nullopt;
      // Roots: windows whose parent is not a window of this thread.
      if (!parentSlot || parentSlot->tid != threadId || !IsLocal(*parentSlot)) roots.push_back(window->handle);
    }
    if (roots.empty()) return;
    for (HWND root : roots) DestroyWindow(root);
  }
}

}  // namespace tolvar::user

namespace tolvar::user {
namespace {
thread_local CreationHook t_creationHook;
}  // namespace

CreationHook SetCreationHook(CreationHook hook) {
  CreationHook previous = t_creationHook;
  t_creationHook = hook.proc ? hook : CreationHook{};
  return previous;
}

}  // namespace tolvar::user

using namespace tolvar::user;

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter) {
  ThreadState& me = CurrentThreadState();
  auto windowClass = FindClass(className, instance);
  if (!windowClass) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  if (parent == Desktop()) parent = nullptr;
  HWND treeParent = Desktop();
  HWND owner = nullptr;
  if (style & WS_CHILD) {
    if (!parent) {
      SetLastError(ERROR_TLW_WITH_WSCHILD);
      return nullptr;
    }
    if (!ReadSlot(parent)) return InvalidWindow<HWND>(nullptr);
    treeParent = parent;
  } else if (parent) {
    if (!ReadSlot(parent)) return InvalidWindow<HWND>(nullptr);
    owner = TopLevelOf(parent);
  }
  // Overlapped windows always have a caption; top-level windows never overlap their siblings' pixels.
  if (!(style & (WS_CHILD | WS_POPUP))) style |= WS_CAPTION | WS_CLIPSIBLINGS;
  if (!(style & WS_CHILD)) style |= WS_CLIPSIBLINGS;
  if ((exStyle & WS_EX_DLGMODALFRAME) || (style & (WS_DLGFRAME | WS_THICKFRAME))) exStyle |= WS_EX_WINDOWEDGE;

  const bool overlapped = !(style & (WS_CHILD | WS_POPUP));
  if (x == CW_USEDEFAULT) x = y = 0;
  if (width == CW_USEDEFAULT) {
    if (overlapped) {
      width = 768;
      height = 576;
    } else {
      width = height = 0;
    }
  }

  Station& station = Station::Get();
  auto window = std::make_shared<Window>();
  window->thread = me.Id();
  window->windowClass = windowClass;
  window->proc = windowClass->proc;
  window->instance = instance;
  window->extra.assign(static_cast<std::size_t>(windowClass->windowExtraBytes), 0);
  window->needSize = overlapped;
  if (!(style & WS_CHILD)) window->menu = menu;
  std::uint32_t handle = 0;
  {
    std::lock_guard guard(ProcessLock());
    handle = station.With([&](StationData& data) -> std::uint32_t {
      std::uint32_t h = station.Allocate(data, me.Id());
      if (!h) return 0;
      WindowSlot* slot = station.FindAny(data, h);
      slot->owner = owner ? HandleValue(owner) : 0;
      slot->style = style & ~WS_VISIBLE;
      slot->exStyle = exStyle;
      slot->id = (style & WS_CHILD) ? reinterpret_cast<std::int64_t>(menu) : 0;
      slot->window = {x, y, x + width, y + height};
      slot->client = slot->window;
      CopyToField(slot->className, kClassNameMax, windowClass->name);
      station.Link(data, h, HandleValue(treeParent), (style & WS_CHILD) ? 1 : 0);
      return h;
    });
    if (!handle) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    window->handle = HandleOf(handle);
    ++windowClass->windows;
    AddLocal(window);
  }
  HWND hwnd = window->handle;

  CREATESTRUCTA cs{parameter, instance, menu, parent, height, width, y, x, static_cast<LONG>(style), windowName,
                   className, exStyle};
  if (t_creationHook.proc) t_creationHook.proc(hwnd, cs, t_creationHook.context);
  if ((style & WS_THICKFRAME) || overlapped) {
    MINMAXINFO info{};
    info.ptMaxSize = {GetSystemMetrics(SM_CXMAXIMIZED), GetSystemMetrics(SM_CYMAXIMIZED)};
    info.ptMaxPosition = {-4, -4};
    info.ptMinTrackSize = {GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
    // The largest a window may be made: the screen and its frame, as Windows answers SM_CXMAXTRACK.
    info.ptMaxTrackSize = {GetSystemMetrics(SM_CXSCREEN) + 12, GetSystemMetrics(SM_CYSCREEN) + 12};
    CallProcedure(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    width = std::clamp(width, static_cast<int>(info.ptMinTrackSize.x), std::max<int>(info.ptMinTrackSize.x, info.ptMaxTrackSize.x));
    height = std::clamp(height, static_cast<int>(info.ptMinTrackSize.y), std::max<int>(info.ptMinTrackSize.y, info.ptMaxTrackSize.y));
    cs.cx = width;
    cs.cy = height;
    WriteSlot(hwnd, [&](WindowSlot& slot) { slot.window = slot.client = {x, y, x + width, y + height}; });
  }

  auto fail = [&]() -> HWND {
    if (IsWindow(hwnd)) {
      if (window->created) {
        DestroyWindow(hwnd);
      } else {
        window->destroying = true;
        CallProcedure(hwnd, WM_NCDESTROY, 0, 0);
        station.With([&](StationData& data) {
          station.Free(data, handle);
          return 0;
        });
        {
          std::lock_guard guard(ProcessLock());
          --windowClass->windows;
        }
        RemoveLocal(hwnd);
      }
    }
    return nullptr;
  };

  if (!CallProcedure(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) return fail();
  window->created = true;
  if (!IsWindow(hwnd)) return nullptr;

  RECT rect{x, y, x + width, y + height};
  CallProcedure(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&rect));
  WriteSlot(hwnd, [&](WindowSlot& slot) { slot.client = rect; });

  if (CallProcedure(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) return fail();
  if (!IsWindow(hwnd)) return nullptr;

  if (!window->needSize) {
    auto slot = ReadSlot(hwnd);
    if (slot) {
      CallProcedure(hwnd, WM_SIZE, SIZE_RESTORED,
                    MAKELPARAM(static_cast<WORD>(slot->client.right - slot->client.left),
                               static_cast<WORD>(slot->client.bottom - slot->client.top)));
      CallProcedure(hwnd, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(slot->client.left), static_cast<WORD>(slot->client.top)));
    }
  }
  if (style & WS_CHILD) SendParentNotify(hwnd, WM_CREATE);
  if (!IsWindow(hwnd)) return nullptr;
  if (!(style & WS_CHILD)) TellDisplayCreated(hwnd);
  if (style & WS_VISIBLE) {
    int show = (style & WS_MAXIMIZE) ? SW_SHOWMAXIMIZED : (style & WS_MINIMIZE) ? SW_SHOWMINIMIZED : SW_SHOW;
    ShowWindow(hwnd, show);
  }
  return hwnd;
}

namespace tolvar::user {
namespace {

// `withParent`: the parent, of another process, is going; the window is neither hidden first nor
// announced to that parent, whose thread waits for this one.
BOOL DestroyOnThread(HWND window, bool withParent) {
  auto slot = ReadSlot(window);
  if (!slot || slot->handle == kDesktopHandle) return InvalidWindow(FALSE);
  if (!IsLocal(*slot) || slot->tid != GetCurrentThreadId()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  auto local = FindLocal(window);
  if (!local) return InvalidWindow(FALSE);
  if (local->destroying) return TRUE;
  local->destroying = true;
  const bool child = (slot->style & WS_CHILD) != 0;

  if (child && !withParent) SendParentNotify(window, WM_DESTROY);
  if ((StyleOf(window) & WS_VISIBLE) && !withParent) {
    if (child) {
      ShowWindow(window, SW_HIDE);
    } else {
      SetWindowPos(window, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    }
  }
  if (!IsWindow(window)) return TRUE;
  // Windows it owns go first.
  if (!child) {
    for (auto& other : LocalWindows()) {
      if (other->destroying || other->thread != GetCurrentThreadId()) continue;
      auto otherSlot = ReadSlot(other->handle);
      if (otherSlot && otherSlot->owner == HandleValue(window)) DestroyWindow(other->handle);
    }
  }
  SendDestroy(window);
  FreeWindow(window);
  return TRUE;
}

}  // namespace

BOOL DestroyWithParent(HWND window) {
  const BOOL done = DestroyOnThread(window, true);
  // The loop that ran the window (a modal dialog's, the program's own) waits for a message before
  // it looks at its window again: one that does nothing wakes it.
  PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
  return done;
}

}  // namespace tolvar::user

BOOL DestroyWindow(HWND window) { return tolvar::user::DestroyOnThread(window, false); }
