// The extended combo box: a "ComboBox" child (owner-drawn, with strings) that it draws itself, an
// image list, and per item an image, a selected image, an indentation and a value. The inner combo
// box's notifications reach the parent in the extended box's name; an edit (CBS_DROPDOWN) that
// changed is reported with CBEN_ENDEDIT when it loses the focus, on Enter or Escape, or when the
// list drops.
#include "Common.h"

#include <controls/ComboBoxEx.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace tolvar::controls {
namespace {

constexpr int kIndentStep = 10;

struct ExItem {
  int image = -1;
  int selectedImage = -1;
  int overlay = -1;
  int indent = 0;
  LPARAM value = 0;
};

struct ComboExState {
  HWND combo = nullptr;
  HWND edit = nullptr;
  WNDPROC editProc = nullptr;
  HIMAGELIST images = nullptr;
  std::vector<ExItem> items;
  bool editChanged = false;
};

ComboExState* OfEdit(HWND edit) {
  HWND combo = GetParent(edit);
  HWND ex = combo ? GetParent(combo) : nullptr;
  return ex ? StateOf<ComboExState>(ex) : nullptr;
}

HWND ExOfEdit(HWND edit) {
  HWND combo = GetParent(edit);
  return combo ? GetParent(combo) : nullptr;
}

void EndEdit(HWND ex, ComboExState& state, int why) {
  if (!state.editChanged || !state.edit) return;
  state.editChanged = false;
  NMCBEENDEDITA end{};
  end.hdr = {ex, ControlId(ex), CBEN_ENDEDITA};
  end.fChanged = TRUE;
  GetWindowTextA(state.edit, end.szText, sizeof end.szText);
  end.iNewSelection = static_cast<int>(
      SendMessageA(state.combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(end.szText)));
  end.iWhy = why;
  SendMessageA(GetParent(ex), WM_NOTIFY, ControlId(ex), reinterpret_cast<LPARAM>(&end));
}

// The edit of the inner combo box: the ends of an edit are the extended box's to tell.
LRESULT ExEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  ComboExState* state = OfEdit(edit);
  if (!state || !state->editProc) return DefWindowProcA(edit, message, wParam, lParam);
  HWND ex = ExOfEdit(edit);
  if (message == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE) &&
      !SendMessageA(state->combo, CB_GETDROPPEDSTATE, 0, 0)) {
    EndEdit(ex, *state, wParam == VK_RETURN ? CBENF_RETURN : CBENF_ESCAPE);
  } else if (message == WM_KILLFOCUS) {
    EndEdit(ex, *state, CBENF_KILLFOCUS);
  }
  return CallWindowProcA(state->editProc, edit, message, wParam, lParam);
}

int ItemIndex(const ComboExState& state, INT_PTR index) {
  return index < 0 || index >= static_cast<INT_PTR>(state.items.size()) ? -1 : static_cast<int>(index);
}

LRESULT Insert(HWND, ComboExState& state, const COMBOBOXEXITEMA& item) {
  const int count = static_cast<int>(state.items.size());
  int at = item.iItem < 0 || item.iItem > count ? count : static_cast<int>(item.iItem);
  const char* text = (item.mask & CBEIF_TEXT) && item.pszText && !IS_INTRESOURCE(item.pszText) ? item.pszText : "";
  LRESULT placed = SendMessageA(state.combo, CB_INSERTSTRING, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(text));
  if (placed < 0) return -1;
  ExItem ex;
  if (item.mask & CBEIF_IMAGE) ex.image = item.iImage;
  if (item.mask & CBEIF_SELECTEDIMAGE) ex.selectedImage = item.iSelectedImage;
  if (item.mask & CBEIF_OVERLAY) ex.overlay = item.iOverlay;
  if (item.mask & CBEIF_INDENT) ex.indent = item.iIndent;
  if (item.mask & CBEIF_LPARAM) ex.value = item.lParam;
  state.items.insert(state.items.begin() + placed, ex);
  return placed;
}

BOOL Get(ComboExState& state, COMBOBOXEXITEMA& item) {
  INT_PTR index = item.iItem == -1 ? SendMessageA(state.combo, CB_GETCURSEL, 0, 0) : item.iItem;
  if (item.iItem == -1 && index < 0) {
    // The edit's text, when no item is chosen.
    if ((item.mask & CBEIF_TEXT) && item.pszText && item.cchTextMax > 0) {
      GetWindowTextA(state.combo, item.pszText, item.cchTextMax);
    }
    return TRUE;
  }
  int at = ItemIndex(state, index);
  if (at < 0) return FALSE;
  const ExItem& ex = state.items[static_cast<std::size_t>(at)];
  if ((item.mask & CBEIF_TEXT) && item.pszText && item.cchTextMax > 0) {
    LRESULT length = SendMessageA(state.combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(at), 0);
    std::string text(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, '\0');
    SendMessageA(state.combo, CB_GETLBTEXT, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(text.data()));
    std::size_t n = std::min<std::size_t>(std::strlen(text.c_str()), static_cast<std::size_t>(item.cchTextMax) - 1);
    std::memcpy(item.pszText, text.data(), n);
    item.pszText[n] = 0;
  }
  if (item.mask & CBEIF_IMAGE) item.iImage = ex.image;
  if (item.mask & CBEIF_SELECTEDIMAGE) item.iSelectedImage = ex.selectedImage;
  if (item.mask & CBEIF_OVERLAY) item.iOverlay = ex.overlay;
  if (item.mask & CBEIF_INDENT) item.iIndent = ex.indent;
  if (item.mask & CBEIF_LPARAM) item.lParam = ex.value;
  return TRUE;
}

