// The list view's input: selection and focus by the mouse (a click selects one item, Ctrl toggles
// one, Shift selects the range from the selection mark) and by the keys (arrows, Home/End, the page
// keys, Ctrl+A, Space, typing the start of a label), the clicks told to the parent, the start of a
// drag once the pointer leaves the drag rectangle, and label editing in an "Edit" child whose end
// (Enter, Escape, the focus leaving) the parent hears with LVN_ENDLABELEDIT.
#include "ListViewState.h"

#include <base/Time.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace tolvar::controls::listview {
namespace {

constexpr DWORD kTypingPause = 1000;  // milliseconds after which typing starts a new search

bool MultiSelect(HWND window) { return !(Style(window) & LVS_SINGLESEL); }

// Selects `item` alone and gives it the focus.
void SelectOnly(HWND window, State& state, int item) {
  for (int other = 0; other < Count(state); ++other) {
    if (other != item && (state.items[other].state & LVIS_SELECTED)) SetState(window, state, other, 0, LVIS_SELECTED);
  }
  if (Valid(state, item)) SetState(window, state, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  state.anchor = item;
}

void SelectNone(HWND window, State& state) {
  for (int other = 0; other < Count(state); ++other) {
    if (state.items[other].state & LVIS_SELECTED) SetState(window, state, other, 0, LVIS_SELECTED);
  }
}

// Selects the items from the selection mark to `item` and nothing else; the mark stays.
void SelectRange(HWND window, State& state, int item) {
  const int anchor = Valid(state, state.anchor) ? state.anchor : std::max(0, FocusedItem(state));
  const int low = std::min(anchor, item);
  const int high = std::max(anchor, item);
  for (int other = 0; other < Count(state); ++other) {
    const bool inside = other >= low && other <= high;
    if (inside != ((state.items[other].state & LVIS_SELECTED) != 0)) {
      SetState(window, state, other, inside ? LVIS_SELECTED : 0, LVIS_SELECTED);
    }
  }
  SetState(window, state, item, LVIS_FOCUSED, LVIS_FOCUSED);
  state.anchor = anchor;
}

void NotifyClick(HWND window, UINT code, const LVHITTESTINFO& hit) {
  NMITEMACTIVATE click{};
  click.iItem = hit.iItem;
  click.iSubItem = hit.iSubItem;
  click.ptAction = hit.pt;
  click.uKeyFlags = (KeyDown(VK_CONTROL) ? 0x0001u : 0u) | (KeyDown(VK_SHIFT) ? 0x0002u : 0u);
  Notify(window, code, click.hdr);
}

WNDPROC EditClassProc() {
  static const WNDPROC procedure = [] {
    WNDCLASSA wc{};
    GetClassInfoA(nullptr, "Edit", &wc);
    return wc.lpfnWndProc;
  }();
  return procedure;
}

// The label's edit: Enter keeps the text, Escape drops it, and losing the focus keeps it.
LRESULT LabelEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND list = GetParent(edit);
  State* state = list ? Of(list) : nullptr;
  const bool ours = state && state->edit == edit;
  switch (message) {
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS | CallWindowProcA(EditClassProc(), edit, message, wParam, lParam);
    case WM_KEYDOWN:
      if (ours && (wParam == VK_RETURN || wParam == VK_ESCAPE)) {
        EndEdit(list, *state, wParam == VK_ESCAPE);
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam == '\r' || wParam == 0x1B) return 0;
      break;
    case WM_KILLFOCUS: {
      const LRESULT result = CallWindowProcA(EditClassProc(), edit, message, wParam, lParam);
      if (ours && !state->ending) EndEdit(list, *state, false);
      return result;
    }
    default:
      break;
  }
  return CallWindowProcA(EditClassProc(), edit, message, wParam, lParam);
}

void MoveFocusTo(HWND window, State& state, int target) {
  const bool multi = MultiSelect(window);
  if (multi && KeyDown(VK_SHIFT)) {
    SelectRange(window, state, target);
  } else if (multi && KeyDown(VK_CONTROL)) {
    SetState(window, state, target, LVIS_FOCUSED, LVIS_FOCUSED);
  } else {
    SelectOnly(window, state, target);
  }
  EnsureVisible(window, state, target);
}

}  // namespace

