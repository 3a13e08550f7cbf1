#pragma once
// CMyHeader: the header of the kit's lists, painted flat: a red background, blue item texts
// always left-aligned and cut with an ellipsis, an item's bitmap ANDed onto the background at its
// left, dark red separator lines between the items, and a 3D frame exactly as wide as the items.
// Items wholly outside the area being painted are skipped.
//
// Threads: the user-interface thread that owns the window.
#include <framework/Afx.h>
#include <framework/ListCtrl.h>

class CMyHeader : public CHeaderCtrl {
  DECLARE_DYNAMIC(CMyHeader)

public:
  static constexpr COLORREF kLineColour = 0x000080;
  static constexpr COLORREF kBackgroundColour = 0x0000FF;
  static constexpr COLORREF kItemTextColour = 0xFF0000;

  // Another program's look: the background, the item texts and both separator lines; the kit's
  // red header stays the default.
  void SetColours(COLORREF background, COLORREF itemText, COLORREF lines);

  // The whole header into `dc` (nothing when the DC's clip box is an error).
  void PaintHeader(CDC* dc);
  // Items marked owner-drawn come here; the kit draws nothing for them.
  void DrawItem(LPDRAWITEMSTRUCT drawItem) override;
  // One item that is not owner-drawn, in its rectangle less the item margin.
  virtual void PaintItem(CDC* dc, RECT rect, const HDITEMA& item);
  // The width the bitmap took at the rectangle's left (or right), 0 when there was none or it did
  // not fit.
  int DrawItemBitmap(CDC* dc, const RECT& rect, const HDITEMA& item, HBITMAP bitmap, const BITMAP& description,
                     BOOL rightAligned);
  // The width the text took, at most the rectangle's.
  int DrawItemText(CDC* dc, const RECT& rect, const HDITEMA& item);

  const AFX_MSGMAP* GetMessageMap() const override;

protected:
  LRESULT OnPaint(WPARAM, LPARAM);
  // Printed into another DC (a list painted off-screen with its children) it looks as on screen.
  LRESULT OnPrintClient(WPARAM, LPARAM);

private:
  int m_itemMargin = 0;
  COLORREF m_darkLine = kLineColour;
  COLORREF m_lightLine = kLineColour;
  COLORREF m_background = kBackgroundColour;
  COLORREF m_text = kBackgroundColour;
  COLORREF m_unused = 0x00FF00;
  COLORREF m_itemText = kItemTextColour;
};
