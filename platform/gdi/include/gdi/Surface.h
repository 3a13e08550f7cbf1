#pragma once
// What the window manager and tests need beyond the Win32 calls: DCs on part of a window's backing
// bitmap, direct access to a bitmap's pixels, and PNG files of any bitmap.
#include <gdi/GdiTypes.h>

namespace tolvar::gdi {

// A DC drawing on `surface` (a bitmap, normally a top-level window's 32-bit DIB section) with its
// device (0, 0) at `origin` on the bitmap, limited to `visible` (a region in bitmap coordinates;
// NULL: the whole bitmap). The region is copied. The DC holds the bitmap alive; delete it with DeleteDC.
HDC CreateSurfaceDC(HBITMAP surface, POINT origin, HRGN visible);
// Moves an existing surface DC (the window moved or its visible part changed).
BOOL SetSurfaceDCOrigin(HDC hdc, POINT origin, HRGN visible);

// A DC on the screen itself, what GetDC(NULL) hands out. Nothing of the screen is ours to draw on
// (windows draw on their own surfaces), so drawing on it has no effect; it measures text, and
// bitmaps made compatible with it have the screen's depth (32 bits), where those made compatible
// with a fresh memory DC, holding the 1x1 monochrome stock bitmap, are monochrome.
HDC CreateScreenDC();

// The bitmap a DC draws on (the selected bitmap of a memory DC, the surface of a surface DC).
HBITMAP GetTargetBitmap(HDC hdc);

// Writes the bitmap as an 8-bit RGB PNG file. FALSE with the last error set when it cannot be written.
BOOL WritePng(HBITMAP bitmap, const char* path);

}  // namespace tolvar::gdi
