#pragma once
// MessageBox and MessageBoxIndirect: a modal box owned by (and centred over) its owner, sized from
// its text, with one of the MB_ button sets, an icon and a default button. Enter presses the focused
// (or default) button; a button's underlined letter presses it; Escape and the close box answer
// IDCANCEL only where the box has a Cancel button, and IDOK on a box whose only button is OK.
#include <base/WinDef.h>
#include <user/User.h>

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_ABORTRETRYIGNORE = 0x00000002;
constexpr UINT MB_YESNOCANCEL = 0x00000003;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_RETRYCANCEL = 0x00000005;
constexpr UINT MB_CANCELTRYCONTINUE = 0x00000006;
constexpr UINT MB_TYPEMASK = 0x0000000F;
constexpr UINT MB_ICONHAND = 0x00000010;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONASTERISK = 0x00000040;
constexpr UINT MB_USERICON = 0x00000080;
constexpr UINT MB_ICONMASK = 0x000000F0;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONSTOP = MB_ICONHAND;
constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr UINT MB_DEFBUTTON1 = 0x00000000;
constexpr UINT MB_DEFBUTTON2 = 0x00000100;
constexpr UINT MB_DEFBUTTON3 = 0x00000200;
constexpr UINT MB_DEFBUTTON4 = 0x00000300;
constexpr UINT MB_DEFMASK = 0x00000F00;
constexpr UINT MB_APPLMODAL = 0x00000000;
constexpr UINT MB_SYSTEMMODAL = 0x00001000;
constexpr UINT MB_TASKMODAL = 0x00002000;
constexpr UINT MB_HELP = 0x00004000;
constexpr UINT MB_NOFOCUS = 0x00008000;
constexpr UINT MB_SETFOREGROUND = 0x00010000;
constexpr UINT MB_DEFAULT_DESKTOP_ONLY = 0x00020000;
constexpr UINT MB_TOPMOST = 0x00040000;
constexpr UINT MB_RIGHT = 0x00080000;

constexpr int IDTRYAGAIN = 10;
constexpr int IDCONTINUE = 11;

struct HELPINFO;
using MSGBOXCALLBACK = void (*)(HELPINFO*);

struct MSGBOXPARAMSA {
  UINT cbSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCSTR lpszText;
  LPCSTR lpszCaption;
  DWORD dwStyle;
  LPCSTR lpszIcon;  // with MB_USERICON, an icon resource of hInstance
  DWORD_PTR dwContextHelpId;
  MSGBOXCALLBACK lpfnMsgBoxCallback;
  DWORD dwLanguageId;
};
using MSGBOXPARAMS = MSGBOXPARAMSA;
using LPMSGBOXPARAMSA = MSGBOXPARAMSA*;

// The button's id, or 0 when the box could not be made.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
inline int MessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  return MessageBoxA(owner, text, caption, type);
}
int MessageBoxIndirectA(const MSGBOXPARAMSA* params);
inline int MessageBoxIndirect(const MSGBOXPARAMSA* params) { return MessageBoxIndirectA(params); }
