// Device-context objects.
#include <framework/Dc.h>
#include <framework/Wnd.h>

#include "ThreadState.h"

using tolvar::framework::Thread;

IMPLEMENT_DYNCREATE(CDC, CObject)
IMPLEMENT_DYNAMIC(CPaintDC, CDC)
IMPLEMENT_DYNAMIC(CClientDC, CDC)
IMPLEMENT_DYNAMIC(CWindowDC, CDC)

CDC::~CDC() {
  if (m_owned) DeleteDC();
}

CDC* CDC::FromHandle(HDC dc) {
  if (!dc) return nullptr;
  auto temporary = std::make_unique<CDC>();
  temporary->m_hDC = temporary->m_hAttribDC = dc;
  temporary->m_temporary = true;
  CDC* result = temporary.get();
  Thread().tempDCs.push_back(std::move(temporary));
  return result;
}

void CDC::DeleteTempMap() { Thread().tempDCs.clear(); }

BOOL CDC::Attach(HDC dc) {
  if (!dc || m_hDC) return FALSE;
  m_hDC = m_hAttribDC = dc;
  return TRUE;
}

HDC CDC::Detach() {
  HDC dc = m_hDC;
  m_hDC = m_hAttribDC = nullptr;
  m_owned = false;
  return dc;
}

BOOL CDC::CreateCompatibleDC(CDC* dc) {
  if (!Attach(::CreateCompatibleDC(dc ? dc->m_hDC : nullptr))) return FALSE;
  m_owned = true;
  return TRUE;
}

BOOL CDC::DeleteDC() {
  bool owned = m_owned;
  HDC dc = Detach();
  return dc && owned ? ::DeleteDC(dc) : FALSE;
}

CPen* CDC::SelectObject(CPen* pen) { return CPen::FromHandle(static_cast<HPEN>(::SelectObject(m_hDC, *pen))); }
CBrush* CDC::SelectObject(CBrush* brush) { return CBrush::FromHandle(static_cast<HBRUSH>(::SelectObject(m_hDC, *brush))); }
CFont* CDC::SelectObject(CFont* font) { return CFont::FromHandle(static_cast<HFONT>(::SelectObject(m_hDC, *font))); }
CBitmap* CDC::SelectObject(CBitmap* bitmap) {
  return CBitmap::FromHandle(static_cast<HBITMAP>(::SelectObject(m_hDC, *bitmap)));
}
CGdiObject* CDC::SelectObject(CGdiObject* object) {
  return CGdiObject::FromHandle(::SelectObject(m_hDC, object->m_hObject));
}
CGdiObject* CDC::SelectStockObject(int index) { return CGdiObject::FromHandle(::SelectObject(m_hDC, ::GetStockObject(index))); }
CPalette* CDC::SelectPalette(CPalette* palette, BOOL forceBackground) {
  return CPalette::FromHandle(::SelectPalette(m_hDC, *palette, forceBackground));
}

POINT CDC::SetViewportOrg(int x, int y) {
  POINT previous{};
  ::SetViewportOrgEx(m_hDC, x, y, &previous);
  return previous;
}
POINT CDC::SetWindowOrg(int x, int y) {
  POINT previous{};
  ::SetWindowOrgEx(m_hDC, x, y, &previous);
  return previous;
}
POINT CDC::OffsetViewportOrg(int dx, int dy) {
  POINT previous{};
  ::OffsetViewportOrgEx(m_hDC, dx, dy, &previous);
  return previous;
}
POINT CDC::SetBrushOrg(int x, int y) {
  POINT previous{};
  ::SetBrushOrgEx(m_hDC, x, y, &previous);
  return previous;
}
POINT CDC::MoveTo(int x, int y) {
  POINT previous{};
  ::MoveToEx(m_hDC, x, y, &previous);
  return previous;
}

void CDC::FillSolidRect(const RECT* rect, COLORREF color) {
  ::SetBkColor(m_hDC, color);
  ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, rect, nullptr, 0, nullptr);
}

void CDC::FillSolidRect(int x, int y, int width, int height, COLORREF color) {
  RECT rect{x, y, x + width, y + height};
  FillSolidRect(&rect, color);
}

void CDC::Draw3dRect(int x, int y, int width, int height, COLORREF topLeft, COLORREF bottomRight) {
  FillSolidRect(x, y, width - 1, 1, topLeft);
  FillSolidRect(x, y, 1, height - 1, topLeft);
  FillSolidRect(x + width - 1, y, 1, height, bottomRight);
  FillSolidRect(x, y + height - 1, width, 1, bottomRight);
}

void CDC::Draw3dRect(const RECT* rect, COLORREF topLeft, COLORREF bottomRight) {
  Draw3dRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, topLeft, bottomRight);
}

SIZE CDC::GetTextExtent(LPCSTR text, int length) const {
  SIZE size{0, 0};
  ::GetTextExtentPoint32A(m_hDC, text, length, &size);
  return size;
}

CPaintDC::CPaintDC(CWnd* window) : m_hWnd(window->m_hWnd) { Attach(::BeginPaint(m_hWnd, &m_ps)); }
CPaintDC::~CPaintDC() {
  Detach();
  ::EndPaint(m_hWnd, &m_ps);
}

CClientDC::CClientDC(CWnd* window) : m_hWnd(window ? window->m_hWnd : nullptr) { Attach(::GetDC(m_hWnd)); }
CClientDC::~CClientDC() { ::ReleaseDC(m_hWnd, Detach()); }

CWindowDC::CWindowDC(CWnd* window) : m_hWnd(window ? window->m_hWnd : nullptr) { Attach(::GetWindowDC(m_hWnd)); }
CWindowDC::~CWindowDC() { ::ReleaseDC(m_hWnd, Detach()); }
