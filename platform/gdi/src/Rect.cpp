#include <gdi/Rect.h>

#include <algorithm>

BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom) {
  if (!rect) return FALSE;
  *rect = RECT{left, top, right, bottom};
  return TRUE;
}

BOOL SetRectEmpty(LPRECT rect) { return SetRect(rect, 0, 0, 0, 0); }

BOOL CopyRect(LPRECT dest, const RECT* src) {
  if (!dest || !src) return FALSE;
  *dest = *src;
  return TRUE;
}

BOOL InflateRect(LPRECT rect, int dx, int dy) {
  if (!rect) return FALSE;
  rect->left -= dx;
  rect->top -= dy;
  rect->right += dx;
  rect->bottom += dy;
  return TRUE;
}

BOOL OffsetRect(LPRECT rect, int dx, int dy) {
  if (!rect) return FALSE;
  rect->left += dx;
  rect->right += dx;
  rect->top += dy;
  rect->bottom += dy;
  return TRUE;
}

BOOL IsRectEmpty(const RECT* rect) { return !rect || rect->right <= rect->left || rect->bottom <= rect->top; }

BOOL IntersectRect(LPRECT dest, const RECT* a, const RECT* b) {
  if (!dest || !a || !b) return FALSE;
  const RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
               std::min(a->bottom, b->bottom)};
  if (IsRectEmpty(a) || IsRectEmpty(b) || IsRectEmpty(&r)) {
    *dest = RECT{0, 0, 0, 0};
    return FALSE;
  }
  *dest = r;
  return TRUE;
}

BOOL UnionRect(LPRECT dest, const RECT* a, const RECT* b) {
  if (!dest || !a || !b) return FALSE;
  const bool ea = IsRectEmpty(a), eb = IsRectEmpty(b);
  if (ea && eb) {
    *dest = RECT{0, 0, 0, 0};
    return FALSE;
  }
  if (ea) { *dest = *b; return TRUE; }
  if (eb) { *dest = *a; return TRUE; }
  *dest = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
               std::max(a->bottom, b->bottom)};
  return TRUE;
}

BOOL SubtractRect(LPRECT dest, const RECT* a, const RECT* b) {
  if (!dest || !a || !b) return FALSE;
  if (IsRectEmpty(a)) {
    *dest = RECT{0, 0, 0, 0};
    return FALSE;
  }
  RECT r = *a;
  RECT overlap;
  // Only a subtrahend that covers a whole side of `a` shrinks it; otherwise `a` stays as it is.
  if (IntersectRect(&overlap, a, b)) {
    if (overlap.top == a->top && overlap.bottom == a->bottom) {
      if (overlap.left == a->left) r.left = overlap.right;
      else if (overlap.right == a->right) r.right = overlap.left;
    } else if (overlap.left == a->left && overlap.right == a->right) {
      if (overlap.top == a->top) r.top = overlap.bottom;
      else if (overlap.bottom == a->bottom) r.bottom = overlap.top;
    }
  }
  if (IsRectEmpty(&r)) {
    *dest = RECT{0, 0, 0, 0};
    return FALSE;
  }
  *dest = r;
  return TRUE;
}

BOOL EqualRect(const RECT* a, const RECT* b) {
  if (!a || !b) return FALSE;
  return a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}

BOOL PtInRect(const RECT* rect, POINT p) {
  if (!rect) return FALSE;
  return p.x >= rect->left && p.x < rect->right && p.y >= rect->top && p.y < rect->bottom;
}
