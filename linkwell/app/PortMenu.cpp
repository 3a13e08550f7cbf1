#include "PortMenu.h"

#include <user/User.h>

#include <algorithm>

std::string MenuItemText(HMENU menu, UINT item, UINT flags) {
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
  // Unchecked unless the chosen port is among the entries.
  for (std::size_t i = 0; i < entries; ++i) CheckMenuItem(menu, static_cast<UINT>(i), MF_BYPOSITION | MF_UNCHECKED);
  for (std::size_t i = 0; i < shown; ++i) {
    if (!selectedPort.empty() && ports[i].reportPort == selectedPort) {
      CheckMenuRadioItem(menu, 0, static_cast<UINT>(entries - 1), static_cast<UINT>(i), MF_BYPOSITION);
      break;
    }
  }
}
