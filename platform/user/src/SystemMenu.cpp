// The system menu: the menu behind a window's caption icon and Alt+Space. Each window with
// WS_SYSMENU gets its own copy the first time it is asked for (GetSystemMenu), so a program may
// append commands of its own; GetSystemMenu(window, TRUE) drops the copy and the window goes back to
// the standard entries. The entries' states follow the window's (a maximized window cannot be moved,
// a window without a sizing frame cannot be sized...), refreshed each time the menu is shown. A
// chosen entry is posted to the window as WM_SYSCOMMAND, whose default handling carries out the
// standard commands; a program handles the commands it appended itself.
#include "Internal.h"
#include "MenuObject.h"

#include <user/Input.h>
#include <user/Menu.h>
#include <user/WindowPos.h>

#include <base/LastError.h>
#include <gdi/Gdi.h>

namespace tolvar::user {
namespace {

struct StandardEntry {
  WPARAM command;  // 0: a separator
  const char* text;
  bool sizable;  // only for windows that can be minimized, maximized or sized
};
constexpr StandardEntry kStandardEntries[] = {
    {SC_RESTORE, "&Restore", true},   {SC_MOVE, "&Move", false},          {SC_SIZE, "&Size", true},
    {SC_MINIMIZE, "Mi&nimize", true}, {SC_MAXIMIZE, "Ma&ximize", true}, {0, nullptr, true},
    {SC_CLOSE, "&Close\tAlt+F4", false},
};

HMENU MakeStandardMenu(DWORD style) {
  HMENU menu = CreatePopupMenu();
  // A dialog's menu (no boxes, no sizing frame) offers only Move and Close.
  const bool sizable = (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME)) != 0;
  for (const StandardEntry& e : kStandardEntries) {
    if (e.sizable && !sizable) continue;
    if (!e.command) AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    else AppendMenuA(menu, MF_STRING, e.command, e.text);
  }
  SetMenuDefaultItem(menu, SC_CLOSE, FALSE);
  return menu;
}

// Grays the entries the window's state does not allow now.
void RefreshStates(HWND window, HMENU menu) {
  const DWORD style = StyleOf(window);
  const bool maximized = style & WS_MAXIMIZE, minimized = style & WS_MINIMIZE;
  auto local = FindLocal(window);
  const bool noClose = local && local->windowClass && (local->windowClass->style & CS_NOCLOSE);
  struct Rule {
    WPARAM command;
    bool enabled;
  };
  const Rule rules[] = {
      {SC_RESTORE, maximized || minimized},
      {SC_MOVE, !maximized},
      {SC_SIZE, (style & WS_THICKFRAME) && !maximized && !minimized},
      {SC_MINIMIZE, (style & WS_MINIMIZEBOX) && !minimized},
      {SC_MAXIMIZE, (style & WS_MAXIMIZEBOX) && !maximized},
      {SC_CLOSE, !noClose},
  };
  for (const Rule& r : rules) {
    EnableMenuItem(menu, static_cast<UINT>(r.command), MF_BYCOMMAND | (r.enabled ? MF_ENABLED : MF_GRAYED));
  }
}

}  // namespace

void DestroySystemMenuOf(Window& window) {
  HMENU menu = nullptr;
  {
    std::lock_guard guard(ProcessLock());
    std::swap(menu, window.systemMenu);
  }
  if (menu) DestroyMenu(menu);
}

void TrackSystemMenu(HWND window, bool byKey) {
  HWND top = (StyleOf(window) & WS_CHILD) ? window : TopLevelOf(window);
  if (!(StyleOf(top) & WS_SYSMENU)) return;
  HMENU menu = GetSystemMenu(top, FALSE);
  if (!menu) return;
  RefreshStates(top, menu);
  // Under the caption's left end, where the icon is.
  RECT frame{};
  GetWindowRect(top, &frame);
  POINT below{0, 0};
  ClientToScreen(top, &below);
  RECT bar = MenuBarRect(top);
  const int y = IsRectEmpty(&bar) ? below.y : frame.top + bar.top;
  // By mouse the menu drops from the icon; by keys from the same place, as there is no pointer to follow.
  const int x = byKey ? below.x : std::max<LONG>(frame.left, below.x);
  const UINT flags = TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | kTrackSystemMenu;
  const DWORD opened = static_cast<DWORD>(GetMessageTime());  // of the press that opened it
  const UINT chosen = static_cast<UINT>(TrackMenu(menu, flags, x, y, top, nullptr, nullptr));
  if (!IsWindow(top)) return;
  if (chosen) {
    PostMessageA(top, WM_SYSCOMMAND, chosen, 0);
    return;
  }
  // A second press on the icon closed the menu: a double click on the icon closes the window.
  auto click = LastMenuCancelClick();
  if (!byKey && click && (click->doubleClick || click->time - opened <= GetDoubleClickTime()) &&
      NonClientHitTest(top, click->screen) == HTSYSMENU && !(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED)) {
    PostMessageA(top, WM_SYSCOMMAND, SC_CLOSE,
                 MAKELPARAM(static_cast<WORD>(click->screen.x), static_cast<WORD>(click->screen.y)));
  }
}

}  // namespace tolvar::user

using namespace tolvar::user;

HMENU GetSystemMenu(HWND window, BOOL revert) {
  auto local = FindLocal(window);
  if (!local) {
    InvalidWindow(FALSE);
    return nullptr;
  }
  if (revert) {
    DestroySystemMenuOf(*local);
    return nullptr;
  }
  const DWORD style = StyleOf(window);
  if (!(style & WS_SYSMENU)) return nullptr;
  std::lock_guard guard(ProcessLock());
  if (!local->systemMenu) local->systemMenu = MakeStandardMenu(style);
  return local->systemMenu;
}

BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags) {
  const bool byPosition = (flags & MF_BYPOSITION) != 0;
  auto from = FindMenuEntry(menu, first, byPosition);
  auto to = FindMenuEntry(menu, last, byPosition);
  // The range must lie in one menu (by command the entries may sit in a sub-menu).
  if (!from || !to || from->menu != to->menu) return FALSE;
  std::lock_guard guard(ProcessLock());
  auto& entries = from->object->entries;
  const std::size_t low = std::min(from->index, to->index), high = std::max(from->index, to->index);
  bool found = false;
  for (std::size_t i = low; i <= high && i < entries.size(); ++i) {
    MenuEntry& entry = entries[i];
    if (entry.type & MF_SEPARATOR) continue;
    const bool hit = byPosition ? i == check : entry.id == check && !entry.subMenu;
    if (hit) {
      entry.type |= MFT_RADIOCHECK;
      entry.state |= MF_CHECKED;
      found = true;
    } else {
      entry.type &= ~MFT_RADIOCHECK;
      entry.state &= ~MF_CHECKED;
    }
  }
  return found ? TRUE : FALSE;
}
