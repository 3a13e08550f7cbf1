// A program hosted by the display tests: it reads " hWnd=%08X" from its command line, puts a window
// of its own inside that host window, tells the host with WM_USER (wParam: the window) and runs
// until WM_CLOSE comes to its thread. Its window is a solid blue panel holding a white edit-like
// window, which takes the focus when clicked (and turns yellow) and reports each typed character to the host with
// WM_USER + 2 (wParam: the code point). WM_USER + 3 posted to the panel starts a "transfer": the
// wait cursor is set at once and kept over the panel whenever the pointer comes back, until
// WM_USER + 4 ends it with the arrow. WM_USER + 5 starts drawing on the panel without pause, as a
// control redrawing its frame on a fast timer does: each round draws many times with a short sleep
// after each, so that every draw asks the host to show it again, and the host hears WM_USER + 6 once
// a thousand draws went out. It links the display, so it is seen the way a hosted program of the
// suite is.
#include <user/User.h>

#include <gdi/Gdi.h>
#include <kernel/Kernel.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

HWND g_host = nullptr;
bool g_busy = false;
int g_draws = 0;

constexpr UINT_PTR kDrawTimer = 9;
constexpr int kDrawsPerRound = 20, kDrawsTold = 1000;

void DrawRound(HWND window) {
  for (int i = 0; i < kDrawsPerRound; ++i) {
    HDC hdc = GetDC(window);
    RECT corner{0, 0, 4, 4};
    HBRUSH brush = CreateSolidBrush((g_draws & 1) ? RGB(0, 0, 200) : RGB(0, 0, 201));
    FillRect(hdc, &corner, brush);
    DeleteObject(brush);
    ReleaseDC(window, hdc);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (++g_draws == kDrawsTold) PostMessageA(g_host, WM_USER + 6, 0, 0);
  }
}

void Fill(HWND window, COLORREF colour) {
  PAINTSTRUCT paint;
  HDC hdc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(hdc, &client, brush);
  DeleteObject(brush);
  EndPaint(window, &paint);
}

LRESULT PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: Fill(window, RGB(0, 0, 200)); return 0;
    case WM_USER + 3:
    case WM_USER + 4:
      g_busy = message == WM_USER + 3;
      SetCursor(LoadCursorA(nullptr, g_busy ? IDC_WAIT : IDC_ARROW));
      return 0;
    case WM_USER + 5: SetTimer(window, kDrawTimer, 1, nullptr); return 0;
    case WM_TIMER:
      if (wParam == kDrawTimer) DrawRound(window);
      return 0;
    case WM_SETCURSOR:
      if (!g_busy) break;
      SetCursor(LoadCursorA(nullptr, IDC_WAIT));
      return TRUE;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: Fill(window, GetFocus() == window ? RGB(255, 255, 0) : RGB(255, 255, 255)); return 0;
    case WM_LBUTTONDOWN: SetFocus(window); return 0;
    case WM_SETFOCUS:
      InvalidateRect(window, nullptr, TRUE);  // turns yellow: only this program knows to repaint
      PostMessageA(g_host, WM_USER + 1, 0, 0);
      return 0;
    case WM_CHAR: PostMessageA(g_host, WM_USER + 2, wParam, 0); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int main() {
  const char* at = std::strstr(GetCommandLineA(), "hWnd=");
  unsigned value = 0;
  if (at) std::sscanf(at + 5, "%x", &value);
  g_host = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(value));
  if (!g_host) return 2;
  WNDCLASSA wc{};
  wc.lpfnWndProc = PanelProc;
  wc.lpszClassName = "GuestPanel";
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  RegisterClassA(&wc);
  wc.lpfnWndProc = EditProc;
  wc.lpszClassName = "GuestEdit";
  RegisterClassA(&wc);
  HWND panel = CreateWindowExA(0, "GuestPanel", "Guest", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 160, 100, nullptr, nullptr,
                               nullptr, nullptr);
  CreateWindowExA(0, "GuestEdit", "", WS_CHILD | WS_VISIBLE, 20, 40, 120, 24, panel, nullptr, nullptr, nullptr);
  if (!SetParent(panel, g_host)) return 3;
  SetWindowLongA(panel, GWL_STYLE, static_cast<LONG>((static_cast<DWORD>(GetWindowLongA(panel, GWL_STYLE)) & ~WS_POPUP) | WS_CHILD));
  SetWindowPos(panel, nullptr, 30, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
  PostMessageA(g_host, WM_USER, reinterpret_cast<WPARAM>(panel), 0);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0)) {
    if (!message.hwnd && message.message == WM_CLOSE) break;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  DestroyWindow(panel);
  return 0;
}
