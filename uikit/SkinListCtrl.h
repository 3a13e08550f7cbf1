#pragma once
// CSkinListCtrl: the suite's report list. Rows are owner-drawn in the kit's colours (a selected row
// bold, inverted while the list has the focus, the drop target in the selection colour; the text on
// the selection fill in whichever of the text and background colours reads on it) through
// an off-screen bitmap, under the kit's own header. Rows sort by any column with a rule for dates
// (dd/mm/yyyy) and one that keeps empty cells at the end; a row's label is renamed in a flat edit
// limited to the phone's group-name size; the selected rows are dragged with an image of their
// labels onto another list of this class. Its vertical scroll bar is drawn flat in the list's colours
// (CSkinScrollBar).
//
// The applications derive from it for their pages and override the virtual operations (the drop
// handler, the label edit's end, the keys).
//
// Threads: the user-interface thread that owns the window.
#include "FlatEdit.h"
#include "MyHeader.h"
#include "SkinScrollBar.h"

#include <framework/Afx.h>
#include <framework/ListCtrl.h>

#include <memory>

class CSkinListCtrl : public CListCtrl {
  DECLARE_DYNAMIC(CSkinListCtrl)

public:
  static constexpr COLORREF kTextColour = 0x822A08;
  static constexpr COLORREF kBackgroundColour = 0xFFFFFF;
  static constexpr COLORREF kSelectionColour = 0xFF0000;

  CSkinListCtrl();
  ~CSkinListCtrl() override;

  // Owner drawing of one row (the parent's WM_DRAWITEM, reflected).
  void DrawItem(LPDRAWITEMSTRUCT drawItem) override;
  // A row appended with its text, item data and image; its index or -1.
  virtual int AddItem(LPCSTR text, LPARAM data, int image);
  // A row with its text, item data and image, appended at the end whatever `index` says; its index
  // or -1.
  virtual int InsertItem(LPCSTR text, LPARAM data, int image, int index);
  // Dragged rows were dropped on `target` (this list or another of this class).
  virtual void OnDropOnList(CSkinListCtrl* target);
  // Deletes every selected row; answers -1, the end of the search for selected rows.
  virtual int DeleteSelected();
  // What a drag carries; the base carries nothing (0).
  virtual int GetDragData(int* result);
  virtual void OnKeyDown(UINT key, UINT repeat, UINT flags);
  // A label edit ended (LVN_ENDLABELEDIT): a committed, non-empty text becomes the row's label.
  virtual void OnEndLabelEdit(NMHDR* notify, LRESULT* result);
  // Whether a row's label may be edited: the pages' fixed rows 0 and 1 may not.
  virtual BOOL CanEditLabel(int row) { return row >= 2; }
  // The longest label in the phone's UTF-8 bytes: the phone's group-name size.
  virtual int GetLabelLimit();

  // Sorts by `column`; with `toggle` the direction turns first.
  void SortByColumn(int column, BOOL toggle);
  // The rows' order: the date rule, then empty cells last, then case-insensitive text with case
  // differences ordered against the direction. <0, 0 or >0.
  static int CompareTexts(const CString& text1, const CString& text2, BOOL ascending);
  int GetSortColumn() const { return m_sortColumn; }
  BOOL GetSortDirection() const { return m_sortDirection; }

  void EnableDrag() { m_dragEnabled = TRUE; }
  void DisableDrag() { m_dragEnabled = FALSE; }
  BOOL IsDragging() const { return m_dragging; }
  // The row of the drop target under the cursor during a drag (-1 none), and its list.
  int GetDropIndex() const { return m_dropIndex; }
  HWND GetDropWindow() const { return m_dropWindow; }

  // The font, and rows 1.2 times its height.
  void SetFont(LPCSTR face, int height, BOOL bold, BOOL italic);
  int GetRowHeight() const { return m_rowHeight; }
  // An image of the selected rows' labels for a drag (owned by the caller), null when no row is
  // selected or the image cannot be made; `hotSpot` gets the cursor's place in it.
  virtual std::unique_ptr<CImageList> CreateSelectionDragImage(POINT* hotSpot);

