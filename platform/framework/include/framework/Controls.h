#pragma once
// The class library's control objects: each wraps one of the standard controls (platform/controls)
// as CWnd wraps a window, with the control's messages as member functions. They hold no state of
// their own; every call is the one SendMessage the control answers, so an object attached to a
// control made by a dialog template (DDX_Control, SubclassDlgItem) and one made by Create behave
// alike. CBitmapButton is the exception: an owner-drawn button that paints one of four bitmaps.
#include <controls/Controls.h>
#include <framework/GdiObjects.h>
#include <framework/ControlWnd.h>
#include <framework/Wnd.h>

class CButton : public CControlWnd {
  DECLARE_DYNAMIC(CButton)

public:
  BOOL Create(LPCSTR caption, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(WC_BUTTONA, caption, style, rect, parent, id);
  }
  int GetCheck() const { return static_cast<int>(Send(BM_GETCHECK)); }
  void SetCheck(int check) { Send(BM_SETCHECK, static_cast<WPARAM>(check)); }
  UINT GetState() const { return static_cast<UINT>(Send(BM_GETSTATE)); }
  void SetState(BOOL highlight) { Send(BM_SETSTATE, highlight); }
  UINT GetButtonStyle() const { return GetStyle() & 0xFFFF; }
  void SetButtonStyle(UINT style, BOOL redraw = TRUE) { Send(BM_SETSTYLE, style, redraw); }
  HBITMAP SetBitmap(HBITMAP bitmap) {
    return reinterpret_cast<HBITMAP>(Send(BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
  }
  HBITMAP GetBitmap() const { return reinterpret_cast<HBITMAP>(Send(BM_GETIMAGE, IMAGE_BITMAP)); }
  HICON SetIcon(HICON icon) {
    return reinterpret_cast<HICON>(Send(BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon)));
  }
  HICON GetIcon() const { return reinterpret_cast<HICON>(Send(BM_GETIMAGE, IMAGE_ICON)); }
  void Click() { Send(BM_CLICK); }

  // An owner-drawn button paints here (its parent's WM_DRAWITEM comes back to it).
  virtual void DrawItem(LPDRAWITEMSTRUCT drawItem);
  BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};

// An owner-drawn push button showing one of four bitmaps: up, down (pushed), focused, disabled.
// Only the up bitmap is required; a missing one falls back to up.
class CBitmapButton : public CButton {
  DECLARE_DYNAMIC(CBitmapButton)

public:
  // From the current module's resources; FALSE when the up bitmap (or a named other) is missing.
  BOOL LoadBitmaps(UINT up, UINT down = 0, UINT focus = 0, UINT disabled = 0);
  // Sizes the button to the up bitmap.
  void SizeToContent();
  void DrawItem(LPDRAWITEMSTRUCT drawItem) override;

