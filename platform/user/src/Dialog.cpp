// Dialogs: creating them from templates, the dialog class's procedure, and the modal loop.
#include "DialogTemplate.h"
#include "Internal.h"
#include "MenuObject.h"

#include <user/Dialog.h>
#include <user/Headless.h>
#include <user/Cursor.h>
#include <user/Input.h>
#include <user/Menu.h>
#include <user/Paint.h>
#include <user/WindowPos.h>

#include <base/LastError.h>
#include <base/WinError.h>
#include <gdi/Gdi.h>
#include <kernel/Format.h>
#include <resources/Resource.h>
#include <resources/ResourceData.h>

#include <atomic>

namespace tolvar::user {
namespace {

constexpr const char* kDialogClass = "#32770";
// The system font's units at our fixed 96 pixels per inch: its classic cell, 8 x 16. The face that
// stands in for that font measures wider (10), and taking that would tell every program that
// large system fonts are in use.
constexpr LONG kSystemBaseX = 8;
constexpr LONG kSystemBaseY = 16;
// What SetSystemDialogBaseUnits chose, as GetDialogBaseUnits answers it.
std::atomic<LONG> g_systemBase{MAKELONG(kSystemBaseX, kSystemBaseY)};

SIZE SystemBaseUnits() {
  const LONG units = g_systemBase.load();
  return {LOWORD(units), HIWORD(units)};
}

// The dialog manager's state of a window, made on the dialog class's first message.
DialogState* StateOf(HWND dialog) {
  auto local = FindLocal(dialog);
  if (!local) return nullptr;
  std::lock_guard guard(ProcessLock());
  if (!local->dialog) local->dialog = std::make_unique<DialogState>();
  return local->dialog.get();
}

// The average character width and the height of a font, as Windows measures dialog units.
SIZE BaseUnitsOf(HFONT font) {
  HDC hdc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(hdc, font);
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE extent{};
  GetTextExtentPoint32A(hdc, kAlphabet, 52, &extent);
  TEXTMETRICA metrics{};
  GetTextMetricsA(hdc, &metrics);
  SelectObject(hdc, old);
  DeleteDC(hdc);
  return {(extent.cx / 26 + 1) / 2, metrics.tmHeight};
}

int DialogUnitsX(int units, const SIZE& base) { return units * base.cx / 4; }
int DialogUnitsY(int units, const SIZE& base) { return units * base.cy / 8; }

HWND FindDefaultButton(HWND dialog) {
  for (HWND child : ChildrenOf(dialog)) {
    if (SendMessageA(child, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) return child;
  }
  return nullptr;
}

// Makes `control` the default push button (when it is a push button) and the former one plain.
void SetDefaultButton(HWND dialog, HWND control) {
  HWND old = FindDefaultButton(dialog);
  LRESULT code = control ? SendMessageA(control, WM_GETDLGCODE, 0, 0) : 0;
  if (old && old != control) SendMessageA(old, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  if (control && (code & DLGC_UNDEFPUSHBUTTON)) SendMessageA(control, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

void SetDialogFocus(HWND dialog, HWND control) {
  if (SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageA(control, 0x00B1, 0, -1);  // EM_SETSEL
  SetFocus(control);
  (void)dialog;
}

void SaveFocus(HWND dialog) {
  DialogState* state = StateOf(dialog);
  HWND focus = GetFocus();
  if (state && focus && IsChild(dialog, focus)) state->focus = focus;
}

void RestoreFocus(HWND dialog) {
  DialogState* state = StateOf(dialog);
  if (!state || IsIconic(dialog)) return;
  HWND focus = state->focus;
  if (!focus || !IsWindow(focus) || !IsChild(dialog, focus)) focus = GetNextDlgTabItem(dialog, nullptr, FALSE);
  if (focus) SetDialogFocus(dialog, focus);
  else SetFocus(dialog);
}

LRESULT NextControl(HWND dialog, WPARAM wParam, LPARAM lParam) {
  HWND next = LOWORD(static_cast<DWORD_PTR>(lParam)) ? reinterpret_cast<HWND>(wParam)
                                                     : GetNextDlgTabItem(dialog, GetFocus(), wParam != 0);
  if (!next || !IsChild(dialog, next)) return 0;
  HWND old = GetFocus();
  SetDialogFocus(dialog, next);
  // The default button follows the focus among push buttons, and returns to the dialog's own when
  // the focus leaves them.
  LRESULT code = SendMessageA(next, WM_GETDLGCODE, 0, 0);
  if (code & (DLGC_UNDEFPUSHBUTTON | DLGC_DEFPUSHBUTTON)) {
    SetDefaultButton(dialog, next);
  } else if (old && (SendMessageA(old, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)) {
    LRESULT id = SendMessageA(dialog, DM_GETDEFID, 0, 0);
    HWND original = HIWORD(static_cast<DWORD_PTR>(id)) == DC_HASDEFID ? GetDlgItem(dialog, LOWORD(id)) : nullptr;
    SetDefaultButton(dialog, original);
  }
  return 0;
}

LRESULT DialogEraseBackground(HWND dialog, HDC hdc) {
  auto brush = reinterpret_cast<HBRUSH>(SendMessageA(dialog, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(hdc),
                                                     reinterpret_cast<LPARAM>(dialog)));
  if (!brush) brush = reinterpret_cast<HBRUSH>(DefWindowProcA(dialog, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(hdc),
                                                               reinterpret_cast<LPARAM>(dialog)));
  RECT client;
  GetClientRect(dialog, &client);
  FillRect(hdc, &client, brush);
  return 1;
}

// Messages whose answer is the dialog procedure's own return value rather than DWLP_MSGRESULT.
bool AnswersDirectly(UINT message) {
  return message == WM_COMPAREITEM || message == WM_VKEYTOITEM || message == WM_CHARTOITEM ||
         message == WM_QUERYDRAGICON || message == WM_INITDIALOG ||
         (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC);
}

struct Creation {
  HINSTANCE instance = nullptr;
  HWND owner = nullptr;
  DLGPROC procedure = nullptr;
  LPARAM param = 0;
  bool modal = false;
};

HWND CreateFromTemplate(const DialogTemplate& t, const Creation& c) {
  // The font, and the dialog units it makes.
  HFONT font = nullptr;
  SIZE base = SystemBaseUnits();
  if (t.hasFont) {
    LOGFONTA lf{};
    lf.lfHeight = -MulDiv(t.pointSize, 96, 72);
    lf.lfWeight = t.weight ? t.weight : FW_NORMAL;
    lf.lfItalic = t.italic;
    lf.lfCharSet = t.charset;
    CopyToField(lf.lfFaceName, LF_FACESIZE, t.face);
    font = CreateFontIndirectA(&lf);
    if (font) base = BaseUnitsOf(font);
  }
  DWORD style = t.style;
  DWORD exStyle = t.exStyle;
  if (style & DS_MODALFRAME) exStyle |= WS_EX_DLGMODALFRAME;
  if (style & DS_CONTROL) {
    style &= ~(WS_CAPTION | WS_SYSMENU);
    exStyle |= WS_EX_CONTROLPARENT;
  }
  const bool visible = (style & WS_VISIBLE) != 0;
  HMENU menu = nullptr;
  if (!t.menu.empty() && !(style & WS_CHILD)) {
    menu = LoadMenuA(c.instance, t.menu.isOrdinal ? MAKEINTRESOURCEA(t.menu.ordinal) : t.menu.text.c_str());
  }
  RECT rect{0, 0, DialogUnitsX(t.cx, base), DialogUnitsY(t.cy, base)};
  AdjustWindowRectEx(&rect, style, menu != nullptr, exStyle);
  POINT position{DialogUnitsX(t.x, base), DialogUnitsY(t.y, base)};
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (style & DS_CENTER) {
    RECT area{};
    if (c.owner && !(style & WS_CHILD)) GetWindowRect(c.owner, &area);
    else SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    position = {area.left + (area.right - area.left - width) / 2, area.top + (area.bottom - area.top - height) / 2};
  } else {
    position.x += rect.left;
    position.y += rect.top;
    if (c.owner && !(style & (WS_CHILD | DS_ABSALIGN))) ClientToScreen(c.owner, &position);
  }
  std::string className = t.className.empty() ? kDialogClass
                          : t.className.isOrdinal ? "#" + std::to_string(t.className.ordinal)
                                                  : t.className.text;
  HWND dialog = CreateWindowExA(exStyle, className.c_str(), t.caption.c_str(), style & ~WS_VISIBLE, position.x,
                                position.y, width, height, c.owner, (style & WS_CHILD) ? nullptr : menu,
                                c.instance, nullptr);
  if (!dialog) {
    if (font) DeleteObject(font);
    if (menu) DestroyMenu(menu);
    return nullptr;
  }
  DialogState* state = StateOf(dialog);
  state->font = font;
  state->ownsFont = font != nullptr;
  state->baseUnits = base;
  state->modal = c.modal;
  state->menu = menu;
  SetWindowLongPtrA(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(c.procedure));
  if (font) SendMessageA(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);

  for (const DialogItemTemplate& item : t.items) {
    std::string title;
    if (item.title.isOrdinal) {
      // An ordinal title (an icon's or a bitmap's resource id) travels as "#<id>", the form image
      // statics load their resource by; raw id bytes would be cut at a zero byte.
      title = "#" + std::to_string(item.title.ordinal);
    } else {
      title = item.title.text;
    }
    HWND control = CreateWindowExA(
        item.exStyle | WS_EX_NOPARENTNOTIFY, item.className.c_str(), title.c_str(), item.style | WS_CHILD,
        DialogUnitsX(item.x, base), DialogUnitsY(item.y, base), DialogUnitsX(item.cx, base),
        DialogUnitsY(item.cy, base), dialog, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(item.id)), c.instance,
        item.creationData.empty() ? nullptr : const_cast<BYTE*>(item.creationData.data()));
    if (!control) {
      if (style & DS_NOFAILCREATE) continue;
      DWORD error = GetLastError();
      DestroyWindow(dialog);
      SetLastError(error ? error : ERROR_CANNOT_FIND_WND_CLASS);
      return nullptr;
    }
    if (font) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    if (SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) state->defaultId = item.id;
  }

  HWND focus = GetNextDlgTabItem(dialog, nullptr, FALSE);
  if (SendMessageA(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), c.param) && IsWindow(dialog) &&
      (!(t.style & DS_CONTROL) || visible)) {
    // Answering TRUE asks for the first tab stop to get the focus (the dialog may have changed them).
    focus = GetNextDlgTabItem(dialog, nullptr, FALSE);
    if (!focus) focus = GetNextDlgGroupItem(dialog, nullptr, FALSE);
    if (focus) SetDialogFocus(dialog, focus);
  }
  if (!IsWindow(dialog)) return nullptr;
  if (visible && !(GetWindowLongA(dialog, GWL_STYLE) & WS_VISIBLE)) ShowWindow(dialog, SW_SHOWNORMAL);
  return dialog;
}

std::optional<DialogTemplate> TemplateOf(HINSTANCE instance, LPCSTR name) {
  auto bytes = tolvar::resources::ResourceBytes(instance, RT_DIALOG, name);
  if (bytes.empty()) return std::nullopt;
  return ParseDialogTemplate(bytes.data(), bytes.size());
}

INT_PTR RunModal(const std::optional<DialogTemplate>& t, HINSTANCE instance, HWND parent, DLGPROC procedure,
                 LPARAM param) {
  if (!t) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return -1;
  }
  HWND owner = parent ? GetAncestor(parent, GA_ROOT) : nullptr;
  if (owner == GetDesktopWindow()) owner = nullptr;
  HWND dialog = CreateFromTemplate(*t, {instance, owner, procedure, param, true});
  if (!dialog) return -1;
  DialogState* state = StateOf(dialog);
  bool ownerDisabled = false;
  if (owner && IsWindowEnabled(owner) && !state->ended) {
    EnableWindow(owner, FALSE);
    ownerDisabled = true;
  }
  state->ownerDisabled = ownerDisabled;
  MSG message;
  while (IsWindow(dialog) && !StateOf(dialog)->ended) {
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
      // The queue is empty: the time to show the dialog, and to tell the owner it idles.
      if (!(GetWindowLongA(dialog, GWL_STYLE) & WS_VISIBLE)) ShowWindow(dialog, SW_SHOWNORMAL);
      if (owner && !(GetWindowLongA(dialog, GWL_STYLE) & DS_NOIDLEMSG)) {
        SendMessageA(owner, WM_ENTERIDLE, 0, reinterpret_cast<LPARAM>(dialog));  // MSGF_DIALOGBOX
      }
      if (!IsWindow(dialog) || StateOf(dialog)->ended) break;
      WaitMessage();
      continue;
    }
    // Until the dialog shows, take only what is there: the message the look saw may be gone by now
    // (a paint that a sent message did meanwhile), and a wait would keep the dialog unshown.
    const bool shown = GetWindowLongA(dialog, GWL_STYLE) & WS_VISIBLE;
    if (!(shown ? GetMessageA(&message, nullptr, 0, 0) : PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))) {
      if (!shown) continue;
      PostQuitMessage(static_cast<int>(message.wParam));  // for the loop outside
      break;
    }
    if (!shown && message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (!IsWindow(dialog)) break;
    if (!IsDialogMessageA(dialog, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  INT_PTR result = -1;
  if (IsWindow(dialog)) {
    result = StateOf(dialog)->result;
    ownerDisabled = StateOf(dialog)->ownerDisabled;
  }
  if (ownerDisabled && IsWindow(owner)) EnableWindow(owner, TRUE);
  if (IsWindow(dialog)) DestroyWindow(dialog);
  return result;
}

LRESULT DialogClassProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefDlgProcA(dialog, message, wParam, lParam);
}

}  // namespace

void RegisterSystemClasses() {
  RegisterMenuClass();
  RegisterScrollBarClass();
  WNDCLASSA wc{};
  wc.style = CS_DBLCLKS | CS_SAVEBITS;
  wc.lpfnWndProc = DialogClassProc;
  wc.cbWndExtra = DLGWINDOWEXTRA;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = kDialogClass;
  RegisterClassA(&wc);
}

LRESULT DialogDefaultProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: return DialogEraseBackground(dialog, reinterpret_cast<HDC>(wParam));
    case WM_SHOWWINDOW:
      if (!wParam) SaveFocus(dialog);
      return DefWindowProcA(dialog, message, wParam, lParam);
    case WM_ACTIVATE:
      if (wParam) RestoreFocus(dialog);
      else SaveFocus(dialog);
      return 0;
    case WM_SETFOCUS: RestoreFocus(dialog); return 0;
    case DM_SETDEFID: {
      DialogState* state = StateOf(dialog);
      if (!state) return FALSE;
      HWND old = state->defaultId ? GetDlgItem(dialog, static_cast<int>(state->defaultId)) : nullptr;
      HWND now = GetDlgItem(dialog, static_cast<int>(wParam));
      state->defaultId = static_cast<UINT>(wParam);
      if (old && old != now) SendMessageA(old, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
      if (now && (SendMessageA(now, WM_GETDLGCODE, 0, 0) & (DLGC_UNDEFPUSHBUTTON | DLGC_DEFPUSHBUTTON))) {
        SendMessageA(now, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
      }
      return TRUE;
    }
    case DM_GETDEFID: {
      DialogState* state = StateOf(dialog);
      if (state && state->defaultId) return MAKELONG(static_cast<WORD>(state->defaultId), DC_HASDEFID);
      if (HWND button = FindDefaultButton(dialog)) {
        return MAKELONG(static_cast<WORD>(GetDlgCtrlID(button)), DC_HASDEFID);
      }
      return 0;
    }
    case WM_NEXTDLGCTL: return NextControl(dialog, wParam, lParam);
    case WM_GETFONT: {
      DialogState* state = StateOf(dialog);
      return reinterpret_cast<LRESULT>(state ? state->font : nullptr);
    }
    case WM_CLOSE: {
      // As pressing Cancel, unless that button is there and disabled.
      HWND cancel = GetDlgItem(dialog, IDCANCEL);
      if (!cancel || IsWindowEnabled(cancel)) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
      }
      return 0;
    }
    default: return DefWindowProcA(dialog, message, wParam, lParam);
  }
}

void SetSystemDialogBaseUnits(SIZE units) {
  g_systemBase = MAKELONG(static_cast<WORD>(units.cx), static_cast<WORD>(units.cy));
}

}  // namespace tolvar::user

using namespace tolvar::user;

LRESULT DefDlgProcA(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  StateOf(dialog);
  auto procedure = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(dialog, DWLP_DLGPROC));
  SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
  INT_PTR result = procedure ? procedure(dialog, message, wParam, lParam) : 0;
  if (!IsWindow(dialog)) return result;
  if (result) return AnswersDirectly(message) ? result : GetWindowLongPtrA(dialog, DWLP_MSGRESULT);
  return DialogDefaultProc(dialog, message, wParam, lParam);
}

HWND CreateDialogIndirectParamA(HINSTANCE instance, LPCDLGTEMPLATEA dialogTemplate, HWND parent, DLGPROC dialogProc,
                                LPARAM initParam) {
  auto parsed = ParseDialogTemplate(reinterpret_cast<const BYTE*>(dialogTemplate), SIZE_MAX);
  if (!parsed) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreateFromTemplate(*parsed, {instance, parent, dialogProc, initParam, false});
}

HWND CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC dialogProc, LPARAM initParam) {
  auto parsed = TemplateOf(instance, templateName);
  if (!parsed) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  return CreateFromTemplate(*parsed, {instance, parent, dialogProc, initParam, false});
}

INT_PTR DialogBoxIndirectParamA(HINSTANCE instance, LPCDLGTEMPLATEA dialogTemplate, HWND parent, DLGPROC dialogProc,
                                LPARAM initParam) {
  return RunModal(ParseDialogTemplate(reinterpret_cast<const BYTE*>(dialogTemplate), SIZE_MAX), instance, parent,
                  dialogProc, initParam);
}

INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC dialogProc, LPARAM initParam) {
  return RunModal(TemplateOf(instance, templateName), instance, parent, dialogProc, initParam);
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  auto local = FindLocal(dialog);
  if (!local) return InvalidWindow(FALSE);
  DialogState* state = StateOf(dialog);
  state->ended = true;
  state->result = result;
  HWND owner = GetWindow(dialog, GW_OWNER);
  // The owner takes input again before the dialog goes, so activation returns to it.
  if (state->ownerDisabled && owner) {
    EnableWindow(owner, TRUE);
    state->ownerDisabled = false;
  }
  if (IsChild(dialog, GetFocus())) SetFocus(dialog);
  SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  if (dialog == GetActiveWindow()) {
    if (owner) SetActiveWindow(owner);
    else LoseInputState(dialog, false);
  }
  PostMessageA(dialog, WM_NULL, 0, 0);  // wakes the modal loop
  return TRUE;
}

LONG GetDialogBaseUnits() { return g_systemBase.load(); }

BOOL MapDialogRect(HWND dialog, LPRECT rect) {
  if (!rect) return FALSE;
  auto local = FindLocal(dialog);
  if (!local || !local->dialog) return InvalidWindow(FALSE);
  const SIZE base = local->dialog->baseUnits;
  rect->left = DialogUnitsX(rect->left, base);
  rect->right = DialogUnitsX(rect->right, base);
  rect->top = DialogUnitsY(rect->top, base);
  rect->bottom = DialogUnitsY(rect->bottom, base);
  return TRUE;
}
