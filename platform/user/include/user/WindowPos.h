#pragma once
// Showing, moving, sizing and stacking windows, and their rectangles and coordinates.
//
// Rectangles of child windows are kept relative to the parent's client area; GetWindowRect answers
// in screen coordinates. The screen is the 1024x768 desktop of the system metrics.
#include <base/WinDef.h>
#include <user/Window.h>

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_NORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_MAXIMIZE = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;
constexpr int SW_SHOWDEFAULT = 10;

// Returns TRUE when the window was visible before.
BOOL ShowWindow(HWND window, int command);

constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_FRAMECHANGED = 0x0020;
constexpr UINT SWP_DRAWFRAME = SWP_FRAMECHANGED;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;
constexpr UINT SWP_NOCOPYBITS = 0x0100;
constexpr UINT SWP_NOOWNERZORDER = 0x0200;
constexpr UINT SWP_NOREPOSITION = SWP_NOOWNERZORDER;
constexpr UINT SWP_NOSENDCHANGING = 0x0400;
constexpr UINT SWP_DEFERERASE = 0x2000;
constexpr UINT SWP_ASYNCWINDOWPOS = 0x4000;
// Set by the system in WINDOWPOS.flags when the client area moved or changed size.
constexpr UINT SWP_NOCLIENTSIZE = 0x0800;
constexpr UINT SWP_NOCLIENTMOVE = 0x1000;

// Sends WM_WINDOWPOSCHANGING (which may change the request) and WM_WINDOWPOSCHANGED, whose default
// handling sends WM_MOVE and WM_SIZE. Position and size are in the parent's client coordinates.
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
BOOL BringWindowToTop(HWND window);

BOOL GetWindowRect(HWND window, LPRECT rect);  // screen coordinates
BOOL GetClientRect(HWND window, LPRECT rect);  // (0, 0) to the client size
BOOL ClientToScreen(HWND window, LPPOINT point);
BOOL ScreenToClient(HWND window, LPPOINT point);
// Maps from one window's client coordinates to another's (NULL: the screen). Returns the horizontal
// offset in the low word and the vertical one in the high word.
int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count);

// The window rectangle that gives `rect` as client area for the style.
BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle);
BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu);

struct WINDOWPLACEMENT {
  UINT length;
  UINT flags;
  UINT showCmd;
  POINT ptMinPosition;
  POINT ptMaxPosition;
  RECT rcNormalPosition;
};
using PWINDOWPLACEMENT = WINDOWPLACEMENT*;
using LPWINDOWPLACEMENT = WINDOWPLACEMENT*;
// showCmd is SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED or SW_SHOWNORMAL; rcNormalPosition the restored
// rectangle.
BOOL GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement);

// Hit testing of screen points, as the mouse finds windows: visible, enabled or not, in z-order,
// answering HTTRANSPARENT passed over.
HWND WindowFromPoint(POINT point);
constexpr UINT CWP_ALL = 0x0000;
constexpr UINT CWP_SKIPINVISIBLE = 0x0001;
constexpr UINT CWP_SKIPDISABLED = 0x0002;
constexpr UINT CWP_SKIPTRANSPARENT = 0x0004;
// The child of `parent` containing the point (parent client coordinates), the parent itself when the
// point is in it but in no child, NULL outside.
HWND ChildWindowFromPoint(HWND parent, POINT point);
HWND ChildWindowFromPointEx(HWND parent, POINT point, UINT flags);
