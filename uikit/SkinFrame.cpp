#include "SkinFrame.h"

IMPLEMENT_DYNAMIC(CSkinFrame, CStatic)

CSkinFrame::CSkinFrame() { m_background.CreateSolidBrush(0xFFFFFF); }

CSkinFrame::~CSkinFrame() {
  if (m_hWnd) DestroyWindow();
}

const AFX_MSGMAP* CSkinFrame::GetMessageMap() const {
  static const AFX_MSGMAP map{CStatic::GetMessageMap(),
                              {
                                  MapMessage(WM_PAINT, &CSkinFrame::OnPaint),
                                  MapCtlColorReflect(&CSkinFrame::CtlColor),
                              }};
  return &map;
}

LRESULT CSkinFrame::OnPaint(WPARAM, LPARAM) {
  CPaintDC dc(this);
  for (CWnd* child : m_children) {
    if (!child || !child->m_hWnd || !child->IsWindowVisible()) continue;
    RECT rect{};
    child->GetWindowRect(&rect);
    ScreenToClient(&rect);
    dc.ExcludeClipRect(&rect);
  }
  // The static control paints itself into this clipped DC (its printing entry takes a DC; its
  // WM_PAINT would open one of its own).
  DefWindowProc(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.m_hDC), PRF_CLIENT);
  return 0;
}

HBRUSH CSkinFrame::CtlColor(CDC*, UINT) { return m_background; }
