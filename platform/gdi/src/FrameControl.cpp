#include <gdi/Unique.h>
#include <gdi/Frames.h>
#include <gdi/Bitmaps.h>
#include <gdi/DeviceContext.h>
#include <gdi/Icon.h>
#include <gdi/Objects.h>
#include <gdi/Rect.h>
#include <gdi/Shapes.h>
#include <gdi/SysParams.h>
#include <gdi/Text.h>

#include "DeviceContext.h"
#include "IconObject.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The classic 7x7 check mark.
constexpr const char* kCheck[7] = {"......#", ".....##", "#...###", "##.###.", "#####..", ".###...", "..#...."};

void Dot(HDC hdc, int x, int y, COLORREF colour) { SetPixel(hdc, x, y, colour); }

void Box(HDC hdc, const RECT& r, COLORREF colour) {
  tolvar::gdi::UniqueBrush brush(CreateSolidBrush(colour));
  FillRect(hdc, &r, brush.Get());
}

void CheckMark(HDC hdc, const RECT& r, COLORREF colour) {
  const int x0 = r.left + (r.right - r.left - 7) / 2, y0 = r.top + (r.bottom - r.top - 7) / 2;
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 7; ++x)
      if (kCheck[y][x] == '#') Dot(hdc, x0 + x, y0 + y, colour);
}

// A filled triangle pointing up, down, left or right, centred in `r`.
void Arrow(HDC hdc, const RECT& r, int direction, COLORREF colour) {
  const int s = std::min(r.right - r.left, r.bottom - r.top);
  const int n = std::max(1, (s + 2) / 3);  // rows from the point to the base
  const int cx = r.left + (r.right - r.left) / 2, cy = r.top + (r.bottom - r.top) / 2;
  for (int i = 0; i < n; ++i) {
    const int along = i - n / 2;  // distance from the centre along the arrow
    for (int j = -i; j <= i; ++j) {
      switch (direction) {
        case DFCS_SCROLLUP: Dot(hdc, cx + j, cy + along, colour); break;
        case DFCS_SCROLLDOWN: Dot(hdc, cx + j, cy - along, colour); break;
        case DFCS_SCROLLLEFT: Dot(hdc, cx + along, cy + j, colour); break;
        default: Dot(hdc, cx - along, cy + j, colour); break;
      }
    }
  }
}

