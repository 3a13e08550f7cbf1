// The animation window: the posted frame changes and the painting of a frame.
#include "AnimationWnd.h"

#include "Picture.h"

#include <gdi/Gdi.h>

namespace {

constexpr UINT kFrameDue = WM_APP + 0x41;
constexpr const char* kClassName = "MediaryAnimationWnd";

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

CAnimationWnd::CAnimationWnd()
    : m_player([this](unsigned frame) {
        // The worker's only contact with the window: a posted message (the handle is read once the
        // window exists; the player starts only after Create).
        if (HWND window = m_hWnd) ::PostMessageA(window, kFrameDue, frame, 0);
      }) {}

CAnimationWnd::~CAnimationWnd() { Destroy(); }

BOOL CAnimationWnd::Create(HWND parent, const RECT& rect, UINT id) {
  if (!RegisterOnce(&CAnimationWnd::WindowProc)) return FALSE;
  m_hWnd = ::CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE, rect.left, rect.top, rect.right - rect.left,
                             rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                             nullptr, this);
  return m_hWnd != nullptr;
}

void CAnimationWnd::Destroy() {
  m_player.Stop();
  m_player.SetFrames({});
  if (m_hWnd) ::DestroyWindow(m_hWnd);
}

LRESULT CAnimationWnd::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<CAnimationWnd*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return ::DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case kFrameDue:
      self->m_shown = static_cast<unsigned>(wParam);
      ::InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN:
      if (self->m_player.IsRunning()) self->m_player.Stop();
      else self->m_player.Start();
      return 0;
    case WM_RBUTTONDOWN:
      self->m_player.Rewind();
      self->m_shown = 0;
      ::InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_PAINT:
      self->Paint();
      return 0;
    case WM_DESTROY:
      self->m_player.Stop();
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

void CAnimationWnd::Paint() {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(m_hWnd, &ps);
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  const auto& frames = m_player.Frames().frames;
  if (m_shown < frames.size()) {
    const AnimationFrame& frame = frames[m_shown];
    int x = frame.x, y = frame.y, width = frame.width, height = frame.height;
    if (width > client.right || height > client.bottom) {
      const FittedRect fit = FitRect(width, height, client.right, client.bottom);
      x = fit.x, y = fit.y, width = fit.width, height = fit.height;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = frame.width;
    info.bmiHeader.biHeight = -frame.height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    if (frame.pixels.size() == std::size_t(frame.width) * std::size_t(frame.height))
      ::StretchDIBits(dc, x, y, width, height, 0, 0, frame.width, frame.height, frame.pixels.data(), &info,
                      DIB_RGB_COLORS, SRCCOPY);
  }
  ::EndPaint(m_hWnd, &ps);
}
