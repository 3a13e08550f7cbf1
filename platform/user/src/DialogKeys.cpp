// The dialog manager's keyboard: IsDialogMessage and the tab and group walks it is built on.
#include "Internal.h"

#include <user/Dialog.h>
#include <user/Input.h>

#include <cctype>

namespace tolvar::user {
namespace {

constexpr UINT kVkExecute = 0x2B;

bool Usable(HWND window) {
  DWORD style = StyleOf(window);
  return (style & WS_VISIBLE) && !(style & WS_DISABLED);
}

// The controls of a dialog in tab order: its children in z-order, stepping into children that are
// control parents (WS_EX_CONTROLPARENT) in place of themselves.
void TabOrder(HWND parent, std::vector<HWND>& out, int depth = 0) {
  if (depth > 32) return;
  for (HWND child : ChildrenOf(parent)) {
    auto slot = ReadSlot(child);
    if (!slot) continue;
    if ((slot->exStyle & WS_EX_CONTROLPARENT) && (slot->style & WS_VISIBLE) && !(slot->style & WS_DISABLED)) {
      TabOrder(child, out, depth + 1);
    } else {
      out.push_back(child);
    }
  }
}

// Whether `text` has `c` as its mnemonic (after a single '&').
bool HasMnemonic(const std::string& text, char c) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    return std::tolower(static_cast<unsigned char>(text[i + 1])) == std::tolower(static_cast<unsigned char>(c));
  }
  return false;
}

std::string TextOf(HWND window) {
  char buffer[256];
  GetWindowTextA(window, buffer, sizeof buffer);
  return buffer;
}

// Alt+letter (or a letter a control does not want): the control whose text carries the mnemonic.
bool Mnemonic(HWND dialog, HWND from, char c) {
  std::vector<HWND> controls;
  TabOrder(dialog, controls);
  if (controls.empty()) return false;
  auto start = std::find(controls.begin(), controls.end(), from);
  std::size_t first = start == controls.end() ? 0 : static_cast<std::size_t>(start - controls.begin()) + 1;
  for (std::size_t n = 0; n < controls.size(); ++n) {
    HWND control = controls[(first + n) % controls.size()];
    if (!Usable(control)) continue;
    LRESULT code = SendMessageA(control, WM_GETDLGCODE, 0, 0);
    if (!HasMnemonic(TextOf(control), c)) continue;
    if (code & DLGC_STATIC) {
      // A label hands the focus to the control after it.
      std::size_t at = (first + n) % controls.size();
      for (std::size_t k = 1; k < controls.size(); ++k) {
        HWND next = controls[(at + k) % controls.size()];
        if (Usable(next) && !(SendMessageA(next, WM_GETDLGCODE, 0, 0) & DLGC_STATIC)) {
          SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), 1);
          return true;
        }
      }
      return true;
    }
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), 1);
    if (code & DLGC_BUTTON) SendMessageA(control, BM_CLICK, 0, 0);
    return true;
  }
  return false;
}

}  // namespace
}  // namespace tolvar::user

using namespace tolvar::user;

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
  if (!IsWindow(dialog)) return InvalidWindow<HWND>(nullptr);
  std::vector<HWND> controls;
  TabOrder(dialog, controls);
  if (controls.empty()) return nullptr;
  auto at = control ? std::find(controls.begin(), controls.end(), control) : controls.end();
  const std::size_t count = controls.size();
  std::size_t index = at == controls.end() ? (previous ? 0 : count - 1) : static_cast<std::size_t>(at - controls.begin());
  for (std::size_t n = 1; n <= count; ++n) {
    std::size_t i = previous ? (index + count - n % count) % count : (index + n) % count;
    HWND candidate = controls[i];
    if ((StyleOf(candidate) & WS_TABSTOP) && Usable(candidate)) return candidate;
  }
  return control;
}

HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous) {
  if (!IsWindow(dialog)) return InvalidWindow<HWND>(nullptr);
  HWND parent = control ? ParentOf(control) : dialog;
  std::vector<HWND> siblings = ChildrenOf(parent);
  if (siblings.empty()) return nullptr;
  auto at = control ? std::find(siblings.begin(), siblings.end(), control) : siblings.begin();
  if (at == siblings.end()) return nullptr;
  std::size_t index = static_cast<std::size_t>(at - siblings.begin());
  // The group runs from a WS_GROUP control up to the next one.
  std::size_t start = index;
  while (start > 0 && !(StyleOf(siblings[start]) & WS_GROUP)) --start;
  std::size_t end = index + 1;
  while (end < siblings.size() && !(StyleOf(siblings[end]) & WS_GROUP)) ++end;
  const std::size_t size = end - start;
  const std::size_t offset = index - start;
  for (std::size_t n = 1; n <= size; ++n) {
    std::size_t i = start + (previous ? (offset + size - n % size) % size : (offset + n) % size);
    if (Usable(siblings[i])) return siblings[i];
  }
  return control;
}

BOOL IsDialogMessageA(HWND dialog, LPMSG message) {
  if (!message || !IsWindow(dialog)) return FALSE;
  if (message->hwnd != dialog && !IsChild(dialog, message->hwnd)) return FALSE;
  NoteInputMessage(*message);
  switch (message->message) {
    case WM_KEYDOWN: {
      LRESULT code = SendMessageA(message->hwnd, WM_GETDLGCODE, message->wParam, reinterpret_cast<LPARAM>(message));
      if (code & DLGC_WANTMESSAGE) break;
      switch (message->wParam) {
        case VK_TAB:
          if (code & DLGC_WANTTAB) break;
          SendMessageA(dialog, WM_NEXTDLGCTL, (GetKeyState(VK_SHIFT) & 0x8000) ? 1 : 0, 0);
          return TRUE;
        case VK_RIGHT:
        case VK_DOWN:
        case VK_LEFT:
        case VK_UP: {
          if (code & DLGC_WANTARROWS) break;
          const bool previous = message->wParam == VK_LEFT || message->wParam == VK_UP;
          HWND next = GetNextDlgGroupItem(dialog, message->hwnd, previous);
          if (next && SendMessageA(next, WM_GETDLGCODE, message->wParam, reinterpret_cast<LPARAM>(message)) ==
                          (DLGC_BUTTON | DLGC_RADIOBUTTON)) {
            // Moving through radio buttons checks the one reached.
            SetFocus(next);
            if (SendMessageA(next, BM_GETCHECK, 0, 0) != BST_CHECKED) SendMessageA(next, BM_CLICK, 1, 0);
          } else if (next) {
            SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), 1);
          }
          return TRUE;
        }
        case VK_CANCEL:
        case VK_ESCAPE:
          SendMessageA(dialog, WM_COMMAND, IDCANCEL, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
          return TRUE;
        case kVkExecute:
        case VK_RETURN: {
          HWND focus = GetFocus();
          LRESULT id = 0;
          if (focus && IsChild(dialog, focus) && (SendMessageA(focus, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)) {
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(focus)), BN_CLICKED),
                         reinterpret_cast<LPARAM>(focus));
          } else if (HIWORD(static_cast<DWORD_PTR>(id = SendMessageA(dialog, DM_GETDEFID, 0, 0))) == DC_HASDEFID) {
            HWND button = GetDlgItem(dialog, LOWORD(static_cast<DWORD_PTR>(id)));
            if (!button || IsWindowEnabled(button)) {
              SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(LOWORD(static_cast<DWORD_PTR>(id)), BN_CLICKED),
                           reinterpret_cast<LPARAM>(button));
            }
          } else {
            SendMessageA(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
          }
          return TRUE;
        }
        default: break;
      }
      break;
    }
    case WM_CHAR: {
      LRESULT code = SendMessageA(message->hwnd, WM_GETDLGCODE, message->wParam, reinterpret_cast<LPARAM>(message));
      if (code & (DLGC_WANTCHARS | DLGC_WANTMESSAGE)) break;
      if (message->wParam == '\t' && (code & DLGC_WANTTAB)) break;
      // Mnemonics are ASCII letters: a character beyond them (wParam is a code point) never
      // stands for one, however its low byte reads.
      if (message->wParam < 0x80 && Mnemonic(dialog, message->hwnd, static_cast<char>(message->wParam))) return TRUE;
      break;
    }
    case WM_SYSCHAR:
      if (message->wParam < 0x80 && Mnemonic(dialog, message->hwnd, static_cast<char>(message->wParam))) return TRUE;
      break;
    default: break;
  }
  TranslateMessage(message);
  DispatchMessageA(message);
  return TRUE;
}
