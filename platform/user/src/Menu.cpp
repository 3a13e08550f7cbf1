// Menus: the handle table, building and changing entries, templates, and menus of windows.
#include "Internal.h"
#include "MenuObject.h"

#include <user/Menu.h>
#include <user/Paint.h>
#include <user/WindowPos.h>

#include <base/CodePage.h>
#include <base/LastError.h>
#include <base/WinError.h>
#include <gdi/Gdi.h>
#include <resources/Resource.h>
#include <resources/ResourceData.h>

#include <cstring>
#include <unordered_map>

namespace tolvar::user {
namespace {

// Handles are small numbers: a sub-menu's handle also serves as its entry's 32-bit id.
constexpr std::uint32_t kFirstMenu = 0x00C00001;

struct MenuTable {
  std::unordered_map<std::uint32_t, std::shared_ptr<MenuObject>> menus;
  std::uint32_t next = kFirstMenu;
};

MenuTable& Menus() {
  static MenuTable table;
  return table;
}

std::uint32_t ValueOf(HMENU menu) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(menu)); }

HMENU NewMenu(bool popup) {
  std::lock_guard guard(ProcessLock());
  MenuTable& table = Menus();
  auto object = std::make_shared<MenuObject>();
  object->popup = popup;
  std::uint32_t value = table.next++;
  table.menus[value] = object;
  return reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(value));
}

bool InvalidMenu() {
  SetLastError(ERROR_INVALID_MENU_HANDLE);
  return false;
}

bool NoEntry() {
  SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
  return false;
}

// An entry from the flags of AppendMenu, InsertMenu and ModifyMenu.
MenuEntry EntryOf(UINT flags, UINT_PTR item, LPCSTR newItem) {
  MenuEntry entry;
  entry.type = flags & (MF_BITMAP | MF_OWNERDRAW | MF_SEPARATOR | MF_MENUBARBREAK | MF_MENUBREAK | MF_RIGHTJUSTIFY);
  entry.state = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_HILITE | MF_DEFAULT);
  if (flags & MF_POPUP) {
    entry.subMenu = reinterpret_cast<HMENU>(item);
    entry.id = static_cast<UINT>(item);
  } else {
    entry.id = static_cast<UINT>(item);
  }
  if (flags & MF_OWNERDRAW) {
    entry.data = reinterpret_cast<ULONG_PTR>(newItem);
  } else if (flags & MF_BITMAP) {
    entry.bitmap = reinterpret_cast<HBITMAP>(const_cast<char*>(newItem));
  } else if (!(flags & MF_SEPARATOR) && newItem) {
    entry.text = newItem;
  }
  return entry;
}

void Destroy(HMENU menu, int depth = 0) {
  std::shared_ptr<MenuObject> object;
  {
    std::lock_guard guard(ProcessLock());
    auto& menus = Menus().menus;
    auto it = menus.find(ValueOf(menu));
    if (it == menus.end()) return;
    object = std::move(it->second);
    menus.erase(it);
  }
  if (depth > 32) return;
  for (const MenuEntry& entry : object->entries) {
    if (entry.subMenu) Destroy(entry.subMenu, depth + 1);
  }
}

