// The framed panel's painting.
#include "FramedStatic.h"

#include <gdi/Gdi.h>

namespace {
constexpr const char* kClassName = "MediaryFramedStatic";
}

CFramedStatic::~CFramedStatic() {
  if (m_hWnd) ::DestroyWindow(m_hWnd);
}

BOOL CFramedStatic::Create(HWND parent, const RECT& rect, UINT id) {
  static const ATOM atom = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &CFramedStatic::WindowProc;
    wc.lpszClassName = kClassName;
    return ::RegisterClassA(&wc);
  }();
  if (!atom) return FALSE;
  m_hWnd = ::CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE, rect.left, rect.top, rect.right - rect.left,
                             rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                             nullptr, this);
  return m_hWnd != nullptr;
}

void CFramedStatic::SetBackground(COLORREF colour) {
  m_background = colour;
  if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CFramedStatic::SetFrame(COLORREF colour, bool on) {
  m_frame = colour;
  m_framed = on;
  if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CFramedStatic::Paint() {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(m_hWnd, &ps);
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  // The registered children paint themselves: their rectangles stay out of the panel's painting.
  for (HWND child : m_children) {
    if (!::IsWindow(child) || !::IsWindowVisible(child)) continue;
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
    ::ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
  }
  HBRUSH background = ::CreateSolidBrush(m_background);
  ::FillRect(dc, &client, background);
  ::DeleteObject(background);
  if (m_framed) {
    HBRUSH frame = ::CreateSolidBrush(m_frame);
    ::FrameRect(dc, &client, frame);
    ::DeleteObject(frame);
  }
  ::EndPaint(m_hWnd, &ps);
}

LRESULT CFramedStatic::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<CFramedStatic*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self) {
    switch (message) {
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT:
        self->Paint();
        return 0;
      case WM_NCDESTROY:
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->m_hWnd = nullptr;
        break;
      default:
        break;
    }
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}
