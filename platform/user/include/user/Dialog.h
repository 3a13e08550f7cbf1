#pragma once
// Dialogs from templates (DLGTEMPLATE and DLGTEMPLATEEX bytes, as the resource compiler writes them),
// the dialog manager's keys, and the dialog item functions.
//
// Dialog units follow the template's font: a horizontal unit is a quarter of the font's average
// character width, a vertical one an eighth of its height. Controls are created by class name; a
// class that is not registered fails the dialog (NULL, ERROR_CANNOT_FIND_WND_CLASS) unless the
// template has DS_NOFAILCREATE.
#include <base/WinDef.h>
#include <user/Window.h>

struct DLGTEMPLATE;  // template bytes; read field by field, never as a structure
using LPCDLGTEMPLATEA = const DLGTEMPLATE*;
using LPCDLGTEMPLATE = LPCDLGTEMPLATEA;

using DLGPROC = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
constexpr int IDCLOSE = 8;
constexpr int IDHELP = 9;

constexpr UINT DM_GETDEFID = WM_USER + 0;
constexpr UINT DM_SETDEFID = WM_USER + 1;
constexpr UINT DM_REPOSITION = WM_USER + 2;
constexpr WORD DC_HASDEFID = 0x534B;

// WM_GETDLGCODE answers.
constexpr LRESULT DLGC_WANTARROWS = 0x0001;
constexpr LRESULT DLGC_WANTTAB = 0x0002;
constexpr LRESULT DLGC_WANTALLKEYS = 0x0004;
constexpr LRESULT DLGC_WANTMESSAGE = 0x0004;
constexpr LRESULT DLGC_HASSETSEL = 0x0008;
constexpr LRESULT DLGC_DEFPUSHBUTTON = 0x0010;
constexpr LRESULT DLGC_UNDEFPUSHBUTTON = 0x0020;
constexpr LRESULT DLGC_RADIOBUTTON = 0x0040;
constexpr LRESULT DLGC_WANTCHARS = 0x0080;
constexpr LRESULT DLGC_STATIC = 0x0100;
constexpr LRESULT DLGC_BUTTON = 0x2000;

// Button messages and states the dialog manager uses (the button class itself is a control's).
constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr UINT BM_GETSTATE = 0x00F2;
constexpr UINT BM_SETSTATE = 0x00F3;
constexpr UINT BM_SETSTYLE = 0x00F4;
constexpr UINT BM_CLICK = 0x00F5;
constexpr UINT BST_UNCHECKED = 0x0000;
constexpr UINT BST_CHECKED = 0x0001;
constexpr UINT BST_INDETERMINATE = 0x0002;
constexpr DWORD BS_PUSHBUTTON = 0x00000000;
constexpr DWORD BS_DEFPUSHBUTTON = 0x00000001;
constexpr DWORD BS_TYPEMASK = 0x0000000F;
// Notification codes of WM_COMMAND's high word that the dialog manager sends for buttons.
constexpr WORD BN_CLICKED = 0;

HWND CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC dialogProc, LPARAM initParam);
inline HWND CreateDialogParam(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC dialogProc,
                              LPARAM initParam) {
  return CreateDialogParamA(instance, templateName, parent, dialogProc, initParam);
}
inline HWND CreateDialogA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC dialogProc) {
  return CreateDialogParamA(instance, templateName, parent, dialogProc, 0);
}
inline HWND CreateDialog(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC dialogProc) {
  return CreateDialogParamA(instance, templateName, parent, dialogProc, 0);
}
HWND CreateDialogIndirectParamA(HINSTANCE instance, LPCDLGTEMPLATEA dialogTemplate, HWND parent,
                                DLGPROC dialogProc, LPARAM initParam);
inline HWND CreateDialogIndirectParam(HINSTANCE instance, LPCDLGTEMPLATEA dialogTemplate, HWND parent,
                                      DLGPROC dialogProc, LPARAM initParam) {
  return CreateDialogIndirectParamA(instance, dialogTemplate, parent, dialogProc, initParam);
}
inline HWND CreateDialogIndirect(HINSTANCE instance, LPCDLGTEMPLATEA dialogTemplate, HWND parent,
                                 DLGPROC dialogProc) {
  return CreateDialogIndirectParamA(instance, dialogTemplate, parent, dialogProc, 0);
}

// Modal: disables the owner (the top-level window of `parent`), runs a message loop until EndDialog,
// enables the owner again and destroys the dialog. Returns EndDialog's result, -1 when the dialog
// could not be created.
INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC dialogProc, LPARAM initParam);
inline INT_PTR DialogBoxParam(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC dialogProc,
                              LPARAM initParam) {
  return DialogBoxParamA(instance, templateName, parent, dialogProc, initParam);
}
INT_PTR DialogBoxIndirectParamA(HINSTANCE instance, LPCDLGTEMPLATEA dialogTemplate, HWND parent,
                                DLGPROC dialogProc, LPARAM initParam);
inline INT_PTR DialogBoxIndirectParam(HINSTANCE instance, LPCDLGTEMPLATEA dialogTemplate, HWND parent,
                                      DLGPROC dialogProc, LPARAM initParam) {
  return DialogBoxIndirectParamA(instance, dialogTemplate, parent, dialogProc, initParam);
}
// Ends a modal dialog's loop with `result` (the dialog is hidden at once and destroyed by the loop).
BOOL EndDialog(HWND dialog, INT_PTR result);

// The dialog class's window procedure: calls the dialog procedure first, and does the default
// handling when it answers FALSE.
LRESULT DefDlgProcA(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
inline LRESULT DefDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefDlgProcA(dialog, message, wParam, lParam);
}

// Handles a message meant for `dialog` or its controls the way the dialog manager does: Tab and
// Shift+Tab move among WS_TABSTOP controls, arrows within a WS_GROUP group, Enter presses the default
// button, Escape sends IDCANCEL, Alt+letter a control's mnemonic; controls claim keys through
// WM_GETDLGCODE. TRUE when the message was handled (it must then not be dispatched again).
BOOL IsDialogMessageA(HWND dialog, LPMSG message);
inline BOOL IsDialogMessage(HWND dialog, LPMSG message) { return IsDialogMessageA(dialog, message); }

// The system font's dialog base units: 8 pixels wide (low word), 16 high (high word), unless a
// test chose others (SetSystemDialogBaseUnits).
LONG GetDialogBaseUnits();
// Dialog units of the dialog's font into pixels.
BOOL MapDialogRect(HWND dialog, LPRECT rect);

HWND GetDlgItem(HWND dialog, int id);
int GetDlgCtrlID(HWND window);
LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
inline LRESULT SendDlgItemMessage(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  return SendDlgItemMessageA(dialog, id, message, wParam, lParam);
}
BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text);
UINT GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int bufferMax);
inline BOOL SetDlgItemText(HWND dialog, int id, LPCSTR text) { return SetDlgItemTextA(dialog, id, text); }
inline UINT GetDlgItemText(HWND dialog, int id, LPSTR buffer, int bufferMax) {
  return GetDlgItemTextA(dialog, id, buffer, bufferMax);
}
BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned);
// *translated is FALSE for a text that is not a number or does not fit.
UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned);
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);
BOOL CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId);
// The next (previous) WS_TABSTOP control after `control` in the dialog, wrapping; NULL control starts
// at the beginning.
HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);
// The next (previous) control of the WS_GROUP group that holds `control`, wrapping within the group.
HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous);
