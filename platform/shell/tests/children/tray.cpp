// A second process with a tray icon: makes a hidden window, adds the icon named by its arguments
// (id and tip) and prints the window's handle as %08X; then waits until its input closes or it is
// killed, keeping the icon.
#include <shell/Shell.h>
#include <user/User.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.lpszClassName = "TrayChild";
  RegisterClassExA(&windowClass);
  HWND window = CreateWindowExA(0, "TrayChild", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATA_V1_SIZE;
  data.hWnd = window;
  data.uID = static_cast<UINT>(std::atoi(argv[1]));
  data.uFlags = NIF_MESSAGE | NIF_TIP;
  data.uCallbackMessage = WM_USER + 10;
  std::strncpy(data.szTip, argv[2], sizeof data.szTip - 1);
  const BOOL added = Shell_NotifyIconA(NIM_ADD, &data);
  std::printf("%08X %d\n", static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(window)), added ? 1 : 0);
  std::fflush(stdout);
  char buffer[16];
  while (std::fread(buffer, 1, sizeof buffer, stdin) > 0) {
  }
  return 0;
}
