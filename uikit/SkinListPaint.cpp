// CSkinListCtrl's painting: one row in the kit's colours (owner drawing), the drag image of the
// selected rows, and the off-screen painting of the whole list.
#include "SkinListCtrl.h"

#include "OffscreenPaint.h"

#include <gdi/Unique.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr UINT kCellFormat = DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
constexpr UINT kDragLabelFormat = DT_SINGLELINE | DT_VCENTER | DT_NOCLIP | DT_NOPREFIX | DT_END_ELLIPSIS;
constexpr COLORREF kDragBackground = 0xFFFFFF;
constexpr COLORREF kDragMask = 0x00FF00;

UINT Alignment(int format) {
  switch (format & LVCFMT_JUSTIFYMASK) {
    case LVCFMT_RIGHT: return DT_RIGHT;
    case LVCFMT_CENTER: return DT_CENTER;
    default: return DT_LEFT;
  }
}

// The list's font in weight 700, for the cells of a selected row.
tolvar::gdi::UniqueFont BoldOf(HFONT font) {
  LOGFONTA logical{};
  ::GetObjectA(font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT), sizeof logical, &logical);
  logical.lfWeight = FW_BOLD;
  return tolvar::gdi::UniqueFont(::CreateFontIndirectA(&logical));
}

// Relative luminance of a colour (sRGB, 0 to 1).
double Luminance(COLORREF colour) {
  const auto channel = [](unsigned value) {
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(GetRValue(colour)) + 0.7152 * channel(GetGValue(colour)) +
         0.0722 * channel(GetBValue(colour));
}

double Contrast(COLORREF a, COLORREF b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace

COLORREF CSkinListCtrl::ReadableOn(COLORREF text, COLORREF alternative, COLORREF fill) {
  return Contrast(text, fill) >= Contrast(alternative, fill) ? text : alternative;
}

COLORREF CSkinListCtrl::TextOnSelection() const {
  // The rows' text colour, unless the selection fill is as dark (or as light) as it: then the
  // rows' background colour, as on the inverted row of a focused list.
  return ReadableOn(m_textColour, m_background, m_selection);
}

void CSkinListCtrl::DrawItem(LPDRAWITEMSTRUCT draw) {
  CDC* dc = CDC::FromHandle(draw->hDC);
  const int row = static_cast<int>(draw->itemID);
  const RECT& r = draw->rcItem;
  bool bold = false;
  // The control also marks a drop target as selected for its drawing; here the drop target has a
  // look of its own (below), and only a row that is selected shows as one.
  const bool selected = (draw->itemState & ODS_SELECTED) && (GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED);
  if (selected) {
    dc->SetTextColor(TextOnSelection());
    dc->FillSolidRect(&r, m_selection);
    if (m_rowBitmap.m_hObject) {
      BITMAP description{};
      m_rowBitmap.GetBitmap(&description);
      tolvar::gdi::UniqueDC memory(::CreateCompatibleDC(*dc));
      if (memory) {
        tolvar::gdi::ScopedSelect select(memory.Get(), m_rowBitmap);
        ::StretchBlt(*dc, r.left, r.top, m_rowHeight, m_rowHeight, memory.Get(), 0, 0, description.bmWidth,
                     description.bmHeight, SRCAND);
      }
    }
    bold = true;
    if (m_focus) {
      // While the list has the focus the selection shows inverted.
      dc->SetTextColor(m_background);
      dc->FillSolidRect(&r, m_textColour);
    }
  } else {
    dc->SetTextColor(m_textColour);
    dc->FillSolidRect(&r, m_background);
  }
  // Row 0 is the pages' "all" row: nothing is ever dropped on it.
  if (row != 0 && (GetItemState(row, LVIS_DROPHILITED) & LVIS_DROPHILITED)) {
    dc->SetTextColor(TextOnSelection());
    dc->FillSolidRect(&r, m_selection);
  }

  // The texts go over the fill without a background of their own: an opaque one (the DC's
  // background colour, which the fills leave at the fill's) would hide the row bitmap under them.
  const int oldMode = dc->SetBkMode(TRANSPARENT);
  const auto listFont = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
  int x = 0;  // the columns start at the client area's left edge
  LVCOLUMNA column{};
  column.mask = LVCF_FMT | LVCF_WIDTH;
  for (int c = 0; GetColumn(c, &column); ++c) {
    RECT cell{x + m_textIndent, r.top, x + column.cx, r.bottom};
    x += column.cx;
    const CString text = GetItemText(row, c);
    if (text.IsEmpty()) continue;
    const UINT format = Alignment(column.fmt) | kCellFormat;
    if (bold) {
      tolvar::gdi::UniqueFont boldFont = BoldOf(listFont);
      tolvar::gdi::ScopedSelect select(*dc, boldFont.Get());
      dc->DrawText(text, &cell, format);
    } else {
      dc->DrawText(text, &cell, format);
    }
  }
  dc->SetBkMode(oldMode);
}

std::unique_ptr<CImageList> CSkinListCtrl::CreateSelectionDragImage(POINT* hotSpot) {
  POINT cursor{};
  if (hotSpot) {
    ::GetCursorPos(&cursor);
    ScreenToClient(&cursor);
  }
  CClientDC client(this);
  tolvar::gdi::UniqueDC memory(::CreateCompatibleDC(client));
  if (!memory) return nullptr;
  tolvar::gdi::ScopedSelect font(memory.Get(), reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));

  RECT u{};
  bool any = false;
  for (int row = GetNextItem(-1, LVNI_SELECTED); row >= 0; row = GetNextItem(row, LVNI_SELECTED)) {
    RECT bounds{};
    GetItemRect(row, &bounds, LVIR_BOUNDS);
    if (any) ::UnionRect(&u, &u, &bounds);
    else u = bounds;
    any = true;
  }
  // With no selected row there is nothing to show, and an image of no size is no image.
  if (!any || u.right <= u.left || u.bottom <= u.top) return nullptr;
  const int width = u.right - u.left;
  const int height = u.bottom - u.top;
  tolvar::gdi::UniqueBitmap bitmap(::CreateCompatibleBitmap(client, width, height));
  if (!bitmap) return nullptr;
  {
    tolvar::gdi::ScopedSelect select(memory.Get(), bitmap.Get());
    RECT all{0, 0, width, height};
    tolvar::gdi::UniqueBrush white(::CreateSolidBrush(kDragBackground));
    ::FillRect(memory.Get(), &all, white.Get());
    for (int row = GetNextItem(-1, LVNI_SELECTED); row >= 0; row = GetNextItem(row, LVNI_SELECTED)) {
      RECT bounds{}, icon{};
      GetItemRect(row, &bounds, LVIR_BOUNDS);
      GetItemRect(row, &icon, LVIR_ICON);
      // A row the control has no drag image for stays blank.
      if (!CreateDragImage(row, nullptr)) continue;
      RECT text = bounds;
      ::OffsetRect(&text, -u.left, -u.top);
      text.left += icon.right - icon.left;
      const CString label = GetItemText(row, 0);
      ::DrawTextA(memory.Get(), label, label.GetLength(), &text, kDragLabelFormat);
    }
  }
  auto images = std::make_unique<CImageList>();
  if (!images->Create(width, height, ILC_MASK | ILC_COLOR32, 0, 1)) return nullptr;
  CBitmap* picture = CBitmap::FromHandle(bitmap.Get());
  if (images->Add(picture, kDragMask) < 0) return nullptr;
  if (hotSpot) *hotSpot = POINT{cursor.x - u.left, cursor.y - u.top};
  return images;
}

LRESULT CSkinListCtrl::OnPaint(WPARAM, LPARAM) {
  uikit::PaintOffscreen(*this, GetBkColor());
  return 0;
}