  CBitmap m_bitmap;
  CBitmap m_bitmapSel;
  CBitmap m_bitmapFocus;
  CBitmap m_bitmapDisabled;
};

class CStatic : public CWnd {
  DECLARE_DYNAMIC(CStatic)

public:
  BOOL Create(LPCSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id = 0xFFFF) {
    return CWnd::Create(WC_STATICA, text, style, rect, parent, id);
  }
  HICON SetIcon(HICON icon) {
    return reinterpret_cast<HICON>(::SendMessageA(m_hWnd, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0));
  }
  HICON GetIcon() const { return reinterpret_cast<HICON>(::SendMessageA(m_hWnd, STM_GETICON, 0, 0)); }
  HBITMAP SetBitmap(HBITMAP bitmap) {
    return reinterpret_cast<HBITMAP>(
        ::SendMessageA(m_hWnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
  }
  HBITMAP GetBitmap() const {
    return reinterpret_cast<HBITMAP>(::SendMessageA(m_hWnd, STM_GETIMAGE, IMAGE_BITMAP, 0));
  }
};

class CEdit : public CControlWnd {
  DECLARE_DYNAMIC(CEdit)

public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(WC_EDITA, nullptr, style, rect, parent, id);
  }
  void SetSel(int start, int end, BOOL noScroll = FALSE) {
    Send(EM_SETSEL, static_cast<WPARAM>(start), end);
    if (!noScroll) Send(EM_SCROLLCARET);
  }
  void GetSel(int& start, int& end) const {
    DWORD from = 0, to = 0;
    Send(EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    start = static_cast<int>(from);
    end = static_cast<int>(to);
  }
  void ReplaceSel(LPCSTR text, BOOL canUndo = FALSE) { Send(EM_REPLACESEL, canUndo, reinterpret_cast<LPARAM>(text)); }
  void LimitText(int max = 0) { Send(EM_LIMITTEXT, static_cast<WPARAM>(max)); }
  void SetLimitText(UINT max) { Send(EM_SETLIMITTEXT, max); }
  UINT GetLimitText() const { return static_cast<UINT>(Send(EM_GETLIMITTEXT)); }
  BOOL SetReadOnly(BOOL readOnly = TRUE) { return static_cast<BOOL>(Send(EM_SETREADONLY, readOnly)); }
  int GetLineCount() const { return static_cast<int>(Send(EM_GETLINECOUNT)); }
  int LineIndex(int line = -1) const { return static_cast<int>(Send(EM_LINEINDEX, static_cast<WPARAM>(line))); }
  int LineFromChar(int index = -1) const {
    return static_cast<int>(Send(EM_LINEFROMCHAR, static_cast<WPARAM>(index)));
  }
  int LineLength(int index = -1) const { return static_cast<int>(Send(EM_LINELENGTH, static_cast<WPARAM>(index))); }
  void LineScroll(int lines, int chars = 0) { Send(EM_LINESCROLL, static_cast<WPARAM>(chars), lines); }
  int GetFirstVisibleLine() const { return static_cast<int>(Send(EM_GETFIRSTVISIBLELINE)); }
  BOOL GetModify() const { return static_cast<BOOL>(Send(EM_GETMODIFY)); }
  void SetModify(BOOL modified = TRUE) { Send(EM_SETMODIFY, modified); }
  void SetPasswordChar(TCHAR ch) { Send(EM_SETPASSWORDCHAR, static_cast<BYTE>(ch)); }
  BOOL CanUndo() const { return static_cast<BOOL>(Send(EM_CANUNDO)); }
  BOOL Undo() { return static_cast<BOOL>(Send(EM_UNDO)); }
  void EmptyUndoBuffer() { Send(EM_EMPTYUNDOBUFFER); }
  void Cut() { Send(WM_CUT); }
  void Copy() { Send(WM_COPY); }
  void Paste() { Send(WM_PASTE); }
  void Clear() { Send(WM_CLEAR); }
};

class CListBox : public CControlWnd {
  DECLARE_DYNAMIC(CListBox)

public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(WC_LISTBOXA, nullptr, style, rect, parent, id);
  }
  int GetCount() const { return Int(LB_GETCOUNT); }
  int GetCurSel() const { return Int(LB_GETCURSEL); }
  int SetCurSel(int index) { return Int(LB_SETCURSEL, static_cast<WPARAM>(index)); }
  int GetSel(int index) const { return Int(LB_GETSEL, static_cast<WPARAM>(index)); }
  int SetSel(int index, BOOL select = TRUE) { return Int(LB_SETSEL, select, index); }
  int GetSelCount() const { return Int(LB_GETSELCOUNT); }
  int GetSelItems(int max, LPINT items) const { return Int(LB_GETSELITEMS, static_cast<WPARAM>(max), Ptr(items)); }
  int GetTopIndex() const { return Int(LB_GETTOPINDEX); }
  int SetTopIndex(int index) { return Int(LB_SETTOPINDEX, static_cast<WPARAM>(index)); }
  DWORD_PTR GetItemData(int index) const { return static_cast<DWORD_PTR>(Send(LB_GETITEMDATA, static_cast<WPARAM>(index))); }
  int SetItemData(int index, DWORD_PTR data) { return Int(LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)); }
  int GetItemRect(int index, LPRECT rect) const { return Int(LB_GETITEMRECT, static_cast<WPARAM>(index), Ptr(rect)); }
  int GetItemHeight(int index) const { return Int(LB_GETITEMHEIGHT, static_cast<WPARAM>(index)); }
  int SetItemHeight(int index, UINT height) { return Int(LB_SETITEMHEIGHT, static_cast<WPARAM>(index), height); }
  int GetText(int index, LPSTR buffer) const { return Int(LB_GETTEXT, static_cast<WPARAM>(index), Ptr(buffer)); }
  void GetText(int index, CString& text) const;
  int GetTextLen(int index) const { return Int(LB_GETTEXTLEN, static_cast<WPARAM>(index)); }
  int AddString(LPCSTR item) { return Int(LB_ADDSTRING, 0, Ptr(item)); }
  int InsertString(int index, LPCSTR item) { return Int(LB_INSERTSTRING, static_cast<WPARAM>(index), Ptr(item)); }
  int DeleteString(UINT index) { return Int(LB_DELETESTRING, index); }
  void ResetContent() { Send(LB_RESETCONTENT); }
  int FindString(int startAfter, LPCSTR item) const { return Int(LB_FINDSTRING, static_cast<WPARAM>(startAfter), Ptr(item)); }
  int FindStringExact(int startAfter, LPCSTR item) const {
    return Int(LB_FINDSTRINGEXACT, static_cast<WPARAM>(startAfter), Ptr(item));
  }
  int SelectString(int startAfter, LPCSTR item) { return Int(LB_SELECTSTRING, static_cast<WPARAM>(startAfter), Ptr(item)); }
};

class CComboBox : public CControlWnd {
  DECLARE_DYNAMIC(CComboBox)

public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(WC_COMBOBOXA, nullptr, style, rect, parent, id);
  }
  int GetCount() const { return Int(CB_GETCOUNT); }
  int GetCurSel() const { return Int(CB_GETCURSEL); }
  int SetCurSel(int index) { return Int(CB_SETCURSEL, static_cast<WPARAM>(index)); }
  DWORD GetEditSel() const { return static_cast<DWORD>(Send(CB_GETEDITSEL)); }
  BOOL SetEditSel(int start, int end) { return Int(CB_SETEDITSEL, 0, MAKELPARAM(start, end)); }
  BOOL LimitText(int max) { return Int(CB_LIMITTEXT, static_cast<WPARAM>(max)); }
  DWORD_PTR GetItemData(int index) const { return static_cast<DWORD_PTR>(Send(CB_GETITEMDATA, static_cast<WPARAM>(index))); }
  int SetItemData(int index, DWORD_PTR data) { return Int(CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)); }
  int GetItemHeight(int index) const { return Int(CB_GETITEMHEIGHT, static_cast<WPARAM>(index)); }
  int SetItemHeight(int index, UINT height) { return Int(CB_SETITEMHEIGHT, static_cast<WPARAM>(index), height); }
  int GetLBText(int index, LPSTR buffer) const { return Int(CB_GETLBTEXT, static_cast<WPARAM>(index), Ptr(buffer)); }
  void GetLBText(int index, CString& text) const;
  int GetLBTextLen(int index) const { return Int(CB_GETLBTEXTLEN, static_cast<WPARAM>(index)); }
  int GetDroppedWidth() const { return Int(CB_GETDROPPEDWIDTH); }
  int SetDroppedWidth(UINT width) { return Int(CB_SETDROPPEDWIDTH, width); }
  void GetDroppedControlRect(LPRECT rect) const { Send(CB_GETDROPPEDCONTROLRECT, 0, Ptr(rect)); }
  BOOL GetDroppedState() const { return Int(CB_GETDROPPEDSTATE); }
  void ShowDropDown(BOOL show = TRUE) { Send(CB_SHOWDROPDOWN, show); }
  int AddString(LPCSTR item) { return Int(CB_ADDSTRING, 0, Ptr(item)); }
  int InsertString(int index, LPCSTR item) { return Int(CB_INSERTSTRING, static_cast<WPARAM>(index), Ptr(item)); }
  int DeleteString(UINT index) { return Int(CB_DELETESTRING, index); }
  void ResetContent() { Send(CB_RESETCONTENT); }
  int FindString(int startAfter, LPCSTR item) const { return Int(CB_FINDSTRING, static_cast<WPARAM>(startAfter), Ptr(item)); }
  int FindStringExact(int startAfter, LPCSTR item) const {
    return Int(CB_FINDSTRINGEXACT, static_cast<WPARAM>(startAfter), Ptr(item));
  }
  int SelectString(int startAfter, LPCSTR item) { return Int(CB_SELECTSTRING, static_cast<WPARAM>(startAfter), Ptr(item)); }
};

