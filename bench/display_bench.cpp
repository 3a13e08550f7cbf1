// The display's latencies on the X server named by DISPLAY (run by hand, e.g. under xvfb-run):
// from an XTest pointer event to the window procedure seeing its WM_MOUSEMOVE, and from an
// invalidation of a whole 800 x 600 window to the X server having its new pixels (the display puts
// them and waits for the server's answer before it counts a present). Prints the median and the
// 99th percentile of each, in microseconds.
#include <display/Display.h>

#include <user/User.h>

#include <gdi/Gdi.h>
#include <kernel/Kernel.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point g_moved{};
COLORREF g_colour = RGB(0, 0, 0);

LRESULT BenchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MOUSEMOVE) {
    g_moved = Clock::now();
    return 0;
  }
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC hdc = BeginPaint(window, &paint);
    HBRUSH brush = CreateSolidBrush(g_colour);
    FillRect(hdc, &paint.rcPaint, brush);
    DeleteObject(brush);
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

template <class F>
void PumpUntil(F done) {
  MSG message;
  while (!done()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
}

void Report(const char* what, std::vector<double>& micros) {
  std::sort(micros.begin(), micros.end());
  std::printf("%-44s median %8.1f us   p99 %8.1f us   (%zu runs)\n", what, micros[micros.size() / 2],
              micros[std::min(micros.size() - 1, micros.size() * 99 / 100)], micros.size());
}

}  // namespace

int main() {
  unsetenv("TOLVAR_DISPLAY");
  if (!tolvar::display::Open()) {
    std::fprintf(stderr, "display_bench: no X display (set DISPLAY or run under xvfb-run)\n");
    return 1;
  }
  Display* x = XOpenDisplay(nullptr);
  WNDCLASSA wc{};
  wc.lpfnWndProc = BenchProc;
  wc.lpszClassName = "DisplayBench";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "DisplayBench", "Bench", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr,
                                nullptr, nullptr);
  PumpUntil([] { return tolvar::display::PresentCount() > 0; });
  constexpr int kRuns = 200;

  std::vector<double> input;
  for (int i = 0; i < kRuns; ++i) {
    g_moved = {};
    const auto start = Clock::now();
    XTestFakeMotionEvent(x, DefaultScreen(x), 100 + (i % 2) * 50, 100, CurrentTime);
    XFlush(x);
    PumpUntil([] { return g_moved != Clock::time_point{}; });
    input.push_back(std::chrono::duration<double, std::micro>(g_moved - start).count());
  }

  std::vector<double> present;
  for (int i = 0; i < kRuns; ++i) {
    const unsigned long before = tolvar::display::PresentCount();
    g_colour = (i % 2) ? RGB(200, 30, 30) : RGB(30, 30, 200);
    const auto start = Clock::now();
    InvalidateRect(window, nullptr, FALSE);
    PumpUntil([&] { return tolvar::display::PresentCount() != before; });
    present.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  }

  Report("XTest motion -> WM_MOUSEMOVE", input);
  Report("invalidate 800x600 -> pixels on the server", present);
  DestroyWindow(window);
  XCloseDisplay(x);
  return 0;
}
