// How a window object takes a message: reflection of a control's own messages back to the control's
// object first, owner-drawn menu entries to the menu's object, commands and notifications through
// OnCmdMsg, then the message maps, most derived class first.
#include <framework/Dc.h>
#include <framework/Menu.h>
#include <framework/Wnd.h>

#include "ThreadState.h"

using tolvar::framework::Thread;

namespace {

bool IsCtlColor(UINT message) { return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC; }

// The control a parent's message is about, for the messages that are reflected; null otherwise.
HWND ReflectedControl(HWND parent, UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsCtlColor(message)) return reinterpret_cast<HWND>(lParam);
  switch (message) {
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      return item->CtlType == ODT_MENU ? nullptr : item->hwndItem;
    }
    case WM_MEASUREITEM: {
      auto* item = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
      return item->CtlType == ODT_MENU ? nullptr : ::GetDlgItem(parent, static_cast<int>(item->CtlID));
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
      return reinterpret_cast<HWND>(lParam);
    default:
      (void)wParam;
      return nullptr;
  }
}

}  // namespace

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  LRESULT answer = 0;
  if (message == WM_COMMAND) {
    if (!OnCommand(wParam, lParam)) return FALSE;
    *result = 1;
    return TRUE;
  }
  if (message == WM_NOTIFY) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (!header || !header->hwndFrom || !OnNotify(wParam, lParam, &answer)) return FALSE;
    *result = answer;
    return TRUE;
  }
  if (message == WM_INITMENUPOPUP) Thread().trackingMenu = reinterpret_cast<HMENU>(wParam);
  if (message == WM_DRAWITEM && reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->CtlType == ODT_MENU) {
    auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    if (CMenu* menu = CMenu::FindOwnerDrawMenu(reinterpret_cast<HMENU>(item->hwndItem))) {
      menu->DrawItem(item);
      *result = TRUE;
      return TRUE;
    }
  }
  if (message == WM_MEASUREITEM && reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam)->CtlType == ODT_MENU) {
    // The pop-up being opened, else the window's menu bar (whose own entries are measured before
    // any pop-up opens).
    CMenu* menu = CMenu::FindOwnerDrawMenu(Thread().trackingMenu);
    if (!menu && !(GetStyle() & WS_CHILD)) menu = CMenu::FindOwnerDrawMenu(::GetMenu(m_hWnd));
    if (menu) {
      menu->MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
      *result = TRUE;
      return TRUE;
    }
  }
  if (HWND control = ReflectedControl(m_hWnd, message, wParam, lParam)) {
    if (ReflectLastMsg(control, &answer)) {
      *result = answer;
      return TRUE;
    }
  }
  const AFX_MSGMAP_ENTRY* entry = FindEntry(message, 0, 0);
  if (!entry) return FALSE;
  AFX_CALL call{message, wParam, lParam, 0, nullptr, &answer};
  if (!entry->call(*this, call)) return FALSE;
  *result = answer;
  return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  UINT id = LOWORD(wParam);
  HWND control = reinterpret_cast<HWND>(lParam);
  int code = HIWORD(wParam);
  if (!control) {
    // A menu entry or an accelerator: a command its update handler disables is not carried out.
    CCmdUI state;
    state.m_nID = id;
    if (OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &state, nullptr) && !state.m_bEnabled) return TRUE;
    code = CN_COMMAND;
  } else if (ReflectLastMsg(control)) {
    return TRUE;  // the control's object took its own notification
  }
  return OnCmdMsg(id, code, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* result) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (ReflectLastMsg(header->hwndFrom, result)) return TRUE;
  AFX_NOTIFY notify{result, header};
  return OnCmdMsg(static_cast<UINT>(header->idFrom), MAKELONG(LOWORD(header->code), WM_NOTIFY), &notify, nullptr);
}

BOOL CWnd::ReflectLastMsg(HWND child, LRESULT* result) {
  CWnd* object = FromHandlePermanent(child);
  if (!object) return FALSE;
  const MSG current = Thread().current;
  LRESULT ignored = 0;
  return object->OnChildNotify(current.message, current.wParam, current.lParam, result ? result : &ignored);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  return ReflectChildNotify(message, wParam, lParam, result);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  LRESULT answer = 0;
  AFX_CALL call{message, wParam, lParam, 0, nullptr, &answer};
  const AFX_MSGMAP_ENTRY* entry = nullptr;
  if (message == WM_COMMAND) {
    entry = FindEntry(WM_REFLECT_BASE + WM_COMMAND, HIWORD(wParam), 0);
  } else if (message == WM_NOTIFY) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    entry = FindEntry(WM_REFLECT_BASE + WM_NOTIFY, LOWORD(header->code), 0);
    call.extra = header;
  } else if (IsCtlColor(message)) {
    entry = FindEntry(WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0);
    call.extra = CDC::FromHandle(reinterpret_cast<HDC>(wParam));
    call.id = message - WM_CTLCOLORMSGBOX;
  } else {
    entry = FindEntry(WM_REFLECT_BASE + message, 0, 0);
  }
  if (!entry || !entry->call(*this, call)) return FALSE;
  *result = answer;
  return TRUE;
}
