#pragma once
// The seam through which a display presents windows. The window manager runs headless by itself; a
// display module installs a backend and is then told when top-level windows appear, move, change,
// show, hide and go. Input from the display comes back through <user/Headless.h>'s injection
// functions, which route it as the mouse and keyboard's.
#include <base/WinDef.h>

#include <string>
#include <vector>

namespace tolvar::user {

// One notification-area icon of this process as the shell keeps it: what a desktop's tray shows
// and where its mouse messages go (posted to `window` as `callbackMessage`, wParam the id).
struct TrayIconState {
  HWND window = nullptr;
  UINT id = 0;
  UINT callbackMessage = 0;  // 0: the icon takes no mouse messages
  std::string tip;
  std::vector<DWORD> pixels;  // 16 x 16 ARGB (0xAARRGGBB, not premultiplied), top row first
};

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
  // Its text or its icon (WM_SETTEXT, WM_SETICON) changed.
  virtual void WindowRetitled(HWND) {}
  // Whether it paints its own caption changed (SetOwnCaption): the display chooses its decorations
  // again.
  virtual void WindowFrameChanged(HWND) {}

  // The desktop's notification area. HasTray answers at once from any thread: whether a tray to
  // dock with runs now. The shell tells each icon of this process as it is added or changed, and
  // when it goes; the display docks it while a tray runs and again when a tray (re)appears.
  virtual bool HasTray() { return false; }
  virtual void TrayIconSet(const TrayIconState&) {}
  virtual void TrayIconRemoved(HWND, UINT) {}
  // The cursor shown over this process's windows changed (NULL: hidden). `shownIn`, when given, is
  // a top-level window of another process inside which a window of this process lies under the
  // pointer: the cursor goes on that process's X window.
  virtual void CursorChanged(HCURSOR, HWND /*shownIn*/) {}
  // A tracked pop-up menu opened in `window` (NULL: it ended). While it tracks, the display takes
  // every click and key of the screen to this process, as desktop menus do, so that a click anywhere
  // outside the menu or Escape ends it even when the pointer or the focus was elsewhere.
  virtual void MenuTracking(HWND /*window*/) {}
};

// A frame that paints its own caption (over the one the window manager draws) says so: a display
// then shows it whole, its caption included, instead of putting the desktop's frame around its
// client area. Moving, sizing and closing it stay with the window manager's non-client handling.
// Any thread may ask; the flag goes with the window.
void SetOwnCaption(HWND window, bool own);
bool HasOwnCaption(HWND window);

// Installs the process's backend (NULL: none, the default). The backend must outlive its use.
void SetDisplayBackend(DisplayBackend* backend);

// The screen's size as the display finds it, at start and when it changes: the system metrics, the
// work area and the desktop window follow. Headless it stays 1024 x 768.
void SetScreenSize(int width, int height);

// The installed backend's notification area, for the shell; without a backend there is no tray.
bool DisplayHasTray();
void DisplayTrayIconSet(const TrayIconState& icon);
void DisplayTrayIconRemoved(HWND window, UINT id);
void DisplayMenuTracking(HWND window);

}  // namespace tolvar::user
