// CMyHeader's painting: the background over the area to paint, every item in display order with
// its separator lines, then the 3D frame over the items' total width.
#include "MyHeader.h"

#include <gdi/Unique.h>

#include <algorithm>
#include <cstring>

IMPLEMENT_DYNAMIC(CMyHeader, CHeaderCtrl)

const AFX_MSGMAP* CMyHeader::GetMessageMap() const {
  static const AFX_MSGMAP map{CHeaderCtrl::GetMessageMap(),
                              {
                                  MapMessage(WM_PAINT, &CMyHeader::OnPaint),
                                  MapMessage(WM_PRINTCLIENT, &CMyHeader::OnPrintClient),
                              }};
  return &map;
}

LRESULT CMyHeader::OnPaint(WPARAM, LPARAM) {
  CPaintDC dc(this);
  PaintHeader(&dc);
  return 0;
}

LRESULT CMyHeader::OnPrintClient(WPARAM wParam, LPARAM) {
  PaintHeader(CDC::FromHandle(reinterpret_cast<HDC>(wParam)));
  return 0;
}

void CMyHeader::DrawItem(LPDRAWITEMSTRUCT) {}

void CMyHeader::SetColours(COLORREF background, COLORREF itemText, COLORREF lines) {
  m_background = background;
  m_text = background;
  m_itemText = itemText;
  m_darkLine = m_lightLine = lines;
  if (m_hWnd) Invalidate();
}

void CMyHeader::PaintHeader(CDC* dc) {
  RECT clip{};
  if (dc->GetClipBox(&clip) == ERROR) return;
  RECT client{};
  GetClientRect(&client);
  dc->FillSolidRect(&clip, m_background);

  const int count = GetItemCount();
  tolvar::gdi::UniquePen dark(::CreatePen(PS_SOLID, 1, m_darkLine));
  tolvar::gdi::UniquePen light(::CreatePen(PS_SOLID, 1, m_lightLine));
  tolvar::gdi::ScopedSelect keepPen(*dc, dark.Get());
  tolvar::gdi::ScopedSelect keepFont(*dc, reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
  dc->SetBkColor(m_background);
  dc->SetTextColor(m_text);

  int total = 0;
  for (int position = 0; position < count; ++position) {
    char text[80] = {};
    HDITEMA item{};
    item.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT | HDI_BITMAP | HDI_IMAGE;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    const int index = OrderToIndex(position);
    GetItem(index, &item);
    RECT rect{};
    GetItemRect(index, &rect);
    if (rect.right > clip.left && rect.left < clip.right) {
      if (item.fmt & HDF_OWNERDRAW) {
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_HEADER;
        draw.CtlID = static_cast<UINT>(GetDlgCtrlID());
        draw.itemID = static_cast<UINT>(index);
        draw.itemAction = ODA_DRAWENTIRE;
        draw.hwndItem = m_hWnd;
        draw.hDC = *dc;
        draw.rcItem = rect;
        DrawItem(&draw);
      } else {
        rect.left += m_itemMargin;
        rect.right -= m_itemMargin;
        PaintItem(dc, rect, item);
        rect.left -= m_itemMargin;
        rect.right += m_itemMargin;
      }
      if (position != count - 1) {
        ::SelectObject(*dc, light.Get());
        dc->MoveTo(rect.right - 1, rect.top + 2);
        dc->LineTo(rect.right - 1, rect.bottom - 2);
        ::SelectObject(*dc, dark.Get());
        dc->MoveTo(rect.right, rect.top + 2);
        dc->LineTo(rect.right, rect.bottom - 2);
      }
    }
    total += item.cxy;
  }
  if (count > 0 && total > 0) {
    RECT frame = client;
    frame.right = frame.left + total;
    dc->Draw3dRect(&frame, m_darkLine, m_lightLine);
  }
}

void CMyHeader::PaintItem(CDC* dc, RECT rect, const HDITEMA& item) {
  BITMAP description{};
  HBITMAP bitmap = nullptr;
  if ((item.mask & HDI_BITMAP) && item.hbm && ::GetObjectA(item.hbm, sizeof description, &description)) {
    bitmap = item.hbm;
  }
  const int width = DrawItemBitmap(dc, rect, item, bitmap, description, FALSE);
  rect.left += width;
  DrawItemText(dc, rect, item);
}

int CMyHeader::DrawItemBitmap(CDC* dc, const RECT& rect, const HDITEMA&, HBITMAP bitmap, const BITMAP& description,
                              BOOL rightAligned) {
  if (!bitmap) return 0;
  const int width = rect.right - rect.left;
  if (description.bmWidth > width || width <= 0) return 0;
  const int x = rightAligned ? rect.right - description.bmWidth : rect.left;
  const int y = (rect.top + rect.bottom) / 2 - description.bmHeight / 2;
  tolvar::gdi::UniqueDC memory(::CreateCompatibleDC(*dc));
  if (!memory) return 0;
  tolvar::gdi::ScopedSelect select(memory.Get(), bitmap);
  const BOOL copied =
      ::BitBlt(*dc, x, y, description.bmWidth, description.bmHeight, memory.Get(), 0, 0, SRCAND);
  return copied ? description.bmWidth : 0;
}

int CMyHeader::DrawItemText(CDC* dc, const RECT& rect, const HDITEMA& item) {
  dc->SetTextColor(m_itemText);
  const int width = rect.right - rect.left;
  if (width <= 0 || !(item.mask & HDI_TEXT) || !(item.fmt & HDF_STRING) || !item.pszText) return 0;
  const SIZE extent = dc->GetTextExtent(item.pszText, static_cast<int>(std::strlen(item.pszText)));
  RECT text = rect;
  dc->DrawText(item.pszText, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
  return std::min(static_cast<int>(extent.cx), width);
}
