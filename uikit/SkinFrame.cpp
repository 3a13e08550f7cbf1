// CSkinFrame: the frame's painting with its listed children cut out of the clip region, and its
// white background for the static control's own painting.
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
  for (HWND child : m_children) {
    if (!::IsWindow(child) || !::IsWindowVisible(child)) continue;
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ScreenToClient(&rect);
    dc.ExcludeClipRect(&rect);
  }
  // The static control paints itself into this clipped DC (its printing entry takes a DC; its
  // WM_PAINT would open one of its own).
  DefWindowProc(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.m_hDC), PRF_CLIENT);
  return 0;
}

HBRUSH CSkinFrame::CtlColor(CDC*, UINT) { return m_background; }
