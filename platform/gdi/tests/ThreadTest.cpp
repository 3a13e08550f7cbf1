// Threads drawing at once: each on its own DC and objects, sharing only the handle table, the stock
// objects and the font faces. Every thread must draw the same picture a lone thread draws; under
// ThreadSanitizer this is also where a race in those shared tables would show.
#include "Probe.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

// Text in four faces (plain, bold, fixed and fixed bold: each a face file of its own), a shape with
// a fresh pen and brush, a region fill and a blit through a compatible bitmap, as text.
std::string DrawScene() {
  Canvas canvas(160, 96);
  static const struct {
    const char* face;
    int weight;
  } looks[] = {{"Verdana", FW_NORMAL}, {"Tahoma", FW_BOLD}, {"Courier New", FW_NORMAL}, {"Lucida Console", FW_BOLD}};
  int y = 0;
  for (const auto& look : looks) {
    LOGFONTA lf{};
    lf.lfHeight = -13;
    lf.lfWeight = look.weight;
    std::strcpy(lf.lfFaceName, look.face);
    HFONT font = CreateFontIndirectA(&lf);
    HGDIOBJ old = SelectObject(canvas.dc(), font);
    RECT line{0, y, 160, y + 16};
    DrawTextA(canvas.dc(), "Phone 0123", -1, &line, DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(canvas.dc(), old);
    DeleteObject(font);
    y += 16;
  }
  HPEN pen = CreatePen(PS_SOLID, 2, RGB(200, 0, 0));
  HBRUSH brush = CreateSolidBrush(RGB(0, 0, 200));
  HGDIOBJ oldPen = SelectObject(canvas.dc(), pen);
  HGDIOBJ oldBrush = SelectObject(canvas.dc(), brush);
  Ellipse(canvas.dc(), 100, 66, 150, 94);
  SelectObject(canvas.dc(), oldBrush);
  SelectObject(canvas.dc(), oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
  HRGN region = CreateRectRgn(4, 70, 40, 90);
  FillRgn(canvas.dc(), region, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  DeleteObject(region);
  HDC memory = CreateCompatibleDC(canvas.dc());
  HBITMAP bitmap = CreateCompatibleBitmap(canvas.dc(), 20, 20);
  HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
  PatBlt(memory, 0, 0, 20, 20, BLACKNESS);
  BitBlt(canvas.dc(), 60, 70, 20, 20, memory, 0, 0, SRCCOPY);
  SelectObject(memory, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(memory);
  std::string picture;
  for (COLORREF ink : {RGB(0, 0, 0), RGB(200, 0, 0), RGB(0, 0, 200), RGB(128, 128, 128)}) {
    picture += canvas.Picture(ink, RECT{0, 0, 160, 96});
  }
  return picture;
}

TEST(Threads, ThreadsDrawingAtOnceDrawWhatOneThreadDraws) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 3;
  std::vector<std::string> pictures(kThreads * kRounds);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&pictures, t] {
      for (int r = 0; r < kRounds; ++r) pictures[static_cast<std::size_t>(t * kRounds + r)] = DrawScene();
    });
  }
  for (std::thread& thread : threads) thread.join();
  const std::string alone = DrawScene();
  ASSERT_NE(alone.find('#'), std::string::npos);
  for (std::size_t i = 0; i < pictures.size(); ++i) EXPECT_EQ(pictures[i], alone) << "thread " << i / kRounds;
}

}  // namespace
