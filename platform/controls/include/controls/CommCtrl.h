#pragma once
// Registration of the controls' classes. The standard classes ("Button", "Static", "Edit",
// "ListBox", "ComboBox", "ComboLBox") and the common controls' classes are registered on first use
// in every program that links this library, so dialog templates can name them without a call;
// InitCommonControls and InitCommonControlsEx register them at once, as programs written for Windows
// call them at start-up.
#include <base/WinDef.h>

struct INITCOMMONCONTROLSEX {
  DWORD dwSize;
  DWORD dwICC;
};
using LPINITCOMMONCONTROLSEX = INITCOMMONCONTROLSEX*;

constexpr DWORD ICC_LISTVIEW_CLASSES = 0x00000001;
constexpr DWORD ICC_TREEVIEW_CLASSES = 0x00000002;
constexpr DWORD ICC_BAR_CLASSES = 0x00000004;
constexpr DWORD ICC_TAB_CLASSES = 0x00000008;
constexpr DWORD ICC_UPDOWN_CLASS = 0x00000010;
constexpr DWORD ICC_PROGRESS_CLASS = 0x00000020;
constexpr DWORD ICC_HOTKEY_CLASS = 0x00000040;
constexpr DWORD ICC_ANIMATE_CLASS = 0x00000080;
constexpr DWORD ICC_WIN95_CLASSES = 0x000000FF;
constexpr DWORD ICC_DATE_CLASSES = 0x00000100;
constexpr DWORD ICC_USEREX_CLASSES = 0x00000200;
constexpr DWORD ICC_COOL_CLASSES = 0x00000400;
constexpr DWORD ICC_STANDARD_CLASSES = 0x00004000;

void InitCommonControls();
// FALSE (ERROR_INVALID_PARAMETER) for a null structure or a wrong dwSize.
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);
