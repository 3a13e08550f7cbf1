#pragma once
// What tests (and a person without a display) use in place of a screen, a mouse and a keyboard.
#include <base/WinDef.h>

#include <cstdint>
#include <vector>

namespace tolvar::user {

// Moves the pointer to `screenPoint` and, for a button message (WM_LBUTTONDOWN, WM_LBUTTONUP,
// WM_RBUTTONDOWN...; WM_MOUSEMOVE only moves), presses or releases that button. The message goes
// where a real mouse's would: to the window holding the capture, else to the topmost visible window
// under the point whose hit test does not answer HTTRANSPARENT, as a non-client message outside its
// client area; a disabled window's click goes nowhere. A press sends WM_MOUSEACTIVATE (and
// activates) and WM_SETCURSOR first; a second press within the double-click time and distance
// becomes WM_xBUTTONDBLCLK for a class with CS_DBLCLKS. The message is posted to the window's thread;
// FALSE when no window takes it.
BOOL InjectMouse(POINT screenPoint, UINT message);

// The pointer is at `screenPoint` over a window that is not the suite's (the tray icon, another
// program's window): GetCursorPos and GetMessagePos answer it, and no window gets a message.
void NotePointerAt(POINT screenPoint);

// The display's input focus left `window` (a top-level window of this process) for a window that
// is not this process's: another program's, or the desktop. When `window` is its thread's active
// window, the thread is deactivated as an application is when another one comes to the front:
// WM_NCACTIVATE FALSE and WM_ACTIVATE WA_INACTIVE to it, WM_ACTIVATEAPP FALSE to each top-level
// window of the thread, then WM_KILLFOCUS to the focus. Done on the window's thread.
void InjectFocusLost(HWND window);

// Presses (down) or releases a key: WM_KEYDOWN/WM_KEYUP to the focus window of the foreground
// window's thread (WM_SYSKEYDOWN/UP while Alt is down or for F10, to the active window when nothing
// has the focus). Updates the key states. FALSE when no window takes it. When the focus is in a
// window of another process hosted inside the foreground window, the key goes there.
BOOL InjectKey(UINT virtualKey, bool down);

// Types UTF-8 text, as an input method or a display's keyboard hands over finished text: one
// WM_CHAR per character, its Unicode code point in wParam, to the window InjectKey's keys go to
// (no WM_KEYDOWN/UP). A byte that starts no valid sequence types U+FFFD. FALSE when no window
// takes the text.
BOOL InjectText(const char* utf8);

// The system font's dialog base units, as GetDialogBaseUnits answers them and a dialog whose
// template names no font is laid out in: 8 x 16 by default (small system fonts); a desktop set to
// large system fonts gives 10 x 20. For the whole process.
void SetSystemDialogBaseUnits(SIZE units);

// The window as it looks: its backing bitmap's part for the window, children included, with what
// windows of other processes hosted inside it show. Pending painting is done first (by the windows'
// own threads). A new 32-bit bitmap the caller deletes, NULL when the window is not visible.
HBITMAP RenderWindow(HWND window);
// The same pixels (0x00RRGGBB, top row first) into a buffer the caller keeps from frame to frame,
// as a display does: nothing is allocated once the buffer has the window's size. FALSE when the
// window is not visible.
bool RenderWindowPixels(HWND window, std::vector<std::uint32_t>& pixels, SIZE& size);
// RenderWindow written as a PNG file.
BOOL RenderWindowToPng(HWND window, const char* path);

}  // namespace tolvar::user
