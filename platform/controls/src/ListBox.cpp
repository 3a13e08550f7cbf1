// The "ListBox" class, also the list of a combo box ("ComboLBox", LBS_COMBOBOX). Items are kept in
// one vector; a list of one selection keeps its selected index, a multiple-selection list a flag per
// item. Owner-drawn items are measured when added (variable) or once (fixed) and drawn by the
// parent through WM_DRAWITEM; a combo box's list speaks to the combo box's parent in the combo box's
// name (ODT_COMBOBOX). A dropped combo list follows the pointer while it is shown and reports a
// choice or a cancel to its combo box; the combo box decides what that means.
#include "Common.h"

#include "ComboShared.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace tolvar::controls {
namespace {

struct Item {
  std::string text;
  ULONG_PTR data = 0;
  bool selected = false;
  int height = 0;
};

struct ListBoxState {
  std::vector<Item> items;
  int selected = -1;  // single selection
  int caret = 0;      // the item with the focus rectangle
  int anchor = 0;     // where an extended selection started
  int top = 0;
  int itemHeight = 0;
  bool focused = false;
  bool tracking = false;  // a mouse button is down in the list
  HFONT font = nullptr;
  HWND combo = nullptr;  // the combo box this list serves (a pop-up's parent is its top-level owner)
  // What the vertical scroll bar was last given: count, first shown, rows that fit.
  int barCount = -1, barTop = -1, barPage = -1;
};

DWORD Style(HWND window) { return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)); }
bool OwnerDrawn(HWND window) { return Style(window) & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE); }
bool HasStrings(HWND window) { return !OwnerDrawn(window) || (Style(window) & LBS_HASSTRINGS); }
bool Multiple(HWND window) { return Style(window) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL); }
bool InCombo(HWND window) { return Style(window) & LBS_COMBOBOX; }
// A drop-down combo box's list: a pop-up that follows the pointer while shown.
bool Dropping(HWND window) { return InCombo(window) && (Style(window) & WS_POPUP); }

int Count(const ListBoxState& state) { return static_cast<int>(state.items.size()); }

int CompareNoCase(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    int x = std::tolower(static_cast<unsigned char>(a[i])), y = std::tolower(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}
bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && CompareNoCase(text.substr(0, prefix.size()), prefix) == 0;
}

// Who hears of this list: its parent, or for a combo box's list the combo box's parent.
struct Owner {
  HWND window;
  UINT type;
  UINT id;
  HWND item;
};
HWND ComboOf(HWND window) {
  auto* state = StateOf<ListBoxState>(window);
  return state ? state->combo : nullptr;
}

Owner OwnerOf(HWND window) {
  HWND combo = ComboOf(window);
  if (combo) return {GetParent(combo), ODT_COMBOBOX, ControlId(combo), combo};
  return {GetParent(window), ODT_LISTBOX, ControlId(window), window};
}

int DefaultHeight(HWND window, const ListBoxState& state) {
  HDC hdc = GetDC(window);
  Selected font(hdc, FontOr(state.font));
  TEXTMETRICA metrics{};
  GetTextMetricsA(hdc, &metrics);
  ReleaseDC(window, hdc);
  return std::max<int>(1, metrics.tmHeight);
}

int Measure(HWND window, ListBoxState& state, int index, ULONG_PTR data) {
  if (!OwnerDrawn(window)) return state.itemHeight;
  Owner owner = OwnerOf(window);
  MEASUREITEMSTRUCT measure{};
  measure.CtlType = owner.type;
  measure.CtlID = owner.id;
  measure.itemID = static_cast<UINT>(index);
  measure.itemHeight = static_cast<UINT>(state.itemHeight);
  measure.itemData = data;
  RECT client;
  GetClientRect(window, &client);
  measure.itemWidth = static_cast<UINT>(client.right);
  if (owner.window) SendMessageA(owner.window, WM_MEASUREITEM, owner.id, reinterpret_cast<LPARAM>(&measure));
  return std::max(1, static_cast<int>(measure.itemHeight));
}

int HeightOf(HWND window, const ListBoxState& state, int index) {
  if (Style(window) & LBS_OWNERDRAWVARIABLE) return state.items[static_cast<std::size_t>(index)].height;
  return state.itemHeight;
}

