// Command targets: the search of message maps (most derived class first) and command updates.
#include <framework/CmdTarget.h>
#include <framework/Wnd.h>

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const {
  static const AFX_MSGMAP map{nullptr, {}};
  return &map;
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindEntry(UINT message, int code, UINT id) const {
  for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pBaseMap) {
    for (const AFX_MSGMAP_ENTRY& entry : map->entries) {
      if (entry.nMessage == message && entry.nCode == code && id >= entry.nID && id <= entry.nLastID) return &entry;
    }
  }
  return nullptr;
}

// With `pHandlerInfo` set the handler is only looked for, not called.
BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) {
  // A notification comes as MAKELONG(code, WM_NOTIFY); a command update keeps its code whole.
  UINT message = WM_COMMAND;
  int code = nCode;
  if (nCode != CN_UPDATE_COMMAND_UI && HIWORD(static_cast<DWORD>(nCode)) != 0) {
    message = HIWORD(static_cast<DWORD>(nCode));
    code = LOWORD(static_cast<DWORD>(nCode));
  }
  const AFX_MSGMAP_ENTRY* entry = FindEntry(message, code, nID);
  if (!entry) return FALSE;
  if (pHandlerInfo) return TRUE;
  LRESULT result = 0;
  AFX_CALL call{message, 0, 0, nID, pExtra, &result};
  if (message == WM_NOTIFY) {
    auto* notify = static_cast<AFX_NOTIFY*>(pExtra);
    call.extra = notify->pNMHDR;
    call.result = notify->pResult;
  }
  if (code == CN_UPDATE_COMMAND_UI) static_cast<CCmdUI*>(pExtra)->m_bContinueRouting = FALSE;
  BOOL handled = entry->call(*this, call);
  if (code == CN_UPDATE_COMMAND_UI && static_cast<CCmdUI*>(pExtra)->m_bContinueRouting) return FALSE;
  return handled;
}

// ---- CCmdUI ----

void CCmdUI::Enable(BOOL on) {
  m_bEnabled = on;
  if (m_pMenu) {
    ::EnableMenuItem(m_pMenu, m_nIndex, MF_BYPOSITION | (on ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
  } else if (m_pOther) {
    m_pOther->EnableWindow(on);
  }
  m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int check) {
  if (m_pMenu) {
    ::CheckMenuItem(m_pMenu, m_nIndex, MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
  } else if (m_pOther) {
    m_pOther->SendMessage(BM_SETCHECK, static_cast<WPARAM>(check));
  }
}

void CCmdUI::SetRadio(BOOL on) { SetCheck(on ? 1 : 0); }

void CCmdUI::SetText(LPCSTR text) {
  if (m_pMenu) {
    UINT state = ::GetMenuState(m_pMenu, m_nIndex, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED | MF_CHECKED);
    ::ModifyMenuA(m_pMenu, m_nIndex, MF_BYPOSITION | MF_STRING | state, m_nID, text);
  } else if (m_pOther) {
    m_pOther->SetWindowText(text);
  }
}

BOOL CCmdUI::DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler) {
  m_bEnableChanged = FALSE;
  BOOL handled = target->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this, nullptr);
  if (!handled && disableIfNoHandler && !m_bEnableChanged) {
    // Nobody updates it: enabled exactly when somebody would carry the command out.
    Enable(target->OnCmdMsg(m_nID, CN_COMMAND, nullptr, reinterpret_cast<void*>(1)) ? TRUE : FALSE);
  }
  return handled;
}
