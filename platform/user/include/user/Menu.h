#pragma once
// Menus: menu bars and pop-up menus, built by calls or from menu templates (the resource compiler's
// MENU resources), their entries by position or by command (a command is searched in sub-menus
// too), and the modal tracking of a pop-up menu with owner-drawn entries.
//
// Menus belong to the process that made them. A menu set on a window (SetMenu) is destroyed with
// the window.
#include <base/WinDef.h>
#include <gdi/GdiTypes.h>

constexpr UINT MF_INSERT = 0x0000;
constexpr UINT MF_CHANGE = 0x0080;
constexpr UINT MF_APPEND = 0x0100;
constexpr UINT MF_DELETE = 0x0200;
constexpr UINT MF_REMOVE = 0x1000;
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_SEPARATOR = 0x0800;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_USECHECKBITMAPS = 0x0200;
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_BITMAP = 0x0004;
constexpr UINT MF_OWNERDRAW = 0x0100;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_MENUBARBREAK = 0x0020;
constexpr UINT MF_MENUBREAK = 0x0040;
constexpr UINT MF_UNHILITE = 0x0000;
constexpr UINT MF_HILITE = 0x0080;
constexpr UINT MF_DEFAULT = 0x1000;
constexpr UINT MF_SYSMENU = 0x2000;
constexpr UINT MF_HELP = 0x4000;
constexpr UINT MF_RIGHTJUSTIFY = 0x4000;
constexpr UINT MF_MOUSESELECT = 0x8000;
constexpr UINT MF_END = 0x0080;

constexpr UINT MFT_STRING = MF_STRING;
constexpr UINT MFT_BITMAP = MF_BITMAP;
constexpr UINT MFT_MENUBARBREAK = MF_MENUBARBREAK;
constexpr UINT MFT_MENUBREAK = MF_MENUBREAK;
constexpr UINT MFT_OWNERDRAW = MF_OWNERDRAW;
constexpr UINT MFT_RADIOCHECK = 0x0200;
constexpr UINT MFT_SEPARATOR = MF_SEPARATOR;
constexpr UINT MFT_RIGHTORDER = 0x2000;
constexpr UINT MFT_RIGHTJUSTIFY = MF_RIGHTJUSTIFY;
constexpr UINT MFS_GRAYED = 0x0003;
constexpr UINT MFS_DISABLED = MFS_GRAYED;
constexpr UINT MFS_CHECKED = MF_CHECKED;
constexpr UINT MFS_HILITE = MF_HILITE;
constexpr UINT MFS_ENABLED = MF_ENABLED;
constexpr UINT MFS_UNCHECKED = MF_UNCHECKED;
constexpr UINT MFS_UNHILITE = MF_UNHILITE;
constexpr UINT MFS_DEFAULT = MF_DEFAULT;

constexpr UINT MIIM_STATE = 0x0001;
constexpr UINT MIIM_ID = 0x0002;
constexpr UINT MIIM_SUBMENU = 0x0004;
constexpr UINT MIIM_CHECKMARKS = 0x0008;
constexpr UINT MIIM_TYPE = 0x0010;
constexpr UINT MIIM_DATA = 0x0020;
constexpr UINT MIIM_STRING = 0x0040;
constexpr UINT MIIM_BITMAP = 0x0080;
constexpr UINT MIIM_FTYPE = 0x0100;

struct MENUITEMINFOA {
  UINT cbSize;
  UINT fMask;
  UINT fType;
  UINT fState;
  UINT wID;
  HMENU hSubMenu;
  HBITMAP hbmpChecked;
  HBITMAP hbmpUnchecked;
  ULONG_PTR dwItemData;
  LPSTR dwTypeData;
  UINT cch;
  HBITMAP hbmpItem;
};
using MENUITEMINFO = MENUITEMINFOA;
using LPMENUITEMINFOA = MENUITEMINFOA*;
using LPCMENUITEMINFOA = const MENUITEMINFOA*;

