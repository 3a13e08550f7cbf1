#pragma once
// CSortArrowHook: the sort arrow of the PC pane's header. It hangs on the kit's header window as a
// subclass hook and, after the header has painted itself, draws an outline triangle near the
// sorted column's right edge: pointing up when ascending, down when descending.
#include <SubclassWnd.h>

class CSortArrowHook : public CSubclassWnd {
 public:
  BOOL AttachHook(HWND header) { return HookWindow(header); }
  // Column -1 shows no arrow.
  void SetSortArrow(int column, bool ascending);
  int GetSortColumn() const { return m_column; }
  bool IsAscending() const { return m_ascending; }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void PaintArrow();

  int m_column = -1;
  bool m_ascending = false;
};
