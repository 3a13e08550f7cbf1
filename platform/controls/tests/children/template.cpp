// A program whose only use of the controls is a dialog template naming them: it links the controls
// library and names none of its functions. It exits 0 when the template's edit and button are the
// library's classes (the edit answers EM_GETLIMITTEXT, the button BM_GETCHECK after BM_SETCHECK).
#include <user/User.h>

#include <resources/Resource.h>

#include <cstring>

namespace {

constexpr UINT kGetLimitText = 0x00D5;  // EM_GETLIMITTEXT

INT_PTR Quiet(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

}  // namespace

int main() {
  HWND dialog = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(100), nullptr, Quiet, 0);
  if (!dialog) return 2;
  char name[32] = {};
  GetClassNameA(GetDlgItem(dialog, 10), name, sizeof name);
  if (std::strcmp(name, "Edit") != 0) return 3;
  if (SendDlgItemMessageA(dialog, 10, kGetLimitText, 0, 0) != 30000) return 4;
  SendDlgItemMessageA(dialog, 11, BM_SETCHECK, BST_CHECKED, 0);
  if (SendDlgItemMessageA(dialog, 11, BM_GETCHECK, 0, 0) != BST_CHECKED) return 5;
  DestroyWindow(dialog);
  return 0;
}
