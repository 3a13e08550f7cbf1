#pragma once
// Icons of an image list compared with a picture of a window, pixel for pixel.
#include <gdi/ImageList.h>
#include <user_testing/Recorder.h>

// How many of the 16 x 16 pixels at (left, top) of `shown` differ from image `icon` of `list`
// drawn transparently on `background`.
inline int IconPixelsDiffering(HBITMAP shown, int left, int top, HIMAGELIST list, int icon,
                               COLORREF background = RGB(255, 255, 255)) {
  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = 16;
  format.bmiHeader.biHeight = -16;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP square = CreateDIBSection(dc, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, square);
  RECT all{0, 0, 16, 16};
  HBRUSH fill = CreateSolidBrush(background);
  FillRect(dc, &all, fill);
  DeleteObject(fill);
  ImageList_Draw(list, icon, dc, 0, 0, ILD_TRANSPARENT);
  SelectObject(dc, old);
  DeleteDC(dc);
  int differing = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      differing += testing_user::PixelAt(shown, left + x, top + y) != testing_user::PixelAt(square, x, y);
  DeleteObject(square);
  return differing;
}
