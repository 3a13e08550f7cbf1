#pragma once
// Objects that receive commands, and the message maps through which every window and command
// target of the class library is told about messages.
//
// A message map is a static table per class, with a link to its base class's table: the class
// overrides GetMessageMap and builds its table once, naming the base's map by a qualified call:
//
//   const AFX_MSGMAP* CMyView::GetMessageMap() const {
//     static const AFX_MSGMAP map{CView::GetMessageMap(), {
//         MapMessage(WM_SIZE, &CMyView::OnSize),          // LRESULT OnSize(WPARAM, LPARAM)
//         MapCommand(ID_FILE_OPEN, &CMyView::OnFileOpen),  // void OnFileOpen()
//         OnUpdateCommandUI(ID_FILE_OPEN, &CMyView::OnUpdateFileOpen),
//         OnNotify(NM_CLICK, IDC_LIST, &CMyView::OnClickList),
//     }};
//     return &map;
//   }
//
// Maps are searched from the most derived class to the base; the first entry that matches handles
// the message. A message no entry takes goes to the window's default processing (the window
// procedure that was there before the object attached itself). The helpers take the handler's
// class from the member pointer, so an entry cannot name a handler of an unrelated class.
#include <framework/Object.h>

#include <user/User.h>

#include <functional>
#include <initializer_list>
#include <vector>

class CCmdTarget;
class CCmdUI;
class CDC;
class CWnd;

// Command codes of OnCmdMsg beside the controls' own notification codes.
constexpr int CN_COMMAND = 0;                // a menu entry, an accelerator, or BN_CLICKED
constexpr int CN_UPDATE_COMMAND_UI = -1;     // asks whether a command is enabled (pExtra: CCmdUI*)
// A control's own message, sent back to it by its parent: WM_REFLECT_BASE + the message.
constexpr UINT WM_REFLECT_BASE = 0xBC00;
// The reflected WM_CTLCOLORxxx messages all come as this one message.
constexpr UINT WM_CTLCOLOR = 0x0019;
// The class library's private messages.
constexpr UINT WM_IDLEUPDATECMDUI = 0x0363;
constexpr UINT WM_INITIALUPDATE = 0x0364;
constexpr UINT WM_KICKIDLE = 0x036A;

// What a handler is called with.
struct AFX_CALL {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  UINT id;          // the command or control id for command and notification entries
  void* extra;      // CCmdUI* for an update, NMHDR* for a notification
  LRESULT* result;  // where a handler puts its answer
};

// One entry of a message map; made by the helpers below.
struct AFX_MSGMAP_ENTRY {
  UINT nMessage;  // the message; WM_COMMAND or WM_NOTIFY for command entries; WM_REFLECT_BASE + x reflected
  int nCode;      // the notification code of WM_COMMAND and WM_NOTIFY entries, CN_COMMAND, CN_UPDATE_COMMAND_UI
  UINT nID;       // the first command or control id (0 for plain messages and reflected ones)
  UINT nLastID;
  // Calls the handler; FALSE when the handler declined (only the ...Ex kinds and reflected colours can).
  std::function<BOOL(CCmdTarget&, AFX_CALL&)> call;
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* pBaseMap;  // null for CCmdTarget's own
  std::vector<AFX_MSGMAP_ENTRY> entries;
};

// Extra data of a WM_NOTIFY command.
struct AFX_NOTIFY {
  LRESULT* pResult;
  NMHDR* pNMHDR;
};

class CCmdTarget : public CObject {
  DECLARE_DYNAMIC(CCmdTarget)

public:
  CCmdTarget() = default;

  // Routes a command (nCode CN_COMMAND, CN_UPDATE_COMMAND_UI or a control's notification code, or
  // MAKELONG(code, WM_NOTIFY)) to this object's map; frames, views and documents pass it on to the
  // objects behind them. TRUE when an entry took it.
  virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo);
  virtual const AFX_MSGMAP* GetMessageMap() const;

protected:
  // The first entry of this object's maps (most derived first) that matches, or null.
  const AFX_MSGMAP_ENTRY* FindEntry(UINT message, int code, UINT id) const;
};

// Asks a command's handlers whether it is enabled, checked or named otherwise; the menu entry (or
// the window) being updated is changed by the calls.
class CCmdUI {
public:
  virtual ~CCmdUI() = default;
  virtual void Enable(BOOL on = TRUE);
  virtual void SetCheck(int check = 1);
  virtual void SetRadio(BOOL on = TRUE);
  virtual void SetText(LPCSTR text);
  // Routes the update to `target`; with `disableIfNoHandler` a menu command nobody handles is greyed.
  BOOL DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler);

  UINT m_nID = 0;
  UINT m_nIndex = 0;                // position in m_pMenu
  HMENU m_pMenu = nullptr;          // the menu being updated, or null
  CWnd* m_pOther = nullptr;         // the window being updated, or null
  BOOL m_bEnableChanged = FALSE;    // a handler called Enable
  BOOL m_bContinueRouting = FALSE;
  BOOL m_bEnabled = TRUE;           // what the last Enable said (for callers without a menu or window)
};

// ---- Message-map entries ----------------------------------------------------------------------

