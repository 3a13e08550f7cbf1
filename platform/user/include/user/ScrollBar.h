#pragma once
// Scroll bars: the two a window gets with WS_HSCROLL and WS_VSCROLL, drawn in its non-client area,
// and the "ScrollBar" control (SB_CTL), which shares their state, drawing and mouse tracking.
//
// A window bar tells the window itself (WM_HSCROLL/WM_VSCROLL, lParam NULL); the control tells its
// parent, with its own handle in lParam. Neither moves the position: the program answers the codes
// and calls SetScrollPos or SetScrollInfo, as on Windows. Setting a window bar's range or page so
// that nothing is left to scroll hides the bar (or, with SIF_DISABLENOSCROLL, disables it), and
// making it scrollable again shows it.
#include <base/WinDef.h>
#include <user/Messages.h>

constexpr int SB_HORZ = 0;
constexpr int SB_VERT = 1;
constexpr int SB_CTL = 2;
constexpr int SB_BOTH = 3;

// WM_HSCROLL / WM_VSCROLL codes (low word of wParam; the high word holds the position for the two
// thumb codes).
constexpr WORD SB_LINEUP = 0;
constexpr WORD SB_LINELEFT = 0;
constexpr WORD SB_LINEDOWN = 1;
constexpr WORD SB_LINERIGHT = 1;
constexpr WORD SB_PAGEUP = 2;
constexpr WORD SB_PAGELEFT = 2;
constexpr WORD SB_PAGEDOWN = 3;
constexpr WORD SB_PAGERIGHT = 3;
constexpr WORD SB_THUMBPOSITION = 4;
constexpr WORD SB_THUMBTRACK = 5;
constexpr WORD SB_TOP = 6;
constexpr WORD SB_LEFT = 6;
constexpr WORD SB_BOTTOM = 7;
constexpr WORD SB_RIGHT = 7;
constexpr WORD SB_ENDSCROLL = 8;

constexpr UINT SIF_RANGE = 0x0001;
constexpr UINT SIF_PAGE = 0x0002;
constexpr UINT SIF_POS = 0x0004;
constexpr UINT SIF_DISABLENOSCROLL = 0x0008;
constexpr UINT SIF_TRACKPOS = 0x0010;
constexpr UINT SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;

constexpr UINT ESB_ENABLE_BOTH = 0x0000;
constexpr UINT ESB_DISABLE_LTUP = 0x0001;
constexpr UINT ESB_DISABLE_LEFT = 0x0001;
constexpr UINT ESB_DISABLE_UP = 0x0001;
constexpr UINT ESB_DISABLE_RTDN = 0x0002;
constexpr UINT ESB_DISABLE_RIGHT = 0x0002;
constexpr UINT ESB_DISABLE_DOWN = 0x0002;
constexpr UINT ESB_DISABLE_BOTH = 0x0003;

// Scroll bar control styles.
constexpr DWORD SBS_HORZ = 0x0000;
constexpr DWORD SBS_VERT = 0x0001;

// Scroll bar control messages.
constexpr UINT SBM_SETPOS = 0x00E0;        // wParam pos, lParam redraw; returns the old position
constexpr UINT SBM_GETPOS = 0x00E1;
constexpr UINT SBM_SETRANGE = 0x00E2;      // wParam min, lParam max
constexpr UINT SBM_GETRANGE = 0x00E3;      // wParam LPINT min, lParam LPINT max
constexpr UINT SBM_ENABLE_ARROWS = 0x00E4;
constexpr UINT SBM_SETRANGEREDRAW = 0x00E6;
constexpr UINT SBM_SETSCROLLINFO = 0x00E9;  // wParam redraw, lParam LPCSCROLLINFO
constexpr UINT SBM_GETSCROLLINFO = 0x00EA;  // lParam LPSCROLLINFO

// WM_SYSCOMMAND codes of a click on a window's scroll bar (the hit code in the low bits).
constexpr WPARAM SC_VSCROLL = 0xF070;
constexpr WPARAM SC_HSCROLL = 0xF080;

struct SCROLLINFO {
  UINT cbSize;
  UINT fMask;
  int nMin;
  int nMax;
  UINT nPage;
  int nPos;
  int nTrackPos;  // while the thumb is dragged, where it is
};
using LPSCROLLINFO = SCROLLINFO*;
using LPCSCROLLINFO = const SCROLLINFO*;

// The position is kept within [nMin, nMax - max(nPage - 1, 0)], the page within [0, nMax - nMin + 1].
// Returns the (new) position.
int SetScrollInfo(HWND window, int bar, LPCSCROLLINFO info, BOOL redraw);
BOOL GetScrollInfo(HWND window, int bar, LPSCROLLINFO info);
// Returns the previous position.
int SetScrollPos(HWND window, int bar, int position, BOOL redraw);
int GetScrollPos(HWND window, int bar);
BOOL SetScrollRange(HWND window, int bar, int minimum, int maximum, BOOL redraw);
BOOL GetScrollRange(HWND window, int bar, LPINT minimum, LPINT maximum);
// Shows or hides a window's bars (SB_HORZ, SB_VERT, SB_BOTH) by their styles, or the control.
BOOL ShowScrollBar(HWND window, int bar, BOOL show);
// ESB_ flags: which arrows take no clicks. FALSE when nothing changed.
BOOL EnableScrollBar(HWND window, UINT bar, UINT arrows);
