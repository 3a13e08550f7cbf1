#pragma once
// Window classes, creating and destroying windows, window longs, text, the window tree and its
// queries.
//
// An HWND is a 32-bit number that names the same window in every process of the home. The window
// station (shared memory) holds every window's owner process and thread, parent, owner, class name,
// text, style, id and rectangle, so the queries below answer for windows of other processes too.
// Operations that change another process's window (ShowWindow, SetWindowPos, MoveWindow, SetParent,
// EnableWindow) are carried out by the window's own thread in its own process. A window whose
// process has died is no window any more.
#include <base/WinDef.h>
#include <user/Messages.h>
#include <user/Styles.h>

struct WNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
};
using WNDCLASS = WNDCLASSA;
using LPWNDCLASSA = WNDCLASSA*;
using LPWNDCLASS = WNDCLASSA*;

struct WNDCLASSEXA {
  UINT cbSize;
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
  HICON hIconSm;
};
using WNDCLASSEX = WNDCLASSEXA;
using LPWNDCLASSEXA = WNDCLASSEXA*;
using LPWNDCLASSEX = WNDCLASSEXA*;

// Classes are per process. A class name is a text or an atom from MAKEINTATOM; the atom a
// registration returns names the class too. The dialog class is "#32770" (atom 32770).
ATOM RegisterClassA(const WNDCLASSA* windowClass);
inline ATOM RegisterClass(const WNDCLASSA* windowClass) { return RegisterClassA(windowClass); }
ATOM RegisterClassExA(const WNDCLASSEXA* windowClass);
inline ATOM RegisterClassEx(const WNDCLASSEXA* windowClass) { return RegisterClassExA(windowClass); }
// Fails with ERROR_CLASS_HAS_WINDOWS while windows of the class exist.
BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance);
inline BOOL UnregisterClass(LPCSTR className, HINSTANCE instance) { return UnregisterClassA(className, instance); }
BOOL GetClassInfoA(HINSTANCE instance, LPCSTR className, LPWNDCLASSA windowClass);
inline BOOL GetClassInfo(HINSTANCE instance, LPCSTR className, LPWNDCLASSA windowClass) {
  return GetClassInfoA(instance, className, windowClass);
}
BOOL GetClassInfoExA(HINSTANCE instance, LPCSTR className, LPWNDCLASSEXA windowClass);
inline BOOL GetClassInfoEx(HINSTANCE instance, LPCSTR className, LPWNDCLASSEXA windowClass) {
  return GetClassInfoExA(instance, className, windowClass);
}
int GetClassNameA(HWND window, LPSTR buffer, int bufferMax);
inline int GetClassName(HWND window, LPSTR buffer, int bufferMax) { return GetClassNameA(window, buffer, bufferMax); }

constexpr int GCL_MENUNAME = -8;
constexpr int GCLP_HBRBACKGROUND = -10;
constexpr int GCL_HBRBACKGROUND = GCLP_HBRBACKGROUND;
constexpr int GCLP_HCURSOR = -12;
constexpr int GCL_HCURSOR = GCLP_HCURSOR;
constexpr int GCLP_HICON = -14;
constexpr int GCL_HICON = GCLP_HICON;
constexpr int GCL_CBWNDEXTRA = -18;
constexpr int GCL_CBCLSEXTRA = -20;
constexpr int GCLP_WNDPROC = -24;
constexpr int GCL_STYLE = -26;
constexpr int GCLP_HICONSM = -34;
ULONG_PTR GetClassLongPtrA(HWND window, int index);
ULONG_PTR SetClassLongPtrA(HWND window, int index, LONG_PTR value);
inline ULONG_PTR GetClassLongPtr(HWND window, int index) { return GetClassLongPtrA(window, index); }
inline ULONG_PTR SetClassLongPtr(HWND window, int index, LONG_PTR value) { return SetClassLongPtrA(window, index, value); }
DWORD GetClassLongA(HWND window, int index);
inline DWORD GetClassLong(HWND window, int index) { return GetClassLongA(window, index); }

