#pragma once
// The list view and header objects of the class library. Like the other control objects they hold
// no state: each call is the message the control answers. A report list whose rows are owner-drawn
// (LVS_OWNERDRAWFIXED) and a header with owner-drawn items get their parent's WM_DRAWITEM back
// through reflection and paint in DrawItem, so a class derived from them draws its own rows.
//
// The inner windows a list makes for itself (its header, the label editor) come back as plain
// window objects: a program that wants them as objects of a class of its own subclasses them by
// handle.
#include <controls/Controls.h>
#include <framework/ImageList.h>
#include <framework/ControlWnd.h>
#include <framework/Wnd.h>

#include <memory>

class CHeaderCtrl : public CControlWnd {
  DECLARE_DYNAMIC(CHeaderCtrl)

public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(WC_HEADERA, nullptr, style, rect, parent, id);
  }
  int GetItemCount() const { return Int(HDM_GETITEMCOUNT); }
  int InsertItem(int index, const HDITEMA* item) { return Int(HDM_INSERTITEMA, static_cast<WPARAM>(index), Ptr(item)); }
  BOOL DeleteItem(int index) { return Int(HDM_DELETEITEM, static_cast<WPARAM>(index)); }
  BOOL GetItem(int index, HDITEMA* item) const { return Int(HDM_GETITEMA, static_cast<WPARAM>(index), Ptr(item)); }
  BOOL SetItem(int index, const HDITEMA* item) { return Int(HDM_SETITEMA, static_cast<WPARAM>(index), Ptr(item)); }
  BOOL GetItemRect(int index, LPRECT rect) const { return Int(HDM_GETITEMRECT, static_cast<WPARAM>(index), Ptr(rect)); }
  BOOL Layout(HDLAYOUT* layout) { return Int(HDM_LAYOUT, 0, Ptr(layout)); }
  int HitTest(HDHITTESTINFO* info) const { return Int(HDM_HITTEST, 0, Ptr(info)); }
  int OrderToIndex(int order) const { return Int(HDM_ORDERTOINDEX, static_cast<WPARAM>(order)); }
  BOOL GetOrderArray(LPINT order, int count) const { return Int(HDM_GETORDERARRAY, static_cast<WPARAM>(count), Ptr(order)); }
  BOOL SetOrderArray(int count, LPINT order) { return Int(HDM_SETORDERARRAY, static_cast<WPARAM>(count), Ptr(order)); }
  HIMAGELIST SetImageList(HIMAGELIST images) {
    return reinterpret_cast<HIMAGELIST>(Send(HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images)));
  }
  HIMAGELIST SetImageList(CImageList* images) { return SetImageList(images ? images->GetSafeHandle() : nullptr); }
  HIMAGELIST GetImageList() const { return reinterpret_cast<HIMAGELIST>(Send(HDM_GETIMAGELIST)); }

  // An item with HDF_OWNERDRAW paints here (the parent's WM_DRAWITEM comes back to the header).
  virtual void DrawItem(LPDRAWITEMSTRUCT drawItem);
  BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};

