#pragma once
// The tray menu's "Configure COM port" sub-menu: one entry per port the phone may be on, the chosen
// one checked. Entries are commands 32783 onwards, so the menu holds at most 15 ports: the ids
// after them belong to "Find connected phone" and the status line.
#include "SerialPortDiscovery.h"

#include <base/WinDef.h>

#include <string>

constexpr UINT kPortMenuFirstId = 32783;
constexpr std::size_t kPortMenuMaxItems = 15;

// Gives entry i the report port of row i (an entry that exists is changed, else one is inserted at
// position i), at most 15 entries; with no rows the first entry reads `noneText`. Checks, radio
// style, the entry whose text is `selectedPort`, and deletes the entries after the list.
void FillPortMenu(HMENU menu, const PortList& ports, const std::string& selectedPort, const std::string& noneText);

// The sub-menu of `menu` whose entry reads `text`, or null.
HMENU FindSubMenu(HMENU menu, const std::string& text);

// The text of the entry `item` (by command or by position, as `flags` say).
std::string MenuItemText(HMENU menu, UINT item, UINT flags);