inline LPSTR MAKEINTATOM(WORD atom) { return reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(atom)); }

constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000);
inline const HWND HWND_DESKTOP = nullptr;
inline const HWND HWND_TOP = nullptr;
inline const HWND HWND_BOTTOM = reinterpret_cast<HWND>(1);
inline const HWND HWND_TOPMOST = reinterpret_cast<HWND>(-1);
inline const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(-2);
inline const HWND HWND_BROADCAST = reinterpret_cast<HWND>(0xFFFF);

// Creation sends WM_GETMINMAXINFO (top-level windows), WM_NCCREATE, WM_NCCALCSIZE and WM_CREATE; a
// window created visible is then shown (WM_SHOWWINDOW, WM_WINDOWPOSCHANGING/CHANGED, WM_SIZE,
// WM_MOVE). A child tells its parent with WM_PARENTNOTIFY unless WS_EX_NOPARENTNOTIFY. A class that
// is not registered fails with ERROR_CANNOT_FIND_WND_CLASS; a window procedure that answers -1 to
// WM_CREATE (or 0 to WM_NCCREATE) fails the creation and the window is destroyed.
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter);
inline HWND CreateWindowEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                           int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter) {
  return CreateWindowExA(exStyle, className, windowName, style, x, y, width, height, parent, menu, instance,
                         parameter);
}
inline HWND CreateWindowA(LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width, int height,
                          HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter) {
  return CreateWindowExA(0, className, windowName, style, x, y, width, height, parent, menu, instance, parameter);
}
inline HWND CreateWindow(LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width, int height,
                         HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter) {
  return CreateWindowExA(0, className, windowName, style, x, y, width, height, parent, menu, instance, parameter);
}
// Hides the window, then sends WM_DESTROY to it and its descendants (parents first) and WM_NCDESTROY
// (children first). Owned windows are destroyed first. Only the window's own thread may destroy it
// (ERROR_ACCESS_DENIED otherwise).
BOOL DestroyWindow(HWND window);

// Window longs. The pointer-sized values (GWLP_WNDPROC, GWLP_HINSTANCE, GWLP_HWNDPARENT,
// GWLP_USERDATA, DWLP_DLGPROC...) need the Ptr functions; the 32-bit ones refuse those that do not
// fit in a LONG with ERROR_INVALID_INDEX.
constexpr int GWLP_WNDPROC = -4;
constexpr int GWLP_HINSTANCE = -6;
constexpr int GWLP_HWNDPARENT = -8;
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWLP_USERDATA = -21;
constexpr int GWLP_ID = -12;
constexpr int GWL_WNDPROC = GWLP_WNDPROC;
constexpr int GWL_HINSTANCE = GWLP_HINSTANCE;
constexpr int GWL_HWNDPARENT = GWLP_HWNDPARENT;
constexpr int GWL_USERDATA = GWLP_USERDATA;
constexpr int GWL_ID = GWLP_ID;
// The dialog's own extra bytes, at the start of its window extra (pointer-sized slots).
constexpr int DWLP_MSGRESULT = 0;
constexpr int DWLP_DLGPROC = DWLP_MSGRESULT + static_cast<int>(sizeof(LRESULT));
constexpr int DWLP_USER = DWLP_DLGPROC + static_cast<int>(sizeof(void*));
constexpr int DWL_MSGRESULT = DWLP_MSGRESULT;
constexpr int DWL_DLGPROC = DWLP_DLGPROC;
constexpr int DWL_USER = DWLP_USER;
constexpr int DLGWINDOWEXTRA = 48;

