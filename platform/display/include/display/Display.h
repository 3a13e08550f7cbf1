#pragma once
// The X11 display. Linking this module is enough for a program to be seen: when the library loads
// it opens the display named by DISPLAY and installs itself as the window manager's display backend,
// unless TOLVAR_DISPLAY is "none" or DISPLAY is unset, in which case nothing is shown and the
// program runs headless exactly as without it.
//
// Top-level windows (and pop-ups: menus, drop-downs, tooltips, as override-redirect windows) become
// X windows showing their pixels as RenderWindow gives them, non-client area included: the window
// manager's decorations are turned off because the suite paints its own frames and captions. Windows
// of another process hosted in ours are composited into the host's pixels; the hosted process tells
// the host's X window when its pixels changed. Input arrives through <user/Headless.h>'s injection.
#include <base/WinDef.h>

namespace tolvar::display {

// Opens the display if it is not open yet. FALSE when TOLVAR_DISPLAY is "none", DISPLAY is unset,
// or the X server cannot be reached (the program then stays headless).
bool Open();
// Closes the display: X windows go, windows stay (headless). Done by itself when the library unloads.
void Close();
bool IsOpen();

// The X window (an XID) that presents `window`, 0 when none does (yet). For tests and the bench.
unsigned long XWindowOf(HWND window);
// How many times pixels were put to the X server since the display opened. For tests and the bench:
// a change of the count means the server has the new pixels (the put was synchronised).
unsigned long PresentCount();

}  // namespace tolvar::display
