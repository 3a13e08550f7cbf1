// The dialog item functions: controls by id, their texts, numbers and check states.
#include "Internal.h"

#include <user/Dialog.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <cctype>
#include <climits>
#include <cstdio>

using namespace tolvar::user;

HWND GetDlgItem(HWND dialog, int id) {
  if (!IsWindow(dialog)) return InvalidWindow<HWND>(nullptr);
  for (HWND child : ChildrenOf(dialog)) {
    auto slot = ReadSlot(child);
    if (slot && static_cast<int>(slot->id) == id) return child;
  }
  SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
  return nullptr;
}

LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND control = GetDlgItem(dialog, id);
  return control ? SendMessageA(control, message, wParam, lParam) : 0;
}

BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
  HWND control = GetDlgItem(dialog, id);
  return control ? SetWindowTextA(control, text) : FALSE;
}

UINT GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int bufferMax) {
  if (buffer && bufferMax > 0) buffer[0] = 0;
  HWND control = GetDlgItem(dialog, id);
  return control ? static_cast<UINT>(GetWindowTextA(control, buffer, bufferMax)) : 0;
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
  char text[16];
  if (isSigned) std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  else std::snprintf(text, sizeof text, "%u", value);
  return SetDlgItemTextA(dialog, id, text);
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
  if (translated) *translated = FALSE;
  char text[64];
  if (!GetDlgItemTextA(dialog, id, text, sizeof text) && !GetDlgItem(dialog, id)) return 0;
  const char* p = text;
  while (std::isspace(static_cast<unsigned char>(*p))) ++p;
  bool negative = false;
  if (isSigned && (*p == '-' || *p == '+')) negative = *p++ == '-';
  if (!std::isdigit(static_cast<unsigned char>(*p))) return 0;
  unsigned long long value = 0;
  while (std::isdigit(static_cast<unsigned char>(*p))) {
    value = value * 10 + static_cast<unsigned>(*p++ - '0');
    if (value > 0xFFFFFFFFull) return 0;  // does not fit: not translated
  }
  while (std::isspace(static_cast<unsigned char>(*p))) ++p;
  if (*p) return 0;
  if (isSigned) {
    if (negative ? value > static_cast<unsigned long long>(INT_MAX) + 1 : value > static_cast<unsigned long long>(INT_MAX)) {
      return 0;
    }
    if (translated) *translated = TRUE;
    return static_cast<UINT>(negative ? -static_cast<long long>(value) : static_cast<long long>(value));
  }
  if (translated) *translated = TRUE;
  return static_cast<UINT>(value);
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) return FALSE;
  SendMessageA(control, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
  return static_cast<UINT>(SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0));
}

BOOL CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId) {
  if (!IsWindow(dialog)) return InvalidWindow(FALSE);
  for (int id = firstId; id <= lastId; ++id) {
    if (HWND control = GetDlgItem(dialog, id)) {
      SendMessageA(control, BM_SETCHECK, id == checkId ? BST_CHECKED : BST_UNCHECKED, 0);
    }
  }
  return TRUE;
}
