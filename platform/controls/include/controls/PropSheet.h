#pragma once
// Property sheets in wizard form (PSH_WIZARD, PSH_WIZARD97): a modal window holding one page at a
// time (a child dialog made from the page's template when it is first shown), with Back, Next or
// Finish, and Cancel below. Pages hear of moves by WM_NOTIFY (PSN_SETACTIVE before a page shows:
// -1 skips it in the direction of the move, a page's template id goes there instead; PSN_WIZNEXT
// and PSN_WIZBACK: -1 stays, a template id jumps; PSN_KILLACTIVE: nonzero stays; PSN_WIZFINISH:
// nonzero keeps the wizard open; PSN_QUERYCANCEL: nonzero refuses; PSN_RESET to every page made
// when the wizard is cancelled). A page answers through DWLP_MSGRESULT, as dialogs do.
//
// Wizard-97 pages show a header (title, subtitle and the header bitmap on white) unless they have
// PSP_HIDEHEADER, in which case the watermark bitmap stands at their left, as welcome and
// completion pages show it. PropertySheetA returns 1 when the wizard was finished, 0 when it was
// cancelled, -1 when it could not be shown. Enter presses Next (or Finish), Escape presses Cancel
// while Cancel is enabled. Only the wizard form is built; a sheet without PSH_WIZARD/PSH_WIZARD97
// fails with ERROR_CALL_NOT_IMPLEMENTED.
#include <base/WinDef.h>
#include <user/User.h>

struct PROPSHEETPAGEA;
using LPFNPSPCALLBACKA = UINT (*)(HWND, UINT, PROPSHEETPAGEA*);

struct PROPSHEETPAGEA {
  DWORD dwSize;
  DWORD dwFlags;
  HINSTANCE hInstance;
  union {
    LPCSTR pszTemplate;        // a template resource name or MAKEINTRESOURCE id
    LPCDLGTEMPLATEA pResource;  // with PSP_DLGINDIRECT
  };
  HICON hIcon;
  LPCSTR pszTitle;
  DLGPROC pfnDlgProc;
  LPARAM lParam;
  LPFNPSPCALLBACKA pfnCallback;
  UINT* pcRefParent;
  LPCSTR pszHeaderTitle;     // with PSP_USEHEADERTITLE
  LPCSTR pszHeaderSubTitle;  // with PSP_USEHEADERSUBTITLE
};
using LPPROPSHEETPAGEA = PROPSHEETPAGEA*;
using LPCPROPSHEETPAGEA = const PROPSHEETPAGEA*;

struct PropSheetPage;  // the library's copy of a page
using HPROPSHEETPAGE = PropSheetPage*;

using PFNPROPSHEETCALLBACK = int (*)(HWND, UINT, LPARAM);

struct PROPSHEETHEADERA {
  DWORD dwSize;
  DWORD dwFlags;
  HWND hwndParent;
  HINSTANCE hInstance;
  HICON hIcon;
  LPCSTR pszCaption;
  UINT nPages;
  UINT nStartPage;
  union {
    LPCPROPSHEETPAGEA ppsp;  // with PSH_PROPSHEETPAGE
    HPROPSHEETPAGE* phpage;
  };
  PFNPROPSHEETCALLBACK pfnCallback;
  union {
    HBITMAP hbmWatermark;  // with PSH_USEHBMWATERMARK
    LPCSTR pszbmWatermark;
  };
  HPALETTE hplWatermark;
  union {
    HBITMAP hbmHeader;  // with PSH_USEHBMHEADER
    LPCSTR pszbmHeader;
  };
};
using LPPROPSHEETHEADERA = PROPSHEETHEADERA*;
using LPCPROPSHEETHEADERA = const PROPSHEETHEADERA*;

constexpr DWORD PSP_DEFAULT = 0x00000000;
constexpr DWORD PSP_DLGINDIRECT = 0x00000001;
constexpr DWORD PSP_USETITLE = 0x00000008;
constexpr DWORD PSP_HIDEHEADER = 0x00000800;
constexpr DWORD PSP_USEHEADERTITLE = 0x00001000;
constexpr DWORD PSP_USEHEADERSUBTITLE = 0x00002000;

constexpr DWORD PSH_DEFAULT = 0x00000000;
constexpr DWORD PSH_PROPSHEETPAGE = 0x00000008;
constexpr DWORD PSH_WIZARD = 0x00000020;
constexpr DWORD PSH_NOAPPLYNOW = 0x00000080;
constexpr DWORD PSH_WATERMARK = 0x00008000;
constexpr DWORD PSH_USEHBMWATERMARK = 0x00010000;
constexpr DWORD PSH_HEADER = 0x00080000;
constexpr DWORD PSH_USEHBMHEADER = 0x00100000;
constexpr DWORD PSH_WIZARD97 = 0x01000000;