void ButtonDown(HWND window, State& state, POINT point, bool right, bool twice) {
  if (state.edit) EndEdit(window, state, false);
  const bool hadFocus = GetFocus() == window;
  if (!hadFocus) SetFocus(window);
  const LVHITTESTINFO hit = HitTest(window, state, point);
  const int item = hit.iItem;
  const bool multi = MultiSelect(window);
  const bool control = multi && KeyDown(VK_CONTROL);
  const bool shift = multi && KeyDown(VK_SHIFT);
  state.press = Press{};
  if (item >= 0) {
    const bool wasSelected = state.items[item].state & LVIS_SELECTED;
    const bool wasFocused = state.items[item].state & LVIS_FOCUSED;
    if (right) {
      if (!wasSelected) {
        SelectOnly(window, state, item);
      } else {
        SetState(window, state, item, LVIS_FOCUSED, LVIS_FOCUSED);
      }
    } else if (control) {
      SetState(window, state, item, (wasSelected ? 0 : LVIS_SELECTED) | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
      state.anchor = item;
    } else if (shift) {
      SelectRange(window, state, item);
    } else if (wasSelected && multi) {
      // Several selected items may be about to be dragged: the others let go only on release.
      SetState(window, state, item, LVIS_FOCUSED, LVIS_FOCUSED);
      state.anchor = item;
      state.press.deferSelect = true;
    } else {
      SelectOnly(window, state, item);
    }
    state.press.editOnUp = !right && !twice && !control && !shift && hadFocus && wasSelected && wasFocused &&
                           (Style(window) & LVS_EDITLABELS) && (hit.flags & LVHT_ONITEMLABEL);
  } else if (!control && !shift) {
    SelectNone(window, state);
  }
  if (twice) {
    NotifyClick(window, right ? NM_RDBLCLK : NM_DBLCLK, hit);
    return;
  }
  state.press.active = true;
  state.press.right = right;
  state.press.point = point;
  state.press.item = item;
  state.press.subItem = hit.iSubItem;
  SetCapture(window);
}

void MouseMove(HWND window, State& state, POINT point) {
  if (!state.press.active || GetCapture() != window) return;
  const int dx = std::abs(static_cast<int>(point.x - state.press.point.x));
  const int dy = std::abs(static_cast<int>(point.y - state.press.point.y));
  if (dx <= GetSystemMetrics(SM_CXDRAG) && dy <= GetSystemMetrics(SM_CYDRAG)) return;
  const Press press = state.press;
  state.press = Press{};
  ReleaseCapture();
  if (press.item >= 0) NotifyItem(window, press.right ? LVN_BEGINRDRAG : LVN_BEGINDRAG, press.item, press.point);
}

void ButtonUp(HWND window, State& state, POINT point, bool right) {
  if (!state.press.active || state.press.right != right) return;
  const Press press = state.press;
  state.press = Press{};
  if (GetCapture() == window) ReleaseCapture();
  if (press.deferSelect && Valid(state, press.item)) SelectOnly(window, state, press.item);
  LVHITTESTINFO hit{};
  hit.pt = point;
  hit.iItem = press.item;
  hit.iSubItem = press.subItem;
  NotifyClick(window, right ? NM_RCLICK : NM_CLICK, hit);
  if (press.editOnUp && Valid(state, press.item)) EditLabel(window, state, press.item);
}

void KeyPressed(HWND window, State& state, WPARAM key) {
  NMLVKEYDOWN down{};
  down.wVKey = static_cast<WORD>(key);
  Notify(window, LVN_KEYDOWN, down.hdr);
  const int count = Count(state);
  if (count == 0) return;
  const int focus = FocusedItem(state);
  const int page = std::max(1, PerPage(window, state) - 1);
  int target = -1;
  switch (key) {
    case VK_UP: target = focus < 0 ? 0 : focus - 1; break;
    case VK_DOWN: target = focus < 0 ? 0 : focus + 1; break;
    case VK_HOME: target = 0; break;
    case VK_END: target = count - 1; break;
    case VK_PRIOR: target = focus < 0 ? 0 : focus - page; break;
    case VK_NEXT: target = focus < 0 ? 0 : focus + page; break;
    case VK_SPACE:
      if (focus < 0) return;
      if (MultiSelect(window) && KeyDown(VK_CONTROL)) {
        const bool selected = state.items[focus].state & LVIS_SELECTED;
        SetState(window, state, focus, selected ? 0 : LVIS_SELECTED, LVIS_SELECTED);
        state.anchor = focus;
      } else if (!KeyDown(VK_SHIFT)) {
        SelectOnly(window, state, focus);
      }
      return;
    case VK_RETURN: {
      NMHDR notice{};
      Notify(window, NM_RETURN, notice);
      return;
    }
    case VK_F2:
      if ((Style(window) & LVS_EDITLABELS) && focus >= 0) EditLabel(window, state, focus);
      return;
    case 'A':
      if (KeyDown(VK_CONTROL) && MultiSelect(window)) {
        for (int item = 0; item < count; ++item) {
          if (!(state.items[item].state & LVIS_SELECTED)) SetState(window, state, item, LVIS_SELECTED, LVIS_SELECTED);
        }
      }
      return;
    default:
      return;
  }
  MoveFocusTo(window, state, std::clamp(target, 0, count - 1));
}

// Typing finds the next item whose label starts with what was typed; the same letter typed again
// steps through the items that start with it.
void Char(HWND window, State& state, WPARAM character) {
  if (character < 0x20 || character == 0x7F || KeyDown(VK_CONTROL) || state.items.empty()) return;
  const DWORD now = GetTickCount();
  if (now - state.typedAt > kTypingPause) state.typed.clear();
  state.typedAt = now;
  state.typed.push_back(static_cast<char>(character));
  const bool repeated = std::all_of(state.typed.begin(), state.typed.end(), [&](char c) { return c == state.typed[0]; });
  const std::string wanted = repeated ? state.typed.substr(0, 1) : state.typed;
  const int focus = FocusedItem(state);
  // A new search, or the same letter again, starts after the focused item; a longer prefix may
  // still match the focused one.
  const int start = (state.typed.size() == 1 || repeated) ? focus : focus - 1;
  LVFINDINFOA find{};
  find.flags = LVFI_PARTIAL | LVFI_WRAP | LVFI_STRING;
  find.psz = wanted.c_str();
  const int found = static_cast<int>(SendMessageA(window, LVM_FINDITEMA, static_cast<WPARAM>(start), reinterpret_cast<LPARAM>(&find)));
  if (found >= 0) {
    SelectOnly(window, state, found);
    EnsureVisible(window, state, found);
  }
}

HWND EditLabel(HWND window, State& state, int item) {
  if (state.edit) EndEdit(window, state, false);
  if (!Valid(state, item)) return nullptr;
  if (GetFocus() != window) SetFocus(window);
  std::string text = state.items[item].texts[0];
  text.resize(std::max<size_t>(text.size() + 1, 260));
  NMLVDISPINFOA begin{};
  begin.item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
  begin.item.iItem = item;
  begin.item.pszText = text.data();
  begin.item.cchTextMax = static_cast<int>(text.size());
  begin.item.lParam = state.items[item].value;
  begin.item.state = state.items[item].state;
  if (Notify(window, LVN_BEGINLABELEDITA, begin.hdr) || !Valid(state, item)) return nullptr;
  EnsureVisible(window, state, item);
  RECT label = ItemPart(window, state, item, LVIR_LABEL);
  HWND edit = CreateWindowExA(0, "Edit", state.items[item].texts[0].c_str(), WS_CHILD | WS_BORDER | ES_AUTOHSCROLL,
                              label.left, label.top - 1, std::max(40, static_cast<int>(label.right - label.left)),
                              state.rowHeight + 2, window, nullptr, nullptr, nullptr);
  if (!edit) return nullptr;
  SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(state.font), FALSE);
  SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LabelEditProc));
  state.edit = edit;
  state.editItem = item;
  ShowWindow(edit, SW_SHOW);
  SetFocus(edit);
  SendMessageA(edit, EM_SETSEL, 0, -1);
  return edit;
}

