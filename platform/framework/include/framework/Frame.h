#pragma once
// CFrameWnd: a top-level window whose client area holds the view (child id AFX_IDW_PANE_FIRST) and
// a status area at its bottom (child id AFX_IDW_STATUS_BAR), laid out on every size change. It
// routes commands to its active view (which passes them to its document) before itself and the
// application, and keeps its menu's entries enabled through the command update handlers.
//
// A frame made by a document template, or handed over with AdoptWindowObject, deletes itself with
// its window.
#include <framework/Wnd.h>

#include <memory>

class CView;
class CDocument;
class CDocTemplate;

constexpr UINT AFX_IDW_PANE_FIRST = 0xE900;
constexpr UINT AFX_IDW_PANE_LAST = 0xE9FF;
constexpr UINT AFX_IDW_STATUS_BAR = 0xE801;
constexpr DWORD FWS_ADDTOTITLE = 0x00008000;

// What a frame needs to make its view: given to LoadFrame and passed on in WM_CREATE.
struct CCreateContext {
  const CRuntimeClass* m_pNewViewClass = nullptr;
  CDocument* m_pCurrentDoc = nullptr;
  CDocTemplate* m_pNewDocTemplate = nullptr;
  CView* m_pLastView = nullptr;
  CFrameWnd* m_pCurrentFrame = nullptr;
};

class CFrameWnd : public CWnd {
  DECLARE_DYNCREATE(CFrameWnd)

public:
  CFrameWnd() = default;

  // The frame from resources of id `resourceId` in the current module: its title (the string's
  // text up to the first '\n'), its menu and its icon when they exist. A frame without WS_VISIBLE
  // stays hidden.
  virtual BOOL LoadFrame(UINT resourceId, DWORD style = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, CWnd* parent = nullptr,
                         CCreateContext* context = nullptr);
  BOOL Create(LPCSTR className, LPCSTR windowName, DWORD style = WS_OVERLAPPEDWINDOW,
              const RECT& rect = kDefaultRect, CWnd* parent = nullptr, LPCSTR menuName = nullptr, DWORD exStyle = 0,
              CCreateContext* context = nullptr);
  static constexpr RECT kDefaultRect{CW_USEDEFAULT, CW_USEDEFAULT, 0, 0};

  CView* GetActiveView() const { return m_pViewActive; }
  void SetActiveView(CView* view, BOOL notify = TRUE);
  CDocument* GetActiveDocument();
  // Places the status area and the view (or splitter) in the client area.
  virtual void RecalcLayout(BOOL notify = TRUE);
  // Shows the frame and tells its views their first update.
  void InitialUpdateFrame(CDocument* doc, BOOL makeVisible);

  BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override;
  const AFX_MSGMAP* GetMessageMap() const override;
  void PostNcDestroy() override;

  // The client area's contents, from WM_CREATE: by default the context's view as pane
  // AFX_IDW_PANE_FIRST.
  virtual BOOL OnCreateClient(LPCREATESTRUCTA cs, CCreateContext* context);
  CWnd* CreateView(CCreateContext* context, UINT id = AFX_IDW_PANE_FIRST);

protected:
  LRESULT OnCreate(WPARAM, LPARAM lParam);
  LRESULT OnSize(WPARAM, LPARAM);
  void OnClose();
  LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);
  LRESULT OnSetFocus(WPARAM, LPARAM);

  CView* m_pViewActive = nullptr;
  UINT m_nIDHelp = 0;
  HMENU m_hMenuDefault = nullptr;
};

namespace tolvar::framework {
// The class library owns `object` until its window's WM_NCDESTROY (frames and views that delete
// themselves); null is ignored.
void AdoptWindowObject(std::unique_ptr<CWnd> object);
}  // namespace tolvar::framework
