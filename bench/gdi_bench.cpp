// The raster engine's hot paths at window size: filling, copying a window-sized DIB, a line of text.
#include <gdi/Gdi.h>

#include <benchmark/benchmark.h>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

struct Surface {
  HBITMAP bitmap;
  HDC dc;
  HGDIOBJ old;
  Surface() {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bitmap);
  }
  ~Surface() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
};

void FillWindow(benchmark::State& state) {
  Surface s;
  RECT all{0, 0, kWidth, kHeight};
  HBRUSH brush = GetSysColorBrush(COLOR_BTNFACE);
  for (auto _ : state) {
    FillRect(s.dc, &all, brush);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(FillWindow);

void BlitWindow(benchmark::State& state) {
  Surface from, to;
  const DWORD rop = static_cast<DWORD>(state.range(0));
  for (auto _ : state) {
    BitBlt(to.dc, 0, 0, kWidth, kHeight, from.dc, 0, 0, rop);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BlitWindow)->Arg(SRCCOPY)->Arg(SRCINVERT);

void TextLine(benchmark::State& state) {
  Surface s;
  HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Tahoma");
  HGDIOBJ old = SelectObject(s.dc, font);
  SetBkMode(s.dc, TRANSPARENT);
  const char text[] = "Contacts: 12 entries transferred to the phone, 3 left to go";
  RECT r{10, 10, kWidth - 10, 40};
  for (auto _ : state) {
    DrawTextA(s.dc, text, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    benchmark::ClobberMemory();
  }
  SelectObject(s.dc, old);
  DeleteObject(font);
}
BENCHMARK(TextLine);

}  // namespace