using LPCMENUTEMPLATEA = const void*;  // template bytes, read field by field

HMENU CreateMenu();
HMENU CreatePopupMenu();
// Destroys the menu and its sub-menus.
BOOL DestroyMenu(HMENU menu);
BOOL IsMenu(HMENU menu);
// A RT_MENU resource of the module (NULL: the program).
HMENU LoadMenuA(HINSTANCE instance, LPCSTR name);
inline HMENU LoadMenu(HINSTANCE instance, LPCSTR name) { return LoadMenuA(instance, name); }
HMENU LoadMenuIndirectA(LPCMENUTEMPLATEA menuTemplate);
inline HMENU LoadMenuIndirect(LPCMENUTEMPLATEA menuTemplate) { return LoadMenuIndirectA(menuTemplate); }

// `item` is the command id, or with MF_POPUP the sub-menu; `newItem` the text (MF_STRING), the
// item data (MF_OWNERDRAW) or the bitmap (MF_BITMAP).
BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR item, LPCSTR newItem);
BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR item, LPCSTR newItem);
BOOL ModifyMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR item, LPCSTR newItem);
BOOL InsertMenuItemA(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOA info);
BOOL GetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, LPMENUITEMINFOA info);
BOOL SetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOA info);
inline BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR item, LPCSTR newItem) {
  return AppendMenuA(menu, flags, item, newItem);
}
inline BOOL InsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR item, LPCSTR newItem) {
  return InsertMenuA(menu, position, flags, item, newItem);
}
inline BOOL ModifyMenu(HMENU menu, UINT position, UINT flags, UINT_PTR item, LPCSTR newItem) {
  return ModifyMenuA(menu, position, flags, item, newItem);
}
inline BOOL InsertMenuItem(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOA info) {
  return InsertMenuItemA(menu, item, byPosition, info);
}
inline BOOL GetMenuItemInfo(HMENU menu, UINT item, BOOL byPosition, LPMENUITEMINFOA info) {
  return GetMenuItemInfoA(menu, item, byPosition, info);
}
inline BOOL SetMenuItemInfo(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOA info) {
  return SetMenuItemInfoA(menu, item, byPosition, info);
}
// RemoveMenu keeps a removed sub-menu alive; DeleteMenu destroys it.
BOOL RemoveMenu(HMENU menu, UINT position, UINT flags);
BOOL DeleteMenu(HMENU menu, UINT position, UINT flags);

int GetMenuItemCount(HMENU menu);  // -1 for no menu
UINT GetMenuItemID(HMENU menu, int position);  // -1 for a sub-menu entry or no entry
HMENU GetSubMenu(HMENU menu, int position);
// The MF_ state and type bits of an entry; for a sub-menu entry its entry count in the high byte.
// -1 when there is no such entry.
UINT GetMenuState(HMENU menu, UINT item, UINT flags);
int GetMenuStringA(HMENU menu, UINT item, LPSTR buffer, int bufferMax, UINT flags);
inline int GetMenuString(HMENU menu, UINT item, LPSTR buffer, int bufferMax, UINT flags) {
  return GetMenuStringA(menu, item, buffer, bufferMax, flags);
}
// Return the previous state (MF_CHECKED / MF_GRAYED...), -1 when there is no such entry.
DWORD CheckMenuItem(HMENU menu, UINT item, UINT check);
BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable);
// `item` -1 clears the default entry.
BOOL SetMenuDefaultItem(HMENU menu, UINT item, UINT byPosition);

// Checks `check` as a radio item (MFT_RADIOCHECK and MF_CHECKED) and clears both from the other
// entries from `first` to `last` (MF_BYCOMMAND or MF_BYPOSITION; the range lies in one menu).
BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags);

