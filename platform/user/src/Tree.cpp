// The window tree: parents, owners, siblings, enumeration and search, enabling.
#include "Internal.h"

#include <user/Input.h>
#include <user/WindowPos.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <resources/Resource.h>

#include <algorithm>
#include <strings.h>

namespace tolvar::user {
namespace {

// Descendants of `window`, depth first, parents before their children.
void CollectDescendants(HWND window, std::vector<HWND>& out, int depth = 0) {
  if (depth > 256) return;
  for (HWND child : ChildrenOf(window)) {
    out.push_back(child);
    CollectDescendants(child, out, depth + 1);
  }
}

bool Matches(const WindowSlot& slot, LPCSTR className, LPCSTR windowName) {
  if (className) {
    if (IS_INTRESOURCE(className)) {
      std::string numeric = "#" + std::to_string(reinterpret_cast<ULONG_PTR>(className));
      if (strcasecmp(slot.className, numeric.c_str()) != 0) {
        auto local = FindClass(className, nullptr);  // an atom of this process names a class by name
        if (!local || strcasecmp(slot.className, local->name.c_str()) != 0) return false;
      }
    } else if (strcasecmp(slot.className, className) != 0) {
      return false;
    }
  }
  return !windowName || strcasecmp(slot.text, windowName) == 0;
}

HWND SiblingStep(HWND window, bool next) {
  Station& station = Station::Get();
  return station.With([&](StationData& data) -> HWND {
    WindowSlot* slot = station.Find(data, HandleValue(window));
    if (!slot) return nullptr;
    for (std::uint32_t h = next ? slot->next : slot->prev; h;) {
      WindowSlot* s = station.FindAny(data, h);
      if (!s) return nullptr;
      if (station.IsAlive(s->pid, s->pidStart)) return HandleOf(h);
      h = next ? s->next : s->prev;
    }
    return nullptr;
  });
}

}  // namespace
}  // namespace tolvar::user

using namespace tolvar::user;

BOOL IsWindow(HWND window) {
  if (!window) return FALSE;
  return ReadSlot(window) ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND window) {
  Station& station = Station::Get();
  return station.With([&](StationData& data) -> BOOL {
    WindowSlot* slot = station.Find(data, HandleValue(window));
    for (int depth = 0; slot && depth < 256; ++depth) {
      if (!(slot->style & WS_VISIBLE)) return FALSE;
      if (slot->parent == kDesktopHandle || slot->parent == 0) return TRUE;
      slot = station.Find(data, slot->parent);
    }
    return FALSE;
  });
}

BOOL IsWindowEnabled(HWND window) {
  auto slot = ReadSlot(window);
  return slot && !(slot->style & WS_DISABLED) ? TRUE : FALSE;
}

BOOL IsChild(HWND parent, HWND window) {
  // Only a chain of WS_CHILD windows leads to a parent; an owned or hosted pop-up is no child.
  HWND current = window;
  for (int depth = 0; depth < 256; ++depth) {
    auto slot = ReadSlot(current);
    if (!slot || !(slot->style & WS_CHILD)) return FALSE;
    if (slot->parent == HandleValue(parent)) return TRUE;
    current = HandleOf(slot->parent);
  }
  return FALSE;
}

BOOL IsIconic(HWND window) { return (StyleOf(window) & WS_MINIMIZE) ? TRUE : FALSE; }
BOOL IsZoomed(HWND window) { return (StyleOf(window) & WS_MAXIMIZE) ? TRUE : FALSE; }

BOOL EnableWindow(HWND window, BOOL enable) {
  auto slot = ReadSlot(window);
  if (!slot || slot->handle == kDesktopHandle) return InvalidWindow(FALSE);
  if (!IsLocal(*slot)) {
    Request request;
    request.op = RemoteOp::EnableWindow;
    request.window = window;
    request.args = {enable};
    auto answer = RemoteCall(*slot, request);
    return answer ? static_cast<BOOL>(answer->result) : FALSE;
  }
  const bool wasDisabled = (slot->style & WS_DISABLED) != 0;
  if (enable && wasDisabled) {
    WriteSlot(window, [](WindowSlot& s) { s.style &= ~WS_DISABLED; });
    SendMessageA(window, WM_ENABLE, TRUE, 0);
  } else if (!enable && !wasDisabled) {
    SendMessageA(window, WM_CANCELMODE, 0, 0);
    WriteSlot(window, [](WindowSlot& s) { s.style |= WS_DISABLED; });
    HWND focus = GetFocus();
    if (focus == window || IsDescendant(window, focus)) SetFocus(nullptr);
    if (GetCapture() == window) ReleaseCapture();
    SendMessageA(window, WM_ENABLE, FALSE, 0);
  }
  return wasDisabled ? TRUE : FALSE;
}

HWND GetDesktopWindow() { return Desktop(); }

HWND GetParent(HWND window) {
  auto slot = ReadSlot(window);
  if (!slot) return InvalidWindow<HWND>(nullptr);
  if (slot->style & WS_POPUP) return HandleOf(slot->owner);
  if (slot->style & WS_CHILD) return slot->parent == kDesktopHandle ? nullptr : HandleOf(slot->parent);
  return nullptr;
}

