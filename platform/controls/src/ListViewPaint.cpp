// The list view's painting: the rows inside the update area, each drawn by the parent
// (LVS_OWNERDRAWFIXED: one WM_DRAWITEM per row, whatever the columns) or by the list with the
// parent's custom draw stages (NM_CUSTOMDRAW: before the whole paint, per item and per sub-item);
// then the grid lines and the background below the last row. The same code serves WM_PAINT and
// WM_PRINTCLIENT, so a list printed into a memory DC looks as it does on screen.
#include "ListViewState.h"

#include <algorithm>

namespace tolvar::controls::listview {
namespace {

constexpr int kCellMargin = 6;

struct Colours {
  COLORREF text;
  COLORREF back;  // CLR_NONE: leave the background
};

LRESULT CustomDraw(HWND window, HDC hdc, DWORD stage, const RECT& rect, int item, int subItem, UINT itemState,
                   LPARAM value, Colours& colours) {
  NMLVCUSTOMDRAW draw{};
  draw.nmcd.hdr = {window, ControlId(window), NM_CUSTOMDRAW};
  draw.nmcd.dwDrawStage = stage;
  draw.nmcd.hdc = hdc;
  draw.nmcd.rc = rect;
  draw.nmcd.dwItemSpec = static_cast<DWORD_PTR>(item);
  draw.nmcd.uItemState = itemState;
  draw.nmcd.lItemlParam = value;
  draw.clrText = colours.text;
  draw.clrTextBk = colours.back;
  draw.iSubItem = subItem;
  HWND parent = GetParent(window);
  const LRESULT answer = parent ? SendMessageA(parent, WM_NOTIFY, draw.nmcd.hdr.idFrom, reinterpret_cast<LPARAM>(&draw)) : 0;
  colours.text = draw.clrText;
  colours.back = draw.clrTextBk;
  return answer;
}

// Whether an item shows as selected: while the list has the focus, or always with LVS_SHOWSELALWAYS
// (then in the face colour when the focus is elsewhere); a drop target always does.
bool ShowsSelected(HWND window, const State& state, const Item& item) {
  if (item.state & LVIS_DROPHILITED) return true;
  return (item.state & LVIS_SELECTED) && (state.focused || (Style(window) & LVS_SHOWSELALWAYS));
}

Colours ItemColours(HWND window, const State& state, const Item& item) {
  if (ShowsSelected(window, state, item)) {
    const bool active = state.focused || (item.state & LVIS_DROPHILITED);
    return {GetSysColor(active ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT), GetSysColor(active ? COLOR_HIGHLIGHT : COLOR_BTNFACE)};
  }
  return {state.text, state.textBackground == CLR_DEFAULT ? state.background : state.textBackground};
}

void Fill(HDC hdc, const RECT& rect, COLORREF colour) {
  if (colour == CLR_NONE || rect.right <= rect.left || rect.bottom <= rect.top) return;
  SetBkColor(hdc, colour);
  ExtTextOutA(hdc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

void DrawText(HDC hdc, const std::string& text, RECT rect, int format, COLORREF colour) {
  if (text.empty() || rect.right <= rect.left) return;
  static const UINT kAlign[] = {DT_LEFT, DT_RIGHT, DT_CENTER, DT_LEFT};
  rect.left += kCellMargin / 2;
  rect.right -= kCellMargin / 2;
  SetTextColor(hdc, colour);
  SetBkMode(hdc, TRANSPARENT);
  DrawTextA(hdc, text.c_str(), static_cast<int>(text.size()), &rect,
            kAlign[format & LVCFMT_JUSTIFYMASK] | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

void DrawOwnerRow(HWND window, State& state, HDC hdc, int index) {
  const Item& item = state.items[index];
  DRAWITEMSTRUCT draw{};
  draw.CtlType = ODT_LISTVIEW;
  draw.CtlID = ControlId(window);
  draw.itemID = static_cast<UINT>(index);
  draw.itemAction = ODA_DRAWENTIRE;
  draw.itemState = (ShowsSelected(window, state, item) ? ODS_SELECTED : 0) |
                   ((item.state & LVIS_FOCUSED) && state.focused ? ODS_FOCUS : 0) |
                   (IsWindowEnabled(window) ? 0 : ODS_DISABLED);
  draw.hwndItem = window;
  draw.hDC = hdc;
  draw.rcItem = RowRect(window, state, index);
  draw.itemData = static_cast<ULONG_PTR>(item.value);
  HWND parent = GetParent(window);
  if (parent) SendMessageA(parent, WM_DRAWITEM, draw.CtlID, reinterpret_cast<LPARAM>(&draw));
}

void DrawRow(HWND window, State& state, HDC hdc, int index, bool itemStages, RECT client) {
  const Item& item = state.items[index];
  const RECT row = RowRect(window, state, index);
  const bool fullRow = state.exStyle & LVS_EX_FULLROWSELECT;
  const bool selected = ShowsSelected(window, state, item);
  Colours plain{state.text, state.textBackground == CLR_DEFAULT ? state.background : state.textBackground};
  Colours marked = ItemColours(window, state, item);
  const UINT itemState = ((item.state & LVIS_SELECTED) ? CDIS_SELECTED : 0) |
                         ((item.state & LVIS_FOCUSED) && state.focused ? CDIS_FOCUS : 0);
  LRESULT stages = CDRF_DODEFAULT;
  if (itemStages) {
    stages = CustomDraw(window, hdc, CDDS_ITEMPREPAINT, row, index, 0, itemState, item.value, plain);
    if (stages & CDRF_SKIPDEFAULT) return;
    if (!selected) marked = plain;
  }
  // The row's background, then each column in display order.
  Fill(hdc, RECT{0, row.top, client.right, row.bottom}, state.background);
  for (int column : ColumnOrder(state)) {
    const RECT cell = CellRect(window, state, index, column);
    if (cell.right <= 0 || cell.left >= client.right) continue;
    const int subItem = state.columns[column].subItem;
    Colours colours = (fullRow || subItem == 0) ? marked : plain;
    if (!selected && !(stages & CDRF_NOTIFYSUBITEMDRAW)) colours = plain;
    if (stages & CDRF_NOTIFYSUBITEMDRAW) {
      Colours asked = selected && (fullRow || subItem == 0) ? marked : plain;
      const LRESULT answer =
          CustomDraw(window, hdc, CDDS_ITEMPREPAINT | CDDS_SUBITEM, cell, index, subItem, itemState, item.value, asked);
      if (answer & CDRF_SKIPDEFAULT) continue;
      colours = asked;
    }
    RECT text = cell;
    if (subItem == 0) {
      const RECT icon = ItemPart(window, state, index, LVIR_ICON);
      const UINT stateImage = (item.state & LVIS_STATEIMAGEMASK) >> 12;
      if (state.images[LVSIL_STATE] && stateImage > 0) {
        int cx = 0, cy = 0;
        ImageList_GetIconSize(state.images[LVSIL_STATE], &cx, &cy);
        ImageList_Draw(state.images[LVSIL_STATE], static_cast<int>(stateImage) - 1, hdc, icon.left - cx,
                       row.top + (state.rowHeight - cy) / 2, ILD_TRANSPARENT);
      }
      if (state.images[LVSIL_SMALL] && item.image >= 0) {
        int cx = 0, cy = 0;
        ImageList_GetIconSize(state.images[LVSIL_SMALL], &cx, &cy);
        ImageList_Draw(state.images[LVSIL_SMALL], item.image, hdc, icon.left, row.top + (state.rowHeight - cy) / 2,
                       selected ? ILD_SELECTED : ILD_TRANSPARENT);
      }
      text.left = icon.right;
    }
    Fill(hdc, text, colours.back);
    DrawText(hdc, item.Text(subItem), text, state.columns[column].format, colours.text);
  }
  if ((item.state & LVIS_FOCUSED) && state.focused) {
    RECT focus = fullRow ? row : ItemPart(window, state, index, LVIR_LABEL);
    SetTextColor(hdc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(hdc, GetSysColor(COLOR_WINDOW));
    DrawFocusRect(hdc, &focus);
  }
  if (stages & CDRF_NOTIFYPOSTPAINT) CustomDraw(window, hdc, CDDS_ITEMPOSTPAINT, row, index, 0, itemState, item.value, plain);
}

void DrawGrid(HWND window, State& state, HDC hdc, const RECT& client) {
  const int top = HeaderHeight(window, state);
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNFACE));
  Selected selected(hdc, pen);
  for (int y = top + state.rowHeight - 1; y < client.bottom; y += state.rowHeight) {
    MoveToEx(hdc, 0, y, nullptr);
    LineTo(hdc, client.right, y);
  }
  int x = -state.xOffset;
  for (int column : ColumnOrder(state)) {
    x += ColumnWidth(state, column);
    MoveToEx(hdc, x - 1, top, nullptr);
    LineTo(hdc, x - 1, client.bottom);
  }
  SelectObject(hdc, GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

}  // namespace

void Paint(HWND window, State& state, HDC hdc, const RECT& update) {
  RECT client;
  GetClientRect(window, &client);
  Selected font(hdc, FontOr(state.font));
  const int top = HeaderHeight(window, state);
  const bool ownerDraw = Style(window) & LVS_OWNERDRAWFIXED;
  Colours none{state.text, state.background};
  LRESULT stages = CDRF_DODEFAULT;
  if (!ownerDraw) {
    stages = CustomDraw(window, hdc, CDDS_PREPAINT, client, 0, 0, 0, 0, none);
    if (stages & CDRF_SKIPDEFAULT) return;
  }
  const int first = std::max(state.top, state.top + (static_cast<int>(update.top) - top) / state.rowHeight);
  int bottom = top;
  for (int index = first; index < Count(state); ++index) {
    const RECT row = RowRect(window, state, index);
    if (row.top >= update.bottom || row.top >= client.bottom) break;
    bottom = row.bottom;
    if (row.bottom <= update.top) continue;
    if (ownerDraw) {
      Fill(hdc, RECT{0, row.top, client.right, row.bottom}, state.background);
      DrawOwnerRow(window, state, hdc, index);
    } else {
      DrawRow(window, state, hdc, index, (stages & CDRF_NOTIFYITEMDRAW) != 0, client);
    }
  }
  bottom = std::max(bottom, top + (Count(state) - state.top) * state.rowHeight);
  if (bottom < client.bottom) Fill(hdc, RECT{0, std::max(bottom, top), client.right, client.bottom}, state.background);
  if ((state.exStyle & LVS_EX_GRIDLINES) && !ownerDraw) DrawGrid(window, state, hdc, client);
  if (stages & CDRF_NOTIFYPOSTPAINT) CustomDraw(window, hdc, CDDS_POSTPAINT, client, 0, 0, 0, 0, none);
}

// The drag image: the item's icon and label as they look unselected, in an image list of one
// image; `origin` gets the image's top-left corner in the list's client coordinates.
HIMAGELIST CreateDragImage(HWND window, State& state, int item, POINT* origin) {
  if (!Valid(state, item) || !origin) return nullptr;
  const RECT icon = ItemPart(window, state, item, LVIR_ICON);
  RECT label = ItemPart(window, state, item, LVIR_LABEL);
  const int width = std::max(1, static_cast<int>(label.right - icon.left));
  const int height = state.rowHeight;
  HDC memory = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateBitmap(width, height, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(memory, bitmap);
  {
    Selected font(memory, FontOr(state.font));
    const RECT all{0, 0, width, height};
    Fill(memory, all, state.background);
    const Item& row = state.items[item];
    if (state.images[LVSIL_SMALL] && row.image >= 0) {
      int cx = 0, cy = 0;
      ImageList_GetIconSize(state.images[LVSIL_SMALL], &cx, &cy);
      ImageList_Draw(state.images[LVSIL_SMALL], row.image, memory, 0, (height - cy) / 2, ILD_TRANSPARENT);
    }
    RECT text{icon.right - icon.left, 0, width, height};
    DrawText(memory, row.Text(0), text, LVCFMT_LEFT, state.text);
  }
  SelectObject(memory, old);
  DeleteDC(memory);
  HIMAGELIST list = ImageList_Create(width, height, ILC_COLOR32, 1, 0);
  ImageList_Add(list, bitmap, nullptr);
  DeleteObject(bitmap);
  *origin = POINT{icon.left, icon.top};
  return list;
}

}  // namespace tolvar::controls::listview
