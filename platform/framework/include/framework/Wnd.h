#pragma once
// CWnd: the class library's window object. One object per window per thread, found from the handle
// (FromHandle). An object is attached to a window it creates before the window's first message (so
// its map sees WM_NCCREATE and WM_CREATE), or to an existing window by subclassing; it then gets
// every message of the window through its message map, and what the map leaves goes to the window
// procedure that was there before (Default).
//
// Messages a control sends its parent about itself (WM_COMMAND and WM_NOTIFY notifications,
// WM_CTLCOLORxxx, WM_DRAWITEM, WM_MEASUREITEM, WM_HSCROLL, WM_VSCROLL...) are first offered back to
// the control's own object (its WM_REFLECT_BASE entries); the parent's map sees them only when the
// control did not take them.
//
// Threads: a window object is used on the thread that owns its window.
#include <framework/CmdTarget.h>
#include <framework/String.h>

#include <controls/MessageBox.h>
#include <user/User.h>

class CMenu;
class CFont;
class CFrameWnd;
class CDC;
class CRgn;

constexpr UINT CTLCOLOR_MSGBOX = 0;
constexpr UINT CTLCOLOR_EDIT = 1;
constexpr UINT CTLCOLOR_LISTBOX = 2;
constexpr UINT CTLCOLOR_BTN = 3;
constexpr UINT CTLCOLOR_DLG = 4;
constexpr UINT CTLCOLOR_SCROLLBAR = 5;
constexpr UINT CTLCOLOR_STATIC = 6;

// RunModalLoop's flags.
constexpr DWORD MLF_NOIDLEMSG = 0x0001;   // no WM_ENTERIDLE to the parent
constexpr DWORD MLF_NOKICKIDLE = 0x0002;  // no WM_KICKIDLE to the window
constexpr DWORD MLF_SHOWONIDLE = 0x0004;  // show the window when the queue first runs dry

class CWnd : public CCmdTarget {
  DECLARE_DYNCREATE(CWnd)

public:
  CWnd() = default;
  // Destroys a window the object still holds as its own (a window it created or subclassed).
  ~CWnd() override;

  HWND m_hWnd = nullptr;
  operator HWND() const { return m_hWnd; }
  HWND GetSafeHwnd() const { return m_hWnd; }

  // The calling thread's object for `window`: its own one, else a temporary object that lives until
  // the thread's next idle time. Null for a null handle.
  static CWnd* FromHandle(HWND window);
  // Only an object attached for good (created, attached or subclassed), else null.
  static CWnd* FromHandlePermanent(HWND window);