class CListCtrl : public CControlWnd {
  DECLARE_DYNAMIC(CListCtrl)

public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(WC_LISTVIEWA, nullptr, style, rect, parent, id);
  }

  // Colours.
  COLORREF GetBkColor() const { return static_cast<COLORREF>(Send(LVM_GETBKCOLOR)); }
  BOOL SetBkColor(COLORREF colour) { return Int(LVM_SETBKCOLOR, 0, static_cast<LPARAM>(colour)); }
  COLORREF GetTextColor() const { return static_cast<COLORREF>(Send(LVM_GETTEXTCOLOR)); }
  BOOL SetTextColor(COLORREF colour) { return Int(LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(colour)); }
  COLORREF GetTextBkColor() const { return static_cast<COLORREF>(Send(LVM_GETTEXTBKCOLOR)); }
  BOOL SetTextBkColor(COLORREF colour) { return Int(LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(colour)); }
  DWORD GetExtendedStyle() const { return static_cast<DWORD>(Send(LVM_GETEXTENDEDLISTVIEWSTYLE)); }
  // Replaces every extended style; answers the previous ones.
  DWORD SetExtendedStyle(DWORD styles) { return static_cast<DWORD>(Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, styles)); }

  // Image lists (LVSIL_SMALL sets the row height, LVSIL_STATE the check images); the list does not
  // own them. Both answer the list the control had before.
  HIMAGELIST GetImageList(int which) const { return reinterpret_cast<HIMAGELIST>(Send(LVM_GETIMAGELIST, static_cast<WPARAM>(which))); }
  HIMAGELIST SetImageList(HIMAGELIST images, int which) {
    return reinterpret_cast<HIMAGELIST>(Send(LVM_SETIMAGELIST, static_cast<WPARAM>(which), reinterpret_cast<LPARAM>(images)));
  }
  HIMAGELIST SetImageList(CImageList* images, int which) { return SetImageList(images ? images->GetSafeHandle() : nullptr, which); }

  // Items.
  int GetItemCount() const { return Int(LVM_GETITEMCOUNT); }
  BOOL GetItem(LVITEMA* item) const { return Int(LVM_GETITEMA, 0, Ptr(item)); }
  BOOL SetItem(const LVITEMA* item) { return Int(LVM_SETITEMA, 0, Ptr(item)); }
  BOOL SetItem(int item, int subItem, UINT mask, LPCSTR text, int image, UINT state, UINT stateMask, LPARAM data);
  // The new item's index, -1 when it could not be inserted.
  int InsertItem(const LVITEMA* item) { return Int(LVM_INSERTITEMA, 0, Ptr(item)); }
  int InsertItem(int item, LPCSTR text) { return InsertItem(LVIF_TEXT, item, text, 0, 0, 0, 0); }
  int InsertItem(int item, LPCSTR text, int image) { return InsertItem(LVIF_TEXT | LVIF_IMAGE, item, text, 0, 0, image, 0); }
  int InsertItem(UINT mask, int item, LPCSTR text, UINT state, UINT stateMask, int image, LPARAM data);
  BOOL DeleteItem(int item) { return Int(LVM_DELETEITEM, static_cast<WPARAM>(item)); }
  BOOL DeleteAllItems() { return Int(LVM_DELETEALLITEMS); }
  DWORD_PTR GetItemData(int item) const;
  BOOL SetItemData(int item, DWORD_PTR data) { return SetItem(item, 0, LVIF_PARAM, nullptr, 0, 0, 0, static_cast<LPARAM>(data)); }
  UINT GetItemState(int item, UINT mask) const {
    return static_cast<UINT>(Send(LVM_GETITEMSTATE, static_cast<WPARAM>(item), static_cast<LPARAM>(mask)));
  }
  // Item -1 changes every item (the focus excepted: one item holds it).
  BOOL SetItemState(int item, UINT state, UINT mask);
  BOOL SetItemState(int item, const LVITEMA* info) { return Int(LVM_SETITEMSTATE, static_cast<WPARAM>(item), Ptr(info)); }
  CString GetItemText(int item, int subItem) const;
  // The length copied into `buffer` (at most length - 1 bytes and a terminating zero).
  int GetItemText(int item, int subItem, LPSTR buffer, int length) const;
  BOOL SetItemText(int item, int subItem, LPCSTR text);
  int GetSelectedCount() const { return Int(LVM_GETSELECTEDCOUNT); }
  // The next item after `start` (-1: from the first) with the LVNI_* properties, or -1.
  int GetNextItem(int start, int flags) const {
    return Int(LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(static_cast<WORD>(flags), 0));
  }
  int FindItem(const LVFINDINFOA* find, int start = -1) const {
    return Int(LVM_FINDITEMA, static_cast<WPARAM>(start), Ptr(find));
  }
  int GetSelectionMark() const { return Int(LVM_GETSELECTIONMARK); }
  int SetSelectionMark(int item) { return Int(LVM_SETSELECTIONMARK, 0, item); }
  // Orders the items by `compare`, which gets two items' data and `data`.
  BOOL SortItems(PFNLVCOMPARE compare, DWORD_PTR data) {
    return Int(LVM_SORTITEMS, static_cast<WPARAM>(data), reinterpret_cast<LPARAM>(compare));
  }

  // Places.
  BOOL GetItemRect(int item, LPRECT rect, UINT code) const;
  BOOL GetSubItemRect(int item, int subItem, int code, RECT& rect) const;
  int HitTest(LVHITTESTINFO* info) const { return Int(LVM_HITTEST, 0, Ptr(info)); }
  int HitTest(POINT point, UINT* flags = nullptr) const;
  int SubItemHitTest(LVHITTESTINFO* info) { return Int(LVM_SUBITEMHITTEST, 0, Ptr(info)); }
  BOOL EnsureVisible(int item, BOOL partialOK) { return Int(LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), partialOK); }
  BOOL Scroll(SIZE size) { return Int(LVM_SCROLL, static_cast<WPARAM>(size.cx), size.cy); }
  BOOL RedrawItems(int first, int last) { return Int(LVM_REDRAWITEMS, static_cast<WPARAM>(first), last); }
  // The item is painted again at the next painting.
  BOOL Update(int item) { return RedrawItems(item, item); }
  int GetTopIndex() const { return Int(LVM_GETTOPINDEX); }
  int GetCountPerPage() const { return Int(LVM_GETCOUNTPERPAGE); }

  // Columns.
  BOOL GetColumn(int column, LVCOLUMNA* info) const { return Int(LVM_GETCOLUMNA, static_cast<WPARAM>(column), Ptr(info)); }
  BOOL SetColumn(int column, const LVCOLUMNA* info) { return Int(LVM_SETCOLUMNA, static_cast<WPARAM>(column), Ptr(info)); }
  int InsertColumn(int column, const LVCOLUMNA* info) { return Int(LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), Ptr(info)); }
  // A width of -1 leaves the control's own; a sub-item of -1 takes the column's index.
  int InsertColumn(int column, LPCSTR heading, int format = LVCFMT_LEFT, int width = -1, int subItem = -1);
  BOOL DeleteColumn(int column) { return Int(LVM_DELETECOLUMN, static_cast<WPARAM>(column)); }
  int GetColumnWidth(int column) const { return Int(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)); }
  // Also LVSCW_AUTOSIZE and LVSCW_AUTOSIZE_USEHEADER.
  BOOL SetColumnWidth(int column, int width) {
    return Int(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(static_cast<WORD>(width), 0));
  }
  CWnd* GetHeaderCtrl() const { return FromHandle(reinterpret_cast<HWND>(Send(LVM_GETHEADER))); }

  // Label editing: the editor while an edit runs (null when the edit was refused).
  CWnd* EditLabel(int item) { return FromHandle(reinterpret_cast<HWND>(Send(LVM_EDITLABELA, static_cast<WPARAM>(item)))); }
  CWnd* GetEditControl() const { return FromHandle(reinterpret_cast<HWND>(Send(LVM_GETEDITCONTROL))); }
  // The item's drag image, owned by the caller; null when the control gives none. `point`
  // receives the image's top left in the list's client coordinates.
  std::unique_ptr<CImageList> CreateDragImage(int item, LPPOINT point);

  // An owner-drawn list (LVS_OWNERDRAWFIXED) paints each row here.
  virtual void DrawItem(LPDRAWITEMSTRUCT drawItem);
  BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
