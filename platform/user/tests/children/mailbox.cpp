// A process whose mailbox the credential test writes to: it makes a window, writes the window's
// handle and its process id to the file named by its first argument, and ends with exit code 0
// when WM_USER + 5 reaches the window, or 3 when nothing came within three seconds.
#include <user/User.h>

#include <kernel/Kernel.h>

#include <cstdio>

namespace {

LRESULT Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER + 5) {
    PostQuitMessage(0);
    return 0;
  }
  if (message == WM_TIMER) {
    PostQuitMessage(3);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  WNDCLASSA wc{};
  wc.lpfnWndProc = Proc;
  wc.lpszClassName = "MailboxTarget";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "MailboxTarget", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  if (!window) return 2;
  SetTimer(window, 1, 3000, nullptr);
  if (FILE* out = std::fopen(argv[1], "w")) {
    std::fprintf(out, "%u %d\n", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(window)),
                 static_cast<int>(GetCurrentProcessId()));
    std::fclose(out);
  }
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return static_cast<int>(msg.wParam);
}
