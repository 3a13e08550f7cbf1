#include "SystemTray.h"

#include <base/Time.h>
#include <kernel/Version.h>
#include <resources/Resource.h>
#include <framework/Controls.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

CSystemTray::~CSystemTray() {
  m_menu.DestroyItems();
  if (m_enabled) Shell_NotifyIconA(NIM_DELETE, &m_data);
  m_enabled = false;
  m_icons.clear();  // icons of resources belong to the module; nothing to free
  if (m_hWnd) DestroyWindow();
}

BOOL CSystemTray::Create(CWnd* parent, UINT callbackMessage, LPCSTR tip, HICON icon, UINT id) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version) || version.dwMajorVersion < 4) return FALSE;
  if (!CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr)) return FALSE;
  m_data.cbSize = NOTIFYICONDATA_V1_SIZE;
  m_data.hWnd = parent ? parent->GetSafeHwnd() : m_hWnd;
  m_data.uID = id;
  m_data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  m_data.uCallbackMessage = callbackMessage;
  m_data.hIcon = icon;
  std::snprintf(m_data.szTip, sizeof m_data.szTip, "%s", tip ? tip : "");
  m_enabled = Shell_NotifyIconA(NIM_ADD, &m_data) != FALSE;
  m_menu.LoadMenu(id);
  m_menu.SetMenuFont("Verdana", 14, FALSE, FALSE);
  return m_enabled;
}

BOOL CSystemTray::SetIcon(HICON icon) {
  if (!m_enabled) return FALSE;
  m_data.uFlags = NIF_ICON;
  m_data.hIcon = icon;
  return m_hidden || Shell_NotifyIconA(NIM_MODIFY, &m_data);
}

BOOL CSystemTray::SetIcon(UINT resourceId) {
  return SetIcon(LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(static_cast<WORD>(resourceId))));
}

BOOL CSystemTray::SetTooltipText(LPCSTR tip) {
  if (!m_enabled) return FALSE;
  m_data.uFlags = NIF_TIP;
  std::snprintf(m_data.szTip, sizeof m_data.szTip, "%s", tip ? tip : "");
  return m_hidden || Shell_NotifyIconA(NIM_MODIFY, &m_data);
}

BOOL CSystemTray::SetIconList(UINT first, UINT last) {
  m_icons.clear();
  if (last < first) return FALSE;
  for (UINT id = first; id <= last; ++id) {
    HICON icon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(static_cast<WORD>(id)));
    if (!icon) {
      m_icons.clear();
      return FALSE;
    }
    m_icons.push_back(icon);
  }
  return TRUE;
}

BOOL CSystemTray::Animate(UINT intervalMs, int durationSeconds) {
  StopAnimation();
  // An empty list has no picture to step to (and no count to wrap at).
  if (m_icons.empty()) return FALSE;
  m_iconBeforeAnimation = m_data.hIcon;
  m_index = 0;
  m_animationStart = GetTickCount();
  m_duration = durationSeconds;
  m_timer = SetTimer(kAnimationTimer, intervalMs);
  return m_timer != 0;
}

BOOL CSystemTray::StepAnimation() {
  if (m_icons.empty()) return FALSE;
  m_index = (m_index + 1) % m_icons.size();
  return SetIcon(m_icons[m_index]);
}

BOOL CSystemTray::StopAnimation() {
  if (!m_timer) return FALSE;
  KillTimer(m_timer);
  m_timer = 0;
  return SetIcon(m_iconBeforeAnimation);
}

BOOL CSystemTray::HideIcon() {
  if (!m_enabled || m_hidden) return FALSE;
  m_data.uFlags = NIF_ICON;
  if (!Shell_NotifyIconA(NIM_DELETE, &m_data)) return FALSE;
  m_hidden = true;
  return TRUE;
}

BOOL CSystemTray::ShowIcon() {
  if (!m_enabled || !m_hidden) return FALSE;
  m_data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  if (!Shell_NotifyIconA(NIM_ADD, &m_data)) return FALSE;
  m_hidden = false;
  return TRUE;
}

BOOL CSystemTray::SetMenuDefaultItem(UINT item, BOOL byPosition) {
  m_defaultItem = item;
  m_defaultByPosition = byPosition;
  CMenu* popup = m_menu.GetSafeHmenu() ? m_menu.GetSubMenu(0) : nullptr;
  return popup && popup->GetSafeHmenu() ? popup->SetDefaultItem(item, byPosition) : FALSE;
}

void CSystemTray::OnAnimationTimer() {
  const DWORD seconds = (GetTickCount() - m_animationStart) / 1000;
  if (m_duration > 0 && seconds > static_cast<DWORD>(m_duration)) {
    StopAnimation();
  } else {
    StepAnimation();
  }
}

LRESULT CSystemTray::OnTrayNotification(WPARAM id, LPARAM mouseMessage) {
  if (id != m_data.uID) return 0;
  CWnd* main = AfxGetMainWnd();
  // The main window sees the event first, and may take it (refuse the menu, or prepare it).
  MSG event{};
  event.hwnd = m_hWnd;
  event.message = m_data.uCallbackMessage;
  event.wParam = id;
  event.lParam = mouseMessage;
  if (main && main->PreTranslateMessage(&event)) return 1;
  switch (mouseMessage) {
    case WM_RBUTTONUP:
      ShowMenu();
      return 1;
    case WM_LBUTTONDBLCLK: {
      if (!main) return 1;
      ::SetForegroundWindow(main->GetSafeHwnd());
      UINT command = m_defaultItem;
      if (m_defaultByPosition) {
        CMenu* popup = m_menu.GetSubMenu(0);
        command = popup && popup->GetSafeHmenu() ? popup->GetMenuItemID(static_cast<int>(m_defaultItem)) : 0;
      }
      main->SendMessage(WM_COMMAND, command, 0);
      return 1;
    }
    default:
      return 0;
  }
}

void CSystemTray::ShowMenu() {
  CWnd* main = AfxGetMainWnd();
  CMenu* popup = m_menu.GetSafeHmenu() ? m_menu.GetSubMenu(0) : nullptr;
  if (!popup || !popup->GetSafeHmenu()) {
    char text[64];
    std::snprintf(text, sizeof text, "Menu %p", static_cast<void*>(m_menu.GetSafeHmenu()));
    AfxMessageBox(text);
    return;
  }
  popup->SetDefaultItem(m_defaultItem, m_defaultByPosition);
  if (main) ::SetForegroundWindow(main->GetSafeHwnd());
  POINT at{};
  GetCursorPos(&at);
  // Through the class library, so the owner's measuring and drawing reach the menu's records.
  const UINT command = static_cast<UINT>(
      popup->TrackPopupMenu(TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, main ? main : this));
  if (main) main->PostMessage(WM_COMMAND, command, 0);
}

LRESULT CSystemTray::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == kAnimationTimer) {
    OnAnimationTimer();
    return 0;
  }
  if (m_data.uCallbackMessage != 0 && message == m_data.uCallbackMessage) return OnTrayNotification(wParam, lParam);
  return CWnd::WindowProc(message, wParam, lParam);
}
