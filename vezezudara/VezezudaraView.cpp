// The host view: erasing by what is shown, and the painted notice to the frame.
#include "VezezudaraView.h"

#include "LauncherMessages.h"

#include "VezezudaraDoc.h"

IMPLEMENT_DYNCREATE(CVezezudaraDoc, CDocument)
IMPLEMENT_DYNCREATE(CVezezudaraView, CView)

BOOL CVezezudaraView::PreCreateWindow(CREATESTRUCTA& cs) {
  if (!CView::PreCreateWindow(cs)) return FALSE;
  cs.style |= WS_CLIPCHILDREN;
  return TRUE;
}

void CVezezudaraView::SetBackground(HBITMAP bitmap) {
  m_background.Reset(bitmap);
  BITMAP info{};
  if (bitmap && GetObjectA(bitmap, sizeof info, &info)) m_backgroundSize = {info.bmWidth, info.bmHeight};
  else m_backgroundSize = {0, 0};
}

void CVezezudaraView::OnDraw(CDC*) {}

LRESULT CVezezudaraView::OnEraseBkgnd(WPARAM wParam, LPARAM) {
  HDC dc = reinterpret_cast<HDC>(wParam);
  GetClientRect(&m_client);
  if (m_background) {
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, m_background.Get());
    StretchBlt(dc, 0, 0, m_client.right, m_client.bottom, memory, 0, 0, m_backgroundSize.cx, m_backgroundSize.cy,
               SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    return 1;
  }
  if (m_nothingShown) return Default();
  return 1;  // a program's window covers the view
}

LRESULT CVezezudaraView::OnPaintView(WPARAM, LPARAM) {
  {
    CPaintDC dc(this);
    OnDraw(&dc);
  }
  if (HWND frame = ::GetAncestor(m_hWnd, GA_ROOT)) ::PostMessageA(frame, WM_VIEW_PAINTED, 0, 0);
  return 0;
}

const AFX_MSGMAP* CVezezudaraView::GetMessageMap() const {
  static const AFX_MSGMAP map{CView::GetMessageMap(), {
      MapMessage(WM_ERASEBKGND, &CVezezudaraView::OnEraseBkgnd),
      MapMessage(WM_PAINT, &CVezezudaraView::OnPaintView),
  }};
  return &map;
}
