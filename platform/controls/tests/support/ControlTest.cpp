#include "ControlTest.h"

#include <map>

namespace testing_controls {
namespace {

std::map<HWND, WNDPROC>& Originals() {
  static std::map<HWND, WNDPROC> originals;
  return originals;
}

LRESULT SpyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!Noise(message)) Recorder::Get().Add(window, message, wParam, lParam);
  WNDPROC original = Originals()[window];
  LRESULT result = CallWindowProcA(original, window, message, wParam, lParam);
  if (message == WM_NCDESTROY) Originals().erase(window);
  return result;
}

LRESULT ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!Noise(message)) Recorder::Get().Add(window, message, wParam, lParam);
  if (message == WM_DRAWITEM) DrawnItems().push_back(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

std::vector<DRAWITEMSTRUCT>& DrawnItems() {
  static std::vector<DRAWITEMSTRUCT> items;
  return items;
}

bool Noise(UINT message) {
  switch (message) {
    case WM_NCHITTEST: case WM_SETCURSOR: case WM_GETTEXT: case WM_GETTEXTLENGTH: case WM_NCPAINT:
    case WM_ERASEBKGND: case WM_PAINT: case WM_GETICON: case WM_TIMER: case WM_MOUSEMOVE: case WM_MOUSEACTIVATE:
    case WM_PARENTNOTIFY: case WM_MOUSELEAVE: case WM_GETFONT: case WM_NCMOUSEMOVE: case WM_CTLCOLORDLG:
    case WM_ENTERIDLE:
      return true;
    default: return false;
  }
}

LPCSTR ParentClass() {
  static bool registered = [] {
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = ParentProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = "ControlParent";
    return RegisterClassA(&wc) != 0;
  }();
  (void)registered;
  return "ControlParent";
}

void Spy(HWND control) {
  Originals()[control] =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SpyProc)));
}

void PumpDialog(HWND dialog) {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (dialog && IsDialogMessageA(dialog, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  testing_user::Pump();
}

void Press(HWND dialog, UINT key, UINT modifier) {
  if (modifier) tolvar::user::InjectKey(modifier, true);
  tolvar::user::InjectKey(key, true);
  tolvar::user::InjectKey(key, false);
  if (modifier) tolvar::user::InjectKey(modifier, false);
  PumpDialog(dialog);
}

void Click(HWND window, POINT client, HWND dialog) {
  POINT screen = client;
  ClientToScreen(window, &screen);
  tolvar::user::InjectMouse(screen, WM_LBUTTONDOWN);
  PumpDialog(dialog);
  tolvar::user::InjectMouse(screen, WM_LBUTTONUP);
  PumpDialog(dialog);
}

void Type(HWND window, const std::string& text, HWND dialog) {
  for (unsigned char byte : text) PostMessageA(window, WM_CHAR, byte, 1);
  PumpDialog(dialog);
}

std::string TextOf(HWND window) {
  char buffer[1024] = {};
  GetWindowTextA(window, buffer, sizeof buffer);
  return buffer;
}

void ControlTest::SetUp() {
  InitCommonControls();
  m_parent = CreateWindowExA(0, ParentClass(), "Parent", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE | WS_CLIPCHILDREN,
                             40, 40, 420, 320, nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(m_parent);
  SetActiveWindow(m_parent);
  testing_user::Pump();
  Recorder::Get().SetParent(m_parent);
  Recorder::Get().Clear();
}

void ControlTest::TearDown() {
  DestroyWindow(m_parent);
  testing_user::Pump();
  Recorder::Get().SetParent(nullptr);
  Recorder::Get().Clear();
}

HWND ControlTest::Make(LPCSTR className, LPCSTR text, DWORD style, int x, int y, int cx, int cy, int id,
                       DWORD exStyle) {
  HWND control = CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y, cx, cy, m_parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  return control;
}

}  // namespace testing_controls