// A message with its raw parameters; the handler's answer is the message's result.
template <class T>
AFX_MSGMAP_ENTRY MapMessage(UINT message, LRESULT (T::*handler)(WPARAM, LPARAM)) {
  return {message, 0, 0, 0, [handler](CCmdTarget& t, AFX_CALL& c) {
            *c.result = (static_cast<T&>(t).*handler)(c.wParam, c.lParam);
            return TRUE;
          }};
}
// A message whose parameters the handler does not need; the result is 0.
template <class T>
AFX_MSGMAP_ENTRY MapMessage(UINT message, void (T::*handler)()) {
  return {message, 0, 0, 0, [handler](CCmdTarget& t, AFX_CALL& c) {
            (static_cast<T&>(t).*handler)();
            *c.result = 0;
            return TRUE;
          }};
}
// A menu command, an accelerator, or a button's click (BN_CLICKED is CN_COMMAND).
template <class T>
AFX_MSGMAP_ENTRY MapCommand(UINT id, void (T::*handler)()) {
  return {WM_COMMAND, CN_COMMAND, id, id, [handler](CCmdTarget& t, AFX_CALL&) {
            (static_cast<T&>(t).*handler)();
            return TRUE;
          }};
}
template <class T>
AFX_MSGMAP_ENTRY MapCommandRange(UINT firstId, UINT lastId, void (T::*handler)(UINT)) {
  return {WM_COMMAND, CN_COMMAND, firstId, lastId, [handler](CCmdTarget& t, AFX_CALL& c) {
            (static_cast<T&>(t).*handler)(c.id);
            return TRUE;
          }};
}
template <class T>
AFX_MSGMAP_ENTRY MapUpdateCommandUI(UINT id, void (T::*handler)(CCmdUI*)) {
  return {WM_COMMAND, CN_UPDATE_COMMAND_UI, id, id, [handler](CCmdTarget& t, AFX_CALL& c) {
            (static_cast<T&>(t).*handler)(static_cast<CCmdUI*>(c.extra));
            return TRUE;
          }};
}
// A control's WM_COMMAND notification (EN_CHANGE, LBN_SELCHANGE, BN_DOUBLECLICKED...), at its parent.
template <class T>
AFX_MSGMAP_ENTRY MapControl(WORD code, UINT id, void (T::*handler)()) {
  return {WM_COMMAND, code, id, id, [handler](CCmdTarget& t, AFX_CALL&) {
            (static_cast<T&>(t).*handler)();
            return TRUE;
          }};
}
// A control's WM_NOTIFY, at its parent; the handler sets *result.
template <class T>
AFX_MSGMAP_ENTRY MapNotify(UINT code, UINT id, void (T::*handler)(NMHDR*, LRESULT*)) {
  return {WM_NOTIFY, static_cast<int>(LOWORD(code)), id, id, [handler](CCmdTarget& t, AFX_CALL& c) {
            (static_cast<T&>(t).*handler)(static_cast<NMHDR*>(c.extra), c.result);
            return TRUE;
          }};
}
// The control's own WM_COMMAND notification, handled by the control's object: the parent then
// does not see it.
template <class T>
AFX_MSGMAP_ENTRY MapControlReflect(WORD code, void (T::*handler)()) {
  return {WM_REFLECT_BASE + WM_COMMAND, code, 0, 0, [handler](CCmdTarget& t, AFX_CALL& c) {
            (static_cast<T&>(t).*handler)();
            *c.result = 0;
            return TRUE;
          }};
}
// The control's own WM_NOTIFY.
template <class T>
AFX_MSGMAP_ENTRY MapNotifyReflect(UINT code, void (T::*handler)(NMHDR*, LRESULT*)) {
  return {WM_REFLECT_BASE + WM_NOTIFY, static_cast<int>(LOWORD(code)), 0, 0, [handler](CCmdTarget& t, AFX_CALL& c) {
            (static_cast<T&>(t).*handler)(static_cast<NMHDR*>(c.extra), c.result);
            return TRUE;
          }};
}
// The control's own WM_CTLCOLORxxx: a brush to paint it with, or null to let the parent answer.
template <class T>
AFX_MSGMAP_ENTRY MapCtlColorReflect(HBRUSH (T::*handler)(CDC*, UINT)) {
  return {WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0, 0, [handler](CCmdTarget& t, AFX_CALL& c) {
            HBRUSH brush = (static_cast<T&>(t).*handler)(reinterpret_cast<CDC*>(c.extra), static_cast<UINT>(c.id));
            *c.result = reinterpret_cast<LRESULT>(brush);
            return brush != nullptr;
          }};
}
// Any other message the parent reflects (WM_DRAWITEM, WM_MEASUREITEM, WM_HSCROLL...), with its raw
// parameters.
template <class T>
AFX_MSGMAP_ENTRY MapReflect(UINT message, LRESULT (T::*handler)(WPARAM, LPARAM)) {
  return {WM_REFLECT_BASE + message, 0, 0, 0, [handler](CCmdTarget& t, AFX_CALL& c) {
            *c.result = (static_cast<T&>(t).*handler)(c.wParam, c.lParam);
            return TRUE;
          }};
}
