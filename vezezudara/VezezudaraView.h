#pragma once
// CVezezudaraView: the right-hand pane, parent of every hosted program's window. While a program is
// shown the view does not erase its background (the program's window covers it, and erasing would
// flash); with nothing shown it erases normally. After every drawing pass it tells the main frame
// (WM_VIEW_PAINTED), which then checks a second later that the shown program is really in front.
#include <framework/Afx.h>

#include <gdi/Unique.h>

class CVezezudaraView : public CView {
  DECLARE_DYNCREATE(CVezezudaraView)

public:
  void OnDraw(CDC* dc) override;
  BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
  const AFX_MSGMAP* GetMessageMap() const override;

  void SetNothingShown(bool nothingShown) { m_nothingShown = nothingShown; }
  bool IsNothingShown() const { return m_nothingShown; }
  // A background picture stretched over the client area (the view takes it); none by default.
  void SetBackground(HBITMAP bitmap);

protected:
  LRESULT OnEraseBkgnd(WPARAM wParam, LPARAM);
  LRESULT OnPaintView(WPARAM, LPARAM);

private:
  tolvar::gdi::UniqueBitmap m_background;
  SIZE m_backgroundSize{0, 0};
  RECT m_client{};
  bool m_nothingShown = true;
};