RECT ItemRect(HWND window, const ListBoxState& state, int index) {
  RECT client;
  GetClientRect(window, &client);
  int y = 0;
  if (index >= state.top) {
    for (int n = state.top; n < index; ++n) y += HeightOf(window, state, n);
  } else {
    for (int n = index; n < state.top; ++n) y -= HeightOf(window, state, n);
  }
  return RECT{0, y, client.right, y + HeightOf(window, state, index)};
}

int ItemFromPoint(HWND window, const ListBoxState& state, POINT point) {
  if (state.items.empty()) return -1;
  int y = 0;
  if (point.y < 0) return std::max(0, state.top - 1);
  for (int n = state.top; n < Count(state); ++n) {
    y += HeightOf(window, state, n);
    if (point.y < y) return n;
  }
  return Count(state) - 1;
}

int VisibleCount(HWND window, const ListBoxState& state) {
  RECT client;
  GetClientRect(window, &client);
  int y = 0, n = state.top;
  while (n < Count(state) && y + HeightOf(window, state, n) <= client.bottom) y += HeightOf(window, state, n++);
  return std::max(1, n - state.top);
}

void Redraw(HWND window) {
  if (!(Style(window) & LBS_NOREDRAW)) InvalidateRect(window, nullptr, TRUE);
}

void ShowItem(HWND window, ListBoxState& state, int index) {
  if (index < 0 || index >= Count(state)) return;
  if (index < state.top) {
    state.top = index;
    Redraw(window);
  } else {
    while (index >= state.top + VisibleCount(window, state) && state.top < index) ++state.top, Redraw(window);
  }
}

bool IsSelected(const ListBoxState& state, HWND window, int index) {
  if (Multiple(window)) return state.items[static_cast<std::size_t>(index)].selected;
  return index == state.selected;
}

void Notify(HWND window, WORD code) {
  if (HWND combo = ComboOf(window)) {
    SendMessageA(combo, WM_COMMAND, MAKEWPARAM(ControlId(window), code), reinterpret_cast<LPARAM>(window));
  } else if (Style(window) & LBS_NOTIFY) {
    NotifyParent(window, code);
  }
}

// ----------------------------------------------------------------------------------------------
// Changing the items

LRESULT Insert(HWND window, ListBoxState& state, int index, LPARAM lParam, bool sorted) {
  Item item;
  if (HasStrings(window)) item.text = lParam ? reinterpret_cast<const char*>(lParam) : "";
  else item.data = static_cast<ULONG_PTR>(lParam);
  if (sorted && HasStrings(window)) {
    index = 0;
    while (index < Count(state) && CompareNoCase(state.items[static_cast<std::size_t>(index)].text, item.text) <= 0)
      ++index;
  } else if (index < 0 || index > Count(state)) {
    if (index > Count(state)) return LB_ERR;
    index = Count(state);
  }
  item.height = (Style(window) & LBS_OWNERDRAWVARIABLE) ? Measure(window, state, index, item.data) : state.itemHeight;
  state.items.insert(state.items.begin() + index, std::move(item));
  if (!Multiple(window) && state.selected >= index) ++state.selected;
  Redraw(window);
  return index;
}

LRESULT Remove(HWND window, ListBoxState& state, int index) {
  if (index < 0 || index >= Count(state)) return LB_ERR;
  Owner owner = OwnerOf(window);
  if (OwnerDrawn(window) && owner.window) {
    DELETEITEMSTRUCT gone{owner.type, owner.id, static_cast<UINT>(index), owner.item,
                          state.items[static_cast<std::size_t>(index)].data};
    SendMessageA(owner.window, WM_DELETEITEM, owner.id, reinterpret_cast<LPARAM>(&gone));
  }
  state.items.erase(state.items.begin() + index);
  if (state.selected == index) state.selected = -1;
  else if (state.selected > index) --state.selected;
  state.caret = std::clamp(state.caret, 0, std::max(0, Count(state) - 1));
  state.top = std::clamp(state.top, 0, std::max(0, Count(state) - 1));
  Redraw(window);
  return Count(state);
}

