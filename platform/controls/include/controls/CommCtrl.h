#pragma once
// Registration of the controls' classes. The standard classes ("Button", "Static", "Edit",
// "ListBox", "ComboBox", "ComboLBox") and the common controls' classes are registered on first use
// in every program that links this library, so dialog templates can name them without a call;
// InitCommonControls and InitCommonControlsEx register them at once, as programs written for Windows
// call them at start-up.
#include <base/WinDef.h>
#include <gdi/Gdi.h>

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

// ---------------------------------------------------------------------------------------------
// Progress bar ("msctls_progress32"): a range (0 to 100 at first), a position and a step (10).
inline constexpr const char* PROGRESS_CLASSA = "msctls_progress32";
constexpr DWORD PBS_SMOOTH = 0x01;
constexpr DWORD PBS_VERTICAL = 0x04;
constexpr UINT PBM_SETRANGE = 0x0401;    // lParam MAKELPARAM(low, high); returns the old one so
constexpr UINT PBM_SETPOS = 0x0402;      // returns the old position
constexpr UINT PBM_DELTAPOS = 0x0403;    // returns the old position
constexpr UINT PBM_SETSTEP = 0x0404;     // returns the old step
constexpr UINT PBM_STEPIT = 0x0405;      // past the end it starts again from the low end
constexpr UINT PBM_SETRANGE32 = 0x0406;  // wParam low, lParam high
constexpr UINT PBM_GETRANGE = 0x0407;    // wParam TRUE: the low end, else the high; lParam PBRANGE*
constexpr UINT PBM_GETPOS = 0x0408;
constexpr UINT PBM_SETBARCOLOR = 0x0409;  // CLR_DEFAULT for the highlight colour
constexpr UINT PBM_SETBKCOLOR = 0x2001;   // CCM_SETBKCOLOR

struct PBRANGE {
  int iLow;
  int iHigh;
};

// ---------------------------------------------------------------------------------------------
// A bitmap resource with its colours mapped: by default the classic button colours (black, dark
// grey, light grey, white) become the system's text, shadow, face and highlight colours, as
// toolbars draw them.
struct COLORMAP {
  COLORREF from;
  COLORREF to;
};
using LPCOLORMAP = COLORMAP*;
constexpr UINT CMB_MASKED = 0x02;
HBITMAP CreateMappedBitmap(HINSTANCE instance, INT_PTR bitmapId, UINT flags, LPCOLORMAP colorMap, int mapCount);
