#include "TestControls.h"

#include <user_testing/Recorder.h>

namespace testing_user {
namespace {

constexpr UINT kSetSelection = 0x00B1;  // EM_SETSEL
constexpr LONG kWantReturn = 0x1000;    // ES_WANTRETURN

bool Quiet(UINT message) {
  return message == WM_NCHITTEST || message == WM_SETCURSOR || message == WM_GETTEXT ||
         message == WM_GETTEXTLENGTH || message == WM_PAINT || message == WM_ERASEBKGND || message == WM_NCPAINT ||
         message == WM_GETICON || message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORBTN;
}

LRESULT Notify(HWND control) {
  HWND parent = GetParent(control);
  return SendMessageA(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(control)), BN_CLICKED),
                      reinterpret_cast<LPARAM>(control));
}

LRESULT Common(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == BM_GETCHECK) return GetWindowLongPtrA(window, GWLP_USERDATA);
  if (message == BM_SETCHECK) {
    SetWindowLongPtrA(window, GWLP_USERDATA, static_cast<LONG_PTR>(wParam));
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!Quiet(message)) Recorder::Get().Add(window, message, wParam, lParam);
  switch (message) {
    case WM_GETDLGCODE:
      return DLGC_BUTTON | ((GetWindowLongA(window, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON ? DLGC_DEFPUSHBUTTON
                                                                                                  : DLGC_UNDEFPUSHBUTTON);
    case BM_SETSTYLE:
      SetWindowLongA(window, GWL_STYLE,
                     static_cast<LONG>((static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & ~BS_TYPEMASK) |
                                       (static_cast<DWORD>(wParam) & BS_TYPEMASK)));
      return 0;
    case BM_CLICK: return Notify(window);
    default: return Common(window, message, wParam, lParam);
  }
}

LRESULT CheckProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!Quiet(message)) Recorder::Get().Add(window, message, wParam, lParam);
  switch (message) {
    case WM_GETDLGCODE: return DLGC_BUTTON;
    case BM_CLICK:
      SetWindowLongPtrA(window, GWLP_USERDATA, GetWindowLongPtrA(window, GWLP_USERDATA) ? BST_UNCHECKED : BST_CHECKED);
      return Notify(window);
    default: return Common(window, message, wParam, lParam);
  }
}

LRESULT RadioProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!Quiet(message)) Recorder::Get().Add(window, message, wParam, lParam);
  switch (message) {
    case WM_GETDLGCODE: return DLGC_BUTTON | DLGC_RADIOBUTTON;
    case BM_CLICK: {
      // An automatic radio button: checks itself and clears the others of its group.
      HWND dialog = GetParent(window);
      HWND other = window;
      do {
        SendMessageA(other, BM_SETCHECK, other == window ? BST_CHECKED : BST_UNCHECKED, 0);
        other = GetNextDlgGroupItem(dialog, other, FALSE);
      } while (other && other != window);
      return Notify(window);
    }
    default: return Common(window, message, wParam, lParam);
  }
}

LRESULT EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!Quiet(message)) Recorder::Get().Add(window, message, wParam, lParam);
  switch (message) {
    case WM_GETDLGCODE:
      return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS |
             ((GetWindowLongA(window, GWL_STYLE) & kWantReturn) ? DLGC_WANTALLKEYS : 0);
    case kSetSelection: return 0;
    case WM_CHAR: {
      char text[256];
      int n = GetWindowTextA(window, text, sizeof text - 1);
      text[n] = static_cast<char>(wParam);
      text[n + 1] = 0;
      SetWindowTextA(window, text);
      return 0;
    }
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

LRESULT StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETDLGCODE) return DLGC_STATIC;
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC hdc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    HBRUSH brush = CreateSolidBrush(GetDlgCtrlID(window) % 2 ? RGB(0, 160, 0) : RGB(0, 0, 200));
    FillRect(hdc, &client, brush);
    DeleteObject(brush);
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void Register(const char* name, WNDPROC proc) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = proc;
  wc.lpszClassName = name;
  RegisterClassA(&wc);
}

}  // namespace

void RegisterTestControls() {
  static bool done = [] {
    Register("TestButton", ButtonProc);
    Register("TestCheck", CheckProc);
    Register("TestRadio", RadioProc);
    Register("TestEdit", EditProc);
    Register("TestStatic", StaticProc);
    Register("TestPanel", PanelProc);
    return true;
  }();
  (void)done;
}

}  // namespace testing_user
