#include "Controls.h"

#include <gdi/Gdi.h>
#include <user/User.h>

namespace testing_framework {
namespace {

constexpr int kFontSlot = 0;
constexpr int kCheckSlot = 8;
constexpr UINT kCtlColorFor[] = {WM_CTLCOLORBTN, WM_CTLCOLOREDIT, WM_CTLCOLORSTATIC};

enum Kind { kButton, kEdit, kStatic };

// Asks the parent for the colours, as the real controls do; a parent that does not answer gets the
// system's.
HBRUSH Colours(HWND window, HDC dc, Kind kind) {
  auto brush = reinterpret_cast<HBRUSH>(SendMessageA(GetParent(window), kCtlColorFor[kind],
                                                     reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(window)));
  return brush ? brush : GetSysColorBrush(kind == kEdit ? COLOR_WINDOW : COLOR_3DFACE);
}

void Paint(HWND window, Kind kind) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HGDIOBJ>(GetWindowLongPtrA(window, kFontSlot)));
  HBRUSH brush = Colours(window, dc, kind);
  FillRect(dc, &client, brush);
  char text[256];
  int length = GetWindowTextA(window, text, sizeof text);
  SetBkMode(dc, TRANSPARENT);
  if (kind == kButton) {
    RECT edge = client;
    DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT);
    DrawTextA(dc, text, length, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  } else if (kind == kEdit) {
    RECT edge = client;
    DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
    RECT inside{client.left + 4, client.top, client.right - 2, client.bottom};
    DrawTextA(dc, text, length, &inside, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  } else {
    DrawTextA(dc, text, length, &client, DT_LEFT | DT_WORDBREAK);
  }
  SelectObject(dc, oldFont);
  EndPaint(window, &paint);
}

LRESULT Common(HWND window, UINT message, WPARAM wParam, LPARAM lParam, Kind kind) {
  switch (message) {
    case WM_PAINT: Paint(window, kind); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SETFONT:
      SetWindowLongPtrA(window, kFontSlot, static_cast<LONG_PTR>(wParam));
      if (lParam) InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_GETFONT: return GetWindowLongPtrA(window, kFontSlot);
    case WM_SETTEXT: {
      LRESULT result = DefWindowProcA(window, message, wParam, lParam);
      InvalidateRect(window, nullptr, TRUE);
      return result;
    }
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

LRESULT ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE:
      return DLGC_BUTTON | ((GetWindowLongA(window, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON ? DLGC_DEFPUSHBUTTON
                                                                                                  : DLGC_UNDEFPUSHBUTTON);
    case BM_GETCHECK: return GetWindowLongPtrA(window, kCheckSlot);
    case BM_SETCHECK: SetWindowLongPtrA(window, kCheckSlot, static_cast<LONG_PTR>(wParam)); return 0;
    case BM_SETSTYLE: return 0;
    case WM_LBUTTONUP:
    case BM_CLICK:
      return SendMessageA(GetParent(window), WM_COMMAND,
                          MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(window)), BN_CLICKED),
                          reinterpret_cast<LPARAM>(window));
    default: return Common(window, message, wParam, lParam, kButton);
  }
}

LRESULT EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE: return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    case 0x00B1 /* EM_SETSEL */:
    case 0x00C5 /* EM_LIMITTEXT */: return 0;
    case WM_CHAR: {
      char text[256];
      int n = GetWindowTextA(window, text, sizeof text - 1);
      text[n] = static_cast<char>(wParam);
      text[n + 1] = 0;
      SetWindowTextA(window, text);
      return 0;
    }
    default: return Common(window, message, wParam, lParam, kEdit);
  }
}

LRESULT StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETDLGCODE) return DLGC_STATIC;
  return Common(window, message, wParam, lParam, kStatic);
}

void Register(const char* name, WNDPROC proc) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.cbWndExtra = 16;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = name;
  RegisterClassExA(&wc);
}

void Provide() {
  Register("Button", ButtonProc);
  Register("Edit", EditProc);
  Register("Static", StaticProc);
}

}  // namespace

void AddStandInControls() {
  static bool added = [] {
    tolvar::user::AddClassProvider(&Provide);
    return true;
  }();
  (void)added;
}

}  // namespace testing_framework
