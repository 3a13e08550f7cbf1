// Wizard property sheets. The sheet is a top-level window of the library's own class holding the
// pages (child dialogs made when first shown) and the Back, Next, Finish and Cancel buttons; its
// state lives behind the window like a control's. PropertySheetA runs it modally: the owner is
// disabled, and a message loop lets the current page's dialog manager see its keys after the
// sheet took Enter and Escape for its own buttons.
//
// Moves between pages all go through Activate, which asks each candidate page with PSN_SETACTIVE
// and follows its answer (skip on, or jump to another page), so a page removed while the wizard
// runs, a page that skips itself and a page that redirects all behave alike. A button a page
// presses with PSM_PRESSBUTTON is posted and acts after the page's handler returned, so a page
// may press Next from inside its own notification without re-entering the move.
#include "Common.h"

#include <base/LastError.h>
#include <base/WinError.h>
#include <controls/PropSheet.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <string>
#include <vector>

struct PropSheetPage {
  PROPSHEETPAGEA page{};
  std::string headerTitle, headerSubTitle, title;
  HWND window = nullptr;
};

namespace tolvar::controls {
namespace {

constexpr const char* kSheetClass = "TolvarWizardSheet";
constexpr int kMargin = 11;
constexpr int kHeaderHeight = 58;
constexpr int kWatermarkWidth = 164;
constexpr int kButtonWidth = 75, kButtonHeight = 23;

struct SheetState {
  std::vector<HPROPSHEETPAGE> pages;
  int current = -1;
  DWORD flags = 0;
  HBITMAP watermark = nullptr, header = nullptr;
  bool ownWatermark = false, ownHeader = false;
  LPARAM buttons = PSWIZB_BACK | PSWIZB_NEXT;
  bool done = false;
  INT_PTR result = 0;
  SIZE pageSize{};
  HFONT font = nullptr;
  ~SheetState() {
    if (ownWatermark && watermark) DeleteObject(watermark);
    if (ownHeader && header) DeleteObject(header);
  }
};

bool Wizard97(const SheetState& state) { return (state.flags & PSH_WIZARD97) != 0; }
bool HidesHeader(const SheetState& state, int index) {
  return !Wizard97(state) || (state.pages[static_cast<size_t>(index)]->page.dwFlags & PSP_HIDEHEADER);
}

HPROPSHEETPAGE Copy(const PROPSHEETPAGEA& given) {
  auto* copy = new PropSheetPage;
  copy->page = given;
  if ((given.dwFlags & PSP_USEHEADERTITLE) && given.pszHeaderTitle) copy->headerTitle = given.pszHeaderTitle;
  if ((given.dwFlags & PSP_USEHEADERSUBTITLE) && given.pszHeaderSubTitle) copy->headerSubTitle = given.pszHeaderSubTitle;
  if ((given.dwFlags & PSP_USETITLE) && given.pszTitle && !IS_INTRESOURCE(given.pszTitle)) copy->title = given.pszTitle;
  return copy;
}

// A page's template id (the number a page's notification answers with to jump there).
INT_PTR IdOf(const PropSheetPage& page) {
  if (page.page.dwFlags & PSP_DLGINDIRECT) return reinterpret_cast<INT_PTR>(page.page.pResource);
  return reinterpret_cast<INT_PTR>(page.page.pszTemplate);
}

int IndexOfId(const SheetState& state, INT_PTR id) {
  for (size_t i = 0; i < state.pages.size(); ++i) {
    if (IdOf(*state.pages[i]) == id) return static_cast<int>(i);
  }
  return -1;
}

// The rectangle a page takes in the sheet's client area.
RECT PageRect(HWND sheet, const SheetState& state, int index) {
  RECT client;
  GetClientRect(sheet, &client);
  const int bottom = client.bottom - kButtonHeight - 2 * kMargin - 2;
  if (HidesHeader(state, index)) {
    const int left = Wizard97(state) && state.watermark ? kWatermarkWidth : kMargin;
    return RECT{left, Wizard97(state) ? 0 : kMargin, client.right - (Wizard97(state) ? 0 : kMargin), bottom};
  }
  return RECT{kMargin + 10, kHeaderHeight + 1 + kMargin, client.right - kMargin - 10, bottom};
}

LRESULT Tell(HWND sheet, HWND page, UINT code) {
  if (!page) return 0;
  PSHNOTIFY notify{};
  notify.hdr.hwndFrom = sheet;
  notify.hdr.idFrom = 0;
  notify.hdr.code = code;
  SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
  SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
  return GetWindowLongPtrA(page, DWLP_MSGRESULT);
}

// Header-less Wizard-97 pages (welcome and completion) stand on white beside the watermark: their
// dialogs are subclassed so that what they and their static texts paint on is white, unless the
// page's own dialog procedure answers the colour message itself.
std::mutex g_pageProcsMutex;
std::map<HWND, WNDPROC> g_pageProcs;

LRESULT WhitePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC original;
  {
    std::lock_guard<std::mutex> lock(g_pageProcsMutex);
    original = g_pageProcs[page];
    if (message == WM_NCDESTROY) g_pageProcs.erase(page);
  }
  if (message == WM_CTLCOLORDLG || message == WM_CTLCOLORSTATIC) {
    const auto procedure = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(page, DWLP_DLGPROC));
    if (procedure) {
      if (const INT_PTR own = procedure(page, message, wParam, lParam)) return own;
    }
    SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
  }
  return CallWindowProcA(original, page, message, wParam, lParam);
}

