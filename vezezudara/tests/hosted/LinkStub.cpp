// What the launcher starts as its link service in the tests: a hidden window of the class
// "VzdLinkStub" that stays until it is sent WM_CLOSE, so a test sees that it was started and that
// the launcher left it running.
#include <user/User.h>

namespace {
LRESULT StubProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
}  // namespace

int main() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = StubProc;
  wc.lpszClassName = "VzdLinkStub";
  RegisterClassA(&wc);
  CreateWindowExA(0, "VzdLinkStub", "Link stub", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}