class CImageList;

// The extended combo box: items with images and indentation. The item calls take the control's own
// COMBOBOXEXITEM; the list calls of CComboBox that make sense on it (count, selection) are inherited.
class CComboBoxEx : public CComboBox {
  DECLARE_DYNAMIC(CComboBoxEx)

public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(WC_COMBOBOXEXA, nullptr, style, rect, parent, id);
  }
  int InsertItem(const COMBOBOXEXITEMA* item) { return Int(CBEM_INSERTITEMA, 0, Ptr(item)); }
  int DeleteItem(int index) { return Int(CBEM_DELETEITEM, static_cast<WPARAM>(index)); }
  BOOL GetItem(COMBOBOXEXITEMA* item) const { return Int(CBEM_GETITEMA, 0, Ptr(item)); }
  BOOL SetItem(const COMBOBOXEXITEMA* item) { return Int(CBEM_SETITEMA, 0, Ptr(item)); }
  HIMAGELIST SetImageList(HIMAGELIST images) {
    return reinterpret_cast<HIMAGELIST>(Send(CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images)));
  }
  HIMAGELIST GetImageList() const { return reinterpret_cast<HIMAGELIST>(Send(CBEM_GETIMAGELIST)); }
  // The inner combo box and its edit part, as plain window objects (temporary ones unless attached):
  // an object of a control class would have to be attached by the caller.
  CWnd* GetComboBoxCtrl() const { return FromHandle(reinterpret_cast<HWND>(Send(CBEM_GETCOMBOCONTROL))); }
  CWnd* GetEditCtrl() const { return FromHandle(reinterpret_cast<HWND>(Send(CBEM_GETEDITCONTROL))); }
  BOOL HasEditChanged() const { return Int(CBEM_HASEDITCHANGED); }
};