void MakeWhite(HWND page) {
  std::lock_guard<std::mutex> lock(g_pageProcsMutex);
  g_pageProcs[page] = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(page, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WhitePageProc)));
}

// A page's own size, as its template made it.
SIZE MeasurePage(HWND page) {
  RECT rect{};
  GetWindowRect(page, &rect);
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

HWND MakePage(HWND sheet, SheetState& state, int index) {
  PropSheetPage& page = *state.pages[static_cast<size_t>(index)];
  if (page.window) return page.window;
  const LPARAM param = reinterpret_cast<LPARAM>(&page.page);
  page.window = (page.page.dwFlags & PSP_DLGINDIRECT)
                    ? CreateDialogIndirectParamA(page.page.hInstance, page.page.pResource, sheet, page.page.pfnDlgProc, param)
                    : CreateDialogParamA(page.page.hInstance, page.page.pszTemplate, sheet, page.page.pfnDlgProc, param);
  if (!page.window) return nullptr;
  // Page templates are often saved disabled (the pane is only ever used inside a sheet); a disabled
  // page would keep every click and key from its controls, so the sheet enables it.
  if (GetWindowLongA(page.window, GWL_STYLE) & WS_DISABLED) EnableWindow(page.window, TRUE);
  if (Wizard97(state) && HidesHeader(state, index)) MakeWhite(page.window);
  const SIZE natural = MeasurePage(page.window);
  state.pageSize.cx = std::max(state.pageSize.cx, natural.cx);
  state.pageSize.cy = std::max(state.pageSize.cy, natural.cy);
  const RECT area = PageRect(sheet, state, index);
  SetWindowPos(page.window, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
               SWP_NOACTIVATE | SWP_NOZORDER);
  return page.window;
}

void ShowButtons(HWND sheet, SheetState& state) {
  const LPARAM b = state.buttons;
  const bool finish = (b & (PSWIZB_FINISH | PSWIZB_DISABLEDFINISH)) != 0;
  EnableWindow(GetDlgItem(sheet, ID_WIZBACK), (b & PSWIZB_BACK) != 0);
  HWND next = GetDlgItem(sheet, ID_WIZNEXT), done = GetDlgItem(sheet, ID_WIZFINISH);
  EnableWindow(next, (b & PSWIZB_NEXT) != 0);
  EnableWindow(done, (b & PSWIZB_FINISH) != 0);
  ShowWindow(next, finish ? SW_HIDE : SW_SHOWNA);
  ShowWindow(done, finish ? SW_SHOWNA : SW_HIDE);
  // The visible one of Next and Finish is the default button Enter presses.
  SendMessageA(next, BM_SETSTYLE, finish ? BS_PUSHBUTTON : BS_DEFPUSHBUTTON, TRUE);
  SendMessageA(done, BM_SETSTYLE, finish ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

// Shows page `index`, or the first page from there, in direction `step`, that accepts PSN_SETACTIVE
// (or the one it redirects to). FALSE when no page accepts; the current page then stays.
bool Activate(HWND sheet, SheetState& state, int index, int step) {
  const int count = static_cast<int>(state.pages.size());
  for (int guard = 0; index >= 0 && index < count && guard <= 2 * count; ++guard) {
    HWND page = MakePage(sheet, state, index);
    if (!page) return false;
    const LRESULT answer = Tell(sheet, page, PSN_SETACTIVE);
    if (answer == -1) {
      index += step;
      continue;
    }
    if (answer != 0) {
      const int target = IndexOfId(state, static_cast<INT_PTR>(answer));
      if (target >= 0 && target != index) {
        step = target > index ? 1 : -1;
        index = target;
        continue;
      }
    }
    if (state.current >= 0 && state.current < count && state.current != index) {
      ShowWindow(state.pages[static_cast<size_t>(state.current)]->window, SW_HIDE);
    }
    state.current = index;
    ShowWindow(page, SW_SHOW);
    InvalidateRect(sheet, nullptr, TRUE);
    return true;
  }
  return false;
}

// Leaves the current page for `target` when it agrees (PSN_KILLACTIVE answers 0).
void MoveTo(HWND sheet, SheetState& state, int target, int step) {
  HWND page = state.pages[static_cast<size_t>(state.current)]->window;
  if (Tell(sheet, page, PSN_KILLACTIVE) != 0) return;
  Activate(sheet, state, target, step);
}

void End(SheetState& state, INT_PTR result) {
  state.done = true;
  state.result = result;
}

void Press(HWND sheet, SheetState& state, int id) {
  if (state.done || state.current < 0) return;
  HWND button = GetDlgItem(sheet, id);
  if (button && !IsWindowEnabled(button)) return;
  HWND page = state.pages[static_cast<size_t>(state.current)]->window;
  switch (id) {
    case ID_WIZNEXT:
    case ID_WIZBACK: {
      const int step = id == ID_WIZNEXT ? 1 : -1;
      const LRESULT answer = Tell(sheet, page, id == ID_WIZNEXT ? PSN_WIZNEXT : PSN_WIZBACK);
      if (answer == -1) return;
      int target = state.current + step;
      if (answer != 0) {
        const int found = IndexOfId(state, static_cast<INT_PTR>(answer));
        if (found >= 0) target = found;
      }
      MoveTo(sheet, state, target, step);
      return;
    }
    case ID_WIZFINISH:
      if (Tell(sheet, page, PSN_WIZFINISH) != 0) return;
      End(state, 1);
      return;
    case IDCANCEL:
      if (Tell(sheet, page, PSN_QUERYCANCEL) != 0) return;
      for (HPROPSHEETPAGE made : state.pages) Tell(sheet, made->window, PSN_RESET);
      End(state, 0);
      return;
    default: return;
  }
}

int IndexOf(const SheetState& state, WPARAM index, LPARAM page) {
  if (page) {
    for (size_t i = 0; i < state.pages.size(); ++i) {
      if (state.pages[i] == reinterpret_cast<HPROPSHEETPAGE>(page)) return static_cast<int>(i);
    }
    return -1;
  }
  return index < state.pages.size() ? static_cast<int>(index) : -1;
}

void RemovePage(HWND sheet, SheetState& state, int index) {
  if (index < 0) return;
  HPROPSHEETPAGE page = state.pages[static_cast<size_t>(index)];
  const bool wasCurrent = index == state.current;
  state.pages.erase(state.pages.begin() + index);
  if (index < state.current) --state.current;
  if (wasCurrent) {
    state.current = -1;
    if (!state.pages.empty() && !Activate(sheet, state, std::min<int>(index, static_cast<int>(state.pages.size()) - 1), 1)) {
      Activate(sheet, state, index - 1, -1);
    }
  }
  DestroyPropertySheetPage(page);
}

void DrawBitmap(HDC hdc, HBITMAP bitmap, int x, int y, int maxHeight = 1 << 20) {
  BITMAP info{};
  if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return;
  HDC memory = CreateCompatibleDC(hdc);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(hdc, x, y, info.bmWidth, std::min<int>(info.bmHeight, maxHeight), memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
}

void Paint(HWND sheet, SheetState& state, HDC hdc) {
  RECT client;
  GetClientRect(sheet, &client);
  FillRect(hdc, &client, GetSysColorBrush(COLOR_BTNFACE));
  const int lineY = client.bottom - kButtonHeight - 2 * kMargin;
  RECT line{client.left, lineY, client.right, lineY + 2};
  DrawEdge(hdc, &line, EDGE_ETCHED, BF_TOP);
  if (state.current < 0 || !Wizard97(state)) return;
  const PropSheetPage& page = *state.pages[static_cast<size_t>(state.current)];
  if (HidesHeader(state, state.current)) {
    RECT area{client.left, client.top, client.right, lineY};
    FillRect(hdc, &area, GetSysColorBrush(COLOR_WINDOW));
    DrawBitmap(hdc, state.watermark, 0, 0, lineY);  // never over the buttons' strip
    return;
  }
  RECT header{client.left, client.top, client.right, kHeaderHeight};
  FillRect(hdc, &header, GetSysColorBrush(COLOR_WINDOW));
  RECT under{client.left, kHeaderHeight, client.right, kHeaderHeight + 2};
  DrawEdge(hdc, &under, EDGE_ETCHED, BF_TOP);
  BITMAP info{};
  if (state.header && GetObjectA(state.header, sizeof info, &info)) {
    DrawBitmap(hdc, state.header, client.right - info.bmWidth - 4, (kHeaderHeight - info.bmHeight) / 2);
  }
  SetBkMode(hdc, TRANSPARENT);
  SetTextColor(hdc, GetSysColor(COLOR_WINDOWTEXT));
  LOGFONTA bold{};
  GetObjectA(FontOr(state.font), sizeof bold, &bold);
  bold.lfWeight = FW_BOLD;
  Owned<HFONT> boldFont(CreateFontIndirectA(&bold));
  {
    Selected font(hdc, boldFont.get());
    RECT title{22, 10, client.right - 80, 28};
    DrawTextA(hdc, page.headerTitle.c_str(), -1, &title, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
  }
  Selected font(hdc, FontOr(state.font));
  RECT subtitle{37, 28, client.right - 80, kHeaderHeight - 2};
  DrawTextA(hdc, page.headerSubTitle.c_str(), -1, &subtitle, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

LRESULT SheetProc(HWND sheet, UINT message, WPARAM wParam, LPARAM lParam) {
  SheetState* state = StateOf<SheetState>(sheet);
  if (!state && message != WM_NCCREATE) return DefWindowProcA(sheet, message, wParam, lParam);
  switch (message) {
    case WM_NCCREATE:
      AttachState<SheetState>(sheet);
      return DefWindowProcA(sheet, message, wParam, lParam);
    case WM_NCDESTROY: {
      for (HPROPSHEETPAGE page : state->pages) DestroyPropertySheetPage(page);
      DetachState<SheetState>(sheet);
      return DefWindowProcA(sheet, message, wParam, lParam);
    }
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT: {
      Painting paint(sheet, message == WM_PRINTCLIENT ? wParam : 0);
      Paint(sheet, *state, paint.dc());
      return 0;
    }
    case WM_COMMAND:
      if (lParam == 0 || GetParent(reinterpret_cast<HWND>(lParam)) == sheet) {
        if (HIWORD(wParam) == BN_CLICKED) Press(sheet, *state, LOWORD(wParam));
      }
      return 0;
    case WM_CLOSE: Press(sheet, *state, IDCANCEL); return 0;
    case PSM_SETWIZBUTTONS:
      state->buttons = lParam;
      ShowButtons(sheet, *state);
      return 0;
    case PSM_PRESSBUTTON: {
      static const int kIds[] = {ID_WIZBACK, ID_WIZNEXT, ID_WIZFINISH, IDOK, 0, IDCANCEL, 0};
      if (wParam < std::size(kIds) && kIds[wParam]) {
        PostMessageA(sheet, WM_COMMAND, MAKEWPARAM(kIds[wParam], BN_CLICKED), 0);
      }
      return 0;
    }
    case PSM_SETCURSEL: {
      const int index = IndexOf(*state, wParam, lParam);
      if (index < 0) return FALSE;
      if (Tell(sheet, state->pages[static_cast<size_t>(state->current)]->window, PSN_KILLACTIVE) != 0) return FALSE;
      return Activate(sheet, *state, index, index >= state->current ? 1 : -1);
    }
    case PSM_SETCURSELID: {
      const int index = IndexOfId(*state, static_cast<INT_PTR>(lParam));
      return index >= 0 && SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    case PSM_REMOVEPAGE: RemovePage(sheet, *state, IndexOf(*state, wParam, lParam)); return 0;
    case PSM_ADDPAGE:
      if (!lParam) return FALSE;
      state->pages.push_back(reinterpret_cast<HPROPSHEETPAGE>(lParam));
      return TRUE;
    case PSM_GETCURRENTPAGEHWND:
      return state->current >= 0 ? reinterpret_cast<LRESULT>(state->pages[static_cast<size_t>(state->current)]->window) : 0;
    case PSM_INDEXTOHWND: {
      const int index = IndexOf(*state, wParam, 0);
      return index >= 0 ? reinterpret_cast<LRESULT>(state->pages[static_cast<size_t>(index)]->window) : 0;
    }
    case PSM_HWNDTOINDEX:
      for (size_t i = 0; i < state->pages.size(); ++i) {
        if (state->pages[i]->window == reinterpret_cast<HWND>(wParam)) return static_cast<LRESULT>(i);
      }
      return -1;
    case PSM_INDEXTOPAGE: {
      const int index = IndexOf(*state, wParam, 0);
      return index >= 0 ? reinterpret_cast<LRESULT>(state->pages[static_cast<size_t>(index)]) : 0;
    }
    case PSM_PAGETOINDEX: return IndexOf(*state, 0, lParam);
    case PSM_IDTOINDEX: return IndexOfId(*state, static_cast<INT_PTR>(lParam));
    case PSM_INDEXTOID: {
      const int index = IndexOf(*state, wParam, 0);
      return index >= 0 ? IdOf(*state->pages[static_cast<size_t>(index)]) : 0;
    }
    case PSM_SETHEADERTITLEA:
    case PSM_SETHEADERSUBTITLEA: {
      const int index = IndexOf(*state, wParam, 0);
      if (index < 0) return 0;
      std::string& text = message == PSM_SETHEADERTITLEA ? state->pages[static_cast<size_t>(index)]->headerTitle
                                                         : state->pages[static_cast<size_t>(index)]->headerSubTitle;
      text = lParam ? reinterpret_cast<LPCSTR>(lParam) : "";
      InvalidateRect(sheet, nullptr, TRUE);
      return 0;
    }
    case PSM_SETFINISHTEXTA:
      SetWindowTextA(GetDlgItem(sheet, ID_WIZFINISH), lParam ? reinterpret_cast<LPCSTR>(lParam) : "Finish");
      state->buttons = PSWIZB_FINISH | (state->buttons & PSWIZB_BACK);
      ShowButtons(sheet, *state);
      return 0;
    case PSM_SETTITLEA: SetWindowTextA(sheet, reinterpret_cast<LPCSTR>(lParam)); return 0;
    case PSM_CANCELTOCLOSE: SetWindowTextA(GetDlgItem(sheet, IDCANCEL), "Close"); return 0;
    case PSM_CHANGED: return 0;
    case PSM_GETRESULT: return state->done ? state->result : -1;
    case PSM_ISDIALOGMESSAGE: {
      MSG* msg = reinterpret_cast<MSG*>(lParam);
      if (!msg) return FALSE;
      if (msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE) &&
          (msg->hwnd == sheet || IsChild(sheet, msg->hwnd))) {
        if (msg->wParam == VK_ESCAPE) {
          Press(sheet, *state, IDCANCEL);  // does nothing while Cancel is disabled
        } else {
          HWND focus = GetFocus();
          const bool onButton = focus && IsChild(sheet, focus) &&
                                (SendMessageA(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON));
          if (onButton) SendMessageA(focus, BM_CLICK, 0, 0);
          else Press(sheet, *state, IsWindowVisible(GetDlgItem(sheet, ID_WIZFINISH)) ? ID_WIZFINISH : ID_WIZNEXT);
        }
        return TRUE;
      }
      if (msg->message == WM_KEYUP && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE)) return TRUE;
      if (msg->message == WM_CHAR && (msg->wParam == '\r' || msg->wParam == 0x1B)) return TRUE;
      HWND page = state->current >= 0 ? state->pages[static_cast<size_t>(state->current)]->window : nullptr;
      if (page && IsDialogMessageA(page, msg)) return TRUE;
      return IsDialogMessageA(sheet, msg);
    }
    default: return DefWindowProcA(sheet, message, wParam, lParam);
  }
}

void RegisterSheet() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = SheetProc;
    wc.cbWndExtra = kStateBytes;
    wc.hCursor = LoadCursorA(nullptr, MakeSystemResource(32512));
    wc.lpszClassName = kSheetClass;
    RegisterClassExA(&wc);
  });
}

HBITMAP LoadOrUse(const PROPSHEETHEADERA& header, DWORD useHandle, HBITMAP handle, LPCSTR name, bool& owned) {
  owned = false;
  if (header.dwFlags & useHandle) return handle;
  if (!name) return nullptr;
  owned = true;
  return LoadBitmapA(header.hInstance, name);
}

}  // namespace
}  // namespace tolvar::controls

using namespace tolvar::controls;

HPROPSHEETPAGE CreatePropertySheetPageA(LPCPROPSHEETPAGEA page) {
  if (!page || page->dwSize < offsetof(PROPSHEETPAGEA, pszHeaderTitle)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return Copy(*page);
}

BOOL DestroyPropertySheetPage(HPROPSHEETPAGE page) {
  if (!page) return FALSE;
  if (page->window && IsWindow(page->window)) DestroyWindow(page->window);
  delete page;
  return TRUE;
}

INT_PTR PropertySheetA(LPCPROPSHEETHEADERA header) {
  if (!header || header->dwSize < offsetof(PROPSHEETHEADERA, hbmWatermark) || header->nPages == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  if (!(header->dwFlags & (PSH_WIZARD | PSH_WIZARD97))) {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return -1;
  }
  InitCommonControls();
  RegisterSheet();
  HWND owner = header->hwndParent;
  HWND sheet = CreateWindowExA(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kSheetClass, header->pszCaption ? header->pszCaption : "",
                               WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, 0, 0, 400, 300, owner, nullptr,
                               header->hInstance, nullptr);
  if (!sheet) return -1;
  SheetState& state = *StateOf<SheetState>(sheet);
  state.flags = header->dwFlags;
  state.font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  const bool sized = header->dwSize >= sizeof(PROPSHEETHEADERA);
  if (sized && (header->dwFlags & PSH_WIZARD97)) {
    if (header->dwFlags & PSH_WATERMARK) {
      state.watermark = LoadOrUse(*header, PSH_USEHBMWATERMARK, header->hbmWatermark, header->pszbmWatermark, state.ownWatermark);
    }
    if (header->dwFlags & PSH_HEADER) {
      state.header = LoadOrUse(*header, PSH_USEHBMHEADER, header->hbmHeader, header->pszbmHeader, state.ownHeader);
    }
  }
  for (UINT i = 0; i < header->nPages; ++i) {
    HPROPSHEETPAGE page = (header->dwFlags & PSH_PROPSHEETPAGE)
                              ? Copy(*reinterpret_cast<const PROPSHEETPAGEA*>(
                                    reinterpret_cast<const BYTE*>(header->ppsp) + i * header->ppsp->dwSize))
                              : header->phpage[i];
    if (page) state.pages.push_back(page);
  }
  // The buttons, placed once the size is known.
  struct ButtonEntry {
    int id;
    const char* text;
  };
  const ButtonEntry kButtons[] = {{ID_WIZBACK, "< &Back"}, {ID_WIZNEXT, "&Next >"}, {ID_WIZFINISH, "Finish"}, {IDCANCEL, "Cancel"}};
  for (const ButtonEntry& entry : kButtons) {
    HWND button = CreateWindowExA(0, "Button", entry.text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0,
                                  kButtonWidth, kButtonHeight, sheet,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(entry.id)), header->hInstance, nullptr);
    SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(state.font), FALSE);
  }
  // Size: the start page's dialog decides the page area.
  const int start = std::min<int>(static_cast<int>(header->nStartPage), static_cast<int>(state.pages.size()) - 1);
  HWND first = MakePage(sheet, state, std::max(start, 0));
  if (!first) {
    DestroyWindow(sheet);
    return -1;
  }
  const SIZE page = state.pageSize;
  const bool wizard97 = (header->dwFlags & PSH_WIZARD97) != 0;
  const int width = std::max<int>(page.cx + 2 * (kMargin + 10), 4 * kButtonWidth + 3 * kMargin);
  const int height = (wizard97 ? kHeaderHeight + 1 : 0) + page.cy + 2 * kMargin + kButtonHeight + 2 * kMargin + 2;
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, WS_POPUP | WS_CAPTION | WS_SYSMENU, FALSE, WS_EX_DLGMODALFRAME);
  RECT ownerRect{0, 0, 800, 600};
  if (owner) GetWindowRect(owner, &ownerRect);
  const int w = frame.right - frame.left, h = frame.bottom - frame.top;
  SetWindowPos(sheet, nullptr, ownerRect.left + ((ownerRect.right - ownerRect.left) - w) / 2,
               ownerRect.top + ((ownerRect.bottom - ownerRect.top) - h) / 2, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  const int y = height - kMargin - kButtonHeight;
  int x = width - kMargin - kButtonWidth;
  MoveWindow(GetDlgItem(sheet, IDCANCEL), x, y, kButtonWidth, kButtonHeight, FALSE);
  x -= kMargin + kButtonWidth;
  MoveWindow(GetDlgItem(sheet, ID_WIZNEXT), x, y, kButtonWidth, kButtonHeight, FALSE);
  MoveWindow(GetDlgItem(sheet, ID_WIZFINISH), x, y, kButtonWidth, kButtonHeight, FALSE);
  MoveWindow(GetDlgItem(sheet, ID_WIZBACK), x - kButtonWidth, y, kButtonWidth, kButtonHeight, FALSE);
  ShowButtons(sheet, state);
  // Pages made before the size was known take their place now.
  for (size_t i = 0; i < state.pages.size(); ++i) {
    if (!state.pages[i]->window) continue;
    const RECT area = PageRect(sheet, state, static_cast<int>(i));
    SetWindowPos(state.pages[i]->window, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (!Activate(sheet, state, std::max(start, 0), 1)) {
    DestroyWindow(sheet);
    return -1;
  }
  const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (owner) EnableWindow(owner, FALSE);
  ShowWindow(sheet, SW_SHOW);
  SetForegroundWindow(sheet);
  SetActiveWindow(sheet);
  HWND current = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
  if (current) {
    // A page without a control to type into gives the focus to the button Enter would press: the
    // shown one of Next and Finish (a hidden Next would leave the keys nowhere).
    HWND focus = GetNextDlgTabItem(current, nullptr, FALSE);
    if (!focus) focus = GetDlgItem(sheet, IsWindowVisible(GetDlgItem(sheet, ID_WIZFINISH)) ? ID_WIZFINISH : ID_WIZNEXT);
    SetFocus(focus);
  }
  MSG msg;
  bool quit = false;
  while (!state.done) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      quit = got == 0;
      break;
    }
    if (SendMessageA(sheet, PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(&msg))) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  const INT_PTR result = state.done ? state.result : 0;
  if (owner && ownerWasEnabled) EnableWindow(owner, TRUE);
  if (owner) SetActiveWindow(owner);
  DestroyWindow(sheet);
  if (quit) PostQuitMessage(static_cast<int>(msg.wParam));
  return result;
}
