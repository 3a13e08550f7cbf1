#include "Desk.h"

#include <base/LastError.h>
#include <base/WinError.h>

#include <unordered_map>

namespace tolvar::user {
namespace {

struct LocalTable {
  std::unordered_map<std::uint32_t, std::shared_ptr<Window>> windows;
};

LocalTable& Table() {
  static LocalTable table;
  return table;
}

}  // namespace

std::recursive_mutex& ProcessLock() {
  static std::recursive_mutex lock;
  return lock;
}

std::shared_ptr<Window> FindLocal(HWND window) {
  std::lock_guard guard(ProcessLock());
  auto& windows = Table().windows;
  auto it = windows.find(HandleValue(window));
  return it == windows.end() ? nullptr : it->second;
}

void AddLocal(const std::shared_ptr<Window>& window) {
  std::lock_guard guard(ProcessLock());
  Table().windows[HandleValue(window->handle)] = window;
}

void RemoveLocal(HWND window) {
  std::shared_ptr<Window> gone;  // released after the lock, its destructor frees GDI objects
  {
    std::lock_guard guard(ProcessLock());
    auto& windows = Table().windows;
    auto it = windows.find(HandleValue(window));
    if (it == windows.end()) return;
    gone = std::move(it->second);
    windows.erase(it);
  }
}

std::vector<std::shared_ptr<Window>> LocalWindows() {
  std::lock_guard guard(ProcessLock());
  std::vector<std::shared_ptr<Window>> result;
  for (auto& [handle, window] : Table().windows) result.push_back(window);
  return result;
}

std::optional<WindowSlot> ReadSlot(HWND window) {
  Station& station = Station::Get();
  return station.With([&](StationData& data) -> std::optional<WindowSlot> {
    WindowSlot* slot = station.Find(data, HandleValue(window));
    if (!slot) return std::nullopt;
    return *slot;
  });
}

bool IsLocal(const WindowSlot& slot) { return slot.pid == Station::Get().Pid(); }

template <class T>
T InvalidWindow(T value) {
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return value;
}
template BOOL InvalidWindow<BOOL>(BOOL);
template bool InvalidWindow<bool>(bool);
template HWND InvalidWindow<HWND>(HWND);
template LONG_PTR InvalidWindow<LONG_PTR>(LONG_PTR);
template UINT InvalidWindow<UINT>(UINT);
template HDC InvalidWindow<HDC>(HDC);

HWND ParentOf(HWND window) {
  auto slot = ReadSlot(window);
  return slot && slot->parent ? HandleOf(slot->parent) : nullptr;
}

DWORD StyleOf(HWND window) {
  auto slot = ReadSlot(window);
  return slot ? slot->style : 0;
}

DWORD ExStyleOf(HWND window) {
  auto slot = ReadSlot(window);
  return slot ? slot->exStyle : 0;
}

std::vector<HWND> ChildrenOf(HWND window) {
  Station& station = Station::Get();
  return station.With([&](StationData& data) {
    std::vector<HWND> children;
    WindowSlot* parent = station.Find(data, HandleValue(window));
    if (!parent) return children;
    for (std::uint32_t h = parent->firstChild; h;) {
      WindowSlot* child = station.FindAny(data, h);
      if (!child) break;
      if (station.IsAlive(child->pid, child->pidStart)) children.push_back(HandleOf(h));
      h = child->next;
    }
    return children;
  });
}

bool IsDescendant(HWND ancestor, HWND window) {
  Station& station = Station::Get();
  return station.With([&](StationData& data) {
    WindowSlot* slot = station.Find(data, HandleValue(window));
    for (int depth = 0; slot && slot->parent && depth < 256; ++depth) {
      if (slot->parent == HandleValue(ancestor)) return true;
      slot = station.Find(data, slot->parent);
    }
    return false;
  });
}

bool IsTopLevel(const WindowSlot& slot) { return slot.parent == kDesktopHandle; }

HWND TopLevelOf(HWND window) {
  Station& station = Station::Get();
  return station.With([&](StationData& data) -> HWND {
    WindowSlot* slot = station.Find(data, HandleValue(window));
    for (int depth = 0; slot && depth < 256; ++depth) {
      if (slot->parent == kDesktopHandle || slot->parent == 0) return HandleOf(slot->handle);
      slot = station.Find(data, slot->parent);
    }
    return nullptr;
  });
}

}  // namespace tolvar::user
