// The "ComboBox" class. A simple combo box is an edit over a list, both its children; a drop-down
// one has an edit child and a button, a drop-down list only a face and the button; their list is a
// pop-up "ComboLBox" the combo box owns, shown under it while dropped and holding the mouse capture
// then. The list reports a click on an item or outside itself (kComboListDone); keys reach the combo
// box directly or through its edit, which the combo box subclasses for the keys that drop, close and
// move the list. Closing says CBN_SELENDOK or CBN_SELENDCANCEL, then CBN_CLOSEUP, then CBN_SELCHANGE
// when the choice changed the selection.
#include "Common.h"

#include "ComboShared.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace tolvar::controls {
namespace {

constexpr int kEditId = 1001;
constexpr int kListId = 1000;

struct ComboState {
  HWND edit = nullptr;
  HWND list = nullptr;
  WNDPROC editProc = nullptr;
  bool dropped = false;
  bool focused = false;
  bool quietEdit = false;  // the combo box itself is setting the edit's text
  bool laidOut = false;
  int committed = -1;      // the selection the parent was last told of
  int droppedWidth = 0;
  int listHeight = 100;
  int faceHeight = 20;
  int imposedHeight = 0;  // the height the combo box last gave itself
  HFONT font = nullptr;
};

DWORD Style(HWND window) { return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)); }
DWORD Kind(HWND window) { return Style(window) & 3; }
bool Simple(HWND window) { return Kind(window) == CBS_SIMPLE; }
bool ListOnly(HWND window) { return Kind(window) == CBS_DROPDOWNLIST; }

int ButtonWidth() { return GetSystemMetrics(SM_CXVSCROLL); }

LRESULT List(const ComboState& state, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return state.list ? SendMessageA(state.list, message, wParam, lParam) : CB_ERR;
}
int Current(const ComboState& state) { return static_cast<int>(List(state, LB_GETCURSEL)); }

