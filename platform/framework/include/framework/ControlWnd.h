#pragma once
// What every control wrapper shares: its messages go to its own window. The wrappers' runtime class
// stays CWnd's; this base only carries the helpers.
#include <framework/Wnd.h>

class CControlWnd : public CWnd {
protected:
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
  }
  int Int(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const { return static_cast<int>(Send(message, wParam, lParam)); }
  template <typename T>
  static LPARAM Ptr(T* pointer) { return reinterpret_cast<LPARAM>(pointer); }
};