  // Creation. The class name null means the library's plain class. FALSE when the window could not
  // be made (or its WM_CREATE refused).
  virtual BOOL Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                      void* context = nullptr);
  BOOL CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                int height, HWND parent, HMENU menuOrId, void* param = nullptr);
  virtual BOOL DestroyWindow();
  // Lets a class change the creation values (style, class...) before the window is made.
  virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);

  // Attach takes the window without changing its procedure (the object then sees only what is
  // routed to it: reflections, commands, PreTranslateMessage); Detach lets go of it.
  BOOL Attach(HWND window);
  HWND Detach();
  // The object takes the window's messages: its procedure becomes the class library's, and the one
  // it replaces is what Default calls. Chains of subclassing with other procedures unwind in any
  // order: UnsubclassWindow puts the previous procedure back when the class library's is the
  // window's current one, and otherwise stays a link in the chain that passes messages on.
  BOOL SubclassWindow(HWND window);
  BOOL SubclassDlgItem(UINT id, CWnd* parent);
  HWND UnsubclassWindow();
  virtual void PreSubclassWindow();

  // Message handling.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // The default processing of the message being handled now.
  LRESULT Default();
  // The message the calling thread is handling now (the last one sent to a window object).
  static const MSG* GetCurrentMessage();
  virtual BOOL PreTranslateMessage(MSG* msg);
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
  // A control's own message sent back to it by its parent; TRUE when the control took it.
  virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  // Offers the current message to the object of `child`.
  static BOOL ReflectLastMsg(HWND child, LRESULT* result = nullptr);
  // Called after the window's last message (WM_NCDESTROY), when the object holds no window any more.
  virtual void PostNcDestroy();

  // A modal loop on this window (the shared message step, idle kicks, WM_ENTERIDLE to the parent),
  // until EndModalLoop; returns its result, or -1 when WM_QUIT ended it (WM_QUIT is posted again).
  virtual int RunModalLoop(DWORD flags = 0);
  virtual BOOL ContinueModal();
  virtual void EndModalLoop(int result);

  // Thin forms of the window functions.
  BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
  BOOL UpdateWindow() { return ::UpdateWindow(m_hWnd); }
  void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
  void InvalidateRect(const RECT* rect, BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, rect, erase); }
  void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE) {
    ::MoveWindow(m_hWnd, x, y, width, height, repaint);
  }
  void MoveWindow(const RECT& rect, BOOL repaint = TRUE) {
    ::MoveWindow(m_hWnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint);
  }
  BOOL SetWindowPos(const CWnd* after, int x, int y, int cx, int cy, UINT flags);
  void GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }
  void GetWindowRect(LPRECT rect) const { ::GetWindowRect(m_hWnd, rect); }
  void ClientToScreen(LPPOINT point) const { ::ClientToScreen(m_hWnd, point); }
  void ScreenToClient(LPPOINT point) const { ::ScreenToClient(m_hWnd, point); }
  void ScreenToClient(LPRECT rect) const;
  BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
  BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
  BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
  CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
  CWnd* GetOwner() const;
  void SetOwner(CWnd* owner) { m_hWndOwner = owner ? owner->m_hWnd : nullptr; }
  CWnd* GetTopLevelParent() const;
  CFrameWnd* GetParentFrame() const;
  CWnd* GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
  void GetDlgItem(int id, HWND* window) const { *window = ::GetDlgItem(m_hWnd, id); }
  int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
  int SetDlgCtrlID(int id) { return static_cast<int>(::SetWindowLongPtrA(m_hWnd, GWLP_ID, id)); }
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
  }
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
  }
  // Sends the message to every descendant (children first level first), optionally deep. With
  // `onlyPermanent`, only to descendants that have a window object of the calling thread: a window
  // of another thread or process (a program hosted in this window) is walked through, not asked.
  void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0, BOOL deep = TRUE,
                                BOOL onlyPermanent = FALSE);
  void SetWindowText(LPCSTR text) { ::SetWindowTextA(m_hWnd, text); }
  void GetWindowText(CString& text) const;
  int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
  DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)); }
  DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_EXSTYLE)); }
  BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
  BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags = 0);
  void SetFont(CFont* font, BOOL redraw = TRUE);
  CFont* GetFont() const;
  UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc = nullptr) { return ::SetTimer(m_hWnd, id, elapse, proc); }
  BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
  CWnd* SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
  static CWnd* GetFocus() { return FromHandle(::GetFocus()); }
  CMenu* GetMenu() const;
  BOOL SetMenu(CMenu* menu);
  void CenterWindow(CWnd* alternateOwner = nullptr);

  // Painting. GetDC's object is temporary (freed at idle); hand it back with ReleaseDC.
  CDC* GetDC();
  CDC* GetWindowDC();
  int ReleaseDC(CDC* dc);
  BOOL RedrawWindow(LPCRECT rect = nullptr, CRgn* region = nullptr,
                    UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
  BOOL LockWindowUpdate() { return ::LockWindowUpdate(m_hWnd); }
  void UnlockWindowUpdate() { ::LockWindowUpdate(nullptr); }
  void ValidateRect(LPCRECT rect) { ::ValidateRect(m_hWnd, rect); }
  void InvalidateRgn(CRgn* region, BOOL erase = TRUE);
  BOOL GetUpdateRect(LPRECT rect, BOOL erase = FALSE) { return ::GetUpdateRect(m_hWnd, rect, erase); }
  // WM_SETREDRAW: FALSE stops the window from being redrawn until it is set back.
  void SetRedraw(BOOL redraw = TRUE) { SendMessage(WM_SETREDRAW, redraw); }

  // The system message box owned by this window; no caption means the application's name.
  int MessageBox(LPCSTR text, LPCSTR caption = nullptr, UINT type = MB_OK);

  // Dialog items.
  void CheckDlgButton(int id, UINT check) { ::CheckDlgButton(m_hWnd, id, check); }
  UINT IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id); }
  void CheckRadioButton(int firstId, int lastId, int checkId) { ::CheckRadioButton(m_hWnd, firstId, lastId, checkId); }
  // The id of the checked button of the group firstId..lastId, 0 when none is checked.
  int GetCheckedRadioButton(int firstId, int lastId) const;
  void SetDlgItemText(int id, LPCSTR text) { ::SetDlgItemTextA(m_hWnd, id, text); }
  int GetDlgItemText(int id, LPSTR buffer, int bufferMax) const {
    return static_cast<int>(::GetDlgItemTextA(m_hWnd, id, buffer, bufferMax));
  }
  int GetDlgItemText(int id, CString& text) const;
  void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE) { ::SetDlgItemInt(m_hWnd, id, value, isSigned); }
  UINT GetDlgItemInt(int id, BOOL* translated = nullptr, BOOL isSigned = TRUE) const {
    return ::GetDlgItemInt(m_hWnd, id, translated, isSigned);
  }
  LRESULT SendDlgItemMessage(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendDlgItemMessageA(m_hWnd, id, message, wParam, lParam);
  }
  CWnd* GetNextDlgTabItem(CWnd* control, BOOL previous = FALSE) const {
    return FromHandle(::GetNextDlgTabItem(m_hWnd, control ? control->m_hWnd : nullptr, previous));
  }
  CWnd* GetNextDlgGroupItem(CWnd* control, BOOL previous = FALSE) const {
    return FromHandle(::GetNextDlgGroupItem(m_hWnd, control ? control->m_hWnd : nullptr, previous));
  }

  // State, order and relations.
  CMenu* GetSystemMenu(BOOL revert) const;
  BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
  BOOL IsZoomed() const { return ::IsZoomed(m_hWnd); }
  BOOL IsChild(const CWnd* window) const { return window && ::IsChild(m_hWnd, window->m_hWnd); }
  CWnd* GetWindow(UINT command) const { return FromHandle(::GetWindow(m_hWnd, command)); }
  CWnd* GetTopWindow() const { return FromHandle(::GetTopWindow(m_hWnd)); }
  CWnd* GetNextWindow(UINT command = GW_HWNDNEXT) const { return FromHandle(::GetWindow(m_hWnd, command)); }
  CWnd* SetParent(CWnd* newParent) { return FromHandle(::SetParent(m_hWnd, newParent ? newParent->m_hWnd : nullptr)); }
  void BringWindowToTop() { ::BringWindowToTop(m_hWnd); }
  BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
  static CWnd* GetForegroundWindow() { return FromHandle(::GetForegroundWindow()); }
  CWnd* SetActiveWindow() { return FromHandle(::SetActiveWindow(m_hWnd)); }
  static CWnd* GetActiveWindow() { return FromHandle(::GetActiveWindow()); }
  void DrawMenuBar() { ::DrawMenuBar(m_hWnd); }
  BOOL GetWindowPlacement(WINDOWPLACEMENT* placement) const { return ::GetWindowPlacement(m_hWnd, placement); }

  // Mouse capture; ReleaseCapture is the window manager's own call.
  CWnd* SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
  static CWnd* GetCapture() { return FromHandle(::GetCapture()); }

  // Coordinates.
  void ClientToScreen(LPRECT rect) const;
  void MapWindowPoints(CWnd* to, LPPOINT points, UINT count) const {
    ::MapWindowPoints(m_hWnd, to ? to->m_hWnd : nullptr, points, count);
  }
  void MapWindowPoints(CWnd* to, LPRECT rect) const {
    ::MapWindowPoints(m_hWnd, to ? to->m_hWnd : nullptr, reinterpret_cast<LPPOINT>(rect), 2);
  }
  CWnd* ChildWindowFromPoint(POINT point) const { return FromHandle(::ChildWindowFromPoint(m_hWnd, point)); }
  static CWnd* WindowFromPoint(POINT point) { return FromHandle(::WindowFromPoint(point)); }

  // Scroll bars (SB_HORZ, SB_VERT of the window; SB_CTL when the window is a scroll bar).
  BOOL GetScrollInfo(int bar, LPSCROLLINFO info, UINT mask = SIF_ALL);
  BOOL SetScrollInfo(int bar, LPSCROLLINFO info, BOOL redraw = TRUE) {
    ::SetScrollInfo(m_hWnd, bar, info, redraw);
    return TRUE;
  }
  int GetScrollPos(int bar) const { return ::GetScrollPos(m_hWnd, bar); }
  int SetScrollPos(int bar, int position, BOOL redraw = TRUE) { return ::SetScrollPos(m_hWnd, bar, position, redraw); }
  void SetScrollRange(int bar, int minimum, int maximum, BOOL redraw = TRUE) {
    ::SetScrollRange(m_hWnd, bar, minimum, maximum, redraw);
  }
  void GetScrollRange(int bar, LPINT minimum, LPINT maximum) const { ::GetScrollRange(m_hWnd, bar, minimum, maximum); }
  // The largest position the bar can take (its range less the page).
  int GetScrollLimit(int bar);
  void ShowScrollBar(UINT bar, BOOL show = TRUE) { ::ShowScrollBar(m_hWnd, static_cast<int>(bar), show); }
  BOOL EnableScrollBar(int bar, UINT arrows = ESB_ENABLE_BOTH) {
    return ::EnableScrollBar(m_hWnd, static_cast<UINT>(bar), arrows);
  }

  // Frees the calling thread's temporary objects (those FromHandle made for windows without one).
  static void DeleteTempMap();

protected:
  HWND m_hWndOwner = nullptr;  // the owner that commands and notifications report to, when set
  int m_nModalResult = -1;
  DWORD m_nFlags = 0;

  friend class CWinThread;
  friend LRESULT AfxWndProc(HWND, UINT, WPARAM, LPARAM);
  friend struct AfxWindowHook;
};

// Makes a message the calling thread's current one (what GetCurrentMessage and Default see) for
// the life of the object, and puts the previous one back after: for window procedures of the
// program's own that hand messages to window objects.
class CCurrentMessage {
public:
  CCurrentMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  ~CCurrentMessage();
  CCurrentMessage(const CCurrentMessage&) = delete;
  CCurrentMessage& operator=(const CCurrentMessage&) = delete;

private:
  MSG m_previous;
};

// The class library's window procedure: hands every message of a window to its object.
LRESULT AfxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A window class of the given look, registered once per look; its name.
LPCSTR AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                           HICON icon = nullptr);

// m_nFlags bits.
constexpr DWORD WF_MODALLOOP = 0x0001;     // in RunModalLoop
constexpr DWORD WF_CONTINUEMODAL = 0x0002; // the modal loop goes on