BOOL Set(HWND ex, ComboExState& state, const COMBOBOXEXITEMA& item) {
  int at = ItemIndex(state, item.iItem);
  if (at < 0) return FALSE;
  ExItem& stored = state.items[static_cast<std::size_t>(at)];
  if (item.mask & CBEIF_TEXT) {
    // The inner list's text is replaced by taking the item out and putting it back.
    const int selected = static_cast<int>(SendMessageA(state.combo, CB_GETCURSEL, 0, 0));
    const LPARAM data = SendMessageA(state.combo, CB_GETITEMDATA, static_cast<WPARAM>(at), 0);
    SendMessageA(state.combo, CB_DELETESTRING, static_cast<WPARAM>(at), 0);
    SendMessageA(state.combo, CB_INSERTSTRING, static_cast<WPARAM>(at),
                 reinterpret_cast<LPARAM>(item.pszText && !IS_INTRESOURCE(item.pszText) ? item.pszText : ""));
    SendMessageA(state.combo, CB_SETITEMDATA, static_cast<WPARAM>(at), data);
    if (selected == at) SendMessageA(state.combo, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
  }
  if (item.mask & CBEIF_IMAGE) stored.image = item.iImage;
  if (item.mask & CBEIF_SELECTEDIMAGE) stored.selectedImage = item.iSelectedImage;
  if (item.mask & CBEIF_OVERLAY) stored.overlay = item.iOverlay;
  if (item.mask & CBEIF_INDENT) stored.indent = item.iIndent;
  if (item.mask & CBEIF_LPARAM) stored.value = item.lParam;
  InvalidateRect(ex, nullptr, FALSE);
  InvalidateRect(state.combo, nullptr, FALSE);
  return TRUE;
}

// An item: its image (the selected one when selected) at its indentation, then its text.
void DrawItem(ComboExState& state, const DRAWITEMSTRUCT& draw) {
  HDC hdc = draw.hDC;
  RECT rect = draw.rcItem;
  const bool selected = draw.itemState & ODS_SELECTED;
  const bool face = draw.itemState & ODS_COMBOBOXEDIT;
  FillRect(hdc, &rect, GetSysColorBrush(COLOR_WINDOW));
  const int at = ItemIndex(state, static_cast<INT_PTR>(static_cast<int>(draw.itemID)));
  if (at < 0) return;
  const ExItem& item = state.items[static_cast<std::size_t>(at)];
  int x = rect.left + 2 + (face ? 0 : item.indent * kIndentStep);
  int cx = 0, cy = 0;
  if (state.images) ImageList_GetIconSize(state.images, &cx, &cy);
  const int image = selected && item.selectedImage >= 0 ? item.selectedImage : item.image;
  if (state.images && image >= 0) {
    ImageList_Draw(state.images, image, hdc, x, (rect.top + rect.bottom - cy) / 2, ILD_TRANSPARENT);
  }
  if (state.images) x += cx + 4;
  LRESULT length = SendMessageA(state.combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(at), 0);
  std::string text(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, '\0');
  SendMessageA(state.combo, CB_GETLBTEXT, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(text.data()));
  text.resize(std::strlen(text.c_str()));
  SIZE size{};
  GetTextExtentPoint32A(hdc, text.c_str(), static_cast<int>(text.size()), &size);
  RECT label{x, rect.top, std::min<LONG>(rect.right, x + size.cx + 4), rect.bottom};
  if (selected) FillRect(hdc, &label, GetSysColorBrush(COLOR_HIGHLIGHT));
  SetBkMode(hdc, TRANSPARENT);
  SetTextColor(hdc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  RECT textRect = label;
  textRect.left += 2;
  DrawTextA(hdc, text.c_str(), -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  if ((draw.itemState & ODS_FOCUS) && selected) DrawFocusRect(hdc, &label);
}

}  // namespace

LRESULT ComboBoxExProc(HWND ex, UINT message, WPARAM wParam, LPARAM lParam) {
  ComboExState* state = StateOf<ComboExState>(ex);
  if (!state && message != WM_NCCREATE) return DefWindowProcA(ex, message, wParam, lParam);
  switch (message) {
    case WM_NCCREATE:
      AttachState<ComboExState>(ex);
      return DefWindowProcA(ex, message, wParam, lParam);
    case WM_CREATE: {
      const auto& create = *reinterpret_cast<const CREATESTRUCTA*>(lParam);
      const DWORD kind = static_cast<DWORD>(create.style) & 3;
      state->combo = CreateWindowExA(0, "ComboBox", "",
                                     WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS |
                                         (kind ? kind : CBS_DROPDOWNLIST),
                                     0, 0, create.cx, create.cy, ex, reinterpret_cast<HMENU>(static_cast<INT_PTR>(1001)),
                                     create.hInstance, nullptr);
      if (!state->combo) return -1;
      state->edit = GetDlgItem(state->combo, 1001);
      if (state->edit) {
        state->editProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(state->edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ExEditProc)));
      }
      RECT rect;
      GetWindowRect(state->combo, &rect);
      SetWindowPos(ex, nullptr, 0, 0, create.cx, rect.bottom - rect.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_NCDESTROY:
      DetachState<ComboExState>(ex);
      return DefWindowProcA(ex, message, wParam, lParam);
    case WM_SETFOCUS: SetFocus(state->combo); return 0;
    case WM_SETFONT:
      SendMessageA(state->combo, message, wParam, lParam);
      return 0;
    case WM_GETFONT: return SendMessageA(state->combo, message, wParam, lParam);
    case WM_ENABLE: EnableWindow(state->combo, static_cast<BOOL>(wParam)); return 0;
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_SETTEXT: return SendMessageA(state->combo, message, wParam, lParam);
    case WM_MEASUREITEM: {
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      int cx = 0, cy = 0;
      if (state->images) ImageList_GetIconSize(state->images, &cx, &cy);
      measure->itemHeight = std::max<UINT>(measure->itemHeight, static_cast<UINT>(cy + 2));
      return TRUE;
    }
    case WM_DRAWITEM: DrawItem(*state, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_DELETEITEM: return TRUE;
    case WM_COMMAND:
      // The inner combo box speaks to the parent in the extended box's name.
      if (reinterpret_cast<HWND>(lParam) == state->combo) {
        const WORD code = HIWORD(wParam);
        if (code == CBN_EDITCHANGE) state->editChanged = true;
        if (code == CBN_DROPDOWN) EndEdit(ex, *state, CBENF_DROPDOWN);
        if (code == CBN_SELCHANGE) state->editChanged = false;
        NotifyParent(ex, code);
      }
      return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
      return SendMessageA(GetParent(ex), message, wParam, lParam);
    case CBEM_INSERTITEMA:
      return lParam ? Insert(ex, *state, *reinterpret_cast<const COMBOBOXEXITEMA*>(lParam)) : -1;
    case CBEM_GETITEMA: return lParam ? Get(*state, *reinterpret_cast<COMBOBOXEXITEMA*>(lParam)) : FALSE;
    case CBEM_SETITEMA: return lParam ? Set(ex, *state, *reinterpret_cast<const COMBOBOXEXITEMA*>(lParam)) : FALSE;
    case CBEM_DELETEITEM: {
      int at = ItemIndex(*state, static_cast<INT_PTR>(static_cast<int>(wParam)));
      if (at < 0) return CB_ERR;
      state->items.erase(state->items.begin() + at);
      return SendMessageA(state->combo, CB_DELETESTRING, static_cast<WPARAM>(at), 0);
    }
    case CB_RESETCONTENT:
      state->items.clear();
      return SendMessageA(state->combo, CB_RESETCONTENT, 0, 0);
    case CB_SETITEMDATA: {
      int at = ItemIndex(*state, static_cast<INT_PTR>(static_cast<int>(wParam)));
      if (at < 0) return CB_ERR;
      state->items[static_cast<std::size_t>(at)].value = lParam;
      return TRUE;
    }
    case CB_GETITEMDATA: {
      int at = ItemIndex(*state, static_cast<INT_PTR>(static_cast<int>(wParam)));
      return at < 0 ? CB_ERR : state->items[static_cast<std::size_t>(at)].value;
    }
    case CBEM_SETIMAGELIST: {
      HIMAGELIST old = state->images;
      state->images = reinterpret_cast<HIMAGELIST>(lParam);
      int cx = 0, cy = 0;
      if (state->images && ImageList_GetIconSize(state->images, &cx, &cy)) {
        SendMessageA(state->combo, CB_SETITEMHEIGHT, 0, std::max(cy + 2, 1));
      }
      InvalidateRect(state->combo, nullptr, TRUE);
      return reinterpret_cast<LRESULT>(old);
    }
    case CBEM_GETIMAGELIST: return reinterpret_cast<LRESULT>(state->images);
    case CBEM_GETCOMBOCONTROL: return reinterpret_cast<LRESULT>(state->combo);
    case CBEM_GETEDITCONTROL: return reinterpret_cast<LRESULT>(state->edit);
    case CBEM_HASEDITCHANGED: return state->editChanged;
    default:
      if (message >= CB_GETEDITSEL && message <= CB_SETDROPPEDWIDTH) {
        return SendMessageA(state->combo, message, wParam, lParam);
      }
      return DefWindowProcA(ex, message, wParam, lParam);
  }
}

}  // namespace tolvar::controls
