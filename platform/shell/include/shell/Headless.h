#pragma once
// The notification area as tests and a tray of our own see it. The icons of every process live in a
// table in shared memory per home; a tray is present once some process has registered itself as
// the tray and while that process lives. Icons of a process that has died are dropped from the
// table. (With a display whose desktop runs a system tray, Shell_NotifyIcon works too, and the
// display docks the process's icons there; see <user/DisplayBackend.h>.)
#include <base/WinDef.h>

#include <string>
#include <vector>

namespace tolvar::shell {

struct TrayIcon {
  DWORD processId = 0;
  HWND window = nullptr;
  UINT id = 0;
  UINT flags = 0;            // NIF_ flags given so far
  UINT callbackMessage = 0;  // 0 without NIF_MESSAGE
  DWORD icon = 0;            // the owner's icon handle, as a number
  std::string tip;
  // The icon's picture at the tray's size, 16 x 16 ARGB (0xAARRGGBB), top row first, taken when
  // the icon was given; all 0 without an icon.
  std::vector<DWORD> pixels;
};

// Makes this process the tray (replacing a tray of a process that has died); FALSE while another
// living process is the tray. UnregisterTray gives it up (the icons stay recorded).
BOOL RegisterTray();
void UnregisterTray();
bool IsTrayPresent();

// The icons of living processes, in the order they were added.
std::vector<TrayIcon> ListTrayIcons();

// Delivers one mouse message (WM_MOUSEMOVE to WM_RBUTTONUP, 512 to 517) over the icon, as the tray
// does: the icon's callback message, posted to its window with wParam the id and lParam the mouse
// message. FALSE when the icon is not there or has no callback message.
BOOL SendTrayMouse(HWND window, UINT id, UINT mouseMessage);
// A click with the button of `downMessage` (WM_LBUTTONDOWN or WM_RBUTTONDOWN): down and up; a double
// click: down, up, double click, up, as Windows reports them.
BOOL ClickTrayIcon(HWND window, UINT id, UINT downMessage, bool doubleClick = false);

}  // namespace tolvar::shell