constexpr UINT PSM_SETCURSEL = WM_USER + 101;       // wParam index, lParam HPROPSHEETPAGE (either)
constexpr UINT PSM_REMOVEPAGE = WM_USER + 102;      // wParam index, lParam HPROPSHEETPAGE (either)
constexpr UINT PSM_ADDPAGE = WM_USER + 103;         // lParam HPROPSHEETPAGE
constexpr UINT PSM_CHANGED = WM_USER + 104;
constexpr UINT PSM_CANCELTOCLOSE = WM_USER + 107;
constexpr UINT PSM_UNCHANGED = WM_USER + 109;
constexpr UINT PSM_SETTITLEA = WM_USER + 111;
constexpr UINT PSM_SETWIZBUTTONS = WM_USER + 112;   // lParam PSWIZB_*
constexpr UINT PSM_PRESSBUTTON = WM_USER + 113;     // wParam PSBTN_*; done after the caller returns
constexpr UINT PSM_SETCURSELID = WM_USER + 114;     // lParam a page's template id
constexpr UINT PSM_SETFINISHTEXTA = WM_USER + 115;
constexpr UINT PSM_ISDIALOGMESSAGE = WM_USER + 117;
constexpr UINT PSM_GETCURRENTPAGEHWND = WM_USER + 118;
constexpr UINT PSM_SETHEADERTITLEA = WM_USER + 125;     // wParam index, lParam text
constexpr UINT PSM_SETHEADERSUBTITLEA = WM_USER + 127;  // wParam index, lParam text
constexpr UINT PSM_HWNDTOINDEX = WM_USER + 129;
constexpr UINT PSM_INDEXTOHWND = WM_USER + 130;
constexpr UINT PSM_PAGETOINDEX = WM_USER + 131;
constexpr UINT PSM_INDEXTOPAGE = WM_USER + 132;
constexpr UINT PSM_IDTOINDEX = WM_USER + 133;
constexpr UINT PSM_INDEXTOID = WM_USER + 134;
constexpr UINT PSM_GETRESULT = WM_USER + 135;  // after the wizard ended: what PropertySheetA returns

constexpr LPARAM PSWIZB_BACK = 0x1;
constexpr LPARAM PSWIZB_NEXT = 0x2;
constexpr LPARAM PSWIZB_FINISH = 0x4;
constexpr LPARAM PSWIZB_DISABLEDFINISH = 0x8;

constexpr WPARAM PSBTN_BACK = 0;
constexpr WPARAM PSBTN_NEXT = 1;
constexpr WPARAM PSBTN_FINISH = 2;
constexpr WPARAM PSBTN_OK = 3;
constexpr WPARAM PSBTN_APPLYNOW = 4;
constexpr WPARAM PSBTN_CANCEL = 5;
constexpr WPARAM PSBTN_HELP = 6;

// The wizard's buttons' ids (IDCANCEL for Cancel), as pages reach them with GetDlgItem(sheet, id).
constexpr int ID_WIZBACK = 0x3023;
constexpr int ID_WIZNEXT = 0x3024;
constexpr int ID_WIZFINISH = 0x3025;

constexpr UINT PSN_FIRST = 0u - 200u;
constexpr UINT PSN_SETACTIVE = PSN_FIRST - 0;
constexpr UINT PSN_KILLACTIVE = PSN_FIRST - 1;
constexpr UINT PSN_APPLY = PSN_FIRST - 2;
constexpr UINT PSN_RESET = PSN_FIRST - 3;
constexpr UINT PSN_HELP = PSN_FIRST - 5;
constexpr UINT PSN_WIZBACK = PSN_FIRST - 6;
constexpr UINT PSN_WIZNEXT = PSN_FIRST - 7;
constexpr UINT PSN_WIZFINISH = PSN_FIRST - 8;
constexpr UINT PSN_QUERYCANCEL = PSN_FIRST - 9;

// PSN_APPLY's answers.
constexpr LRESULT PSNRET_NOERROR = 0;
constexpr LRESULT PSNRET_INVALID = 1;
constexpr LRESULT PSNRET_INVALID_NOCHANGEPAGE = 2;

struct PSHNOTIFY {
  NMHDR hdr;
  LPARAM lParam;
};
using LPPSHNOTIFY = PSHNOTIFY*;

HPROPSHEETPAGE CreatePropertySheetPageA(LPCPROPSHEETPAGEA page);
BOOL DestroyPropertySheetPage(HPROPSHEETPAGE page);
INT_PTR PropertySheetA(LPCPROPSHEETHEADERA header);
inline HPROPSHEETPAGE CreatePropertySheetPage(LPCPROPSHEETPAGEA page) { return CreatePropertySheetPageA(page); }
inline INT_PTR PropertySheet(LPCPROPSHEETHEADERA header) { return PropertySheetA(header); }