bool Insert(HMENU menu, UINT position, bool byPosition, MenuEntry entry) {
  std::lock_guard guard(ProcessLock());
  auto object = FindMenu(menu);
  if (!object) return InvalidMenu();
  if (byPosition || position == static_cast<UINT>(-1)) {
    std::size_t at = position == static_cast<UINT>(-1) ? object->entries.size() : std::min<std::size_t>(position, object->entries.size());
    object->entries.insert(object->entries.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
    return true;
  }
  auto place = FindMenuEntry(menu, position, false);
  if (!place) {
    // Windows appends when the command is not there.
    object->entries.push_back(std::move(entry));
    return true;
  }
  place->object->entries.insert(place->object->entries.begin() + static_cast<std::ptrdiff_t>(place->index),
                                std::move(entry));
  return true;
}

// Reads one level of a menu template into `menu`; false when the template ends too early.
bool ReadLevel(const BYTE*& p, const BYTE* end, HMENU menu, int depth) {
  if (depth > 16) return false;
  for (;;) {
    if (end - p < 2) return false;
    WORD options = static_cast<WORD>(p[0] | (p[1] << 8));
    p += 2;
    WORD id = 0;
    if (!(options & MF_POPUP)) {
      if (end - p < 2) return false;
      id = static_cast<WORD>(p[0] | (p[1] << 8));
      p += 2;
    }
    std::u16string wide;
    for (;;) {
      if (end - p < 2) return false;
      char16_t c = static_cast<char16_t>(p[0] | (p[1] << 8));
      p += 2;
      if (!c) break;
      wide.push_back(c);
    }
    std::string text;
    if (!wide.empty()) {
      int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
      text.assign(static_cast<std::size_t>(n), '\0');
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n, nullptr, nullptr);
    }
    UINT flags = options & ~MF_END;
    if (options & MF_POPUP) {
      HMENU sub = CreatePopupMenu();
      if (!ReadLevel(p, end, sub, depth + 1)) {
        DestroyMenu(sub);
        return false;
      }
      AppendMenuA(menu, flags, reinterpret_cast<UINT_PTR>(sub), text.c_str());
    } else {
      // An entry with neither id nor text nor options is a separator.
      if (!id && text.empty() && !flags) flags = MF_SEPARATOR;
      AppendMenuA(menu, flags, id, text.c_str());
    }
    if (options & MF_END) return true;
  }
}

HMENU FromTemplate(const BYTE* bytes, std::size_t size) {
  if (!bytes || size < 4) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  WORD version = static_cast<WORD>(bytes[0] | (bytes[1] << 8));
  WORD offset = static_cast<WORD>(bytes[2] | (bytes[3] << 8));
  if (version != 0 || 4u + offset > size) {
    SetLastError(ERROR_INVALID_PARAMETER);  // only the normal format is written by the compiler
    return nullptr;
  }
  const BYTE* p = bytes + 4 + offset;
  const BYTE* end = size == SIZE_MAX ? reinterpret_cast<const BYTE*>(UINTPTR_MAX) : bytes + size;
  HMENU menu = CreateMenu();
  if (!ReadLevel(p, end, menu, 0)) {
    DestroyMenu(menu);
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return menu;
}

UINT StateBits(const MenuEntry& entry) { return entry.type | entry.state | (entry.subMenu ? MF_POPUP : 0); }

}  // namespace

HMENU MenuFromTemplate(const BYTE* bytes, std::size_t size) { return FromTemplate(bytes, size); }

std::shared_ptr<MenuObject> FindMenu(HMENU menu) {
  std::lock_guard guard(ProcessLock());
  auto& menus = Menus().menus;
  auto it = menus.find(ValueOf(menu));
  return it == menus.end() ? nullptr : it->second;
}

std::optional<MenuPlace> FindMenuEntry(HMENU menu, UINT item, bool byPosition) {
  std::lock_guard guard(ProcessLock());
  auto object = FindMenu(menu);
  if (!object) return std::nullopt;
  if (byPosition) {
    if (item >= object->entries.size()) return std::nullopt;
    return MenuPlace{menu, object, item};
  }
  for (std::size_t i = 0; i < object->entries.size(); ++i) {
    const MenuEntry& entry = object->entries[i];
    if (entry.subMenu) {
      if (auto inner = FindMenuEntry(entry.subMenu, item, false)) return inner;
    } else if (entry.id == item && !(entry.type & MF_SEPARATOR)) {
      return MenuPlace{menu, object, i};
    }
  }
  return std::nullopt;
}

HFONT CreateMenuFont() {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  return CreateFontIndirectA(&metrics.lfMenuFont);
}

void SplitMenuText(const std::string& text, std::string& label, std::string& accelerator) {
  auto tab = text.find('\t');
  label = text.substr(0, tab);
  accelerator = tab == std::string::npos ? std::string() : text.substr(tab + 1);
}

void DestroyMenuOfWindow(HMENU menu) { Destroy(menu); }

