// The status-bar progress pane.
#include "ProgressBar.h"

#include <algorithm>

RECT ProgressPaneRect(const RECT& pane, int textWidth, int share) {
  const int left = static_cast<int>(pane.left) + std::max(0, textWidth);
  const int rest = std::max(0, static_cast<int>(pane.right) - left);
  const int width = std::max(0, rest * std::clamp(share, 0, 100) / 100);
  const int inset = static_cast<int>(pane.bottom - pane.top) / 10;
  return RECT{left, pane.top + inset, left + width, pane.bottom - inset};
}

CProgressBar::~CProgressBar() {
  if (!m_hWnd) return;
  DestroyWindow();
  if (!m_bar || !m_bar->GetSafeHwnd()) return;
  CString text = m_paneText;
  if (m_pane == 0) AfxLoadStandardString(AFX_IDS_IDLEMESSAGE, text);
  m_bar->SetPaneText(m_pane, text);
  m_bar->UpdateWindow();
}

BOOL CProgressBar::Create(LPCSTR text, int share, int upper, CStatusBar* bar, int pane) {
  if (!bar || !bar->GetSafeHwnd() || pane < 0 || pane >= bar->GetCount()) return FALSE;
  m_bar = bar;
  m_pane = pane;
  m_share = share;
  m_text = text ? text : "";
  m_paneText = bar->GetPaneText(pane);
  if (!CProgressCtrl::Create(WS_CHILD | WS_VISIBLE, RECT{0, 0, 0, 0}, bar, 1)) return FALSE;
  SetRange32(0, upper);
  bar->SetPaneText(pane, m_text);
  m_rect = RECT{};
  Resize();
  return TRUE;
}

void CProgressBar::SetText(LPCSTR text) {
  m_text = text ? text : "";
  if (m_bar) m_bar->SetPaneText(m_pane, m_text);
  Resize();
}

void CProgressBar::SetShare(int share) {
  m_share = share;
  Resize();
}

int CProgressBar::TextWidth() const {
  if (m_text.IsEmpty()) return 0;
  CClientDC dc(m_bar);
  CFont* font = m_bar->GetFont();
  CFont* old = font ? dc.SelectObject(font) : nullptr;
  const CString padded = m_text + "    ";
  const int width = dc.GetTextExtent(padded).cx;
  if (old) dc.SelectObject(old);
  return width;
}

BOOL CProgressBar::Resize() {
  if (!m_hWnd || !m_bar) return FALSE;
  RECT pane{};
  m_bar->GetItemRect(m_pane, &pane);
  const RECT rect = ProgressPaneRect(pane, TextWidth(), m_share);
  if (EqualRect(&rect, &m_rect)) return FALSE;
  m_rect = rect;
  MoveWindow(rect);
  return TRUE;
}