LONG GetWindowLongA(HWND window, int index);
LONG SetWindowLongA(HWND window, int index, LONG value);
LONG_PTR GetWindowLongPtrA(HWND window, int index);
LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value);
inline LONG GetWindowLong(HWND window, int index) { return GetWindowLongA(window, index); }
inline LONG SetWindowLong(HWND window, int index, LONG value) { return SetWindowLongA(window, index, value); }
inline LONG_PTR GetWindowLongPtr(HWND window, int index) { return GetWindowLongPtrA(window, index); }
inline LONG_PTR SetWindowLongPtr(HWND window, int index, LONG_PTR value) {
  return SetWindowLongPtrA(window, index, value);
}

// Text. For a window of the calling process these send WM_GETTEXT/WM_SETTEXT as Windows does (of
// another thread: sent to it); for a window of another process GetWindowText reads the station's
// copy of the text (its first 255 bytes) without disturbing the window.
int GetWindowTextA(HWND window, LPSTR buffer, int bufferMax);
int GetWindowTextLengthA(HWND window);
BOOL SetWindowTextA(HWND window, LPCSTR text);
inline int GetWindowText(HWND window, LPSTR buffer, int bufferMax) { return GetWindowTextA(window, buffer, bufferMax); }
inline int GetWindowTextLength(HWND window) { return GetWindowTextLengthA(window); }
inline BOOL SetWindowText(HWND window, LPCSTR text) { return SetWindowTextA(window, text); }

BOOL IsWindow(HWND window);
BOOL IsWindowVisible(HWND window);  // the window and all its ancestors have WS_VISIBLE
BOOL IsWindowEnabled(HWND window);
BOOL IsChild(HWND parent, HWND window);
BOOL IsIconic(HWND window);
BOOL IsZoomed(HWND window);
// Enables or disables input; sends WM_ENABLE. Returns TRUE when the window was disabled before.
BOOL EnableWindow(HWND window, BOOL enable);

HWND GetDesktopWindow();
HWND GetParent(HWND window);  // the parent of a child, the owner of a top-level window
// Moves a window under another parent, of this or of another process; NULL puts it on the desktop.
// Returns the previous parent.
HWND SetParent(HWND window, HWND newParent);

constexpr UINT GW_HWNDFIRST = 0;
constexpr UINT GW_HWNDLAST = 1;
constexpr UINT GW_HWNDNEXT = 2;
constexpr UINT GW_HWNDPREV = 3;
constexpr UINT GW_OWNER = 4;
constexpr UINT GW_CHILD = 5;
HWND GetWindow(HWND window, UINT command);
inline HWND GetTopWindow(HWND window) { return GetWindow(window ? window : GetDesktopWindow(), GW_CHILD); }
inline HWND GetNextWindow(HWND window, UINT command) { return GetWindow(window, command); }

constexpr UINT GA_PARENT = 1;
constexpr UINT GA_ROOT = 2;
constexpr UINT GA_ROOTOWNER = 3;
HWND GetAncestor(HWND window, UINT flags);

// The thread that owns the window; its process id into *processId when not NULL. 0 for no window.
DWORD GetWindowThreadProcessId(HWND window, LPDWORD processId);

using WNDENUMPROC = BOOL (*)(HWND, LPARAM);
BOOL EnumWindows(WNDENUMPROC callback, LPARAM lParam);
BOOL EnumChildWindows(HWND parent, WNDENUMPROC callback, LPARAM lParam);
BOOL EnumThreadWindows(DWORD threadId, WNDENUMPROC callback, LPARAM lParam);
// By class and/or exact text (NULL matches anything); top-level windows of every process.
HWND FindWindowA(LPCSTR className, LPCSTR windowName);
inline HWND FindWindow(LPCSTR className, LPCSTR windowName) { return FindWindowA(className, windowName); }
HWND FindWindowExA(HWND parent, HWND childAfter, LPCSTR className, LPCSTR windowName);
inline HWND FindWindowEx(HWND parent, HWND childAfter, LPCSTR className, LPCSTR windowName) {
  return FindWindowExA(parent, childAfter, className, windowName);
}