bool HasMenuBar(HWND window, DWORD style) {
  if (style & WS_CHILD) return false;
  auto local = FindLocal(window);
  return local && local->menu && FindMenu(local->menu);
}

}  // namespace tolvar::user

using namespace tolvar::user;

HMENU CreateMenu() { return NewMenu(false); }
HMENU CreatePopupMenu() { return NewMenu(true); }

BOOL DestroyMenu(HMENU menu) {
  if (!FindMenu(menu)) return InvalidMenu();
  Destroy(menu);
  return TRUE;
}

BOOL IsMenu(HMENU menu) { return FindMenu(menu) ? TRUE : FALSE; }

HMENU LoadMenuA(HINSTANCE instance, LPCSTR name) {
  auto bytes = tolvar::resources::ResourceBytes(instance, RT_MENU, name);
  if (bytes.empty()) return nullptr;
  return FromTemplate(bytes.data(), bytes.size());
}

HMENU LoadMenuIndirectA(LPCMENUTEMPLATEA menuTemplate) {
  return FromTemplate(static_cast<const BYTE*>(menuTemplate), SIZE_MAX);
}

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR item, LPCSTR newItem) {
  return Insert(menu, static_cast<UINT>(-1), true, EntryOf(flags, item, newItem));
}

BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR item, LPCSTR newItem) {
  return Insert(menu, position, (flags & MF_BYPOSITION) != 0, EntryOf(flags, item, newItem));
}

BOOL ModifyMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR item, LPCSTR newItem) {
  std::lock_guard guard(ProcessLock());
  auto place = FindMenuEntry(menu, position, (flags & MF_BYPOSITION) != 0);
  if (!place) return FindMenu(menu) ? NoEntry() : InvalidMenu();
  MenuEntry& entry = place->Entry();
  MenuEntry replaced = EntryOf(flags, item, newItem);
  replaced.checkedBitmap = entry.checkedBitmap;
  replaced.uncheckedBitmap = entry.uncheckedBitmap;
  // An owner-drawn entry's data stays when it is modified without a new one (MF_STRING with NULL).
  if ((flags & MF_OWNERDRAW) == 0 && !newItem && (entry.type & MF_OWNERDRAW)) replaced.data = entry.data;
  entry = std::move(replaced);
  return TRUE;
}

BOOL RemoveMenu(HMENU menu, UINT position, UINT flags) {
  std::lock_guard guard(ProcessLock());
  auto place = FindMenuEntry(menu, position, (flags & MF_BYPOSITION) != 0);
  if (!place) return FindMenu(menu) ? NoEntry() : InvalidMenu();
  place->object->entries.erase(place->object->entries.begin() + static_cast<std::ptrdiff_t>(place->index));
  return TRUE;
}

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) {
  HMENU sub = nullptr;
  {
    std::lock_guard guard(ProcessLock());
    auto place = FindMenuEntry(menu, position, (flags & MF_BYPOSITION) != 0);
    if (!place) return FindMenu(menu) ? NoEntry() : InvalidMenu();
    sub = place->Entry().subMenu;
  }
  if (!RemoveMenu(menu, position, flags)) return FALSE;
  if (sub) Destroy(sub);
  return TRUE;
}

int GetMenuItemCount(HMENU menu) {
  std::lock_guard guard(ProcessLock());
  auto object = FindMenu(menu);
  if (!object) {
    InvalidMenu();
    return -1;
  }
  return static_cast<int>(object->entries.size());
}

UINT GetMenuItemID(HMENU menu, int position) {
  std::lock_guard guard(ProcessLock());
  auto place = position < 0 ? std::nullopt : FindMenuEntry(menu, static_cast<UINT>(position), true);
  if (!place || place->Entry().subMenu) return static_cast<UINT>(-1);
  return place->Entry().id;
}

