// The list view's painting cost: 500 owner-drawn rows painted into a memory DC (the way the suite's
// lists paint off screen), beside one fill of the same framebuffer area, with their ratio (the aim
// is at most 10x: the list's own work per row must stay small beside the pixels). Then a list of
// 5,000 rows scrolled by one step: only the row that comes in is drawn.
#include <controls/Controls.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

constexpr int kRows = 500;
constexpr int kWidth = 400;
int g_drawn = 0;

LRESULT Parent(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DRAWITEM) {
    const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    ++g_drawn;
    HBRUSH brush = GetSysColorBrush((draw->itemID & 1) ? COLOR_WINDOW : COLOR_BTNFACE);
    FillRect(draw->hDC, &draw->rcItem, brush);
    return TRUE;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeList(HWND parent, int rows, int height) {
  HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_NOCOLUMNHEADER,
                              0, 0, kWidth, height, parent, nullptr, nullptr, nullptr);
  LVCOLUMNA column{};
  column.mask = LVCF_WIDTH;
  column.cx = kWidth;
  SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.pszText = const_cast<LPSTR>("row");
  for (int i = 0; i < rows; ++i) {
    item.iItem = i;
    item.lParam = i;
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
  return list;
}

template <class Work>
double BestMicroseconds(int rounds, Work work) {
  double best = 1e300;
  for (int i = 0; i < rounds; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const auto end = std::chrono::steady_clock::now();
    best = std::min(best, std::chrono::duration<double, std::micro>(end - start).count());
  }
  return best;
}

}  // namespace

int main() {
  InitCommonControls();
  WNDCLASSA wc{};
  wc.lpfnWndProc = Parent;
  wc.lpszClassName = "ListBenchParent";
  RegisterClassA(&wc);
  HWND parent = CreateWindowExA(0, "ListBenchParent", "", WS_POPUP, 0, 0, kWidth, 400, nullptr, nullptr, nullptr, nullptr);

  // Find the row height, then make the list tall enough to show every row at once.
  HWND probe = MakeList(parent, 1, 100);
  RECT row{LVIR_BOUNDS, 0, 0, 0};
  SendMessageA(probe, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
  DestroyWindow(probe);
  const int rowHeight = row.bottom - row.top;
  const int height = kRows * rowHeight;
  HWND list = MakeList(parent, kRows, height);

  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);

  g_drawn = 0;
  const double paint = BestMicroseconds(20, [&] { SendMessageA(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT); });
  const int perPaint = g_drawn / 20;
  RECT all{0, 0, kWidth, height};
  const double fill = BestMicroseconds(20, [&] { FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW)); });
  std::printf("%d owner-drawn rows (%dx%d pixels): %.0f us to paint (%d WM_DRAWITEM)\n", kRows, kWidth, height, paint, perPaint);
  std::printf("one fill of the same area:              %.0f us\n", fill);
  std::printf("ratio: %.1fx (aim: at most 10x)\n", paint / fill);

  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bitmap);
  DestroyWindow(list);

  // 5,000 rows in a window-sized list: one scroll step.
  ShowWindow(parent, SW_SHOWNOACTIVATE);
  HWND big = MakeList(parent, 5000, 400);
  UpdateWindow(big);
  g_drawn = 0;
  const double step = BestMicroseconds(20, [&] {
    SendMessageA(big, WM_VSCROLL, SB_LINEDOWN, 0);
    UpdateWindow(big);
  });
  std::printf("5000 rows, one scroll step: %.0f us, %.1f rows drawn per step\n", step, g_drawn / 20.0);
  DestroyWindow(parent);
  return 0;
}
