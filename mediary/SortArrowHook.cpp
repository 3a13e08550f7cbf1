// The header's sort arrow, painted after the header.
#include "SortArrowHook.h"

#include <controls/Header.h>
#include <gdi/Gdi.h>
#include <user/Paint.h>

void CSortArrowHook::SetSortArrow(int column, bool ascending) {
  m_column = column;
  m_ascending = ascending;
  if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

LRESULT CSortArrowHook::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return Default(message, wParam, lParam);
  const LRESULT result = Default(message, wParam, lParam);
  PaintArrow();
  return result;
}

void CSortArrowHook::PaintArrow() {
  if (m_column < 0) return;
  RECT item{};
  if (!::SendMessageA(m_hWnd, HDM_GETITEMRECT, static_cast<WPARAM>(m_column), reinterpret_cast<LPARAM>(&item))) return;
  HDC dc = ::GetDC(m_hWnd);
  if (!dc) return;
  // About 10 pixels wide, the header's height less 4 to 5 pixels, in white and grey lines.
  const int right = item.right - 6, left = right - 10, mid = (left + right) / 2;
  const int top = item.top + 4, bottom = item.bottom - 5;
  HPEN white = ::CreatePen(PS_SOLID, 1, RGB(255, 255, 255)), grey = ::CreatePen(PS_SOLID, 1, RGB(0x80, 0x80, 0x80));
  HGDIOBJ old = ::SelectObject(dc, grey);
  if (m_ascending) {  // apex at the top
    ::MoveToEx(dc, mid, top, nullptr);
    ::LineTo(dc, left, bottom);
    ::LineTo(dc, right, bottom);
    ::SelectObject(dc, white);
    ::MoveToEx(dc, right, bottom, nullptr);
    ::LineTo(dc, mid, top);
  } else {  // apex at the bottom
    ::MoveToEx(dc, left, top, nullptr);
    ::LineTo(dc, right, top);
    ::LineTo(dc, mid, bottom);
    ::SelectObject(dc, white);
    ::MoveToEx(dc, mid, bottom, nullptr);
    ::LineTo(dc, left, top);
  }
  ::SelectObject(dc, old);
  ::DeleteObject(white);
  ::DeleteObject(grey);
  ::ReleaseDC(m_hWnd, dc);
}
