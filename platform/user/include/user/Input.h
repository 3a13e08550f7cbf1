#pragma once
// Keyboard focus, activation, the foreground window, mouse capture, key states and the cursor
// position. Input arrives from the display backend or, headless, from the injection functions of
// <user/Headless.h>, and is routed as the real devices' input is.
#include <base/WinDef.h>
#include <user/Messages.h>

// Focus and activation belong to the calling thread (its input state); the foreground window is the
// one of the whole home.
HWND SetFocus(HWND window);  // sends WM_KILLFOCUS and WM_SETFOCUS; returns the previous focus
HWND GetFocus();
HWND SetActiveWindow(HWND window);  // WM_NCACTIVATE, WM_ACTIVATE to the old and the new window
HWND GetActiveWindow();
BOOL SetForegroundWindow(HWND window);
HWND GetForegroundWindow();
// Joins the input state of two threads, so that focus and activation are shared, or parts them.
BOOL AttachThreadInput(DWORD attach, DWORD attachTo, BOOL join);

HWND SetCapture(HWND window);  // WM_CAPTURECHANGED to the window that loses it
BOOL ReleaseCapture();
HWND GetCapture();

constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_CANCEL = 0x03;
constexpr int VK_MBUTTON = 0x04;
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_CLEAR = 0x0C;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_PAUSE = 0x13;
constexpr int VK_CAPITAL = 0x14;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;
constexpr int VK_NEXT = 0x22;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_SELECT = 0x29;
constexpr int VK_SNAPSHOT = 0x2C;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_HELP = 0x2F;
constexpr int VK_LWIN = 0x5B;
constexpr int VK_RWIN = 0x5C;
constexpr int VK_APPS = 0x5D;
constexpr int VK_NUMPAD0 = 0x60;
constexpr int VK_NUMPAD1 = 0x61;
constexpr int VK_NUMPAD2 = 0x62;
constexpr int VK_NUMPAD3 = 0x63;
constexpr int VK_NUMPAD4 = 0x64;
constexpr int VK_NUMPAD5 = 0x65;
constexpr int VK_NUMPAD6 = 0x66;
constexpr int VK_NUMPAD7 = 0x67;
constexpr int VK_NUMPAD8 = 0x68;
constexpr int VK_NUMPAD9 = 0x69;
constexpr int VK_MULTIPLY = 0x6A;
constexpr int VK_ADD = 0x6B;
constexpr int VK_SEPARATOR = 0x6C;
constexpr int VK_SUBTRACT = 0x6D;
constexpr int VK_DECIMAL = 0x6E;
constexpr int VK_DIVIDE = 0x6F;
constexpr int VK_F1 = 0x70;
constexpr int VK_F2 = 0x71;
constexpr int VK_F3 = 0x72;
constexpr int VK_F4 = 0x73;
constexpr int VK_F5 = 0x74;
constexpr int VK_F6 = 0x75;
constexpr int VK_F7 = 0x76;
constexpr int VK_F8 = 0x77;
constexpr int VK_F9 = 0x78;
constexpr int VK_F10 = 0x79;
constexpr int VK_F11 = 0x7A;
constexpr int VK_F12 = 0x7B;
constexpr int VK_F13 = 0x7C;
constexpr int VK_F14 = 0x7D;
constexpr int VK_F15 = 0x7E;
constexpr int VK_F16 = 0x7F;
constexpr int VK_F17 = 0x80;
constexpr int VK_F18 = 0x81;
constexpr int VK_F19 = 0x82;
constexpr int VK_F20 = 0x83;
constexpr int VK_F21 = 0x84;
constexpr int VK_F22 = 0x85;
constexpr int VK_F23 = 0x86;
constexpr int VK_F24 = 0x87;
constexpr int VK_NUMLOCK = 0x90;
constexpr int VK_SCROLL = 0x91;
constexpr int VK_LSHIFT = 0xA0;
constexpr int VK_RSHIFT = 0xA1;
constexpr int VK_LCONTROL = 0xA2;
constexpr int VK_RCONTROL = 0xA3;
constexpr int VK_LMENU = 0xA4;
constexpr int VK_RMENU = 0xA5;
// The punctuation keys, named for the US layout the display's key table follows.
constexpr int VK_OEM_1 = 0xBA;       // ;:
constexpr int VK_OEM_PLUS = 0xBB;    // =+
constexpr int VK_OEM_COMMA = 0xBC;   // ,<
constexpr int VK_OEM_MINUS = 0xBD;   // -_
constexpr int VK_OEM_PERIOD = 0xBE;  // .>
constexpr int VK_OEM_2 = 0xBF;       // /?
constexpr int VK_OEM_3 = 0xC0;       // `~
constexpr int VK_OEM_4 = 0xDB;       // [{
constexpr int VK_OEM_5 = 0xDC;       // \|
constexpr int VK_OEM_6 = 0xDD;       // ]}
constexpr int VK_OEM_7 = 0xDE;       // '"

// The high bit (0x8000 in the SHORT) is set while the key is down; the low bit toggles with each
// press. GetAsyncKeyState answers as of now. GetKeyState answers for Shift, Ctrl and Alt as of the
// last keyboard or mouse message the thread handled (seen by IsDialogMessage, TranslateMessage or
// DispatchMessage; key messages carry the states in their lParam), for other keys as of now.
SHORT GetKeyState(int virtualKey);
SHORT GetAsyncKeyState(int virtualKey);

BOOL GetCursorPos(LPPOINT point);
BOOL SetCursorPos(int x, int y);  // moves the pointer, which makes a WM_MOUSEMOVE where it lands

constexpr DWORD TME_HOVER = 0x00000001;
constexpr DWORD TME_LEAVE = 0x00000002;
constexpr DWORD TME_NONCLIENT = 0x00000010;
constexpr DWORD TME_QUERY = 0x40000000;
constexpr DWORD TME_CANCEL = 0x80000000;
constexpr DWORD HOVER_DEFAULT = 0xFFFFFFFF;
struct TRACKMOUSEEVENT {
  DWORD cbSize;
  DWORD dwFlags;
  HWND hwndTrack;
  DWORD dwHoverTime;
};
using LPTRACKMOUSEEVENT = TRACKMOUSEEVENT*;
// WM_MOUSELEAVE when the pointer leaves the window's client area (TME_LEAVE); WM_MOUSEHOVER after it
// rested dwHoverTime ms (TME_HOVER). Once each per request.
BOOL TrackMouseEvent(LPTRACKMOUSEEVENT track);
inline BOOL _TrackMouseEvent(LPTRACKMOUSEEVENT track) { return TrackMouseEvent(track); }

DWORD GetDoubleClickTime();