LRESULT Find(const ListBoxState& state, HWND window, int after, const char* text, bool exact) {
  if (!text || state.items.empty()) return LB_ERR;
  const int count = Count(state);
  const std::string wanted = text;
  const int start = after < 0 || after >= count ? 0 : after + 1;
  for (int n = 0; n < count; ++n) {
    int index = (start + n) % count;
    const Item& item = state.items[static_cast<std::size_t>(index)];
    if (!HasStrings(window)) {
      if (item.data == reinterpret_cast<ULONG_PTR>(text)) return index;
      continue;
    }
    if (exact ? CompareNoCase(item.text, wanted) == 0 : StartsWithNoCase(item.text, wanted)) return index;
  }
  return LB_ERR;
}

// Selects one item of a single-selection list (-1: none). Returns whether it changed.
bool Select(HWND window, ListBoxState& state, int index) {
  if (index >= Count(state)) index = -1;
  if (Multiple(window)) {
    bool changed = false;
    for (int n = 0; n < Count(state); ++n) {
      bool want = n == index;
      changed |= state.items[static_cast<std::size_t>(n)].selected != want;
      state.items[static_cast<std::size_t>(n)].selected = want;
    }
    if (index >= 0) state.caret = state.anchor = index;
    if (changed) Redraw(window);
    return changed;
  }
  if (index >= 0) state.caret = index;
  if (state.selected == index) return false;
  state.selected = index;
  Redraw(window);
  ShowItem(window, state, index);
  return true;
}

// ----------------------------------------------------------------------------------------------
// Painting

void DrawItem(HWND window, ListBoxState& state, HDC hdc, int index, HBRUSH background) {
  RECT rect = ItemRect(window, state, index);
  const bool selected = IsSelected(state, window, index);
  const bool focus = state.focused && index == state.caret;
  const Item& item = state.items[static_cast<std::size_t>(index)];
  if (OwnerDrawn(window)) {
    Owner owner = OwnerOf(window);
    DRAWITEMSTRUCT draw{};
    draw.CtlType = owner.type;
    draw.CtlID = owner.id;
    draw.itemID = static_cast<UINT>(index);
    draw.itemAction = ODA_DRAWENTIRE;
    draw.itemState = (selected ? ODS_SELECTED : 0) | (focus ? ODS_FOCUS : 0) |
                     (IsWindowEnabled(window) ? 0 : ODS_DISABLED);
    draw.hwndItem = owner.item;
    draw.hDC = hdc;
    draw.rcItem = rect;
    draw.itemData = HasStrings(window) && !item.data ? 0 : item.data;
    if (owner.window) SendMessageA(owner.window, WM_DRAWITEM, owner.id, reinterpret_cast<LPARAM>(&draw));
    return;
  }
  FillRect(hdc, &rect, selected ? GetSysColorBrush(COLOR_HIGHLIGHT) : background);
  COLORREF old = SetTextColor(hdc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                   : IsWindowEnabled(window) ? GetTextColor(hdc)
                                                             : GetSysColor(COLOR_GRAYTEXT));
  SetBkMode(hdc, TRANSPARENT);
  RECT text = rect;
  text.left += 2;
  DrawTextA(hdc, item.text.c_str(), -1, &text,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | ((Style(window) & LBS_USETABSTOPS) ? DT_EXPANDTABS : 0));
  SetTextColor(hdc, old);
  if (focus) DrawFocusRect(hdc, &rect);
}

void Paint(HWND window, ListBoxState& state, HDC hdc) {
  RECT client;
  GetClientRect(window, &client);
  HWND colours = state.combo ? state.combo : window;
  HBRUSH brush = AskColours(colours, hdc, WM_CTLCOLORLISTBOX);
  FillRect(hdc, &client, brush);
  Selected font(hdc, FontOr(state.font));
  for (int n = state.top; n < Count(state); ++n) {
    RECT rect = ItemRect(window, state, n);
    if (rect.top >= client.bottom) break;
    DrawItem(window, state, hdc, n, brush);
  }
  if (state.focused && state.items.empty() && !OwnerDrawn(window)) {
    RECT rect{0, 0, client.right, state.itemHeight};
    DrawFocusRect(hdc, &rect);
  }
}

// ----------------------------------------------------------------------------------------------
// Input

