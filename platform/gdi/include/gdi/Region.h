#pragma once
// Regions, kept as y-sorted bands of x-sorted rectangles, and the DC's clip region.
#include <gdi/GdiTypes.h>

constexpr int ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;
constexpr int RGN_AND = 1;
constexpr int RGN_OR = 2;
constexpr int RGN_XOR = 3;
constexpr int RGN_DIFF = 4;
constexpr int RGN_COPY = 5;

HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rect);
int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode);
int OffsetRgn(HRGN region, int dx, int dy);
BOOL PtInRegion(HRGN region, int x, int y);
BOOL RectInRegion(HRGN region, const RECT* rect);
int GetRgnBox(HRGN region, LPRECT rect);
BOOL EqualRgn(HRGN a, HRGN b);
BOOL SetRectRgn(HRGN region, int left, int top, int right, int bottom);

// Clip regions are in device coordinates (the window origin does not move them); clip boxes and
// the rectangles of Exclude/IntersectClipRect are logical.
int SelectClipRgn(HDC hdc, HRGN region);
int ExtSelectClipRgn(HDC hdc, HRGN region, int mode);
int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom);
int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);
int GetClipBox(HDC hdc, LPRECT rect);
int GetClipRgn(HDC hdc, HRGN region);  // 1 with a copy in `region`, 0 without a clip region, -1 error