std::string ItemText(const ComboState& state, int index) {
  LRESULT length = List(state, LB_GETTEXTLEN, static_cast<WPARAM>(index));
  if (length < 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  List(state, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return text;
}

RECT ButtonRect(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  return RECT{client.right - 2 - ButtonWidth(), 2, client.right - 2, client.bottom - 2};
}

int TextHeight(HWND window, const ComboState& state) {
  HDC hdc = GetDC(window);
  Selected font(hdc, FontOr(state.font));
  TEXTMETRICA metrics{};
  GetTextMetricsA(hdc, &metrics);
  ReleaseDC(window, hdc);
  return metrics.tmHeight;
}

// Places the children: a simple box's edit over its list, a drop-down's edit beside its button.
void Layout(HWND window, ComboState& state) {
  RECT client;
  GetClientRect(window, &client);
  if (Simple(window)) {
    if (state.edit) MoveWindow(state.edit, 0, 0, client.right, state.faceHeight, TRUE);
    if (state.list) {
      MoveWindow(state.list, 0, state.faceHeight, client.right, std::max(0, int(client.bottom) - state.faceHeight),
                 TRUE);
    }
  } else if (state.edit) {
    MoveWindow(state.edit, 3, 3, std::max(0, int(client.right) - ButtonWidth() - 6), state.faceHeight - 6, TRUE);
  }
}

// The face of a drop-down keeps one height; what a template or MoveWindow gives beyond it is the
// height of the dropped list.
void KeepFaceHeight(HWND window, ComboState& state) {
  if (Simple(window) || state.laidOut) return;
  RECT rect;
  GetWindowRect(window, &rect);
  const int height = rect.bottom - rect.top;
  if (height == state.faceHeight) return;
  if (height != state.imposedHeight && height > state.faceHeight) state.listHeight = height - state.faceHeight;
  state.imposedHeight = state.faceHeight;
  state.laidOut = true;
  SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, state.faceHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  state.laidOut = false;
}

void ShowSelection(HWND window, ComboState& state, int index) {
  if (state.edit) {
    std::string text = index >= 0 ? ItemText(state, index) : std::string();
    state.quietEdit = true;
    SetWindowTextA(state.edit, text.c_str());
    state.quietEdit = false;
    if (state.focused) SendMessageA(state.edit, EM_SETSEL, 0, -1);
  }
  InvalidateRect(window, nullptr, FALSE);
}

// Selects `index` (its text shown) and tells the parent when it is news.
void Commit(HWND window, ComboState& state, int index, bool notify) {
  List(state, LB_SETCURSEL, static_cast<WPARAM>(index));
  ShowSelection(window, state, index);
  if (notify && index != state.committed) {
    state.committed = index;
    NotifyParent(window, CBN_SELCHANGE);
  }
  state.committed = index;
}

void DropDown(HWND window, ComboState& state) {
  if (state.dropped || Simple(window) || !state.list) return;
  NotifyParent(window, CBN_DROPDOWN);
  RECT rect;
  GetWindowRect(window, &rect);
  const int count = static_cast<int>(List(state, LB_GETCOUNT));
  const int itemHeight = static_cast<int>(List(state, LB_GETITEMHEIGHT, 0));
  const int height = std::clamp(count * itemHeight + 2, itemHeight + 2, std::max(itemHeight + 2, state.listHeight));
  const int width = std::max<int>(state.droppedWidth, rect.right - rect.left);
  state.dropped = true;
  SetWindowPos(state.list, HWND_TOPMOST, rect.left, rect.bottom, width, height, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  // Scrolled while it was hidden (at whatever size), the list starts from the top again.
  List(state, LB_SETTOPINDEX, 0);
  const int current = Current(state);
  if (current >= 0) List(state, LB_SETCARETINDEX, static_cast<WPARAM>(current));
  SetCapture(state.list);
  InvalidateRect(window, nullptr, FALSE);
}

void RollUp(HWND window, ComboState& state, bool ok) {
  if (!state.dropped) return;
  state.dropped = false;
  if (GetCapture() == state.list) ReleaseCapture();
  NotifyParent(window, ok ? CBN_SELENDOK : CBN_SELENDCANCEL);
  if (!ok) List(state, LB_SETCURSEL, static_cast<WPARAM>(state.committed));
  ShowWindow(state.list, SW_HIDE);
  NotifyParent(window, CBN_CLOSEUP);
  if (ok) Commit(window, state, Current(state), true);
  InvalidateRect(window, nullptr, FALSE);
}

void Toggle(HWND window, ComboState& state) {
  if (state.dropped) RollUp(window, state, true);
  else DropDown(window, state);
}

void GotFocus(HWND window, ComboState& state) {
  if (state.focused) return;
  state.focused = true;
  if (state.edit) SendMessageA(state.edit, EM_SETSEL, 0, -1);
  InvalidateRect(window, nullptr, FALSE);
  NotifyParent(window, CBN_SETFOCUS);
}

void LostFocus(HWND window, ComboState& state, HWND to) {
  if (!state.focused || (to && (to == window || to == state.edit || to == state.list))) return;
  RollUp(window, state, false);
  state.focused = false;
  if (state.edit) SendMessageA(state.edit, EM_SETSEL, static_cast<WPARAM>(-1), 0);
  InvalidateRect(window, nullptr, FALSE);
  NotifyParent(window, CBN_KILLFOCUS);
}

// The keys of a combo box, whether it or its edit has the focus. True when taken.
bool Key(HWND window, ComboState& state, UINT message, WPARAM key) {
  if (message == WM_SYSKEYDOWN) {
    if (key == VK_DOWN || key == VK_UP) {
      Toggle(window, state);
      return true;
    }
    return false;
  }
  if (message != WM_KEYDOWN) return false;
  const int count = static_cast<int>(List(state, LB_GETCOUNT));
  const int current = Current(state);
  int target = current;
  switch (key) {
    case VK_F4: Toggle(window, state); return true;
    case VK_RETURN:
      if (!state.dropped) return false;
      RollUp(window, state, true);
      return true;
    case VK_ESCAPE:
      if (!state.dropped) return false;
      RollUp(window, state, false);
      return true;
    case VK_UP: target = current <= 0 ? 0 : current - 1; break;
    case VK_DOWN: target = current < 0 ? 0 : current + 1; break;
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
      if (state.edit) return false;  // the edit's own keys
      target = key == VK_HOME || key == VK_PRIOR ? 0 : count - 1;
      break;
    default: return false;
  }
  if (count == 0) return true;
  target = std::clamp(target, 0, count - 1);
  if (target != current) Commit(window, state, target, true);
  if (state.dropped) List(state, LB_SETCARETINDEX, static_cast<WPARAM>(target));
  return true;
}

bool WantsWhileDropped(const ComboState& state, LPARAM lParam) {
  const MSG* msg = reinterpret_cast<const MSG*>(lParam);
  return state.dropped && msg && msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE);
}

// The combo box's edit: its keys for the list go to the combo box; its focus is the combo box's.
LRESULT ComboEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND combo = GetParent(edit);
  ComboState* state = combo ? StateOf<ComboState>(combo) : nullptr;
  if (!state || !state->editProc) return DefWindowProcA(edit, message, wParam, lParam);
  WNDPROC original = state->editProc;
  switch (message) {
    case WM_GETDLGCODE: {
      LRESULT code = CallWindowProcA(original, edit, message, wParam, lParam);
      return WantsWhileDropped(*state, lParam) ? code | DLGC_WANTMESSAGE : code;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (Key(combo, *state, message, wParam)) return 0;
      break;
    case WM_CHAR:
      if (wParam == '\r' || wParam == 0x1B) return 0;  // taken as keys
      break;
    case WM_SETFOCUS: {
      LRESULT result = CallWindowProcA(original, edit, message, wParam, lParam);
      GotFocus(combo, *state);
      return result;
    }
    case WM_KILLFOCUS: {
      LRESULT result = CallWindowProcA(original, edit, message, wParam, lParam);
      LostFocus(combo, *state, reinterpret_cast<HWND>(wParam));
      return result;
    }
    default: break;
  }
  return CallWindowProcA(original, edit, message, wParam, lParam);
}

// ----------------------------------------------------------------------------------------------
// Painting

void Paint(HWND window, ComboState& state, HDC hdc) {
  RECT client;
  GetClientRect(window, &client);
  const bool enabled = IsWindowEnabled(window);
  HBRUSH brush = AskColours(window, hdc, enabled ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC);
  if (Simple(window)) {
    FillRect(hdc, &client, brush);
    return;
  }
  RECT inside = client;
  DrawEdge(hdc, &inside, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  FillRect(hdc, &inside, brush);
  RECT button = ButtonRect(window);
  DrawFrameControl(hdc, &button, DFC_SCROLL,
                   DFCS_SCROLLDOWN | (state.dropped ? DFCS_PUSHED | DFCS_FLAT : 0) | (enabled ? 0 : DFCS_INACTIVE));
  if (!ListOnly(window)) return;
  RECT face{inside.left + 1, inside.top + 1, button.left - 1, inside.bottom - 1};
  const int current = Current(state);
  const bool highlight = state.focused && !state.dropped;
  const DWORD style = Style(window);
  if (style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) {
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_COMBOBOX;
    draw.CtlID = ControlId(window);
    draw.itemID = static_cast<UINT>(current);
    draw.itemAction = ODA_DRAWENTIRE;
    draw.itemState = ODS_COMBOBOXEDIT | (highlight ? ODS_SELECTED | ODS_FOCUS : 0) | (enabled ? 0 : ODS_DISABLED);
    draw.hwndItem = window;
    draw.hDC = hdc;
    draw.rcItem = face;
    draw.itemData = current >= 0 ? static_cast<ULONG_PTR>(List(state, LB_GETITEMDATA, static_cast<WPARAM>(current))) : 0;
    Selected font(hdc, FontOr(state.font));
    SendMessageA(GetParent(window), WM_DRAWITEM, draw.CtlID, reinterpret_cast<LPARAM>(&draw));
    return;
  }
  if (highlight) FillRect(hdc, &face, GetSysColorBrush(COLOR_HIGHLIGHT));
  Selected font(hdc, FontOr(state.font));
  SetBkMode(hdc, TRANSPARENT);
  if (highlight) SetTextColor(hdc, GetSysColor(COLOR_HIGHLIGHTTEXT));
  else if (!enabled) SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
  if (current >= 0) {
    std::string text = ItemText(state, current);
    RECT textRect = face;
    textRect.left += 2;
    DrawTextA(hdc, text.c_str(), -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
  if (highlight) DrawFocusRect(hdc, &face);
}

void Create(HWND window, ComboState& state, const CREATESTRUCTA& create) {
  const DWORD style = Style(window);
  state.faceHeight = TextHeight(window, state) + 8;
  DWORD listStyle = LBS_COMBOBOX | LBS_NOTIFY | WS_BORDER | WS_VSCROLL | LBS_NOINTEGRALHEIGHT;
  if (style & CBS_SORT) listStyle |= LBS_SORT;
  if (style & CBS_HASSTRINGS) listStyle |= LBS_HASSTRINGS;
  if (style & CBS_OWNERDRAWFIXED) listStyle |= LBS_OWNERDRAWFIXED;
  if (style & CBS_OWNERDRAWVARIABLE) listStyle |= LBS_OWNERDRAWVARIABLE;
  if (Simple(window)) {
    state.list = CreateWindowExA(0, "ComboLBox", "", WS_CHILD | WS_VISIBLE | listStyle, 0, 0, 10, 10, window,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)), create.hInstance, nullptr);
  } else {
    state.listHeight = std::max(create.cy - state.faceHeight, 0);
    state.list = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, "ComboLBox", "", WS_POPUP | listStyle, 0, 0, 10,
                                 10, window, nullptr, create.hInstance, window);
  }
  if (!ListOnly(window)) {
    DWORD editStyle = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | (Simple(window) ? WS_BORDER : 0);
    if (style & CBS_UPPERCASE) editStyle |= ES_UPPERCASE;
    if (style & CBS_LOWERCASE) editStyle |= ES_LOWERCASE;
    state.edit = CreateWindowExA(0, "Edit", "", editStyle, 0, 0, 10, 10, window,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)), create.hInstance, nullptr);
    state.editProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(state.edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ComboEditProc)));
  }
  KeepFaceHeight(window, state);
  Layout(window, state);
}

}  // namespace

