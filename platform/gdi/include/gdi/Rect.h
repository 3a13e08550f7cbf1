#pragma once
// Rectangle helpers. Rectangles exclude their right and bottom edges.
#include <base/WinDef.h>

BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom);
BOOL SetRectEmpty(LPRECT rect);
BOOL CopyRect(LPRECT dest, const RECT* src);
BOOL InflateRect(LPRECT rect, int dx, int dy);
BOOL OffsetRect(LPRECT rect, int dx, int dy);
BOOL IntersectRect(LPRECT dest, const RECT* a, const RECT* b);  // FALSE and an empty dest when apart
BOOL UnionRect(LPRECT dest, const RECT* a, const RECT* b);
BOOL SubtractRect(LPRECT dest, const RECT* a, const RECT* b);
BOOL EqualRect(const RECT* a, const RECT* b);
BOOL IsRectEmpty(const RECT* rect);
BOOL PtInRect(const RECT* rect, POINT point);
