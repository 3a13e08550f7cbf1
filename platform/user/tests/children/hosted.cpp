// A program the launcher-style test starts: it reads " hWnd=%08X hMainWnd=%08X" from its command
// line, puts its dialog inside the host's window with SetParent, tells the host with WM_USER, runs
// until WM_CLOSE comes to its main thread, and says goodbye with the registered
// "WM_CLOSE_MAIN_FRAME". With "stay" it never leaves on its own. Its dialog holds two edit-like
// windows (11 and 12) that take the focus when clicked (telling the host with WM_USER + 1 when the
// focus comes, and with WM_USER + 3 once the click was handled, focus or not) and keep
// what is typed into them as their text, which the host reads through the station. WM_USER + 7
// posted to the dialog runs a modal dialog owned by it, as a message box at the end of a transfer
// is; the program tells the host with WM_USER + 2 (wParam: the modal dialog), which ends when
// WM_USER + 8 is posted to it. When the host destroys the
// window its dialog lives in, the dialog goes too: the program then ends with 0 when its own
// thread got WM_DESTROY and WM_NCDESTROY for the dialog, else with 4.
#include <user/User.h>

#include <gdi/Gdi.h>
#include <kernel/Kernel.h>
#include <resources/Resource.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

HWND g_hostMain = nullptr;
DWORD g_mainThread = 0;
int g_destroyedHere = 0;  // 1: WM_DESTROY, 2: WM_NCDESTROY, on the main thread

LRESULT PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC hdc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    HBRUSH brush = CreateSolidBrush(RGB(0, 160, 0));
    FillRect(hdc, &client, brush);
    DeleteObject(brush);
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// WM_CHAR carries a code point; the text is UTF-8.
void AppendUtf8(std::string& text, char32_t c) {
  if (c < 0x80) {
    text += static_cast<char>(c);
  } else if (c < 0x800) {
    text += static_cast<char>(0xC0 | (c >> 6));
    text += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    text += static_cast<char>(0xE0 | (c >> 12));
    text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    text += static_cast<char>(0xF0 | (c >> 18));
    text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (c & 0x3F));
  }
}

LRESULT EditLikeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE: return DLGC_WANTCHARS;
    case WM_LBUTTONDOWN:
      SetFocus(window);
      PostMessageA(g_hostMain, WM_USER + 3, reinterpret_cast<WPARAM>(window), 0);
      return 0;
    case WM_SETFOCUS: PostMessageA(g_hostMain, WM_USER + 1, reinterpret_cast<WPARAM>(window), 0); return 0;
    case WM_CHAR: {
      char buffer[256] = {};
      GetWindowTextA(window, buffer, sizeof buffer);
      std::string text = buffer;
      AppendUtf8(text, static_cast<char32_t>(wParam));
      SetWindowTextA(window, text.c_str());
      return 0;
    }
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

INT_PTR ModalProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) {
    PostMessageA(g_hostMain, WM_USER + 2, reinterpret_cast<WPARAM>(dialog), 0);
    return TRUE;
  }
  if (message == WM_USER + 8) EndDialog(dialog, 1);
  return FALSE;
}

INT_PTR DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_USER + 7) {
    DialogBoxParamA(nullptr, MAKEINTRESOURCEA(2), dialog, ModalProc, 0);
    return TRUE;
  }
  if ((message == WM_DESTROY || message == WM_NCDESTROY) && GetCurrentThreadId() == g_mainThread) {
    g_destroyedHere |= message == WM_DESTROY ? 1 : 2;
  }
  if (message == WM_USER + 5) {
    // Asks the host something back while the host waits for this answer.
    LRESULT fromHost = SendMessageA(g_hostMain, WM_USER + 6, wParam, 0);
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, fromHost + 1);
    return TRUE;
  }
  return FALSE;
}

HWND HandleAfter(const char* commandLine, const char* key) {
  const char* at = std::strstr(commandLine, key);
  unsigned value = 0;
  if (at) std::sscanf(at + std::strlen(key), "%x", &value);
  return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(value));
}

}  // namespace

int main() {
  const char* commandLine = GetCommandLineA();
  HWND host = HandleAfter(commandLine, "hWnd=");
  g_hostMain = HandleAfter(commandLine, "hMainWnd=");
  const bool stay = std::strstr(commandLine, " stay") != nullptr;
  const UINT closeMainFrame = RegisterWindowMessageA("WM_CLOSE_MAIN_FRAME");
  g_mainThread = GetCurrentThreadId();

  WNDCLASSA wc{};
  wc.lpfnWndProc = PanelProc;
  wc.lpszClassName = "HostedPanel";
  RegisterClassA(&wc);
  wc.lpfnWndProc = EditLikeProc;
  wc.lpszClassName = "HostedEdit";
  RegisterClassA(&wc);
  HWND dialog = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(1), nullptr, DialogProc, 0);
  if (!dialog) return 2;
  if (!SetParent(dialog, host)) return 3;
  SetWindowLongA(dialog, GWL_STYLE,
                 static_cast<LONG>((static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE)) & ~(WS_CAPTION | WS_THICKFRAME)) |
                                   WS_CLIPCHILDREN));
  PostMessageA(g_hostMain, WM_USER, reinterpret_cast<WPARAM>(dialog), 0);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0)) {
    if (!message.hwnd && message.message == WM_CLOSE && !stay) break;
    if (!IsDialogMessageA(dialog, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (!IsWindow(dialog)) return g_destroyedHere == 3 ? 0 : 4;  // taken with the host's window
  }
  DestroyWindow(dialog);
  PostMessageA(g_hostMain, closeMainFrame, 0, 0);
  return 0;
}
