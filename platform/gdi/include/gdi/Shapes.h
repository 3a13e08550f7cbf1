#pragma once
// Lines, shapes, fills and single pixels. Lines leave out their last pixel and rectangles their right
// and bottom edges, as Windows draws them.
#include <gdi/GdiTypes.h>

BOOL LineTo(HDC hdc, int x, int y);
BOOL Polyline(HDC hdc, const POINT* points, int count);
BOOL Polygon(HDC hdc, const POINT* points, int count);
BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom);
int FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush);
BOOL InvertRect(HDC hdc, const RECT* rect);
BOOL FillRgn(HDC hdc, HRGN region, HBRUSH brush);
BOOL FrameRgn(HDC hdc, HRGN region, HBRUSH brush, int width, int height);
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);
COLORREF GetPixel(HDC hdc, int x, int y);  // CLR_INVALID outside the clip area
