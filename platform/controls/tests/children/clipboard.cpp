// A program for the clipboard test between processes. "copy <text>": puts the text in an edit,
// selects it and copies it with Ctrl+C's message. "paste <text>": pastes into an empty edit and
// exits 0 when what came is the text, 3 when not. It names no controls' function but the messages:
// the edit class reaches it through the window manager, as in any program.
#include <controls/Controls.h>
#include <kernel/Kernel.h>

#include <cstring>
#include <string>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  HWND edit = CreateWindowExA(0, "Edit", "", WS_POPUP | ES_AUTOHSCROLL, 0, 0, 200, 24, nullptr, nullptr, nullptr,
                              nullptr);
  if (!edit) return 4;
  const std::string text = argv[2];
  int result = 0;
  if (std::strcmp(argv[1], "copy") == 0) {
    SetWindowTextA(edit, text.c_str());
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, WM_CHAR, 0x03, 1);
  } else {
    SendMessageA(edit, WM_CHAR, 0x16, 1);
    char got[256] = {};
    GetWindowTextA(edit, got, sizeof got);
    result = text == got ? 0 : 3;
  }
  DestroyWindow(edit);
  return result;
}
