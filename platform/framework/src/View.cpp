// Views: painting through OnDraw, joining the document named by the creation context, and passing
// commands on to the document.
#include <framework/Dc.h>
#include <framework/Doc.h>
#include <framework/Frame.h>
#include <framework/View.h>

#include <gdi/Gdi.h>

#include "ThreadState.h"

IMPLEMENT_DYNAMIC(CView, CWnd)

const AFX_MSGMAP* CView::GetMessageMap() const {
  static const AFX_MSGMAP map{CWnd::GetMessageMap(),
                              {
                                  MapMessage(WM_CREATE, &CView::OnCreate),
                                  MapMessage(WM_PAINT, &CView::OnPaint),
                                  MapMessage(WM_DESTROY, &CView::OnDestroy),
                                  MapMessage(WM_INITIALUPDATE, &CView::OnInitialUpdateMessage),
                              }};
  return &map;
}

CView::~CView() {
  if (m_pDocument) m_pDocument->RemoveView(this);
}

BOOL CView::PreCreateWindow(CREATESTRUCTA& cs) {
  if (!cs.lpszClass) {
    cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW), GetSysColorBrush(COLOR_WINDOW));
  }
  return TRUE;
}

LRESULT CView::OnCreate(WPARAM, LPARAM lParam) {
  if (Default() == -1) return -1;
  auto* cs = reinterpret_cast<LPCREATESTRUCTA>(lParam);
  if (auto* context = static_cast<CCreateContext*>(cs->lpCreateParams); context && context->m_pCurrentDoc) {
    context->m_pCurrentDoc->AddView(this);
  }
  return 0;
}

void CView::OnPaint() {
  CPaintDC dc(this);
  OnPrepareDC(&dc);
  OnDraw(&dc);
}

void CView::OnDestroy() {
  if (CFrameWnd* frame = GetParentFrame(); frame && frame->GetActiveView() == this) frame->SetActiveView(nullptr, FALSE);
  Default();
}

void CView::OnInitialUpdateMessage() { OnInitialUpdate(); }
void CView::OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }
void CView::OnUpdate(CView*, LPARAM, CObject*) { Invalidate(); }
void CView::OnActivateView(BOOL, CView*, CView*) {}

BOOL CView::OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) {
  if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  return m_pDocument && m_pDocument->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CView::PostNcDestroy() { tolvar::framework::ReleaseWindowObject(this); }