// Ends the edit: the parent gets the new text (NULL when cancelled) and keeps it by answering
// nonzero. The edit is gone afterwards and the list has the focus again if the edit had it.
void EndEdit(HWND window, State& state, bool cancel) {
  if (!state.edit || state.ending) return;
  state.ending = true;
  HWND edit = state.edit;
  const int item = state.editItem;
  std::string text(static_cast<size_t>(GetWindowTextLengthA(edit)) + 1, '\0');
  GetWindowTextA(edit, text.data(), static_cast<int>(text.size()));
  text.resize(std::strlen(text.c_str()));
  NMLVDISPINFOA end{};
  end.item.mask = LVIF_TEXT | LVIF_PARAM;
  end.item.iItem = item;
  end.item.pszText = cancel ? nullptr : text.data();
  end.item.cchTextMax = cancel ? 0 : static_cast<int>(text.size() + 1);
  end.item.lParam = Valid(state, item) ? state.items[item].value : 0;
  const LRESULT keep = Notify(window, LVN_ENDLABELEDITA, end.hdr);
  if (!cancel && keep && Valid(state, item)) {
    state.items[item].texts[0] = text;
    InvalidateItem(window, state, item);
  }
  state.edit = nullptr;
  state.editItem = -1;
  if (GetFocus() == edit) SetFocus(window);
  DestroyWindow(edit);
  state.ending = false;
}

}  // namespace tolvar::controls::listview