LRESULT ComboBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ComboState* state = StateOf<ComboState>(window);
  if (!state && message != WM_NCCREATE) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_NCCREATE:
      AttachState<ComboState>(window);
      // The scroll bars a template gives a combo box belong to its list (which always scrolls);
      // on the face itself they would take room from the text and the arrow.
      SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(Style(window) & ~(WS_VSCROLL | WS_HSCROLL)));
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_CREATE:
      Create(window, *state, *reinterpret_cast<const CREATESTRUCTA*>(lParam));
      return state->list ? 0 : -1;
    case WM_DESTROY:
      if (state->list && !Simple(window) && IsWindow(state->list)) DestroyWindow(state->list);
      state->list = nullptr;
      return 0;
    case WM_NCDESTROY:
      DetachState<ComboState>(window);
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_GETDLGCODE: {
      LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
      return WantsWhileDropped(*state, lParam) ? code | DLGC_WANTMESSAGE : code;
    }
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT: {
      Painting paint(window, message == WM_PRINTCLIENT ? wParam : 0);
      Paint(window, *state, paint.dc());
      return 0;
    }
    case WM_SIZE:
      KeepFaceHeight(window, *state);
      Layout(window, *state);
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_SETFONT:
      state->font = reinterpret_cast<HFONT>(wParam);
      if (state->edit) SendMessageA(state->edit, WM_SETFONT, wParam, lParam);
      if (state->list) SendMessageA(state->list, WM_SETFONT, wParam, lParam);
      state->faceHeight = TextHeight(window, *state) + 8;
      KeepFaceHeight(window, *state);
      Layout(window, *state);
      if (LOWORD(lParam)) InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state->font);
    case WM_ENABLE:
      if (state->edit) EnableWindow(state->edit, static_cast<BOOL>(wParam));
      if (state->list) EnableWindow(state->list, static_cast<BOOL>(wParam));
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_SETFOCUS:
      if (state->edit) SetFocus(state->edit);
      else GotFocus(window, *state);
      return 0;
    case WM_KILLFOCUS: LostFocus(window, *state, reinterpret_cast<HWND>(wParam)); return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (Key(window, *state, message, wParam)) return 0;
      if (Simple(window) || !ListOnly(window)) return DefWindowProcA(window, message, wParam, lParam);
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_CHAR:
      if (ListOnly(window) && wParam >= 0x20 && wParam < 0x7F) {
        // A letter selects the next item that begins with it.
        const char text[2] = {static_cast<char>(wParam), 0};
        LRESULT found = List(*state, LB_FINDSTRING, static_cast<WPARAM>(Current(*state)), reinterpret_cast<LPARAM>(text));
        if (found != LB_ERR) Commit(window, *state, static_cast<int>(found), true);
      }
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      SetFocus(state->edit ? state->edit : window);
      RECT button = ButtonRect(window);
      if (!Simple(window) && (ListOnly(window) || PtInRect(&button, PointOf(lParam)))) Toggle(window, *state);
      return 0;
    }
    case WM_COMMAND: {
      const HWND from = reinterpret_cast<HWND>(lParam);
      const WORD code = HIWORD(wParam);
      if (from == state->edit && !state->quietEdit) {
        if (code == EN_CHANGE) NotifyParent(window, CBN_EDITCHANGE);
        else if (code == EN_UPDATE) NotifyParent(window, CBN_EDITUPDATE);
      } else if (from == state->list) {
        if (code == LBN_SELCHANGE && Simple(window)) Commit(window, *state, Current(*state), true);
        else if (code == LBN_DBLCLK) NotifyParent(window, CBN_DBLCLK);
      }
      return 0;
    }
    case kComboListDone: RollUp(window, *state, wParam != 0); return 0;
    case WM_SETTEXT:
      if (state->edit) return SendMessageA(state->edit, WM_SETTEXT, wParam, lParam);
      {
        LRESULT found = List(*state, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), lParam);
        if (found == LB_ERR) return CB_ERR;
        Commit(window, *state, static_cast<int>(found), false);
        return TRUE;
      }
    case WM_GETTEXT:
      if (state->edit) return SendMessageA(state->edit, WM_GETTEXT, wParam, lParam);
      {
        if (!lParam || !wParam) return 0;
        std::string text = Current(*state) >= 0 ? ItemText(*state, Current(*state)) : std::string();
        std::size_t n = std::min<std::size_t>(text.size(), wParam - 1);
        std::memcpy(reinterpret_cast<char*>(lParam), text.data(), n);
        reinterpret_cast<char*>(lParam)[n] = 0;
        return static_cast<LRESULT>(n);
      }
    case WM_GETTEXTLENGTH:
      if (state->edit) return SendMessageA(state->edit, WM_GETTEXTLENGTH, 0, 0);
      return Current(*state) >= 0 ? List(*state, LB_GETTEXTLEN, static_cast<WPARAM>(Current(*state))) : 0;
    case CB_ADDSTRING: {
      LRESULT index = List(*state, LB_ADDSTRING, 0, lParam);
      if (index >= 0 && index <= state->committed) ++state->committed;
      return index;
    }
    case CB_INSERTSTRING: {
      LRESULT index = List(*state, LB_INSERTSTRING, wParam, lParam);
      if (index >= 0 && index <= state->committed) ++state->committed;
      return index;
    }
    case CB_DELETESTRING: {
      LRESULT result = List(*state, LB_DELETESTRING, wParam, lParam);
      state->committed = Current(*state);
      InvalidateRect(window, nullptr, FALSE);
      return result;
    }
    case CB_RESETCONTENT:
      List(*state, LB_RESETCONTENT);
      state->committed = -1;
      ShowSelection(window, *state, -1);
      return CB_OKAY;
    case CB_GETCOUNT: return List(*state, LB_GETCOUNT);
    case CB_GETCURSEL: return Current(*state);
    case CB_SETCURSEL: {
      int index = static_cast<int>(wParam);
      if (index < 0 || index >= List(*state, LB_GETCOUNT)) {
        Commit(window, *state, -1, false);
        return CB_ERR;
      }
      Commit(window, *state, index, false);
      return index;
    }
    case CB_SELECTSTRING: {
      // The first item after wParam that begins with the text becomes the selection.
      LRESULT found = List(*state, LB_FINDSTRING, wParam, lParam);
      if (found != LB_ERR) Commit(window, *state, static_cast<int>(found), false);
      return found;
    }
    case CB_FINDSTRING: return List(*state, LB_FINDSTRING, wParam, lParam);
    case CB_FINDSTRINGEXACT: return List(*state, LB_FINDSTRINGEXACT, wParam, lParam);
    case CB_GETLBTEXT: return List(*state, LB_GETTEXT, wParam, lParam);
    case CB_GETLBTEXTLEN: return List(*state, LB_GETTEXTLEN, wParam, lParam);
    case CB_GETITEMDATA: return List(*state, LB_GETITEMDATA, wParam, lParam);
    case CB_SETITEMDATA: return List(*state, LB_SETITEMDATA, wParam, lParam);
    case CB_SHOWDROPDOWN:
      if (wParam) DropDown(window, *state);
      else RollUp(window, *state, false);
      return TRUE;
    case CB_GETDROPPEDSTATE: return state->dropped;
    case CB_GETDROPPEDWIDTH: {
      RECT rect;
      GetWindowRect(window, &rect);
      return std::max<int>(state->droppedWidth, rect.right - rect.left);
    }
    case CB_SETDROPPEDWIDTH: {
      state->droppedWidth = static_cast<int>(wParam);
      RECT rect;
      GetWindowRect(window, &rect);
      return std::max<int>(state->droppedWidth, rect.right - rect.left);
    }
    case CB_GETDROPPEDCONTROLRECT: {
      if (!lParam) return CB_ERR;
      RECT rect;
      GetWindowRect(window, &rect);
      rect.right = rect.left + std::max<int>(state->droppedWidth, rect.right - rect.left);
      rect.bottom += state->listHeight;
      *reinterpret_cast<RECT*>(lParam) = rect;
      return CB_OKAY;
    }
    case CB_SETITEMHEIGHT:
      if (static_cast<int>(wParam) == -1) {
        state->faceHeight = std::max(1, static_cast<int>(lParam) + 6);
        KeepFaceHeight(window, *state);
        Layout(window, *state);
        return CB_OKAY;
      }
      return List(*state, LB_SETITEMHEIGHT, wParam, lParam);
    case CB_GETITEMHEIGHT:
      if (static_cast<int>(wParam) == -1) return state->faceHeight - 6;
      return List(*state, LB_GETITEMHEIGHT, wParam, 0);
    case CB_LIMITTEXT: return state->edit ? SendMessageA(state->edit, EM_LIMITTEXT, wParam, 0) : CB_ERR;
    case CB_GETEDITSEL: return state->edit ? SendMessageA(state->edit, EM_GETSEL, wParam, lParam) : CB_ERR;
    case CB_SETEDITSEL:
      if (!state->edit) return CB_ERR;
      SendMessageA(state->edit, EM_SETSEL, static_cast<WPARAM>(static_cast<short>(LOWORD(static_cast<DWORD>(lParam)))),
                   static_cast<LPARAM>(static_cast<short>(HIWORD(static_cast<DWORD>(lParam)))));
      return TRUE;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace tolvar::controls
