// The folder bar's label editor: its keys, its growth and the question to the bar at its end.
#include "OutBarLabelEdit.h"

#include "LauncherMessages.h"
#include "OutBarCtrl.h"

#include <algorithm>

BOOL COutBarLabelEdit::Start(CWnd* bar, Kind kind, int index, const RECT& rect, LPCSTR text) {
  m_bar = bar;
  m_kind = kind;
  m_index = index;
  m_start = rect;
  const DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER |
                      (kind == kFolder ? ES_AUTOHSCROLL | ES_CENTER : ES_MULTILINE | ES_CENTER);
  if (!Create(style, rect, bar, 0xFFFE)) return FALSE;
  ::SendMessageA(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  SetWindowText(text);
  SetSel(0, -1);
  SetFocus();
  Grow();
  return TRUE;
}

void COutBarLabelEdit::Grow() {
  CString text;
  GetWindowText(text);
  RECT bar;
  m_bar->GetClientRect(&bar);
  CClientDC dc(this);
  HGDIOBJ old = ::SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  RECT need{0, 0, m_kind == kFolder ? 0 : m_start.right - m_start.left, 0};
  const UINT format = m_kind == kFolder ? DT_SINGLELINE | DT_CALCRECT : DT_WORDBREAK | DT_CENTER | DT_CALCRECT;
  dc.DrawText(text.IsEmpty() ? CString("W") : text, &need, format);
  ::SelectObject(dc, old);
  RECT rect = m_start;
  if (m_kind == kFolder) {
    // One line, widened about its centre within the bar.
    const int width = std::min<int>(bar.right, std::max<int>(m_start.right - m_start.left, need.right + 8));
    const int centre = (m_start.left + m_start.right) / 2;
    rect.left = std::max<int>(0, centre - width / 2);
    rect.right = std::min<int>(bar.right, rect.left + width);
  } else {
    rect.bottom = std::max<LONG>(m_start.bottom, m_start.top + need.bottom + 4);
  }
  MoveWindow(rect);
}

void COutBarLabelEdit::End(bool cancelled) {
  if (m_ended) return;
  m_ended = true;
  m_cancelled = cancelled;
  GetWindowText(m_text);
  if (!cancelled && !m_text.IsEmpty()) {
    CGfxOutBarCtrl::LabelChange change{m_index, m_text};
    m_bar->SendMessage(WM_OUTBAR_NOTIFY, m_kind, reinterpret_cast<LPARAM>(&change));
  }
  // The bar lets the editor go from its queue: not while the editor is in its own handler.
  m_bar->PostMessage(CGfxOutBarCtrl::kEndLabelEdit);
}

LRESULT COutBarLabelEdit::OnKeyDown(WPARAM wParam, LPARAM) {
  if (wParam == VK_RETURN) {
    End(false);
    return 0;
  }
  if (wParam == VK_ESCAPE) {
    End(true);
    return 0;
  }
  return Default();
}

LRESULT COutBarLabelEdit::OnChar(WPARAM wParam, LPARAM) {
  if (wParam == '\r' || wParam == 27) return 0;  // the keys above; no line breaks, no beep
  const LRESULT result = Default();
  if (!m_ended) Grow();
  return result;
}

LRESULT COutBarLabelEdit::OnKillFocus(WPARAM, LPARAM) {
  const LRESULT result = Default();
  End(false);
  return result;
}

LRESULT COutBarLabelEdit::OnGetDlgCode(WPARAM, LPARAM) { return DLGC_WANTALLKEYS; }

const AFX_MSGMAP* COutBarLabelEdit::GetMessageMap() const {
  static const AFX_MSGMAP map{CEdit::GetMessageMap(), {
      MapMessage(WM_KEYDOWN, &COutBarLabelEdit::OnKeyDown),
      MapMessage(WM_CHAR, &COutBarLabelEdit::OnChar),
      MapMessage(WM_KILLFOCUS, &COutBarLabelEdit::OnKillFocus),
      MapMessage(WM_GETDLGCODE, &COutBarLabelEdit::OnGetDlgCode),
  }};
  return &map;
}
