#pragma once
// The process's side of the window manager: its own window objects by handle, the lock that guards
// them, and short-hands for reading and changing the station's records.
//
// Lock order: the process lock, then the station lock. Neither is held while a window procedure
// runs or while a thread waits.
#include "Station.h"
#include "WindowObject.h"

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace tolvar::user {

std::recursive_mutex& ProcessLock();

// This process's window object for `window`, or null (no window, or another process's).
std::shared_ptr<Window> FindLocal(HWND window);
void AddLocal(const std::shared_ptr<Window>& window);
void RemoveLocal(HWND window);
std::vector<std::shared_ptr<Window>> LocalWindows();

// A copy of the station's record of a live window.
std::optional<WindowSlot> ReadSlot(HWND window);
// Changes the record of a live window under the station lock; false when there is none.
template <class F>
bool WriteSlot(HWND window, F&& change) {
  Station& station = Station::Get();
  return station.With([&](StationData& data) {
    WindowSlot* slot = station.Find(data, HandleValue(window));
    if (!slot) return false;
    change(*slot);
    return true;
  });
}

// Whether the window lives in this process; false for no window.
bool IsLocal(const WindowSlot& slot);
inline HWND Desktop() { return HandleOf(kDesktopHandle); }

// Sets ERROR_INVALID_WINDOW_HANDLE and returns `value`.
template <class T>
T InvalidWindow(T value);

// The window's parent handle in the tree (the desktop for a top-level window), NULL for none.
HWND ParentOf(HWND window);
DWORD StyleOf(HWND window);
DWORD ExStyleOf(HWND window);
// Children in z-order, topmost first.
std::vector<HWND> ChildrenOf(HWND window);
// Whether `ancestor` is a proper ancestor of `window` in the tree.
bool IsDescendant(HWND ancestor, HWND window);
// A window whose style has WS_CHILD is a child; everything else with the desktop as parent is
// top-level.
bool IsTopLevel(const WindowSlot& slot);
// The top-level window that holds `window` (itself when top-level).
HWND TopLevelOf(HWND window);

}  // namespace tolvar::user
