#pragma once
// The phone setup dialog's list of phones, the link service's own member of the suite's family of
// owner-drawn report lists: flat colours, bold selected rows (inverted while the list has the
// focus), rows exactly as high as the font, painting through an off-screen bitmap, and dragging of
// the selected rows onto another list of this class. It comes with its own flat header,
// linkwell::CMyHeader. The setup dialog shows the phone names in a column as wide as the list and
// keeps their build strings in a hidden second column, one selected row at most; it drags nothing.
//
// Threads: the user-interface thread that owns the window.
#include <framework/Afx.h>
#include <framework/ListCtrl.h>

#include <memory>
#include <string>
#include <vector>

namespace linkwell {

// The list's header: its background, separator lines and a 3D frame as wide as the items, each in
// a colour of its own. Items marked owner-drawn go to DrawItem, the others to PaintItem.
class CMyHeader : public CHeaderCtrl {
 public:
  static constexpr COLORREF kLineColour = 0x000080;
  static constexpr COLORREF kBackgroundColour = 0x0000FF;
  static constexpr COLORREF kTextColour = 0x0000FF;

  // The whole header into `dc` (nothing when the DC's clip box is an error).
  void PaintHeader(CDC* dc);
  // Owner-drawn items; this header draws nothing for them.
  void DrawItem(LPDRAWITEMSTRUCT drawItem) override;
  // An item that is not owner-drawn, in its rectangle less the text margin: its text on one line,
  // in the header's text colour, cut with an ellipsis.
  virtual void PaintItem(CDC* dc, RECT rect, const HDITEMA& item);

  void SetTextMargin(int margin) { m_textMargin = margin; }
  COLORREF GetBackgroundColor() const { return m_background; }
  COLORREF GetTextColor() const { return m_text; }

  const AFX_MSGMAP* GetMessageMap() const override;

 protected:
  LRESULT OnPaint(WPARAM, LPARAM);
  LRESULT OnPrintClient(WPARAM, LPARAM);

 private:
  int m_textMargin = 0;
  COLORREF m_darkLine = kLineColour;
  COLORREF m_lightLine = kLineColour;
  COLORREF m_background = kBackgroundColour;
  COLORREF m_text = kTextColour;
  COLORREF m_further = 0x00FF00;  // kept with the others; nothing paints with it
};

}  // namespace linkwell

class CPhoneListCtrl : public CListCtrl {
 public:
  static constexpr COLORREF kTextColour = 0x822A08;
  static constexpr COLORREF kBackgroundColour = 0xFFFFFF;
  static constexpr COLORREF kDefaultSelectionColour = 0xFF0000;
  static constexpr COLORREF kDragTransparent = 0x00FF00;
  // What the setup dialog sets.
  static constexpr int kTextIndent = 10;
  static constexpr COLORREF kSelectionColour = 0xFDDAC9;

  CPhoneListCtrl() = default;
  ~CPhoneListCtrl() override;

  // The font, and rows exactly its height.
  void SetFont(LPCSTR face, int height, BOOL bold, BOOL italic);
  int GetRowHeight() const { return m_rowHeight; }
  void SetTextIndent(int indent);
  void SetSelectionColor(COLORREF colour);
  COLORREF GetSelectionColor() const { return m_selection; }
  void EnableDrag() { m_dragAllowed = TRUE; }
  void DisableDrag() { m_dragAllowed = FALSE; }
  BOOL IsDragging() const { return m_dragging; }
  int GetDropIndex() const { return m_dropIndex; }
  linkwell::CMyHeader& GetHeader() { return m_header; }
  // Shown at the left of selected rows when it holds a bitmap.
  CBitmap m_rowBitmap;

  // The setup dialog's list: the two columns, "Verdana" of `height`, the indent and the selection
  // colour; no dragging.
  void Setup(int height);
  void SetRows(const std::vector<std::string>& names, const std::vector<std::string>& builds);
  int RowCount() const;
  std::string RowText(int row, int column) const;
  // The selected row, -1 for none.
  int Selected() const;
  void Select(int row);  // -1 deselects
  // The rectangle of `row` in client coordinates (for clicks in tests and hit testing).
  RECT RowRect(int row) const;

  // One row (the parent's WM_DRAWITEM, reflected).
  void DrawItem(LPDRAWITEMSTRUCT drawItem) override;
  // Dragged rows were released over `target`, a list of this class (this one included); the base
  // does nothing.
  virtual void OnDropOnList(CPhoneListCtrl* target);
  virtual void OnKeyDown(UINT key, UINT repeat, UINT flags);
  virtual void OnEndLabelEdit(NMHDR* notify, LRESULT* result);
  // Deletes every selected row.
  void DeleteSelected();

  BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
  void PreSubclassWindow() override;
  const AFX_MSGMAP* GetMessageMap() const override;

 protected:
  LRESULT OnCreate(WPARAM, LPARAM);
  LRESULT OnPaint(WPARAM, LPARAM);
  LRESULT OnEraseBkgnd(WPARAM, LPARAM);
  LRESULT OnMeasureItem(WPARAM, LPARAM);
  LRESULT OnSizeOrScroll(WPARAM, LPARAM);
  LRESULT OnSetFocus(WPARAM, LPARAM);
  LRESULT OnKillFocus(WPARAM, LPARAM);
  LRESULT OnKeyDownMessage(WPARAM, LPARAM);
  LRESULT OnMouseMove(WPARAM, LPARAM);
  LRESULT OnLButtonUp(WPARAM, LPARAM);
  void OnBeginDrag(NMHDR* notify, LRESULT* result);
  void OnEndLabelEditReflected(NMHDR* notify, LRESULT* result);

 private:
  void TakeOverHeader();
  std::unique_ptr<CImageList> CreateSelectionDragImage(POINT* hotSpot);
  void MarkDropTarget(HWND list, int row, bool on);
  static CPhoneListCtrl* PhoneListAt(POINT screen);

  linkwell::CMyHeader m_header;
  CImageList m_rowHeightImages;
  std::unique_ptr<CImageList> m_dragImage;
  BOOL m_dragging = FALSE;
  int m_dropIndex = -1;
  HWND m_dropWindow = nullptr;
  std::unique_ptr<CFont> m_font;
  int m_rowHeight = 0;
  int m_textIndent = 0;
  COLORREF m_textColour = kTextColour;
  COLORREF m_background = kBackgroundColour;
  COLORREF m_selection = kDefaultSelectionColour;
  BOOL m_inverted = FALSE;
  BOOL m_dragAllowed = TRUE;
};
