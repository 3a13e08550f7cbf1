#pragma once
// The status bar ("msctls_statusbar32"): a strip at the bottom of its parent, cut into parts that
// each show a text (sunken, raised, without border, or drawn by the parent), or one simple part
// across the whole bar; a size grip at the right with SBARS_SIZEGRIP. A program may put a child
// control (a progress bar) over a part, using SB_GETRECT to place it.
#include <controls/CommCtrl.h>
#include <user/User.h>

inline constexpr const char* STATUSCLASSNAMEA = "msctls_statusbar32";

constexpr DWORD SBARS_SIZEGRIP = 0x0100;

constexpr UINT SB_SETTEXTA = WM_USER + 1;       // wParam part | SBT_ kind; lParam the text
constexpr UINT SB_GETTEXTA = WM_USER + 2;       // returns MAKELONG(length, kind)
constexpr UINT SB_GETTEXTLENGTHA = WM_USER + 3;
constexpr UINT SB_SETPARTS = WM_USER + 4;       // wParam count (at most 256), lParam int[] right edges, -1 = to the end
constexpr UINT SB_GETPARTS = WM_USER + 6;
constexpr UINT SB_GETBORDERS = WM_USER + 7;     // lParam int[3]: horizontal, vertical, between parts
constexpr UINT SB_SETMINHEIGHT = WM_USER + 8;
constexpr UINT SB_SIMPLE = WM_USER + 9;         // wParam TRUE for the simple mode
constexpr UINT SB_GETRECT = WM_USER + 10;
constexpr UINT SB_ISSIMPLE = WM_USER + 14;
constexpr UINT SB_SETBKCOLOR = CCM_SETBKCOLOR;

constexpr UINT SB_SIMPLEID = 0x00FF;  // the part number of the simple mode's text

constexpr UINT SBT_NOBORDERS = 0x0100;
constexpr UINT SBT_POPOUT = 0x0200;
constexpr UINT SBT_RTLREADING = 0x0400;
constexpr UINT SBT_OWNERDRAW = 0x1000;  // the parent draws it (WM_DRAWITEM, itemData the lParam given)