HMENU GetSubMenu(HMENU menu, int position) {
  std::lock_guard guard(ProcessLock());
  auto place = position < 0 ? std::nullopt : FindMenuEntry(menu, static_cast<UINT>(position), true);
  return place ? place->Entry().subMenu : nullptr;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
  std::lock_guard guard(ProcessLock());
  auto place = FindMenuEntry(menu, item, (flags & MF_BYPOSITION) != 0);
  if (!place) return static_cast<UINT>(-1);
  const MenuEntry& entry = place->Entry();
  if (entry.subMenu) {
    auto sub = FindMenu(entry.subMenu);
    UINT count = sub ? static_cast<UINT>(sub->entries.size()) : 0;
    return (count << 8) | (StateBits(entry) & 0xFF);
  }
  return StateBits(entry);
}

int GetMenuStringA(HMENU menu, UINT item, LPSTR buffer, int bufferMax, UINT flags) {
  std::lock_guard guard(ProcessLock());
  auto place = FindMenuEntry(menu, item, (flags & MF_BYPOSITION) != 0);
  if (!place) {
    if (buffer && bufferMax > 0) buffer[0] = 0;
    return 0;
  }
  const std::string& text = place->Entry().text;
  if (!buffer || bufferMax <= 0) return static_cast<int>(text.size());
  int n = std::min(static_cast<int>(text.size()), bufferMax - 1);
  std::memcpy(buffer, text.data(), static_cast<std::size_t>(n));
  buffer[n] = 0;
  return n;
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT check) {
  std::lock_guard guard(ProcessLock());
  auto place = FindMenuEntry(menu, item, (check & MF_BYPOSITION) != 0);
  if (!place) return static_cast<DWORD>(-1);
  MenuEntry& entry = place->Entry();
  DWORD old = entry.state & MF_CHECKED;
  entry.state = (entry.state & ~MF_CHECKED) | (check & MF_CHECKED);
  return old;
}

BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable) {
  std::lock_guard guard(ProcessLock());
  auto place = FindMenuEntry(menu, item, (enable & MF_BYPOSITION) != 0);
  if (!place) return -1;
  MenuEntry& entry = place->Entry();
  BOOL old = static_cast<BOOL>(entry.state & (MF_GRAYED | MF_DISABLED));
  entry.state = (entry.state & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
  return old;
}

BOOL SetMenuDefaultItem(HMENU menu, UINT item, UINT byPosition) {
  std::lock_guard guard(ProcessLock());
  auto object = FindMenu(menu);
  if (!object) return InvalidMenu();
  for (MenuEntry& entry : object->entries) entry.state &= ~MFS_DEFAULT;
  if (item == static_cast<UINT>(-1)) return TRUE;
  if (byPosition) {
    if (item >= object->entries.size()) return NoEntry();
    object->entries[item].state |= MFS_DEFAULT;
    return TRUE;
  }
  for (MenuEntry& entry : object->entries) {
    if (!entry.subMenu && entry.id == item) {
      entry.state |= MFS_DEFAULT;
      return TRUE;
    }
  }
  return NoEntry();
}

BOOL GetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, LPMENUITEMINFOA info) {
  if (!info || info->cbSize != sizeof(MENUITEMINFOA)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard guard(ProcessLock());
  auto place = FindMenuEntry(menu, item, byPosition != FALSE);
  if (!place) return FindMenu(menu) ? NoEntry() : InvalidMenu();
  const MenuEntry& entry = place->Entry();
  if (info->fMask & (MIIM_FTYPE | MIIM_TYPE)) info->fType = entry.type;
  if (info->fMask & MIIM_STATE) info->fState = entry.state;
  if (info->fMask & MIIM_ID) info->wID = entry.id;
  if (info->fMask & MIIM_SUBMENU) info->hSubMenu = entry.subMenu;
  if (info->fMask & MIIM_CHECKMARKS) {
    info->hbmpChecked = entry.checkedBitmap;
    info->hbmpUnchecked = entry.uncheckedBitmap;
  }
  if (info->fMask & MIIM_DATA) info->dwItemData = entry.data;
  if (info->fMask & MIIM_BITMAP) info->hbmpItem = entry.bitmap;
  const bool wantsText = (info->fMask & MIIM_STRING) ||
                         ((info->fMask & MIIM_TYPE) && !(entry.type & (MF_OWNERDRAW | MF_BITMAP | MF_SEPARATOR)));
  if (wantsText) {
    if (info->dwTypeData && info->cch > 0) {
      std::size_t n = std::min<std::size_t>(entry.text.size(), info->cch - 1);
      std::memcpy(info->dwTypeData, entry.text.data(), n);
      info->dwTypeData[n] = 0;
    }
    info->cch = static_cast<UINT>(entry.text.size());
  } else if ((info->fMask & MIIM_TYPE) && (entry.type & MF_BITMAP)) {
    info->dwTypeData = reinterpret_cast<LPSTR>(entry.bitmap);
  }
  return TRUE;
}

BOOL SetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOA info) {
  if (!info || info->cbSize != sizeof(MENUITEMINFOA)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard guard(ProcessLock());
  auto place = FindMenuEntry(menu, item, byPosition != FALSE);
  if (!place) return FindMenu(menu) ? NoEntry() : InvalidMenu();
  MenuEntry& entry = place->Entry();
  if (info->fMask & (MIIM_FTYPE | MIIM_TYPE)) entry.type = info->fType;
  if ((info->fMask & MIIM_TYPE) && !(info->fType & (MF_OWNERDRAW | MF_BITMAP | MF_SEPARATOR))) {
    entry.text = info->dwTypeData ? info->dwTypeData : "";
  }
  if ((info->fMask & MIIM_TYPE) && (info->fType & MF_BITMAP)) entry.bitmap = reinterpret_cast<HBITMAP>(info->dwTypeData);
  if (info->fMask & MIIM_STRING) entry.text = info->dwTypeData ? info->dwTypeData : "";
  if (info->fMask & MIIM_STATE) entry.state = info->fState;
  if (info->fMask & MIIM_ID) entry.id = info->wID;
  if (info->fMask & MIIM_SUBMENU) {
    entry.subMenu = info->hSubMenu;
    if (entry.subMenu) entry.id = ValueOf(entry.subMenu);
  }
  if (info->fMask & MIIM_CHECKMARKS) {
    entry.checkedBitmap = info->hbmpChecked;
    entry.uncheckedBitmap = info->hbmpUnchecked;
  }
  if (info->fMask & MIIM_DATA) entry.data = info->dwItemData;
  if (info->fMask & MIIM_BITMAP) entry.bitmap = info->hbmpItem;
  return TRUE;
}

BOOL InsertMenuItemA(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOA info) {
  if (!info || info->cbSize != sizeof(MENUITEMINFOA)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!Insert(menu, item, byPosition != FALSE, MenuEntry{})) return FALSE;
  // The new entry stands where it was inserted: fill it by its position there.
  std::lock_guard guard(ProcessLock());
  auto object = FindMenu(menu);
  UINT position = 0;
  if (byPosition || item == static_cast<UINT>(-1)) {
    position = item == static_cast<UINT>(-1) || item >= object->entries.size() ? static_cast<UINT>(object->entries.size() - 1) : item;
    return SetMenuItemInfoA(menu, position, TRUE, info);
  }
  auto place = FindMenuEntry(menu, item, false);
  if (!place) return SetMenuItemInfoA(menu, static_cast<UINT>(object->entries.size() - 1), TRUE, info);
  return SetMenuItemInfoA(place->menu, static_cast<UINT>(place->index - 1), TRUE, info);
}

BOOL SetMenu(HWND window, HMENU menu) {
  auto local = FindLocal(window);
  auto slot = ReadSlot(window);
  if (!local || !slot) return InvalidWindow(FALSE);
  if (slot->style & WS_CHILD) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (menu && !FindMenu(menu)) return InvalidMenu();
  local->menu = menu;
  SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  return TRUE;
}

HMENU GetMenu(HWND window) {
  auto local = FindLocal(window);
  return local ? local->menu : nullptr;
}

BOOL DrawMenuBar(HWND window) {
  if (!HasMenuBar(window, StyleOf(window))) return FALSE;
  return RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
}
