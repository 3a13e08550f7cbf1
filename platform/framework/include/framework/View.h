#pragma once
// CView: the child window in a frame's client area that shows a document. It paints through
// OnDraw, hears its document's updates in OnUpdate, and passes commands it does not handle to its
// document. A view deletes itself with its window when the class library made it (from a run-time
// class, for a frame or a splitter pane).
#include <framework/Wnd.h>

class CDC;
class CDocument;

class CView : public CWnd {
  DECLARE_DYNAMIC(CView)

public:
  CView() = default;
  ~CView() override;

  CDocument* GetDocument() const { return m_pDocument; }
  virtual void OnDraw(CDC* dc) = 0;
  virtual void OnInitialUpdate();
  virtual void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject);
  virtual void OnPrepareDC(CDC*) {}
  virtual void OnActivateView(BOOL activate, CView* activateView, CView* deactiveView);

  BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override;
  const AFX_MSGMAP* GetMessageMap() const override;
  void PostNcDestroy() override;

protected:
  LRESULT OnCreate(WPARAM, LPARAM lParam);
  void OnPaint();
  void OnDestroy();
  void OnInitialUpdateMessage();

  CDocument* m_pDocument = nullptr;
  friend class CDocument;
};
