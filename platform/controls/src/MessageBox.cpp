// The message box: a dialog made from a small template in memory, filled in at WM_INITDIALOG from a
// table of button sets, laid out from its text's measured size and centred over its owner. The
// dialog manager does the keys; the box only decides what Escape (IDCANCEL) means for its set.
#include "Common.h"

#include <base/LastError.h>
#include <base/WinError.h>

#include <algorithm>
#include <span>
#include <string>
#include <vector>

namespace {

using namespace tolvar::controls;

struct ButtonInfo {
  int id;
  const char* label;
};

constexpr ButtonInfo kOk{IDOK, "OK"}, kCancel{IDCANCEL, "Cancel"}, kAbort{IDABORT, "&Abort"},
    kRetry{IDRETRY, "&Retry"}, kIgnore{IDIGNORE, "&Ignore"}, kYes{IDYES, "&Yes"}, kNo{IDNO, "&No"},
    kTryAgain{IDTRYAGAIN, "&Try Again"}, kContinue{IDCONTINUE, "&Continue"};

struct ButtonSet {
  ButtonInfo buttons[3];
  int count;
};

// By MB_TYPEMASK.
constexpr ButtonSet kSets[] = {
    {{kOk}, 1},                              // MB_OK
    {{kOk, kCancel}, 2},                     // MB_OKCANCEL
    {{kAbort, kRetry, kIgnore}, 3},          // MB_ABORTRETRYIGNORE
    {{kYes, kNo, kCancel}, 3},               // MB_YESNOCANCEL
    {{kYes, kNo}, 2},                        // MB_YESNO
    {{kRetry, kCancel}, 2},                  // MB_RETRYCANCEL
    {{kCancel, kTryAgain, kContinue}, 3},    // MB_CANCELTRYCONTINUE
};

// The built-in icon of each MB_ICON value.
LPCSTR IconName(UINT style) {
  switch (style & MB_ICONMASK) {
    case MB_ICONHAND: return IDI_HAND;
    case MB_ICONQUESTION: return IDI_QUESTION;
    case MB_ICONEXCLAMATION: return IDI_EXCLAMATION;
    case MB_ICONASTERISK: return IDI_ASTERISK;
    default: return nullptr;
  }
}

constexpr int kStaticId = 0xFFFF;
constexpr int kIconId = 20;
constexpr int kMargin = 11;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;

struct Box {
  const MSGBOXPARAMSA* params;
  const ButtonSet* set;
  HFONT font = nullptr;
};

bool HasButton(const ButtonSet& set, int id) {
  return std::any_of(set.buttons, set.buttons + set.count, [id](const ButtonInfo& b) { return b.id == id; });
}

void Centre(HWND dialog, HWND owner, SIZE size) {
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (owner && IsWindowVisible(owner)) GetWindowRect(owner, &area);
  int x = (area.left + area.right - size.cx) / 2, y = (area.top + area.bottom - size.cy) / 2;
  x = std::max(0, std::min<int>(x, GetSystemMetrics(SM_CXSCREEN) - size.cx));
  y = std::max(0, std::min<int>(y, GetSystemMetrics(SM_CYSCREEN) - size.cy));
  SetWindowPos(dialog, nullptr, x, y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Build(HWND dialog, Box& box) {
  const MSGBOXPARAMSA& params = *box.params;
  const ButtonSet& set = *box.set;
  SetWindowTextA(dialog, params.lpszCaption ? params.lpszCaption : "Error");
  box.font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
  const WPARAM font = reinterpret_cast<WPARAM>(box.font);

  HICON icon = nullptr;
  if ((params.dwStyle & MB_ICONMASK) == MB_USERICON) icon = LoadIconA(params.hInstance, params.lpszIcon);
  else if (LPCSTR name = IconName(params.dwStyle)) icon = LoadIconA(nullptr, name);
  const int iconSize = icon ? GetSystemMetrics(SM_CXICON) : 0;

  // The text's size: lines wrapped at most at five eighths of the screen's width.
  const std::string text = params.lpszText ? params.lpszText : "";
  RECT textRect{0, 0, GetSystemMetrics(SM_CXSCREEN) * 5 / 8, 0};
  {
    HDC hdc = GetDC(dialog);
    Selected selected(hdc, FontOr(box.font));
    DrawTextA(hdc, text.c_str(), -1, &textRect, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    ReleaseDC(dialog, hdc);
  }
  const int textWidth = textRect.right, textHeight = std::max<int>(textRect.bottom, 8);
  const int buttonsWidth = set.count * kButtonWidth + (set.count - 1) * kButtonGap;
  const int top = std::max(iconSize, textHeight);
  const int contentWidth = std::max(iconSize + (icon ? kMargin : 0) + textWidth, buttonsWidth);
  const SIZE client{contentWidth + 2 * kMargin, kMargin + top + kMargin + kButtonHeight + kMargin};

  if (icon) {
    HWND iconControl = CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE | SS_ICON, kMargin, kMargin, iconSize,
                                       iconSize, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIconId)),
                                       nullptr, nullptr);
    SendMessageA(iconControl, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  }
  const int textX = kMargin + (icon ? iconSize + kMargin : 0);
  HWND label = CreateWindowExA(0, "Static", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, textX,
                               kMargin + (top - textHeight) / 2, textWidth, textHeight, dialog,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStaticId)), nullptr, nullptr);
  SendMessageA(label, WM_SETFONT, font, 0);