class CScrollBar : public CControlWnd {
  DECLARE_DYNAMIC(CScrollBar)

public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create("ScrollBar", nullptr, style, rect, parent, id);
  }
  int GetScrollPos() const { return static_cast<int>(Send(SBM_GETPOS)); }
  int SetScrollPos(int pos, BOOL redraw = TRUE) { return static_cast<int>(Send(SBM_SETPOS, static_cast<WPARAM>(pos), redraw)); }
  void GetScrollRange(LPINT min, LPINT max) const {
    Send(SBM_GETRANGE, reinterpret_cast<WPARAM>(min), reinterpret_cast<LPARAM>(max));
  }
  void SetScrollRange(int min, int max, BOOL redraw = TRUE) {
    Send(redraw ? SBM_SETRANGEREDRAW : SBM_SETRANGE, static_cast<WPARAM>(min), max);
  }
  BOOL SetScrollInfo(LPSCROLLINFO info, BOOL redraw = TRUE) {
    if (!info) return FALSE;
    Send(SBM_SETSCROLLINFO, redraw, reinterpret_cast<LPARAM>(info));
    return TRUE;
  }
  BOOL GetScrollInfo(LPSCROLLINFO info, UINT mask = SIF_ALL) const {
    info->cbSize = sizeof(SCROLLINFO);
    info->fMask = mask;
    return static_cast<BOOL>(Send(SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(info)));
  }
  BOOL EnableScrollBar(UINT arrows = ESB_ENABLE_BOTH) { return static_cast<BOOL>(Send(SBM_ENABLE_ARROWS, arrows)); }
};

