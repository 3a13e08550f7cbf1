#pragma once
// CSkinFrame: a white static frame drawn around and between the child windows a dialog lists in
// it, never over them: each visible listed child's rectangle is left out of the frame's painting.
//
// Threads: the user-interface thread that owns the window.
#include <framework/Afx.h>
#include <framework/Controls.h>

#include <vector>

class CSkinFrame : public CStatic {
  DECLARE_DYNAMIC(CSkinFrame)

public:
  CSkinFrame();
  ~CSkinFrame() override;

  // Listed for good; a hidden child is painted over like the rest of the frame. The window is
  // kept by its handle: the CWnd given may be a temporary one that goes at the next idle time.
  void AddChild(CWnd* child) {
    if (child && child->m_hWnd) m_children.push_back(child->m_hWnd);
  }

  const AFX_MSGMAP* GetMessageMap() const override;

protected:
  LRESULT OnPaint(WPARAM, LPARAM);
  HBRUSH CtlColor(CDC* dc, UINT type);

private:
  std::vector<HWND> m_children;
  CBrush m_background;
};