  int which = static_cast<int>((params.dwStyle & MB_DEFMASK) >> 8);
  if (which >= set.count) which = 0;
  int x = (client.cx - buttonsWidth) / 2;
  const int y = client.cy - kMargin - kButtonHeight;
  HWND focus = nullptr;
  for (int n = 0; n < set.count; ++n) {
    const ButtonInfo& info = set.buttons[n];
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (n == 0 ? WS_GROUP : 0) |
                  (n == which ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    HWND button = CreateWindowExA(0, "Button", info.label, style, x, y, kButtonWidth, kButtonHeight, dialog,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(info.id)), nullptr, nullptr);
    SendMessageA(button, WM_SETFONT, font, 0);
    if (n == which) focus = button;
    x += kButtonWidth + kButtonGap;
  }
  SendMessageA(dialog, DM_SETDEFID, static_cast<WPARAM>(set.buttons[which].id), 0);

  RECT frame{0, 0, client.cx, client.cy};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongA(dialog, GWL_EXSTYLE)));
  Centre(dialog, params.hwndOwner, SIZE{frame.right - frame.left, frame.bottom - frame.top});
  if (focus) SetFocus(focus);
}

INT_PTR MessageBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  Box* box = reinterpret_cast<Box*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      Build(dialog, *reinterpret_cast<Box*>(lParam));
      return FALSE;  // the focus is set
    case WM_COMMAND: {
      if (!box) return FALSE;
      const int id = LOWORD(wParam);
      if (id == IDCANCEL) {
        // Escape and the close box: Cancel where there is one, OK on a lone OK box, else nothing.
        if (HasButton(*box->set, IDCANCEL)) EndDialog(dialog, IDCANCEL);
        else if (box->set->count == 1 && box->set->buttons[0].id == IDOK) EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (HasButton(*box->set, id)) EndDialog(dialog, id);
      return TRUE;
    }
    default: return FALSE;
  }
}

// A template with no items, in a dialog font: the box adds its controls itself.
std::vector<WORD> Template(DWORD style) {
  std::vector<WORD> words;
  auto dword = [&](DWORD value) {
    words.push_back(static_cast<WORD>(value & 0xFFFF));
    words.push_back(static_cast<WORD>(value >> 16));
  };
  dword(style);
  dword(0);          // extended style
  words.push_back(0);  // no items
  for (int i = 0; i < 4; ++i) words.push_back(0);  // x, y, cx, cy: laid out later
  words.push_back(0);  // no menu
  words.push_back(0);  // the dialog class
  words.push_back(0);  // no title: set from the caption
  words.push_back(8);  // point size
  for (char c : std::string("MS Sans Serif")) words.push_back(static_cast<WORD>(c));
  words.push_back(0);
  return words;
}

}  // namespace

int MessageBoxIndirectA(const MSGBOXPARAMSA* params) {
  if (!params || params->cbSize != sizeof(MSGBOXPARAMSA) || (params->dwStyle & MB_TYPEMASK) > MB_CANCELTRYCONTINUE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  InitCommonControls();
  Box box{params, &kSets[params->dwStyle & MB_TYPEMASK]};
  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_NOIDLEMSG;
  std::vector<WORD> bytes = Template(style);
  HWND owner = params->hwndOwner && IsWindow(params->hwndOwner) ? params->hwndOwner : nullptr;
  INT_PTR result = DialogBoxIndirectParamA(params->hInstance, reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()), owner,
                                           MessageBoxProc, reinterpret_cast<LPARAM>(&box));
  return result < 0 ? 0 : static_cast<int>(result);
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  MSGBOXPARAMSA params{};
  params.cbSize = sizeof params;
  params.hwndOwner = owner;
  params.lpszText = text;
  params.lpszCaption = caption;
  params.dwStyle = type;
  return MessageBoxIndirectA(&params);
}
