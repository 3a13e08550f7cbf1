#pragma once
// The seam through which a display presents windows. The window manager runs headless by itself; a
// display module installs a backend and is then told when top-level windows appear, move, change,
// show, hide and go. Input from the display comes back through <user/Headless.h>'s injection
// functions, which route it as the mouse and keyboard's.
#include <base/WinDef.h>

namespace tolvar::user {

class DisplayBackend {
public:
  virtual ~DisplayBackend() = default;

  // A top-level window of this process was created / destroyed.
  virtual void WindowCreated(HWND window) = 0;
  virtual void WindowDestroyed(HWND window) = 0;
  // Its screen rectangle changed, or it was shown or hidden.
  virtual void WindowMoved(HWND window, const RECT& screenRect) = 0;
  virtual void WindowShown(HWND window, bool visible) = 0;
  // Pixels of the window changed within `rect` (window coordinates): read them with RenderWindow.
  virtual void Present(HWND window, const RECT& rect) = 0;
};

// Installs the process's backend (NULL: none, the default). The backend must outlive its use.
void SetDisplayBackend(DisplayBackend* backend);

}  // namespace tolvar::user
