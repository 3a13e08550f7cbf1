// Mediary's settings of the shared kit.
#include "MediaryKit.h"

#include <MessageBoxDlg.h>
#include <user/Dialog.h>

void ApplyMediaryKitSettings() {
  MessageBoxSettings settings;
  settings.ok = 1037;
  settings.cancel = 1038;
  settings.no = 1039;
  settings.yes = 1040;
  settings.abort = 1041;
  settings.retry = 1042;
  settings.ignore = 1043;
  settings.raiseToTop = true;
  SetMessageBoxSettings(settings);
}

LRESULT CFocusOnDisableHook::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // Disabling a focused window leaves the focus nowhere (or still on it, as the system sends the
  // message): either way it goes on to the next tab item, so the keyboard keeps a target.
  HWND focus = ::GetFocus();
  if (message == WM_ENABLE && !wParam && (focus == m_hWnd || focus == nullptr)) {
    HWND parent = ::GetParent(m_hWnd);
    HWND next = parent ? ::GetNextDlgTabItem(parent, m_hWnd, FALSE) : nullptr;
    if (::GetActiveWindow() == ::GetAncestor(m_hWnd, GA_ROOT)) ::SetFocus(next && next != m_hWnd ? next : parent);
  }
  return Default(message, wParam, lParam);
}