// The window's own copy of the system menu (made on first use; NULL without WS_SYSMENU), which a
// program may append commands to: they reach the window as WM_SYSCOMMAND. `revert` TRUE drops the
// copy, so the standard menu is shown again, and returns NULL.
HMENU GetSystemMenu(HWND window, BOOL revert);

BOOL SetMenu(HWND window, HMENU menu);
HMENU GetMenu(HWND window);
BOOL DrawMenuBar(HWND window);

constexpr UINT TPM_LEFTBUTTON = 0x0000;
constexpr UINT TPM_RIGHTBUTTON = 0x0002;
constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_CENTERALIGN = 0x0004;
constexpr UINT TPM_RIGHTALIGN = 0x0008;
constexpr UINT TPM_TOPALIGN = 0x0000;
constexpr UINT TPM_VCENTERALIGN = 0x0010;
constexpr UINT TPM_BOTTOMALIGN = 0x0020;
constexpr UINT TPM_NONOTIFY = 0x0080;
constexpr UINT TPM_RETURNCMD = 0x0100;

struct TPMPARAMS {
  UINT cbSize;
  RECT rcExclude;
};
using LPTPMPARAMS = TPMPARAMS*;

// Shows the pop-up menu at (x, y) (screen) and tracks it until an entry is chosen or the menu is
// cancelled (Escape, a click outside it). The owner gets WM_ENTERMENULOOP, WM_INITMENUPOPUP,
// WM_MEASUREITEM for owner-drawn entries, WM_DRAWITEM (ODT_MENU) to draw them, WM_MENUSELECT as the
// selection moves, WM_MENUCHAR for a letter no entry has as its mnemonic, WM_UNINITMENUPOPUP and
// WM_EXITMENULOOP, and, for a chosen entry, a posted WM_COMMAND (with TPM_RETURNCMD the entry's id is
// returned instead).
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* rect);
BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS params);
// Ends the tracking of the calling thread's menu.
BOOL EndMenu();

// WM_MENUCHAR results (high word).
constexpr WORD MNC_IGNORE = 0;
constexpr WORD MNC_CLOSE = 1;
constexpr WORD MNC_EXECUTE = 2;
constexpr WORD MNC_SELECT = 3;

// Owner drawing, shared with the controls.
constexpr UINT ODT_MENU = 1;
constexpr UINT ODT_LISTBOX = 2;
constexpr UINT ODT_COMBOBOX = 3;
constexpr UINT ODT_BUTTON = 4;
constexpr UINT ODT_STATIC = 5;
constexpr UINT ODA_DRAWENTIRE = 0x0001;
constexpr UINT ODA_SELECT = 0x0002;
constexpr UINT ODA_FOCUS = 0x0004;
constexpr UINT ODS_SELECTED = 0x0001;
constexpr UINT ODS_GRAYED = 0x0002;
constexpr UINT ODS_DISABLED = 0x0004;
constexpr UINT ODS_CHECKED = 0x0008;
constexpr UINT ODS_FOCUS = 0x0010;
constexpr UINT ODS_DEFAULT = 0x0020;
constexpr UINT ODS_HOTLIGHT = 0x0040;
constexpr UINT ODS_NOACCEL = 0x0100;
constexpr UINT ODS_NOFOCUSRECT = 0x0200;

struct MEASUREITEMSTRUCT {
  UINT CtlType;
  UINT CtlID;
  UINT itemID;
  UINT itemWidth;
  UINT itemHeight;
  ULONG_PTR itemData;
};
using LPMEASUREITEMSTRUCT = MEASUREITEMSTRUCT*;

struct DRAWITEMSTRUCT {
  UINT CtlType;
  UINT CtlID;
  UINT itemID;
  UINT itemAction;
  UINT itemState;
  HWND hwndItem;  // for ODT_MENU the menu handle
  HDC hDC;
  RECT rcItem;
  ULONG_PTR itemData;
};
using LPDRAWITEMSTRUCT = DRAWITEMSTRUCT*;