HWND SetParent(HWND window, HWND newParent) {
  auto slot = ReadSlot(window);
  if (!slot || slot->handle == kDesktopHandle) return InvalidWindow<HWND>(nullptr);
  if (!newParent) newParent = Desktop();
  if (!ReadSlot(newParent)) return InvalidWindow<HWND>(nullptr);
  if (newParent == window || IsDescendant(window, newParent)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (!IsLocal(*slot)) {
    Request request;
    request.op = RemoteOp::SetParent;
    request.window = window;
    request.args = {HandleValue(newParent)};
    auto answer = RemoteCall(*slot, request);
    return answer ? HandleOf(static_cast<std::uint32_t>(answer->result)) : nullptr;
  }
  const HWND oldParent = HandleOf(slot->parent);
  const bool wasVisible = ShowWindow(window, SW_HIDE) != FALSE;
  Station& station = Station::Get();
  station.With([&](StationData& data) {
    station.Unlink(data, HandleValue(window));
    station.Link(data, HandleValue(window), HandleValue(newParent), 0);
    return 0;
  });
  if (auto local = FindLocal(window); local && local->surface) {
    ForgetPainting(*local);  // a new place may need a backing bitmap of its own, or none
  }
  // The window keeps its position relative to the parent's client area, and comes to the top.
  auto now = ReadSlot(window);
  if (now) {
    SetWindowPos(window, HWND_TOP, now->window.left, now->window.top, 0, 0,
                 SWP_NOSIZE | (wasVisible ? SWP_SHOWWINDOW : 0));
  }
  if (oldParent == Desktop()) TellDisplayDestroyed(window);
  if (newParent == Desktop()) TellDisplayCreated(window);
  return oldParent;
}

HWND GetWindow(HWND window, UINT command) {
  auto slot = ReadSlot(window);
  if (!slot) return InvalidWindow<HWND>(nullptr);
  switch (command) {
    case GW_CHILD: {
      auto children = ChildrenOf(window);
      return children.empty() ? nullptr : children.front();
    }
    case GW_HWNDFIRST:
    case GW_HWNDLAST: {
      auto siblings = ChildrenOf(HandleOf(slot->parent));
      if (siblings.empty()) return nullptr;
      return command == GW_HWNDFIRST ? siblings.front() : siblings.back();
    }
    case GW_HWNDNEXT: return SiblingStep(window, true);
    case GW_HWNDPREV: return SiblingStep(window, false);
    case GW_OWNER: return slot->owner && ReadSlot(HandleOf(slot->owner)) ? HandleOf(slot->owner) : nullptr;
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
  }
}

HWND GetAncestor(HWND window, UINT flags) {
  auto slot = ReadSlot(window);
  if (!slot) return InvalidWindow<HWND>(nullptr);
  if (slot->handle == kDesktopHandle) return nullptr;
  switch (flags) {
    case GA_PARENT: return HandleOf(slot->parent);
    case GA_ROOT: return TopLevelOf(window);
    case GA_ROOTOWNER: {
      HWND root = TopLevelOf(window);
      for (int depth = 0; depth < 256; ++depth) {
        HWND owner = GetWindow(root, GW_OWNER);
        if (!owner) break;
        root = owner;
      }
      return root;
    }
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
  }
}

DWORD GetWindowThreadProcessId(HWND window, LPDWORD processId) {
  auto slot = ReadSlot(window);
  if (!slot) {
    if (processId) *processId = 0;
    return InvalidWindow<DWORD>(0);
  }
  if (processId) *processId = static_cast<DWORD>(slot->pid);
  return slot->tid;
}

BOOL EnumWindows(WNDENUMPROC callback, LPARAM lParam) {
  if (!callback) return FALSE;
  for (HWND window : ChildrenOf(Desktop())) {
    if (IsWindow(window) && !callback(window, lParam)) break;
  }
  return TRUE;
}

BOOL EnumChildWindows(HWND parent, WNDENUMPROC callback, LPARAM lParam) {
  if (!callback) return FALSE;
  std::vector<HWND> all;
  CollectDescendants(parent ? parent : Desktop(), all);
  for (HWND window : all) {
    if (IsWindow(window) && !callback(window, lParam)) break;
  }
  return TRUE;
}

BOOL EnumThreadWindows(DWORD threadId, WNDENUMPROC callback, LPARAM lParam) {
  if (!callback) return FALSE;
  for (HWND window : ChildrenOf(Desktop())) {
    auto slot = ReadSlot(window);
    if (slot && slot->tid == threadId && !callback(window, lParam)) break;
  }
  return TRUE;
}

HWND FindWindowA(LPCSTR className, LPCSTR windowName) {
  return FindWindowExA(nullptr, nullptr, className, windowName);
}

HWND FindWindowExA(HWND parent, HWND childAfter, LPCSTR className, LPCSTR windowName) {
  auto children = ChildrenOf(parent ? parent : Desktop());
  auto it = children.begin();
  if (childAfter) {
    it = std::find(children.begin(), children.end(), childAfter);
    if (it == children.end()) return nullptr;
    ++it;
  }
  for (; it != children.end(); ++it) {
    auto slot = ReadSlot(*it);
    if (slot && Matches(*slot, className, windowName)) return *it;
  }
  return nullptr;
}