// The pointer (or a key) chose `index`: what each kind of list does with it.
void Choose(HWND window, ListBoxState& state, int index, bool shift, bool control, bool toggle) {
  if (index < 0 || (Style(window) & LBS_NOSEL)) return;
  if (!Multiple(window)) {
    if (Select(window, state, index)) Notify(window, LBN_SELCHANGE);
    return;
  }
  auto& items = state.items;
  if ((Style(window) & LBS_MULTIPLESEL) || control) {
    if (toggle) items[static_cast<std::size_t>(index)].selected = !items[static_cast<std::size_t>(index)].selected;
    state.caret = state.anchor = index;
  } else if (shift) {
    int from = std::min(state.anchor, index), to = std::max(state.anchor, index);
    for (int n = 0; n < Count(state); ++n) items[static_cast<std::size_t>(n)].selected = n >= from && n <= to;
    state.caret = index;
  } else {
    for (int n = 0; n < Count(state); ++n) items[static_cast<std::size_t>(n)].selected = n == index;
    state.caret = state.anchor = index;
  }
  ShowItem(window, state, index);
  Redraw(window);
  Notify(window, LBN_SELCHANGE);
}

void KeyDownMessage(HWND window, ListBoxState& state, WPARAM key) {
  if (state.items.empty()) return;
  const int current = Multiple(window) ? state.caret : (state.selected < 0 ? -1 : state.selected);
  const int page = VisibleCount(window, state);
  int target = current;
  switch (key) {
    case VK_UP: target = current <= 0 ? 0 : current - 1; break;
    case VK_DOWN: target = current < 0 ? 0 : current + 1; break;
    case VK_PRIOR: target = current - page + 1; break;
    case VK_NEXT: target = current + page - 1; break;
    case VK_HOME: target = 0; break;
    case VK_END: target = Count(state) - 1; break;
    case VK_SPACE:
      if (Multiple(window)) Choose(window, state, state.caret, false, true, true);
      return;
    default: return;
  }
  target = std::clamp(target, 0, Count(state) - 1);
  if (Style(window) & LBS_MULTIPLESEL) {
    state.caret = target;
    ShowItem(window, state, target);
    Redraw(window);
    return;
  }
  Choose(window, state, target, KeyDown(VK_SHIFT), false, false);
  ShowItem(window, state, target);
}

// A letter selects the next item that begins with it.
void CharMessage(HWND window, ListBoxState& state, WPARAM code) {
  if (!HasStrings(window) || code < 0x20 || code > 0x7E) return;
  const char text[2] = {static_cast<char>(code), 0};
  const int from = Multiple(window) ? state.caret : state.selected;
  LRESULT found = Find(state, window, from, text, false);
  if (found != LB_ERR) Choose(window, state, static_cast<int>(found), false, false, false);
}

// Rows that fit whole in the client area, counted from the first shown (at least one).
int PageRows(HWND window, const ListBoxState& state) {
  RECT client;
  GetClientRect(window, &client);
  int rows = 0;
  for (int n = state.top, y = 0; n < Count(state); ++n) {
    y += HeightOf(window, state, n);
    if (y > client.bottom) break;
    ++rows;
  }
  if (state.top + rows >= Count(state)) {
    // At the end: rows a fixed-height list would fit, so that the page matches a full view.
    const int height = std::max(1, state.itemHeight);
    rows = std::max(rows, static_cast<int>(client.bottom / height));
  }
  return std::max(1, rows);
}

// A list with WS_VSCROLL shows its bar only when its items do not fit (LBS_DISABLENOSCROLL: the bar
// stays, disabled), with the thumb where the first shown item is.
void SyncScrollBar(HWND window, ListBoxState& state) {
  if (!(Style(window) & WS_VSCROLL) && state.barCount < 0) return;
  const int page = PageRows(window, state);
  if (state.barCount == Count(state) && state.barTop == state.top && state.barPage == page) return;
  state.barCount = Count(state);
  state.barTop = state.top;
  state.barPage = page;
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | ((Style(window) & LBS_DISABLENOSCROLL) ? SIF_DISABLENOSCROLL : 0);
  info.nMin = 0;
  info.nMax = std::max(0, Count(state) - 1);
  info.nPage = static_cast<UINT>(page);
  info.nPos = state.top;
  SetScrollInfo(window, SB_VERT, &info, TRUE);
}

void ScrollTo(HWND window, ListBoxState& state, int top) {
  top = std::clamp(top, 0, std::max(0, Count(state) - PageRows(window, state)));
  if (top == state.top) return;
  state.top = top;
  Redraw(window);
}

