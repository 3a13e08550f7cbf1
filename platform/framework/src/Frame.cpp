// Frame windows: creation from resources, the client area's layout, command routing through the
// active view, and command updates of the menu's entries.
#include <framework/App.h>
#include <framework/Doc.h>
#include <framework/Frame.h>
#include <framework/ModuleState.h>
#include <framework/View.h>

#include <resources/Resource.h>

#include <gdi/Gdi.h>

#include "ThreadState.h"

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

const AFX_MSGMAP* CFrameWnd::GetMessageMap() const {
  static const AFX_MSGMAP map{CWnd::GetMessageMap(),
                              {
                                  MapMessage(WM_CREATE, &CFrameWnd::OnCreate),
                                  MapMessage(WM_SIZE, &CFrameWnd::OnSize),
                                  MapMessage(WM_CLOSE, &CFrameWnd::OnClose),
                                  MapMessage(WM_INITMENUPOPUP, &CFrameWnd::OnInitMenuPopup),
                                  MapMessage(WM_SETFOCUS, &CFrameWnd::OnSetFocus),
                              }};
  return &map;
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTA& cs) {
  if (!cs.lpszClass) {
    cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW), GetSysColorBrush(COLOR_3DFACE));
  }
  cs.style &= ~static_cast<LONG>(FWS_ADDTOTITLE);  // the class library's own bit, not the window's
  return TRUE;
}

BOOL CFrameWnd::Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                       LPCSTR menuName, DWORD exStyle, CCreateContext* context) {
  HMENU menu = menuName ? ::LoadMenuA(AfxGetResourceHandle(), menuName) : nullptr;
  int width = rect.left == CW_USEDEFAULT ? CW_USEDEFAULT : rect.right - rect.left;
  int height = rect.left == CW_USEDEFAULT ? CW_USEDEFAULT : rect.bottom - rect.top;
  if (!CreateEx(exStyle, className, windowName, style, rect.left, rect.top, width, height,
                parent ? parent->m_hWnd : nullptr, menu, context)) {
    if (menu) ::DestroyMenu(menu);
    return FALSE;
  }
  m_hMenuDefault = menu;
  return TRUE;
}

BOOL CFrameWnd::LoadFrame(UINT resourceId, DWORD style, CWnd* parent, CCreateContext* context) {
  m_nIDHelp = resourceId;
  HINSTANCE resources = AfxGetResourceHandle();
  LPCSTR name = MAKEINTRESOURCEA(static_cast<WORD>(resourceId));
  CString title;
  if (title.LoadString(resourceId)) {
    int end = title.Find('\n');
    if (end >= 0) title = title.Left(end);
  }
  LPCSTR menuName = FindResourceA(resources, name, RT_MENU) ? name : nullptr;
  if (!Create(nullptr, title, style, kDefaultRect, parent, menuName, 0, context)) return FALSE;
  if (FindResourceA(resources, name, RT_GROUP_ICON)) {
    if (HICON icon = LoadIconA(resources, name)) SendMessage(WM_SETICON, 1 /* ICON_BIG */, reinterpret_cast<LPARAM>(icon));
  }
  return TRUE;
}

LRESULT CFrameWnd::OnCreate(WPARAM, LPARAM lParam) {
  if (Default() == -1) return -1;
  auto* cs = reinterpret_cast<LPCREATESTRUCTA>(lParam);
  if (!OnCreateClient(cs, static_cast<CCreateContext*>(cs->lpCreateParams))) return -1;
  RecalcLayout();
  return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCTA, CCreateContext* context) {
  if (context && context->m_pNewViewClass) return CreateView(context) != nullptr;
  return TRUE;
}

CWnd* CFrameWnd::CreateView(CCreateContext* context, UINT id) {
  std::unique_ptr<CObject> made = context->m_pNewViewClass->CreateObject();
  if (!made || !made->IsKindOf(RUNTIME_CLASS(CWnd))) return nullptr;
  auto* view = static_cast<CWnd*>(made.release());
  tolvar::framework::AdoptWindowObject(std::unique_ptr<CWnd>(view));
  RECT none{0, 0, 0, 0};
  if (!view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, none, this, id, context)) {
    tolvar::framework::ReleaseWindowObject(view);
    return nullptr;
  }
  return view;
}

