#include "PortMenu.h"

#include <GlyphMenu.h>
#include <user/User.h>

#include <algorithm>

namespace {

// The kit's menu object of `menu`, when the kit loaded it: its entries are owner-drawn and carry
// their texts in records.
GlyphMenu* KitMenu(HMENU menu) { return dynamic_cast<GlyphMenu*>(CMenu::FromHandlePermanent(menu)); }

}  // namespace

void SyncMenuRecords(HMENU menu) {
  GlyphMenu* kit = KitMenu(menu);
  if (!kit) return;
  kit->SyncItems();
}

std::string MenuItemText(HMENU menu, UINT item, UINT flags) {
  if (GlyphMenu* kit = KitMenu(menu)) {
    CString text;
    return kit->GetItemText(item, text, flags) ? std::string(static_cast<LPCSTR>(text)) : std::string();
  }
  char text[256] = {};
  const int length = GetMenuStringA(menu, item, text, sizeof text, flags);
  return length > 0 ? std::string(text, static_cast<std::size_t>(length)) : std::string();
}

HMENU FindSubMenu(HMENU menu, const std::string& text) {
  const int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    HMENU sub = GetSubMenu(menu, position);
    if (sub && MenuItemText(menu, static_cast<UINT>(position), MF_BYPOSITION) == text) return sub;
  }
  return nullptr;
}

void FillPortMenu(HMENU menu, const PortList& ports, const std::string& selectedPort, const std::string& noneText) {
  const std::size_t shown = std::min(ports.size(), kPortMenuMaxItems);
  const std::size_t entries = std::max<std::size_t>(shown, 1);
  for (std::size_t i = 0; i < entries; ++i) {
    const std::string& text = shown ? ports[i].reportPort : noneText;
    const UINT id = kPortMenuFirstId + static_cast<UINT>(i);
    const UINT position = static_cast<UINT>(i);
    if (static_cast<int>(i) < GetMenuItemCount(menu)) {
      ModifyMenuA(menu, position, MF_BYPOSITION | MF_STRING, id, text.c_str());
    } else {
      InsertMenuA(menu, position, MF_BYPOSITION | MF_STRING, id, text.c_str());
    }
  }
  while (GetMenuItemCount(menu) > static_cast<int>(entries)) {
    DeleteMenu(menu, static_cast<UINT>(entries), MF_BYPOSITION);
  }
  SyncMenuRecords(menu);
  // Unchecked unless the chosen port is among the entries.
  for (std::size_t i = 0; i < entries; ++i) CheckMenuItem(menu, static_cast<UINT>(i), MF_BYPOSITION | MF_UNCHECKED);
  for (std::size_t i = 0; i < shown; ++i) {
    if (!selectedPort.empty() && ports[i].reportPort == selectedPort) {
      CheckMenuRadioItem(menu, 0, static_cast<UINT>(entries - 1), static_cast<UINT>(i), MF_BYPOSITION);
      break;
    }
  }
}
