#pragma once
// The file open and save dialogs in the Explorer form: a folder combo, the folder's files in a list
// with the shell's icons, the file name with completion, the filter combo, and a caller's hook and
// child template placed as the caller expects. CommDlgExtendedError says why a call failed.
#include <base/WinDef.h>
#include <user/User.h>

#include <cstddef>

// Flags of OPENFILENAMEA::Flags.
constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
constexpr DWORD OFN_SHOWHELP = 0x00000010;
constexpr DWORD OFN_ENABLEHOOK = 0x00000020;
constexpr DWORD OFN_ENABLETEMPLATE = 0x00000040;
constexpr DWORD OFN_ENABLETEMPLATEHANDLE = 0x00000080;
constexpr DWORD OFN_NOVALIDATE = 0x00000100;
constexpr DWORD OFN_ALLOWMULTISELECT = 0x00000200;
constexpr DWORD OFN_EXTENSIONDIFFERENT = 0x00000400;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_CREATEPROMPT = 0x00002000;
constexpr DWORD OFN_SHAREAWARE = 0x00004000;
constexpr DWORD OFN_NOREADONLYRETURN = 0x00008000;
constexpr DWORD OFN_NOTESTFILECREATE = 0x00010000;
constexpr DWORD OFN_EXPLORER = 0x00080000;
constexpr DWORD OFN_NODEREFERENCELINKS = 0x00100000;
constexpr DWORD OFN_LONGNAMES = 0x00200000;
constexpr DWORD OFN_ENABLESIZING = 0x00800000;
constexpr DWORD OFN_DONTADDTORECENT = 0x02000000;

using LPOFNHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

struct OPENFILENAMEA {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;  // the template's module, or (OFN_ENABLETEMPLATEHANDLE) the template itself
  LPCSTR lpstrFilter;   // pairs of NUL-ended texts (name, patterns separated by ';'), ended by a NUL
  LPSTR lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;   // 1-based
  LPSTR lpstrFile;      // in: the initial name (or path); out: the chosen path(s)
  DWORD nMaxFile;       // characters (bytes) of lpstrFile, the NUL(s) included
  LPSTR lpstrFileTitle;
  DWORD nMaxFileTitle;
  LPCSTR lpstrInitialDir;
  LPCSTR lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;
  WORD nFileExtension;
  LPCSTR lpstrDefExt;
  LPARAM lCustData;
  LPOFNHOOKPROC lpfnHook;
  LPCSTR lpTemplateName;
  void* pvReserved;
  DWORD dwReserved;
  DWORD FlagsEx;
};
using LPOPENFILENAMEA = OPENFILENAMEA*;
using OPENFILENAME = OPENFILENAMEA;
using LPOPENFILENAME = LPOPENFILENAMEA;
// The record without its last three members, as callers built for older systems fill it.
constexpr DWORD OPENFILENAME_SIZE_VERSION_400A = static_cast<DWORD>(offsetof(OPENFILENAMEA, pvReserved));

// The hook's notifications (WM_NOTIFY to the hook's child dialog, lParam an OFNOTIFYA). A hook
// refuses CDN_FILEOK by answering non-zero through DWLP_MSGRESULT.
constexpr UINT CDN_FIRST = 0u - 601u;
constexpr UINT CDN_INITDONE = CDN_FIRST - 0;
constexpr UINT CDN_SELCHANGE = CDN_FIRST - 1;
constexpr UINT CDN_FOLDERCHANGE = CDN_FIRST - 2;
constexpr UINT CDN_SHAREVIOLATION = CDN_FIRST - 3;
constexpr UINT CDN_HELP = CDN_FIRST - 4;
constexpr UINT CDN_FILEOK = CDN_FIRST - 5;
constexpr UINT CDN_TYPECHANGE = CDN_FIRST - 6;

