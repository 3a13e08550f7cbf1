// A tray program for the display tests: it reads " hWnd=%08X" from its command line, puts an icon
// (red over transparent, tip "Phone linked") into the notification area and passes each of the
// icon's callback messages on to that window as WM_APP + 7 (wParam 3, lParam the mouse message).
// It runs until WM_CLOSE comes to its thread or it is killed. It links the display, so its icon
// shows wherever the desktop shows a program's icons.
#include <shell/ShellApi.h>
#include <user/User.h>

#include <gdi/Gdi.h>
#include <kernel/Kernel.h>

#include <cstdio>
#include <cstring>

namespace {

HWND g_host = nullptr;
constexpr UINT kCallback = WM_APP + 1;

LRESULT OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kCallback) {
    if (lParam != WM_MOUSEMOVE) PostMessageA(g_host, WM_APP + 7, 3, lParam);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HICON RedIcon() {
  BYTE maskBits[16 * 2];
  for (int row = 0; row < 16; ++row) maskBits[row * 2] = maskBits[row * 2 + 1] = row < 8 ? 0x00 : 0xFF;
  HBITMAP mask = CreateBitmap(16, 16, 1, 1, maskBits);
  BITMAPINFO format{};
  format.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP image = CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  auto* pixels = static_cast<DWORD*>(bits);
  for (int i = 0; i < 16 * 16; ++i) pixels[i] = i < 16 * 8 ? 0xFF0000u : 0;
  ICONINFO info{TRUE, 0, 0, mask, image};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(mask);
  DeleteObject(image);
  return icon;
}

}  // namespace

int main() {
  const char* at = std::strstr(GetCommandLineA(), "hWnd=");
  unsigned value = 0;
  if (at) std::sscanf(at + 5, "%x", &value);
  g_host = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(value));
  if (!g_host) return 2;
  WNDCLASSA wc{};
  wc.lpfnWndProc = OwnerProc;
  wc.lpszClassName = "TrayOwner";
  RegisterClassA(&wc);
  HWND owner = CreateWindowExA(0, "TrayOwner", "Tray owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                               nullptr, nullptr);
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = owner;
  data.uID = 1;
  data.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  data.uCallbackMessage = kCallback;
  data.hIcon = RedIcon();
  std::strcpy(data.szTip, "Phone linked");
  if (!Shell_NotifyIconA(NIM_ADD, &data)) return 3;
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0)) {
    if (!message.hwnd && message.message == WM_CLOSE) break;
    DispatchMessageA(&message);
  }
  Shell_NotifyIconA(NIM_DELETE, &data);
  DestroyWindow(owner);
  return 0;
}