  // Pixels between a column's left edge and its text.
  void SetTextIndent(int indent);
  int GetTextIndent() const { return m_textIndent; }
  // The rows' colours: the text, the fill of a row, and the fill of a selected row (and of the drop
  // target). The scroll bar takes the same colours.
  void SetRowTextColor(COLORREF colour);
  void SetRowBkColor(COLORREF colour);
  void SetSelectionColor(COLORREF colour);
  COLORREF GetRowTextColor() const { return m_textColour; }
  COLORREF GetRowBkColor() const { return m_background; }
  COLORREF GetSelectionColor() const { return m_selection; }
  // The text of a selected row (and of the drop target) on the selection fill: the text colour, or
  // the background colour where that reads better on the fill.
  COLORREF TextOnSelection() const;
  // Of a text colour and an alternative (the rows' background), the one that reads on `fill`: the
  // text colour unless the fill is about as dark (or as light) as it.
  static COLORREF ReadableOn(COLORREF text, COLORREF alternative, COLORREF fill);

  CMyHeader& GetHeader() { return m_header; }
  CSkinScrollBar& GetScrollBar() { return m_scrollBar; }
  CFlatEdit& GetLabelEditor() { return m_labelEditor; }

  // Shown at the left of selected rows when it holds a bitmap.
  CBitmap m_rowBitmap;

  BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
  void PreSubclassWindow() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  const AFX_MSGMAP* GetMessageMap() const override;

protected:
  LRESULT OnCreate(WPARAM, LPARAM);
  LRESULT OnPaint(WPARAM, LPARAM);
  LRESULT OnEraseBkgnd(WPARAM, LPARAM);
  LRESULT OnSizeOrScroll(WPARAM, LPARAM);
  LRESULT OnSetFocus(WPARAM, LPARAM);
  LRESULT OnKillFocus(WPARAM, LPARAM);
  LRESULT OnLButtonDown(WPARAM, LPARAM);
  LRESULT OnKeyDownMessage(WPARAM, LPARAM);
  LRESULT OnMouseMove(WPARAM, LPARAM);
  LRESULT OnLButtonUp(WPARAM, LPARAM);
  void OnBeginDrag(NMHDR* notify, LRESULT* result);
  void OnBeginLabelEdit(NMHDR* notify, LRESULT* result);
  void OnEndLabelEditReflected(NMHDR* notify, LRESULT* result);

private:
  static int CompareRows(LPARAM data1, LPARAM data2, LPARAM list);
  CString SortText(LPARAM data) const;
  void TakeOverHeader();
  void SetUpLabelEditor(HWND edit);
  void SetDropHighlight(HWND list, int row, bool on);
  void ClearDropTarget();
  void ColoursChanged();

  BOOL m_dragEnabled = TRUE;
  BOOL m_dragging = FALSE;
  int m_sortColumn = -1;
  BOOL m_sortDirection = TRUE;
  std::unique_ptr<CFont> m_font;
  CMyHeader m_header;
  CSkinScrollBar m_scrollBar;
  CImageList m_rowHeightImages;
  int m_textIndent = 0;
  int m_rowHeight = 0;
  COLORREF m_textColour = kTextColour;
  COLORREF m_colourRed = 255;
  COLORREF m_colourBlue = 0xFF0000;
  COLORREF m_background = kBackgroundColour;
  COLORREF m_selection = kSelectionColour;
  std::unique_ptr<CImageList> m_dragImage;
  int m_dropIndex = -1;
  HWND m_dropWindow = nullptr;
  int m_otherIndex = -1;
  int m_editedColumn = -1;
  COLORREF m_extraColour1 = kTextColour;
  COLORREF m_extraColour2 = kTextColour;
  CFlatEdit m_labelEditor;
  BOOL m_focus = FALSE;
  int m_pendingEditRow = -1;  // allowed by LVN_BEGINLABELEDIT; the editor is taken when it gets the focus
};
