// The fixed splitter: the mouse never reaches the splitter's tracking, and its own look.
#include "FixedSplitterWnd.h"

IMPLEMENT_DYNAMIC(CFixedSplitterWnd, CSplitterWnd)

void CFixedSplitterWnd::DrawPaneBorder(HDC dc, RECT outer) {
  CDC* cdc = CDC::FromHandle(dc);
  cdc->Draw3dRect(&outer, GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_WINDOWFRAME));
  RECT inner{outer.left + 1, outer.top + 1, outer.right - 1, outer.bottom - 1};
  cdc->Draw3dRect(&inner, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
}

LRESULT CFixedSplitterWnd::OnPassOn(WPARAM, LPARAM) { return Default(); }

LRESULT CFixedSplitterWnd::OnEraseBkgnd(WPARAM wParam, LPARAM) {
  RECT client;
  GetClientRect(&client);
  InflateRect(&client, -m_cxBorder, -m_cyBorder);
  CDC::FromHandle(reinterpret_cast<HDC>(wParam))->FillSolidRect(&client, GetSysColor(COLOR_BTNFACE));
  return 1;
}

void CFixedSplitterWnd::OnPaintFixed() {
  CPaintDC dc(this);
  RECT client;
  GetClientRect(&client);
  // Borders round each pane.
  for (int c = 0; c < GetColumnCount(); ++c) {
    int width = 0, minimum = 0;
    GetColumnInfo(c, width, minimum);
    CWnd* pane = GetPane(0, c);
    if (!pane) continue;
    RECT rect;
    pane->GetWindowRect(&rect);
    ScreenToClient(&rect);
    InflateRect(&rect, m_cxBorder, m_cyBorder);
    DrawPaneBorder(dc, rect);
  }
  // A line of shadow with a line of highlight below it across the top.
  dc.FillSolidRect(client.left, client.top, client.right - client.left, 1, GetSysColor(COLOR_BTNSHADOW));
  dc.FillSolidRect(client.left, client.top + 1, client.right - client.left, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
}

const AFX_MSGMAP* CFixedSplitterWnd::GetMessageMap() const {
  static const AFX_MSGMAP map{CSplitterWnd::GetMessageMap(), {
      MapMessage(WM_LBUTTONDOWN, &CFixedSplitterWnd::OnPassOn),
      MapMessage(WM_MOUSEMOVE, &CFixedSplitterWnd::OnPassOn),
      MapMessage(WM_SETCURSOR, &CFixedSplitterWnd::OnPassOn),
      MapMessage(WM_ERASEBKGND, &CFixedSplitterWnd::OnEraseBkgnd),
      MapMessage(WM_PAINT, &CFixedSplitterWnd::OnPaintFixed),
  }};
  return &map;
}
