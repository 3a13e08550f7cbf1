#pragma once
// CFramedStatic: a panel that paints a background and, when asked, a frame around its client area,
// leaving out the rectangles of the child windows registered with it (they paint themselves).
//
// Threads: the user-interface thread that owns the window.
#include <user/User.h>

#include <vector>

class CFramedStatic {
 public:
  CFramedStatic() = default;
  ~CFramedStatic();
  CFramedStatic(const CFramedStatic&) = delete;
  CFramedStatic& operator=(const CFramedStatic&) = delete;

  BOOL Create(HWND parent, const RECT& rect, UINT id);
  HWND GetHwnd() const { return m_hWnd; }

  void AddChild(HWND child) { m_children.push_back(child); }
  void SetBackground(COLORREF colour);
  void SetFrame(COLORREF colour, bool on);

 private:
  static LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Paint();

  HWND m_hWnd = nullptr;
  COLORREF m_background = RGB(255, 255, 255);
  COLORREF m_frame = RGB(0x80, 0x80, 0x80);
  bool m_framed = false;
  std::vector<HWND> m_children;
};