class CToolTipCtrl : public CControlWnd {
  DECLARE_DYNAMIC(CToolTipCtrl)

public:
  // A pop-up owned by `parent`'s window.
  BOOL Create(CWnd* parent, DWORD style = 0);
  void Activate(BOOL activate) { Send(TTM_ACTIVATE, activate); }
  // A tool over a rectangle of `window`, or (a null rectangle) over the whole of it.
  BOOL AddTool(CWnd* window, LPCSTR text = LPSTR_TEXTCALLBACKA, const RECT* toolRect = nullptr, UINT_PTR toolId = 0);
  BOOL AddTool(const TOOLINFOA* info) { return static_cast<BOOL>(Send(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(info))); }
  void DelTool(CWnd* window, UINT_PTR toolId = 0);
  BOOL GetToolInfo(TOOLINFOA* info) const {
    return static_cast<BOOL>(Send(TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(info)));
  }
  void SetToolInfo(const TOOLINFOA* info) { Send(TTM_SETTOOLINFOA, 0, reinterpret_cast<LPARAM>(info)); }
  void UpdateTipText(LPCSTR text, CWnd* window, UINT_PTR toolId = 0);
  int GetToolCount() const { return static_cast<int>(Send(TTM_GETTOOLCOUNT)); }
  void RelayEvent(LPMSG msg) { Send(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }
  void Pop() { Send(TTM_POP); }
  void Update() { Send(TTM_UPDATE); }
  void SetDelayTime(UINT delay) { Send(TTM_SETDELAYTIME, TTDT_AUTOMATIC, static_cast<LPARAM>(delay)); }
  void SetDelayTime(DWORD which, int delay) { Send(TTM_SETDELAYTIME, which, delay); }
  int GetDelayTime(DWORD which) const { return static_cast<int>(Send(TTM_GETDELAYTIME, which)); }
  int SetMaxTipWidth(int width) { return static_cast<int>(Send(TTM_SETMAXTIPWIDTH, 0, width)); }
  int GetMaxTipWidth() const { return static_cast<int>(Send(TTM_GETMAXTIPWIDTH)); }
  void SetTipBkColor(COLORREF colour) { Send(TTM_SETTIPBKCOLOR, colour); }
  COLORREF GetTipBkColor() const { return static_cast<COLORREF>(Send(TTM_GETTIPBKCOLOR)); }
  void SetTipTextColor(COLORREF colour) { Send(TTM_SETTIPTEXTCOLOR, colour); }
  COLORREF GetTipTextColor() const { return static_cast<COLORREF>(Send(TTM_GETTIPTEXTCOLOR)); }
  void SetMargin(LPRECT rect) { Send(TTM_SETMARGIN, 0, reinterpret_cast<LPARAM>(rect)); }
  void GetMargin(LPRECT rect) const { Send(TTM_GETMARGIN, 0, reinterpret_cast<LPARAM>(rect)); }
  void TrackActivate(BOOL activate, const TOOLINFOA* info) {
    Send(TTM_TRACKACTIVATE, activate, reinterpret_cast<LPARAM>(info));
  }
  void TrackPosition(int x, int y) { Send(TTM_TRACKPOSITION, 0, MAKELPARAM(x, y)); }

private:
  void FillInfo(TOOLINFOA& info, CWnd* window, UINT_PTR toolId) const;
};

class CProgressCtrl : public CControlWnd {
  DECLARE_DYNAMIC(CProgressCtrl)

public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(PROGRESS_CLASSA, nullptr, style, rect, parent, id);
  }
  void SetRange(short lower, short upper) { SetRange32(lower, upper); }
  void SetRange32(int lower, int upper) { Send(PBM_SETRANGE32, static_cast<WPARAM>(lower), upper); }
  void GetRange(int& lower, int& upper) const {
    PBRANGE range{};
    Send(PBM_GETRANGE, 0, reinterpret_cast<LPARAM>(&range));
    lower = range.iLow;
    upper = range.iHigh;
  }
  int GetPos() const { return static_cast<int>(Send(PBM_GETPOS)); }
  int SetPos(int pos) { return static_cast<int>(Send(PBM_SETPOS, static_cast<WPARAM>(pos))); }
  int OffsetPos(int delta) { return static_cast<int>(Send(PBM_DELTAPOS, static_cast<WPARAM>(delta))); }
  int SetStep(int step) { return static_cast<int>(Send(PBM_SETSTEP, static_cast<WPARAM>(step))); }
  int StepIt() { return static_cast<int>(Send(PBM_STEPIT)); }
  COLORREF SetBarColor(COLORREF colour) { return static_cast<COLORREF>(Send(PBM_SETBARCOLOR, 0, colour)); }
  COLORREF SetBkColor(COLORREF colour) { return static_cast<COLORREF>(Send(PBM_SETBKCOLOR, 0, colour)); }
};

// A message box owned by the application's main window (or the active one when there is none yet),
// captioned with the application's name. The string-id form loads the text from the resources.
int AfxMessageBox(LPCSTR text, UINT type = MB_OK, UINT helpId = 0);
int AfxMessageBox(UINT stringId, UINT type = MB_OK, UINT helpId = UINT(-1));

// The common controls' objects: list view and header, date-time picker and month calendar.
#include <framework/ListCtrl.h>
#include <framework/DateTimeCtrl.h>