LRESULT ListBoxMessage(HWND window, ListBoxState* state, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace

LRESULT ListBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ListBoxState* state = StateOf<ListBoxState>(window);
  const LRESULT result = ListBoxMessage(window, state, message, wParam, lParam);
  // Whatever the message changed (items, the first shown, the size, the font), the bar follows.
  // Not while the window is being made: its frame is settled only once WM_CREATE has returned.
  if (message != WM_NCDESTROY && message != WM_NCCREATE && message != WM_NCCALCSIZE && message != WM_CREATE) {
    if (ListBoxState* now = StateOf<ListBoxState>(window)) SyncScrollBar(window, *now);
  }
  return result;
}

namespace {

LRESULT ListBoxMessage(HWND window, ListBoxState* state, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!state && message != WM_NCCREATE) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_NCCREATE:
      AttachState<ListBoxState>(window);
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_CREATE: {
      if (InCombo(window)) {
        // A dropped list names its combo box in its creation parameter; a simple one is its child.
        const auto& create = *reinterpret_cast<const CREATESTRUCTA*>(lParam);
        state->combo = Dropping(window) ? static_cast<HWND>(create.lpCreateParams) : GetParent(window);
      }
      state->itemHeight = DefaultHeight(window, *state);
      if (Style(window) & LBS_OWNERDRAWFIXED) state->itemHeight = Measure(window, *state, 0, 0);
      return 0;
    }
    case WM_NCDESTROY: {
      // Owner-drawn items' data goes back to the owner, item by item.
      while (!state->items.empty() && OwnerDrawn(window)) Remove(window, *state, Count(*state) - 1);
      DetachState<ListBoxState>(window);
      return DefWindowProcA(window, message, wParam, lParam);
    }
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_MOUSEACTIVATE:
      // A dropped combo list never takes activation (or the focus) from the window it serves.
      if (Dropping(window)) return MA_NOACTIVATE;
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT: {
      Painting paint(window, message == WM_PRINTCLIENT ? wParam : 0);
      Paint(window, *state, paint.dc());
      return 0;
    }
    case WM_SETFONT:
      state->font = reinterpret_cast<HFONT>(wParam);
      if (!OwnerDrawn(window)) state->itemHeight = DefaultHeight(window, *state);
      if (LOWORD(lParam)) Redraw(window);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state->font);
    case WM_SETFOCUS:
      state->focused = true;
      Redraw(window);
      Notify(window, LBN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      state->focused = false;
      Redraw(window);
      Notify(window, LBN_KILLFOCUS);
      return 0;
    case WM_ENABLE: Redraw(window); return 0;
    case WM_SIZE: Redraw(window); return 0;
    case WM_VSCROLL: {
      const int page = PageRows(window, *state);
      switch (LOWORD(wParam)) {
        case SB_LINEUP: ScrollTo(window, *state, state->top - 1); break;
        case SB_LINEDOWN: ScrollTo(window, *state, state->top + 1); break;
        case SB_PAGEUP: ScrollTo(window, *state, state->top - page); break;
        case SB_PAGEDOWN: ScrollTo(window, *state, state->top + page); break;
        case SB_TOP: ScrollTo(window, *state, 0); break;
        case SB_BOTTOM: ScrollTo(window, *state, Count(*state)); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: ScrollTo(window, *state, static_cast<short>(HIWORD(wParam))); break;
        default: break;
      }
      return 0;
    }
    case WM_KEYDOWN: KeyDownMessage(window, *state, wParam); return 0;
    case WM_CHAR: CharMessage(window, *state, wParam); return 0;
    case WM_LBUTTONDOWN: {
      POINT point = PointOf(lParam);
      if (Dropping(window)) {
        RECT client;
        GetClientRect(window, &client);
        if (!PtInRect(&client, point)) {
          SendMessageA(state->combo, kComboListDone, FALSE, 0);  // a click outside: cancelled
          return 0;
        }
        state->tracking = true;
        return 0;
      }
      // A simple combo box's list leaves the focus with the combo box (its edit).
      SetFocus(state->combo ? state->combo : window);
      state->tracking = true;
      SetCapture(window);
      Choose(window, *state, ItemFromPoint(window, *state, point), (wParam & MK_SHIFT) != 0,
             (wParam & MK_CONTROL) != 0, true);
      return 0;
    }
    case WM_MOUSEMOVE: {
      // A dropped combo list follows the pointer; another list follows a held button.
      POINT point = PointOf(lParam);
      RECT client;
      GetClientRect(window, &client);
      if (Dropping(window) && GetCapture() == window) {
        if (PtInRect(&client, point)) Select(window, *state, ItemFromPoint(window, *state, point));
        return 0;
      }
      if (state->tracking && !Multiple(window) && GetCapture() == window) {
        Choose(window, *state, ItemFromPoint(window, *state, point), false, false, false);
      }
      return 0;
    }
    case WM_LBUTTONUP: {
      if (Dropping(window)) {
        POINT point = PointOf(lParam);
        RECT client;
        GetClientRect(window, &client);
        if (state->tracking && PtInRect(&client, point)) {
          Select(window, *state, ItemFromPoint(window, *state, point));
          SendMessageA(state->combo, kComboListDone, TRUE, 0);
        }
        state->tracking = false;
        return 0;
      }
      state->tracking = false;
      if (GetCapture() == window) ReleaseCapture();
      return 0;
    }
    case WM_LBUTTONDBLCLK:
      if (Dropping(window)) return ListBoxProc(window, WM_LBUTTONDOWN, wParam, lParam);
      Notify(window, LBN_DBLCLK);
      return 0;
    case WM_CAPTURECHANGED: state->tracking = false; return 0;
    case LB_ADDSTRING: return Insert(window, *state, -1, lParam, (Style(window) & LBS_SORT) != 0);
    case LB_INSERTSTRING: return Insert(window, *state, static_cast<int>(wParam), lParam, false);
    case LB_DELETESTRING: return Remove(window, *state, static_cast<int>(wParam));
    case LB_RESETCONTENT:
      while (!state->items.empty()) Remove(window, *state, Count(*state) - 1);
      state->selected = -1;
      state->top = state->caret = state->anchor = 0;
      Redraw(window);
      return 0;
    case LB_GETCOUNT: return Count(*state);
    case LB_GETTEXT: {
      int index = static_cast<int>(wParam);
      if (index < 0 || index >= Count(*state) || !lParam) return LB_ERR;
      const Item& item = state->items[static_cast<std::size_t>(index)];
      if (!HasStrings(window)) {
        std::memcpy(reinterpret_cast<void*>(lParam), &item.data, sizeof item.data);
        return sizeof item.data;
      }
      std::memcpy(reinterpret_cast<char*>(lParam), item.text.c_str(), item.text.size() + 1);
      return static_cast<LRESULT>(item.text.size());
    }
    case LB_GETTEXTLEN: {
      int index = static_cast<int>(wParam);
      if (index < 0 || index >= Count(*state)) return LB_ERR;
      return HasStrings(window) ? static_cast<LRESULT>(state->items[static_cast<std::size_t>(index)].text.size())
                                : static_cast<LRESULT>(sizeof(ULONG_PTR));
    }
    case LB_GETITEMDATA: {
      int index = static_cast<int>(wParam);
      if (index < 0 || index >= Count(*state)) return LB_ERR;
      return static_cast<LRESULT>(state->items[static_cast<std::size_t>(index)].data);
    }
    case LB_SETITEMDATA: {
      int index = static_cast<int>(wParam);
      if (index < 0 || index >= Count(*state)) return LB_ERR;
      state->items[static_cast<std::size_t>(index)].data = static_cast<ULONG_PTR>(lParam);
      return LB_OKAY;
    }
    case LB_SETCURSEL: {
      if (Multiple(window)) return LB_ERR;
      int index = static_cast<int>(wParam);
      Select(window, *state, index < 0 || index >= Count(*state) ? -1 : index);
      return index < 0 || index >= Count(*state) ? LB_ERR : index;
    }
    case LB_GETCURSEL: return Multiple(window) ? state->caret : state->selected;
    case LB_SETSEL: {
      if (!Multiple(window)) return LB_ERR;
      int index = static_cast<int>(lParam);
      if (index >= Count(*state)) return LB_ERR;
      for (int n = 0; n < Count(*state); ++n) {
        if (index < 0 || n == index) state->items[static_cast<std::size_t>(n)].selected = wParam != 0;
      }
      if (index >= 0) state->caret = state->anchor = index;
      Redraw(window);
      return LB_OKAY;
    }
    case LB_GETSEL: {
      int index = static_cast<int>(wParam);
      if (index < 0 || index >= Count(*state)) return LB_ERR;
      return IsSelected(*state, window, index) ? 1 : 0;
    }
    case LB_GETSELCOUNT: {
      if (!Multiple(window)) return LB_ERR;
      return std::count_if(state->items.begin(), state->items.end(), [](const Item& i) { return i.selected; });
    }
    case LB_GETSELITEMS: {
      if (!Multiple(window) || !lParam) return LB_ERR;
      auto* out = reinterpret_cast<int*>(lParam);
      int n = 0;
      for (int i = 0; i < Count(*state) && n < static_cast<int>(wParam); ++i) {
        if (state->items[static_cast<std::size_t>(i)].selected) out[n++] = i;
      }
      return n;
    }
    case LB_SELITEMRANGE: {
      if (!Multiple(window)) return LB_ERR;
      int from = LOWORD(static_cast<DWORD>(lParam)), to = HIWORD(static_cast<DWORD>(lParam));
      for (int n = from; n <= to && n < Count(*state); ++n) state->items[static_cast<std::size_t>(n)].selected = wParam != 0;
      Redraw(window);
      return LB_OKAY;
    }
    case LB_FINDSTRING:
      return Find(*state, window, static_cast<int>(wParam), reinterpret_cast<const char*>(lParam), false);
    case LB_FINDSTRINGEXACT:
      return Find(*state, window, static_cast<int>(wParam), reinterpret_cast<const char*>(lParam), true);
    case LB_SELECTSTRING: {
      if (Multiple(window)) return LB_ERR;
      LRESULT found = Find(*state, window, static_cast<int>(wParam), reinterpret_cast<const char*>(lParam), false);
      if (found != LB_ERR) Select(window, *state, static_cast<int>(found));
      return found;
    }
    case LB_GETTOPINDEX: return state->top;
    case LB_SETTOPINDEX: {
      int index = static_cast<int>(wParam);
      if (index < 0 || index >= std::max(1, Count(*state))) return LB_ERR;
      state->top = index;
      Redraw(window);
      return LB_OKAY;
    }
    case LB_GETITEMRECT: {
      int index = static_cast<int>(wParam);
      if (index < 0 || index >= std::max(1, Count(*state)) || !lParam) return LB_ERR;
      *reinterpret_cast<RECT*>(lParam) = ItemRect(window, *state, index);
      return LB_OKAY;
    }
    case LB_SETCARETINDEX: {
      int index = static_cast<int>(wParam);
      if (index < 0 || index >= Count(*state)) return LB_ERR;
      state->caret = index;
      ShowItem(window, *state, index);
      Redraw(window);
      return LB_OKAY;
    }
    case LB_GETCARETINDEX: return state->caret;
    case LB_SETANCHORINDEX: state->anchor = static_cast<int>(wParam); return LB_OKAY;
    case LB_GETANCHORINDEX: return state->anchor;
    case LB_SETITEMHEIGHT: {
      int height = LOWORD(static_cast<DWORD>(lParam));
      if (height <= 0 || height > 255) return LB_ERR;
      if (Style(window) & LBS_OWNERDRAWVARIABLE) {
        int index = static_cast<int>(wParam);
        if (index < 0 || index >= Count(*state)) return LB_ERR;
        state->items[static_cast<std::size_t>(index)].height = height;
      } else {
        state->itemHeight = height;
      }
      Redraw(window);
      return LB_OKAY;
    }
    case LB_GETITEMHEIGHT: {
      int index = static_cast<int>(wParam);
      if ((Style(window) & LBS_OWNERDRAWVARIABLE) && index >= 0 && index < Count(*state))
        return state->items[static_cast<std::size_t>(index)].height;
      return state->itemHeight;
    }
    case LB_ITEMFROMPOINT: {
      if (state->items.empty()) return MAKELONG(0, 1);
      POINT point = PointOf(lParam);
      RECT client;
      GetClientRect(window, &client);
      return MAKELONG(ItemFromPoint(window, *state, point), PtInRect(&client, point) ? 0 : 1);
    }
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace
}  // namespace tolvar::controls