void CFrameWnd::RecalcLayout(BOOL) {
  if (!m_hWnd) return;
  RECT client;
  GetClientRect(&client);
  if (HWND status = ::GetDlgItem(m_hWnd, static_cast<int>(AFX_IDW_STATUS_BAR));
      status && (GetWindowLongA(status, GWL_STYLE) & WS_VISIBLE)) {
    RECT bar;
    ::GetWindowRect(status, &bar);
    int height = bar.bottom - bar.top;
    client.bottom -= height;
    ::MoveWindow(status, 0, client.bottom, client.right, height, TRUE);
  }
  if (HWND pane = ::GetDlgItem(m_hWnd, static_cast<int>(AFX_IDW_PANE_FIRST))) {
    ::MoveWindow(pane, client.left, client.top, client.right - client.left, client.bottom - client.top, TRUE);
  }
}

LRESULT CFrameWnd::OnSize(WPARAM wParam, LPARAM) {
  Default();
  if (wParam != SIZE_MINIMIZED) RecalcLayout();
  return 0;
}

void CFrameWnd::OnClose() { DestroyWindow(); }

LRESULT CFrameWnd::OnInitMenuPopup(WPARAM wParam, LPARAM lParam) {
  Default();
  if (HIWORD(lParam)) return 0;  // the system menu
  HMENU popup = reinterpret_cast<HMENU>(wParam);
  int count = ::GetMenuItemCount(popup);
  for (int i = 0; i < count; ++i) {
    UINT id = ::GetMenuItemID(popup, i);
    if (id == 0 || id == static_cast<UINT>(-1)) continue;  // separators and sub-menus
    CCmdUI state;
    state.m_nID = id;
    state.m_nIndex = static_cast<UINT>(i);
    state.m_pMenu = popup;
    state.DoUpdate(this, TRUE);
  }
  return 0;
}

LRESULT CFrameWnd::OnSetFocus(WPARAM, LPARAM) {
  if (m_pViewActive && m_pViewActive->m_hWnd) {
    ::SetFocus(m_pViewActive->m_hWnd);
    return 0;
  }
  return Default();
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) {
  if (m_pViewActive && m_pViewActive->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  CWinApp* app = AfxGetApp();
  return app && app->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

void CFrameWnd::SetActiveView(CView* view, BOOL notify) {
  CView* previous = m_pViewActive;
  if (view == previous) return;
  m_pViewActive = view;
  if (notify) {
    if (previous) previous->OnActivateView(FALSE, view, previous);
    if (view) view->OnActivateView(TRUE, view, previous);
  }
}

CDocument* CFrameWnd::GetActiveDocument() { return m_pViewActive ? m_pViewActive->GetDocument() : nullptr; }

namespace {
// The first view among the window's descendants, breadth first (a splitter's panes included).
CView* FirstView(HWND parent) {
  for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    CWnd* object = CWnd::FromHandlePermanent(child);
    if (object && object->IsKindOf(RUNTIME_CLASS(CView))) return static_cast<CView*>(object);
  }
  for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (CView* view = FirstView(child)) return view;
  }
  return nullptr;
}
}  // namespace

void CFrameWnd::InitialUpdateFrame(CDocument*, BOOL makeVisible) {
  if (!m_pViewActive) SetActiveView(FirstView(m_hWnd), FALSE);
  SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE);
  if (makeVisible) {
    CWinApp* app = AfxGetApp();
    ShowWindow(app && app->m_pMainWnd == this ? app->m_nCmdShow : SW_SHOW);
    UpdateWindow();
  }
}

void CFrameWnd::PostNcDestroy() { tolvar::framework::ReleaseWindowObject(this); }
