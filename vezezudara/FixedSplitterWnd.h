#pragma once
// CFixedSplitterWnd: the launcher's static splitter of one row and two columns (folder bar and
// view). Its divider stays where it is: presses, moves and cursor requests go straight to the
// default processing, never to the splitter's tracking.
#include <framework/Afx.h>

class CFixedSplitterWnd : public CSplitterWnd {
  DECLARE_DYNAMIC(CFixedSplitterWnd)

public:
  const AFX_MSGMAP* GetMessageMap() const override;

  // The pane borders: an outer edge of button face and window frame, an inner edge of highlight and
  // shadow, filled with the button face.
  static void DrawPaneBorder(HDC dc, RECT outer);

protected:
  LRESULT OnPassOn(WPARAM, LPARAM);
  LRESULT OnEraseBkgnd(WPARAM wParam, LPARAM);
  void OnPaintFixed();
};
