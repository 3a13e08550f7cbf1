// The preview pane's window.
#include "PreviewWnd.h"

#include <gdi/Gdi.h>
#include <kernel/Module.h>
#include <resources/Resource.h>

namespace {

constexpr UINT_PTR kAnimationTimer = 1;
constexpr const char* kClassName = "MediaryPreviewWnd";

ATOM RegisterOnce(WNDPROC procedure) {
  static const ATOM atom = [procedure] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = procedure;
    wc.lpszClassName = kClassName;
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    return ::RegisterClassA(&wc);
  }();
  return atom;
}

}  // namespace

CPreviewWnd::~CPreviewWnd() {
  FreeBitmap();
  if (m_hWnd) ::DestroyWindow(m_hWnd);
}

BOOL CPreviewWnd::Create(HWND parent, const RECT& rect, UINT id) {
  if (!RegisterOnce(&CPreviewWnd::WindowProc)) return FALSE;
  m_hWnd = ::CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE, rect.left, rect.top, rect.right - rect.left,
                             rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                             nullptr, this);
  return m_hWnd != nullptr;
}

void CPreviewWnd::FreeBitmap() {
  if (m_bitmap) ::DeleteObject(m_bitmap);
  m_bitmap = nullptr;
  m_bitmapId = 0;
}

void CPreviewWnd::Reset() {
  if (m_hWnd) ::KillTimer(m_hWnd, kAnimationTimer);
  m_animation.Stop();
  m_path.clear();
  m_pictureShown = false;
  FreeBitmap();
  if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CPreviewWnd::ShowBitmapResource(int id) {
  FreeBitmap();
  m_bitmapId = id;
  m_bitmap = ::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(static_cast<WORD>(id)));
  ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CPreviewWnd::ShowFile(const std::string& path) {
  const PreviewPlan plan = PlanPreview(SniffPreviewKind(path));
  Reset();
  if (plan.show == PreviewPlan::Show::Erase) return;
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  const auto width = static_cast<std::uint16_t>(client.right), height = static_cast<std::uint16_t>(client.bottom);
  m_path = path;
  switch (plan.show) {
    case PreviewPlan::Show::Animate:
      m_animation.Start(path, width, height);
      Step();
      break;
    case PreviewPlan::Show::Placeholder:
      ShowBitmapResource(plan.bitmapId);
      break;
    default:
      m_picture.SetSize(width, height);
      m_pictureShown = m_picture.Load(path, 0) == 1;
      ::InvalidateRect(m_hWnd, nullptr, TRUE);
      break;
  }
}

void CPreviewWnd::Step() {
  ::KillTimer(m_hWnd, kAnimationTimer);
  const unsigned delay = m_animation.Step();
  ::InvalidateRect(m_hWnd, nullptr, FALSE);
  if (delay) ::SetTimer(m_hWnd, kAnimationTimer, delay, nullptr);
}

void CPreviewWnd::Paint() {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(m_hWnd, &ps);
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  HBRUSH white = ::CreateSolidBrush(RGB(255, 255, 255));
  ::FillRect(dc, &client, white);
  ::DeleteObject(white);
  if (m_bitmap) {
    BITMAP description{};
    ::GetObjectA(m_bitmap, sizeof description, &description);
    const FittedRect fit = FitRect(description.bmWidth, description.bmHeight, client.right, client.bottom);
    HDC memory = ::CreateCompatibleDC(dc);
    HGDIOBJ old = ::SelectObject(memory, m_bitmap);
    ::StretchBlt(dc, fit.x, fit.y, fit.width, fit.height, memory, 0, 0, description.bmWidth, description.bmHeight,
                 SRCCOPY);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
  } else if (m_animation.IsRunning()) {
    m_animation.Picture().Draw(dc);
  } else if (m_pictureShown) {
    m_picture.Draw(dc);
  }
  ::EndPaint(m_hWnd, &ps);
}

LRESULT CPreviewWnd::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<CPreviewWnd*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return ::DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_TIMER:
      if (wParam == kAnimationTimer) {
        self->Step();
        return 0;
      }
      break;
    case WM_ERASEBKGND:
      return 1;  // the paint fills the whole pane
    case WM_PAINT:
      self->Paint();
      return 0;
    case WM_DESTROY:
      ::KillTimer(window, kAnimationTimer);
      break;
    case WM_NCDESTROY:
      ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      self->m_hWnd = nullptr;
      break;
    default:
      break;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}
