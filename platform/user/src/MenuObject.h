#pragma once
// The process's menus: entries in order, found by position or by command.
#include "Desk.h"

#include <user/Menu.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tolvar::user {

struct MenuEntry {
  UINT type = MFT_STRING;  // MFT_ bits
  UINT state = 0;          // MFS_ bits
  UINT id = 0;             // for a sub-menu entry the sub-menu's handle, as Windows keeps it
  HMENU subMenu = nullptr;
  ULONG_PTR data = 0;
  std::string text;
  HBITMAP bitmap = nullptr;
  HBITMAP checkedBitmap = nullptr;
  HBITMAP uncheckedBitmap = nullptr;
  // Layout: where the entry lies in its pop-up window's client area or on the menu bar.
  RECT rect{};
};

struct MenuObject {
  bool popup = false;
  std::vector<MenuEntry> entries;
  int selected = -1;  // while tracked or shown in a bar
};

// All under ProcessLock().
std::shared_ptr<MenuObject> FindMenu(HMENU menu);

// A menu made from a normal menu template of at most `size` bytes (SIZE_MAX when the caller does not
// know, as LoadMenuIndirect); null with ERROR_INVALID_PARAMETER when the template is bad or cut short.
HMENU MenuFromTemplate(const BYTE* bytes, std::size_t size);

struct MenuPlace {
  HMENU menu = nullptr;
  std::shared_ptr<MenuObject> object;
  std::size_t index = 0;
  MenuEntry& Entry() const { return object->entries[index]; }
};
// An entry by position, or by command (searched depth first through sub-menus).
std::optional<MenuPlace> FindMenuEntry(HMENU menu, UINT item, bool byPosition);

// The menu font of the system's non-client metrics; the caller deletes it.
HFONT CreateMenuFont();

// The visible text of an entry: without the mnemonic marks, the part after a tab separately.
void SplitMenuText(const std::string& text, std::string& label, std::string& accelerator);

void RegisterMenuClass();

}  // namespace tolvar::user