struct OFNOTIFYA {
  NMHDR hdr;  // hwndFrom: the Explorer dialog (the hook window's parent); idFrom 0
  LPOPENFILENAMEA lpOFN;
  LPSTR pszFile;
};
using LPOFNOTIFYA = OFNOTIFYA*;
using OFNOTIFY = OFNOTIFYA;
using LPOFNOTIFY = LPOFNOTIFYA;

// What a hook sends to the Explorer dialog (its parent). The GET messages take the buffer's size in
// wParam and the buffer in lParam, copy what fits (NUL-ended), and answer the size the whole text
// needs with its NUL; a negative answer is an error.
constexpr UINT CDM_FIRST = WM_USER + 100;
constexpr UINT CDM_GETSPEC = CDM_FIRST + 0;        // the file name edit's text
constexpr UINT CDM_GETFILEPATH = CDM_FIRST + 1;    // the full path of the chosen or selected file
constexpr UINT CDM_GETFOLDERPATH = CDM_FIRST + 2;  // the folder shown
constexpr UINT CDM_GETFOLDERIDLIST = CDM_FIRST + 3;
constexpr UINT CDM_SETCONTROLTEXT = CDM_FIRST + 4;  // wParam a control id, lParam the text
constexpr UINT CDM_HIDECONTROL = CDM_FIRST + 5;     // wParam a control id
constexpr UINT CDM_SETDEFEXT = CDM_FIRST + 6;       // lParam the new default extension

// The Explorer dialog's control ids.
constexpr int pshHelp = 0x040E;
constexpr int chx1 = 0x0410;   // "Open as read-only"
constexpr int stc2 = 0x0441;   // "Files of type:"
constexpr int stc3 = 0x0442;   // "File name:"
constexpr int stc4 = 0x0443;   // "Look in:"
constexpr int stc32 = 0x045F;  // in a child template: where the standard controls go
constexpr int lst1 = 0x0460;   // the list of the folder's files
constexpr int cmb1 = 0x0470;   // the filter combo
constexpr int cmb2 = 0x0471;   // the folder combo
constexpr int edt1 = 0x0480;   // the file name
constexpr int kFileDialogUpButton = 0x04A0;  // "Up one level"

// CommDlgExtendedError's answers.
constexpr DWORD CDERR_DIALOGFAILURE = 0xFFFF;
constexpr DWORD CDERR_STRUCTSIZE = 0x0001;
constexpr DWORD CDERR_INITIALIZATION = 0x0002;
constexpr DWORD CDERR_NOTEMPLATE = 0x0003;
constexpr DWORD CDERR_NOHINSTANCE = 0x0004;
constexpr DWORD CDERR_FINDRESFAILURE = 0x0006;
constexpr DWORD CDERR_LOADRESFAILURE = 0x0007;
constexpr DWORD CDERR_NOHOOK = 0x000B;
constexpr DWORD FNERR_SUBCLASSFAILURE = 0x3001;
constexpr DWORD FNERR_INVALIDFILENAME = 0x3002;
constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;

// Modal, owned by hwndOwner. TRUE with the chosen path in lpstrFile; FALSE when cancelled
// (CommDlgExtendedError 0) or failed. A single choice is the full path; with OFN_ALLOWMULTISELECT
// several files are the folder, then each name, each ended by a NUL, with one more NUL at the end
// (nFileOffset is the first name's offset). A result that does not fit nMaxFile fails with
// FNERR_BUFFERTOOSMALL and leaves the needed size in the buffer's first two bytes (when it holds
// two); nothing is written past nMaxFile. Browsing sets the current directory, which is put back
// at the end with OFN_NOCHANGEDIR.
BOOL GetOpenFileNameA(LPOPENFILENAMEA ofn);
BOOL GetSaveFileNameA(LPOPENFILENAMEA ofn);
inline BOOL GetOpenFileName(LPOPENFILENAMEA ofn) { return GetOpenFileNameA(ofn); }
inline BOOL GetSaveFileName(LPOPENFILENAMEA ofn) { return GetSaveFileNameA(ofn); }
// Why the calling thread's last common dialog failed; 0 when it succeeded or was cancelled.
DWORD CommDlgExtendedError();