void CaptionGlyph(HDC hdc, const RECT& r, UINT kind, COLORREF colour) {
  const int s = std::min(r.right - r.left, r.bottom - r.top);
  const int k = std::max(3, s - 3);
  const int x0 = r.left + (r.right - r.left - k) / 2, y0 = r.top + (r.bottom - r.top - k) / 2;
  switch (kind) {
    case DFCS_CAPTIONCLOSE:
      for (int i = 0; i < k; ++i) {
        for (int t = 0; t < 2 && i + t < k; ++t) {
          Dot(hdc, x0 + i + t, y0 + i, colour);
          Dot(hdc, x0 + k - 1 - i - t, y0 + i, colour);
        }
      }
      break;
    case DFCS_CAPTIONMIN:
      Box(hdc, RECT{x0, y0 + k - 2, x0 + k * 2 / 3, y0 + k}, colour);
      break;
    case DFCS_CAPTIONMAX:
      Box(hdc, RECT{x0, y0, x0 + k, y0 + 2}, colour);
      Box(hdc, RECT{x0, y0, x0 + 1, y0 + k}, colour);
      Box(hdc, RECT{x0 + k - 1, y0, x0 + k, y0 + k}, colour);
      Box(hdc, RECT{x0, y0 + k - 1, x0 + k, y0 + k}, colour);
      break;
    case DFCS_CAPTIONRESTORE: {
      const int b = std::max(3, k * 2 / 3);
      for (const POINT at : {POINT{x0 + k - b, y0}, POINT{x0, y0 + k - b}}) {
        const RECT box{at.x, at.y, at.x + b, at.y + b};
        Box(hdc, box, GetSysColor(COLOR_BTNFACE));
        Box(hdc, RECT{box.left, box.top, box.right, box.top + 2}, colour);
        Box(hdc, RECT{box.left, box.top, box.left + 1, box.bottom}, colour);
        Box(hdc, RECT{box.right - 1, box.top, box.right, box.bottom}, colour);
        Box(hdc, RECT{box.left, box.bottom - 1, box.right, box.bottom}, colour);
      }
      break;
    }
    default: {  // DFCS_CAPTIONHELP
      tolvar::gdi::UniqueFont font(CreateFontA(-k - 2, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Tahoma"));
      tolvar::gdi::ScopedSelect selected(hdc, font.Get());
      const int mode = SetBkMode(hdc, TRANSPARENT);
      const COLORREF text = SetTextColor(hdc, colour);
      RECT box = r;
      DrawTextA(hdc, "?", 1, &box, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOCLIP);
      SetTextColor(hdc, text);
      SetBkMode(hdc, mode);
      break;
    }
  }
}

// Draws a glyph in the button text colour, or embossed (highlight down-right, then grey) when inactive.
template <class Glyph>
void Glyphed(RECT r, UINT state, Glyph&& glyph) {
  if (state & DFCS_PUSHED) OffsetRect(&r, 1, 1);
  if (state & DFCS_INACTIVE) {
    RECT shadow = r;
    OffsetRect(&shadow, 1, 1);
    glyph(shadow, GetSysColor(COLOR_BTNHIGHLIGHT));
    glyph(r, GetSysColor(COLOR_GRAYTEXT));
  } else {
    glyph(r, GetSysColor(COLOR_BTNTEXT));
  }
}

RECT ButtonFrame(HDC hdc, RECT r, UINT state) {
  if (state & DFCS_FLAT) {
    DrawEdge(hdc, &r, EDGE_SUNKEN, BF_RECT | BF_MIDDLE | BF_FLAT | BF_ADJUST);
  } else if (state & DFCS_PUSHED) {
    DrawEdge(hdc, &r, EDGE_SUNKEN, BF_RECT | BF_MIDDLE | BF_ADJUST);
  } else {
    DrawEdge(hdc, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_SOFT | BF_ADJUST);
  }
  return r;
}

// Radio buttons are three concentric circles: two rings of edge colours (top-left against
// bottom-right) and the well.
void Radio(HDC hdc, const RECT& area, UINT state) {
  const int s = std::min(area.right - area.left, area.bottom - area.top);
  const int x0 = area.left, y0 = area.top + (area.bottom - area.top - s) / 2;
  const double c = (s - 1) / 2.0;
  const bool mask = (state & 0xFF) == DFCS_BUTTONRADIOMASK;
  const COLORREF well = GetSysColor((state & (DFCS_PUSHED | DFCS_INACTIVE)) ? COLOR_BTNFACE : COLOR_WINDOW);
  const COLORREF mark = GetSysColor((state & DFCS_INACTIVE) ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT);
  for (int y = 0; y < s; ++y)
    for (int x = 0; x < s; ++x) {
      const double d = std::hypot(x - c, y - c);
      const bool topLeft = x + y < s - 1;
      COLORREF colour;
      if (d > s / 2.0) continue;
      if (mask) colour = RGB(0, 0, 0);
      else if (d > s / 2.0 - 1) colour = GetSysColor(topLeft ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT);
      else if (d > s / 2.0 - 2) colour = GetSysColor(topLeft ? COLOR_3DDKSHADOW : COLOR_3DLIGHT);
      else if ((state & DFCS_CHECKED) && d <= s / 6.0 + 0.5) colour = mark;
      else colour = well;
      Dot(hdc, x0 + x, y0 + y, colour);
    }
}

void CheckBox(HDC hdc, const RECT& area, UINT state) {
  const int s = std::min(area.right - area.left, area.bottom - area.top);
  RECT box{area.left, area.top + (area.bottom - area.top - s) / 2, area.left + s, 0};
  box.bottom = box.top + s;
  if (state & DFCS_FLAT) {
    DrawEdge(hdc, &box, BDR_SUNKENOUTER, BF_RECT | BF_FLAT | BF_ADJUST);
  } else {
    DrawEdge(hdc, &box, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  }
  const bool grey = state & (DFCS_PUSHED | DFCS_INACTIVE | DFCS_BUTTON3STATE);
  Box(hdc, box, GetSysColor(grey && !((state & DFCS_BUTTON3STATE) && !(state & DFCS_CHECKED)) ? COLOR_BTNFACE : COLOR_WINDOW));
  if (state & DFCS_CHECKED) {
    const bool greyMark = (state & DFCS_INACTIVE) || (state & DFCS_BUTTON3STATE);
    CheckMark(hdc, box, GetSysColor(greyMark ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
  }
}

void MenuGlyph(HDC hdc, const RECT& r, UINT kind) {
  // Menu marks are black on white, for the caller to use as a mask.
  Box(hdc, r, RGB(255, 255, 255));
  const COLORREF black = RGB(0, 0, 0);
  switch (kind) {
    case DFCS_MENUCHECK: CheckMark(hdc, r, black); break;
    case DFCS_MENUBULLET: {
      const int s = std::max(2, std::min(r.right - r.left, r.bottom - r.top) / 3);
      const int x = r.left + (r.right - r.left - s) / 2, y = r.top + (r.bottom - r.top - s) / 2;
      tolvar::gdi::ScopedSelect pen(hdc, GetStockObject(NULL_PEN));
      tolvar::gdi::ScopedSelect brush(hdc, GetStockObject(BLACK_BRUSH));
      Ellipse(hdc, x, y, x + s + 1, y + s + 1);
      break;
    }
    default: Arrow(hdc, r, DFCS_SCROLLRIGHT, black); break;
  }
}

void SizeGrip(HDC hdc, const RECT& r) {
  Box(hdc, r, GetSysColor(COLOR_BTNFACE));
  const int s = std::min(r.right - r.left, r.bottom - r.top);
  for (int line = 0; line < s - 2; line += 4) {
    for (int i = 0; i <= line + 1; ++i) {
      const int x = r.right - 2 - line + i - 1, y = r.bottom - 1 - i;
      Dot(hdc, x, y, GetSysColor(COLOR_BTNHIGHLIGHT));
      Dot(hdc, x + 1, y, GetSysColor(COLOR_BTNSHADOW));
      Dot(hdc, x + 2, y, GetSysColor(COLOR_BTNSHADOW));
    }
  }
}

}  // namespace

BOOL DrawFrameControl(HDC hdc, LPRECT rect, UINT type, UINT state) {
  if (!rect || !tolvar::gdi::LookupDc(hdc)) return FALSE;
  const UINT kind = state & 0xFF;
  switch (type) {
    case DFC_CAPTION: {
      if (kind > DFCS_CAPTIONHELP) return FALSE;
      const RECT inner = ButtonFrame(hdc, *rect, state);
      Glyphed(inner, state, [&](const RECT& r, COLORREF c) { CaptionGlyph(hdc, r, kind, c); });
      return TRUE;
    }
    case DFC_SCROLL: {
      if (kind == DFCS_SCROLLSIZEGRIP) {
        SizeGrip(hdc, *rect);
        return TRUE;
      }
      if (kind > DFCS_SCROLLRIGHT) return FALSE;
      const RECT inner = ButtonFrame(hdc, *rect, state);
      Glyphed(inner, state, [&](const RECT& r, COLORREF c) { Arrow(hdc, r, kind, c); });
      return TRUE;
    }
    case DFC_BUTTON:
      if (kind & DFCS_BUTTONPUSH) {
        ButtonFrame(hdc, *rect, state);
      } else if (kind & (DFCS_BUTTONRADIO | DFCS_BUTTONRADIOIMAGE | DFCS_BUTTONRADIOMASK)) {
        Radio(hdc, *rect, state);
      } else {
        CheckBox(hdc, *rect, state);
      }
      return TRUE;
    case DFC_MENU:
      if (kind > DFCS_MENUBULLET) return FALSE;
      MenuGlyph(hdc, *rect, kind);
      return TRUE;
    default:
      return FALSE;
  }
}

namespace {

// Draws the item itself on `hdc` at (x, y).
bool DrawItem(HDC hdc, UINT type, LPARAM data, WPARAM length, int x, int y, int cx, int cy) {
  switch (type) {
    case DST_TEXT:
    case DST_PREFIXTEXT: {
      const char* text = reinterpret_cast<const char*>(data);
      if (!text) return false;
      const int n = length ? static_cast<int>(length) : static_cast<int>(std::strlen(text));
      RECT r{x, y, x + cx, y + cy};
      DrawTextA(hdc, text, n, &r, DT_NOCLIP | (type == DST_TEXT ? DT_NOPREFIX : 0));
      return true;
    }
    case DST_ICON:
      return DrawIconEx(hdc, x, y, reinterpret_cast<HICON>(data), cx, cy, 0, nullptr, DI_NORMAL);
    case DST_BITMAP: {
      tolvar::gdi::UniqueDC memory(CreateCompatibleDC(hdc));
      tolvar::gdi::ScopedSelect bitmap(memory.Get(), reinterpret_cast<HBITMAP>(data));
      return bitmap.Previous() && BitBlt(hdc, x, y, cx, cy, memory.Get(), 0, 0, SRCCOPY);
    }
    default:
      return false;
  }
}

bool ItemSize(HDC hdc, UINT type, LPARAM data, WPARAM length, int& cx, int& cy) {
  switch (type) {
    case DST_TEXT:
    case DST_PREFIXTEXT: {
      const char* text = reinterpret_cast<const char*>(data);
      if (!text) return false;
      RECT r{0, 0, 0, 0};
      const int n = length ? static_cast<int>(length) : static_cast<int>(std::strlen(text));
      DrawTextA(hdc, text, n, &r, DT_CALCRECT | (type == DST_TEXT ? DT_NOPREFIX : 0));
      if (!cx) cx = r.right;
      if (!cy) cy = r.bottom;
      return true;
    }
    case DST_ICON: {
      auto icon = tolvar::gdi::LookupIcon(reinterpret_cast<HICON>(data));
      if (!icon) return false;
      if (!cx) cx = icon->width;
      if (!cy) cy = icon->height;
      return true;
    }
    case DST_BITMAP: {
      BITMAP bm{};
      if (!GetObject(reinterpret_cast<HBITMAP>(data), sizeof bm, &bm)) return false;
      if (!cx) cx = bm.bmWidth;
      if (!cy) cy = bm.bmHeight;
      return true;
    }
    default:
      return false;
  }
}

}  // namespace

BOOL DrawStateA(HDC hdc, HBRUSH brush, DRAWSTATEPROC, LPARAM lData, WPARAM wData, int x, int y, int cx, int cy,
                UINT flags) {
  const UINT type = flags & 0xF;
  if (!tolvar::gdi::LookupDc(hdc) || !ItemSize(hdc, type, lData, wData, cx, cy)) return FALSE;
  if (!(flags & (DSS_DISABLED | DSS_MONO))) return DrawItem(hdc, type, lData, wData, x, y, cx, cy) ? TRUE : FALSE;

  // The item's shape: drawn black on white in memory, then everything not white becomes the shape.
  tolvar::gdi::UniqueDC colourDcOwner(CreateCompatibleDC(hdc));
  HDC colourDc = colourDcOwner.Get();
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), cx, -cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  tolvar::gdi::UniqueBitmap colour(CreateDIBSection(hdc, &info, DIB_RGB_COLORS, nullptr, nullptr, 0));
  tolvar::gdi::ScopedSelect colourSelected(colourDc, colour.Get());
  tolvar::gdi::ScopedSelect fontSelected(colourDc, GetCurrentObject(hdc, OBJ_FONT));
  PatBlt(colourDc, 0, 0, cx, cy, WHITENESS);
  SetTextColor(colourDc, RGB(0, 0, 0));
  SetBkMode(colourDc, TRANSPARENT);
  DrawItem(colourDc, type, lData, wData, 0, 0, cx, cy);
  tolvar::gdi::UniqueDC maskDcOwner(CreateCompatibleDC(hdc));
  HDC maskDc = maskDcOwner.Get();
  tolvar::gdi::UniqueBitmap mask(CreateBitmap(cx, cy, 1, 1, nullptr));
  tolvar::gdi::ScopedSelect maskSelected(maskDc, mask.Get());
  if (type == DST_TEXT || type == DST_PREFIXTEXT) {
    // Antialiased edges would all count as ink and thicken the letters: text keeps its darker half.
    for (int yy = 0; yy < cy; ++yy)
      for (int xx = 0; xx < cx; ++xx) {
        const COLORREF c = GetPixel(colourDc, xx, yy);
        const int level = (GetRValue(c) * 299 + GetGValue(c) * 587 + GetBValue(c) * 114) / 1000;
        SetPixel(maskDc, xx, yy, level < 128 ? RGB(0, 0, 0) : RGB(255, 255, 255));
      }
  } else {
    SetBkColor(colourDc, RGB(255, 255, 255));
    BitBlt(maskDc, 0, 0, cx, cy, colourDc, 0, 0, SRCCOPY);
  }

  // PSDPxax paints the brush where the shape's bit is 0 and keeps the destination where it is 1.
  constexpr DWORD kBrushThroughMask = 0x00B8074A;
  const COLORREF text = SetTextColor(hdc, RGB(0, 0, 0));
  const COLORREF back = SetBkColor(hdc, RGB(255, 255, 255));
  {
    tolvar::gdi::ScopedSelect brushSelected(
        hdc, (flags & DSS_DISABLED) ? static_cast<HGDIOBJ>(GetSysColorBrush(COLOR_3DHILIGHT))
                                    : brush ? static_cast<HGDIOBJ>(brush) : GetStockObject(BLACK_BRUSH));
    if (flags & DSS_DISABLED) {
      BitBlt(hdc, x + 1, y + 1, cx, cy, maskDc, 0, 0, kBrushThroughMask);
      SelectObject(hdc, GetSysColorBrush(COLOR_3DSHADOW));
    }
    BitBlt(hdc, x, y, cx, cy, maskDc, 0, 0, kBrushThroughMask);
  }
  SetTextColor(hdc, text);
  SetBkColor(hdc, back);
  return TRUE;
}
