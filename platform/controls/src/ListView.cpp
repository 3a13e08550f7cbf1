// The list view in report mode: its items and columns, their geometry, state changes with the
// parent's say (LVN_ITEMCHANGING may veto; LVN_ITEMCHANGED follows), sorting, finding, scrolling by
// the window's scroll bars, and the header it owns, whose notifications it passes to its parent
// (a click on a title becomes LVN_COLUMNCLICK). Painting and input live beside it.
#include "ListViewState.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

namespace tolvar::controls::listview {
namespace {

constexpr int kCellMargin = 6;  // text inset from a cell's sides, also used by the auto-size widths

HDITEMA HeaderItemOf(const State& state, int column, UINT mask) {
  HDITEMA item{};
  item.mask = mask;
  SendMessageA(state.header, HDM_GETITEMA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
  return item;
}

int TextWidth(HWND window, const State& state, const std::string& text) {
  HDC hdc = GetDC(window);
  SIZE size{};
  {
    Selected font(hdc, FontOr(state.font));
    GetTextExtentPoint32A(hdc, text.c_str(), static_cast<int>(text.size()), &size);
  }
  ReleaseDC(window, hdc);
  return size.cx;
}

// The row height: the taller of the font and the small images, or what the parent of an owner-drawn
// list answers to WM_MEASUREITEM.
void MeasureRows(HWND window, State& state) {
  HDC hdc = GetDC(window);
  TEXTMETRICA metrics{};
  {
    Selected font(hdc, FontOr(state.font));
    GetTextMetricsA(hdc, &metrics);
  }
  ReleaseDC(window, hdc);
  int height = metrics.tmHeight;
  int cx = 0, cy = 0;
  if (state.images[LVSIL_SMALL] && ImageList_GetIconSize(state.images[LVSIL_SMALL], &cx, &cy)) height = std::max(height, cy);
  if (state.images[LVSIL_STATE] && ImageList_GetIconSize(state.images[LVSIL_STATE], &cx, &cy)) height = std::max(height, cy);
  height += 1;
  if (Style(window) & LVS_OWNERDRAWFIXED) {
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_LISTVIEW;
    measure.CtlID = ControlId(window);
    measure.itemHeight = static_cast<UINT>(height);
    if (HWND parent = GetParent(window)) {
      SendMessageA(parent, WM_MEASUREITEM, measure.CtlID, reinterpret_cast<LPARAM>(&measure));
    }
    height = static_cast<int>(measure.itemHeight);
  }
  state.rowHeight = std::max(1, height);
}

// The header sits above the rows and moves sideways with them.
void Layout(HWND window, State& state) {
  RECT client;
  GetClientRect(window, &client);
  const bool shown = !(Style(window) & LVS_NOCOLUMNHEADER);
  if (shown) {
    RECT rest = client;
    WINDOWPOS pos{};
    HDLAYOUT layout{&rest, &pos};
    SendMessageA(state.header, HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&layout));
    SetWindowPos(state.header, nullptr, -state.xOffset, 0, client.right + state.xOffset, pos.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  } else {
    ShowWindow(state.header, SW_HIDE);
  }
  UpdateScrollBars(window, state);
}

LRESULT InsertItem(HWND window, State& state, const LVITEMA* in) {
  if (!in || in->iSubItem != 0) return -1;
  Item item;
  item.texts.emplace_back((in->mask & LVIF_TEXT) && in->pszText ? in->pszText : "");
  if (in->mask & LVIF_IMAGE) item.image = in->iImage;
  if (in->mask & LVIF_PARAM) item.value = in->lParam;
  if (in->mask & LVIF_INDENT) item.indent = in->iIndent;
  if (in->mask & LVIF_STATE) item.state = in->state & in->stateMask & ~LVIS_FOCUSED;
  int index = std::clamp(in->iItem, 0, Count(state));
  const DWORD style = Style(window);
  if (style & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) {
    const bool down = style & LVS_SORTDESCENDING;
    index = 0;
    while (index < Count(state)) {
      const int order = strcasecmp(state.items[index].texts[0].c_str(), item.texts[0].c_str());
      if (down ? order < 0 : order > 0) break;
      ++index;
    }
  }
  if (state.items.empty()) state.top = 0;
  state.items.insert(state.items.begin() + index, std::move(item));
  if (state.anchor >= index) ++state.anchor;
  NotifyItem(window, LVN_INSERTITEM, index);
  if ((in->mask & LVIF_STATE) && (in->stateMask & in->state & LVIS_FOCUSED)) SetState(window, state, index, LVIS_FOCUSED, LVIS_FOCUSED);
  UpdateScrollBars(window, state);
  InvalidateRect(window, nullptr, TRUE);
  return index;
}

BOOL DeleteItem(HWND window, State& state, int index) {
  if (!Valid(state, index)) return FALSE;
  if (state.editItem == index) EndEdit(window, state, true);
  NotifyItem(window, LVN_DELETEITEM, index);
  if (!Valid(state, index)) return FALSE;  // the parent deleted it meanwhile
  state.items.erase(state.items.begin() + index);
  if (state.anchor == index) state.anchor = -1;
  if (state.anchor > index) --state.anchor;
  if (state.editItem > index) --state.editItem;
  state.top = std::clamp(state.top, 0, std::max(0, Count(state) - 1));
  UpdateScrollBars(window, state);
  InvalidateRect(window, nullptr, TRUE);
  return TRUE;
}

BOOL DeleteAll(HWND window, State& state) {
  EndEdit(window, state, true);
  NMLISTVIEW all{};
  all.iItem = -1;
  if (!Notify(window, LVN_DELETEALLITEMS, all.hdr)) {
    for (int index = 0; index < Count(state); ++index) NotifyItem(window, LVN_DELETEITEM, index);
  }
  state.items.clear();
  state.anchor = -1;
  state.top = 0;
  UpdateScrollBars(window, state);
  InvalidateRect(window, nullptr, TRUE);
  return TRUE;
}

BOOL GetItem(const State& state, LVITEMA* out) {
  if (!out || !Valid(state, out->iItem)) return FALSE;
  const Item& item = state.items[out->iItem];
  if ((out->mask & LVIF_TEXT) && out->pszText && out->cchTextMax > 0) {
    const std::string& text = item.Text(out->iSubItem);
    const size_t length = std::min(text.size(), static_cast<size_t>(out->cchTextMax - 1));
    std::memcpy(out->pszText, text.data(), length);
    out->pszText[length] = '\0';
  }
  if (out->mask & LVIF_IMAGE) out->iImage = out->iSubItem == 0 ? item.image : -1;
  if (out->mask & LVIF_PARAM) out->lParam = item.value;
  if (out->mask & LVIF_INDENT) out->iIndent = item.indent;
  if (out->mask & LVIF_STATE) out->state = item.state & out->stateMask;
  return TRUE;
}

void SetText(State& state, int index, int subItem, LPCSTR text) {
  auto& texts = state.items[index].texts;
  if (static_cast<int>(texts.size()) <= subItem) texts.resize(subItem + 1);
  texts[subItem] = text ? text : "";
}

BOOL SetItem(HWND window, State& state, const LVITEMA* in) {
  if (!in || !Valid(state, in->iItem) || in->iSubItem < 0) return FALSE;
  const int index = in->iItem;
  if (in->iSubItem > 0) {
    if (in->mask & LVIF_TEXT) SetText(state, index, in->iSubItem, in->pszText);
    InvalidateItem(window, state, index);
    return TRUE;
  }
  const UINT others = in->mask & (LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_INDENT);
  if (others) {
    // The parent hears of every change to an item's own fields, and may refuse it.
    NMLISTVIEW change{};
    change.iItem = index;
    change.uChanged = others;
    change.lParam = state.items[index].value;
    if (Notify(window, LVN_ITEMCHANGING, change.hdr)) return FALSE;
    Item& item = state.items[index];
    if (in->mask & LVIF_TEXT) SetText(state, index, 0, in->pszText);
    if (in->mask & LVIF_IMAGE) item.image = in->iImage;
    if (in->mask & LVIF_PARAM) item.value = in->lParam;
    if (in->mask & LVIF_INDENT) item.indent = in->iIndent;
    change.lParam = item.value;
    Notify(window, LVN_ITEMCHANGED, change.hdr);
    InvalidateItem(window, state, index);
  }
  if (in->mask & LVIF_STATE) return SetState(window, state, index, in->state, in->stateMask);
  return TRUE;
}

int NextItem(HWND window, const State& state, int start, UINT flags) {
  const UINT wanted = flags & (LVNI_FOCUSED | LVNI_SELECTED | LVNI_CUT | LVNI_DROPHILITED);
  auto matches = [&](int index) { return (state.items[index].state & wanted) == wanted; };
  (void)window;
  if (flags & (LVNI_ABOVE | LVNI_BELOW)) {
    // In a report the rows above and below are the earlier and later items.
    const int step = (flags & LVNI_ABOVE) ? -1 : 1;
    for (int index = start + step; Valid(state, index); index += step) {
      if (matches(index)) return index;
    }
    return -1;
  }
  if (flags & (LVNI_TOLEFT | LVNI_TORIGHT)) return -1;  // one column of items: nothing beside
  for (int index = std::max(0, start + 1); index < Count(state); ++index) {
    if (matches(index)) return index;
  }
  return -1;
}

int FindItem(const State& state, int start, const LVFINDINFOA* find) {
  if (!find) return -1;
  const int count = Count(state);
  if (count == 0) return -1;
  const size_t length = find->psz ? std::strlen(find->psz) : 0;
  auto matches = [&](const Item& item) {
    if (find->flags & LVFI_PARAM) return item.value == find->lParam;
    if (!(find->flags & (LVFI_STRING | LVFI_PARTIAL)) || !find->psz) return false;
    if (find->flags & LVFI_PARTIAL) return strncasecmp(item.texts[0].c_str(), find->psz, length) == 0;
    return strcasecmp(item.texts[0].c_str(), find->psz) == 0;
  };
  const int first = std::clamp(start + 1, 0, count);
  for (int index = first; index < count; ++index) {
    if (matches(state.items[index])) return index;
  }
  if (find->flags & LVFI_WRAP) {
    for (int index = 0; index < first; ++index) {
      if (matches(state.items[index])) return index;
    }
  }
  return -1;
}

// The callback sees the items as they were before the sort began: it may look items up by their
// value (LVM_FINDITEM) while the sort runs, and an inconsistent callback cannot break the list.
BOOL SortItems(HWND window, State& state, LPARAM data, PFNLVCOMPARE compare) {
  if (!compare) return FALSE;
  EndEdit(window, state, true);
  const int anchor = state.anchor;
  std::vector<int> order(state.items.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return compare(state.items[a].value, state.items[b].value, data) < 0;
  });
  std::vector<Item> sorted;
  sorted.reserve(order.size());
  int newAnchor = -1;
  for (int from : order) {
    if (from == anchor) newAnchor = static_cast<int>(sorted.size());
    sorted.push_back(std::move(state.items[from]));
  }
  state.items = std::move(sorted);
  state.anchor = newAnchor;
  InvalidateRect(window, nullptr, TRUE);
  return TRUE;
}

// LVSCW_AUTOSIZE: the widest text of the column (with the item's images in the first);
// LVSCW_AUTOSIZE_USEHEADER also fits the title, and widens the last column to the list's edge.
int AutoWidth(HWND window, const State& state, int column, bool useHeader) {
  const int subItem = state.columns[column].subItem;
  int width = 0;
  for (const Item& item : state.items) width = std::max(width, TextWidth(window, state, item.Text(subItem)));
  width += 2 * kCellMargin;
  if (subItem == 0) width += ImageWidth(state, LVSIL_STATE) + ImageWidth(state, LVSIL_SMALL);
  if (useHeader) {
    char title[260] = {};
    HDITEMA item{};
    item.mask = HDI_TEXT;
    item.pszText = title;
    item.cchTextMax = sizeof title;
    SendMessageA(state.header, HDM_GETITEMA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
    width = std::max(width, TextWidth(window, state, title) + 2 * kCellMargin + 6);
    const std::vector<int> order = ColumnOrder(state);
    if (!order.empty() && order.back() == column) {
      RECT client;
      GetClientRect(window, &client);
      int left = 0;
      for (int other : order) {
        if (other != column) left += ColumnWidth(state, other);
      }
      width = std::max(width, static_cast<int>(client.right) - left);
    }
  }
  return width;
}

BOOL SetColumnWidth(HWND window, State& state, int column, int width) {
  if (column < 0 || column >= ColumnCount(state)) return FALSE;
  if (width == LVSCW_AUTOSIZE || width == LVSCW_AUTOSIZE_USEHEADER) {
    width = AutoWidth(window, state, column, width == LVSCW_AUTOSIZE_USEHEADER);
  }
  HDITEMA item{};
  item.mask = HDI_WIDTH;
  item.cxy = std::max(0, width);
  return static_cast<BOOL>(SendMessageA(state.header, HDM_SETITEMA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item)));
}

LRESULT InsertColumn(HWND window, State& state, int index, const LVCOLUMNA* in) {
  if (!in) return -1;
  index = std::clamp(index, 0, ColumnCount(state));
  Column column;
  column.format = (in->mask & LVCF_FMT) ? in->fmt : LVCFMT_LEFT;
  column.subItem = (in->mask & LVCF_SUBITEM) ? in->iSubItem : index;
  if (in->mask & LVCF_IMAGE) column.image = in->iImage;
  if (index == 0) column.format &= ~LVCFMT_JUSTIFYMASK;  // the labels' column is always left-aligned
  HDITEMA item{};
  item.mask = HDI_FORMAT | HDI_WIDTH;
  item.fmt = (column.format & LVCFMT_JUSTIFYMASK) | HDF_STRING;
  item.cxy = (in->mask & LVCF_WIDTH) ? std::max(0, in->cx) : 0;
  if (in->mask & LVCF_TEXT) {
    item.mask |= HDI_TEXT;
    item.pszText = in->pszText;
  }
  if (in->mask & LVCF_ORDER) {
    item.mask |= HDI_ORDER;
    item.iOrder = in->iOrder;
  }
  const LRESULT at = SendMessageA(state.header, HDM_INSERTITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  if (at < 0) return -1;
  state.columns.insert(state.columns.begin() + at, column);
  UpdateScrollBars(window, state);
  InvalidateRect(window, nullptr, TRUE);
  return at;
}

BOOL GetColumn(const State& state, int index, LVCOLUMNA* out) {
  if (!out || index < 0 || index >= ColumnCount(state)) return FALSE;
  const Column& column = state.columns[index];
  HDITEMA item{};
  item.mask = HDI_WIDTH | HDI_ORDER | ((out->mask & LVCF_TEXT) ? HDI_TEXT : 0);
  item.pszText = out->pszText;
  item.cchTextMax = out->cchTextMax;
  SendMessageA(state.header, HDM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  if (out->mask & LVCF_FMT) out->fmt = column.format;
  if (out->mask & LVCF_WIDTH) out->cx = item.cxy;
  if (out->mask & LVCF_SUBITEM) out->iSubItem = column.subItem;
  if (out->mask & LVCF_IMAGE) out->iImage = column.image;
  if (out->mask & LVCF_ORDER) out->iOrder = item.iOrder;
  return TRUE;
}

BOOL SetColumn(HWND window, State& state, int index, const LVCOLUMNA* in) {
  if (!in || index < 0 || index >= ColumnCount(state)) return FALSE;
  Column& column = state.columns[index];
  HDITEMA item{};
  if (in->mask & LVCF_FMT) {
    column.format = index == 0 ? in->fmt & ~LVCFMT_JUSTIFYMASK : in->fmt;
    item.mask |= HDI_FORMAT;
    item.fmt = (column.format & LVCFMT_JUSTIFYMASK) | HDF_STRING;
  }
  if (in->mask & LVCF_SUBITEM) column.subItem = in->iSubItem;
  if (in->mask & LVCF_IMAGE) column.image = in->iImage;
  if (in->mask & LVCF_WIDTH) {
    item.mask |= HDI_WIDTH;
    item.cxy = std::max(0, in->cx);
  }
  if (in->mask & LVCF_TEXT) {
    item.mask |= HDI_TEXT;
    item.pszText = in->pszText;
  }
  if (in->mask & LVCF_ORDER) {
    item.mask |= HDI_ORDER;
    item.iOrder = in->iOrder;
  }
  if (item.mask) SendMessageA(state.header, HDM_SETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  InvalidateRect(window, nullptr, TRUE);
  return TRUE;
}

// What the header tells its parent reaches the list's parent too; the list follows width changes
// and turns title clicks into LVN_COLUMNCLICK.
LRESULT HeaderNotified(HWND window, State& state, WPARAM wParam, NMHDR* header) {
  HWND parent = GetParent(window);
  const LRESULT answer = parent ? SendMessageA(parent, WM_NOTIFY, wParam, reinterpret_cast<LPARAM>(header)) : 0;
  const auto* notice = reinterpret_cast<const NMHEADERA*>(header);
  if (header->code == HDN_ITEMCHANGEDA) {
    UpdateScrollBars(window, state);
    InvalidateRect(window, nullptr, TRUE);
  } else if (header->code == HDN_ITEMCLICKA && !(Style(window) & LVS_NOSORTHEADER)) {
    NMLISTVIEW click{};
    click.iItem = -1;
    click.iSubItem = notice->iItem;
    Notify(window, LVN_COLUMNCLICK, click.hdr);
  }
  return answer;
}

void Create(HWND window, State& state) {
  state.background = GetSysColor(COLOR_WINDOW);
  state.text = GetSysColor(COLOR_WINDOWTEXT);
  const DWORD headerStyle = WS_CHILD | HDS_HORZ | HDS_FULLDRAG | ((Style(window) & LVS_NOSORTHEADER) ? 0 : HDS_BUTTONS);
  state.header = CreateWindowExA(0, WC_HEADERA, "", headerStyle, 0, 0, 0, 0, window, nullptr, nullptr, nullptr);
  MeasureRows(window, state);
  Layout(window, state);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Geometry

int ColumnCount(const State& state) { return static_cast<int>(state.columns.size()); }

int ColumnWidth(const State& state, int column) { return HeaderItemOf(state, column, HDI_WIDTH).cxy; }

std::vector<int> ColumnOrder(const State& state) {
  std::vector<int> order(state.columns.size());
  if (!order.empty()) {
    SendMessageA(state.header, HDM_GETORDERARRAY, order.size(), reinterpret_cast<LPARAM>(order.data()));
  }
  return order;
}

int HeaderHeight(HWND window, const State& state) {
  if (Style(window) & LVS_NOCOLUMNHEADER) return 0;
  RECT rect{};
  GetWindowRect(state.header, &rect);
  return rect.bottom - rect.top;
}

int PerPage(HWND window, const State& state) {
  RECT client;
  GetClientRect(window, &client);
  return std::max(1, static_cast<int>(client.bottom - HeaderHeight(window, state)) / state.rowHeight);
}

int ImageWidth(const State& state, int list) {
  int cx = 0, cy = 0;
  return state.images[list] && ImageList_GetIconSize(state.images[list], &cx, &cy) ? cx : 0;
}

RECT RowRect(HWND window, const State& state, int item) {
  int width = 0;
  for (int column = 0; column < ColumnCount(state); ++column) width += ColumnWidth(state, column);
  const int top = HeaderHeight(window, state) + (item - state.top) * state.rowHeight;
  return RECT{-state.xOffset, top, width - state.xOffset, top + state.rowHeight};
}

RECT CellRect(HWND window, const State& state, int item, int column) {
  RECT row = RowRect(window, state, item);
  RECT cell{};
  SendMessageA(state.header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&cell));
  return RECT{cell.left - state.xOffset, row.top, cell.right - state.xOffset, row.bottom};
}

RECT ItemPart(HWND window, const State& state, int item, int code) {
  const RECT row = RowRect(window, state, item);
  if (state.columns.empty()) return row;
  const RECT cell = CellRect(window, state, item, 0);
  const int indent = state.items[item].indent * ImageWidth(state, LVSIL_SMALL);
  const int iconLeft = std::min<int>(cell.right, cell.left + indent + ImageWidth(state, LVSIL_STATE));
  const int iconRight = std::min<int>(cell.right, iconLeft + ImageWidth(state, LVSIL_SMALL));
  const RECT icon{iconLeft, row.top, iconRight, row.bottom};
  const RECT label{iconRight, row.top, cell.right, row.bottom};
  switch (code) {
    case LVIR_ICON: return icon;
    case LVIR_LABEL: return label;
    case LVIR_SELECTBOUNDS: return (state.exStyle & LVS_EX_FULLROWSELECT) ? row : RECT{icon.left, row.top, label.right, row.bottom};
    default: return row;
  }
}

LVHITTESTINFO HitTest(HWND window, const State& state, POINT point) {
  LVHITTESTINFO hit{};
  hit.pt = point;
  hit.iItem = -1;
  RECT client;
  GetClientRect(window, &client);
  const int top = HeaderHeight(window, state);
  if (point.y < top) hit.flags |= LVHT_ABOVE;
  if (point.y >= client.bottom) hit.flags |= LVHT_BELOW;
  if (point.x < 0) hit.flags |= LVHT_TOLEFT;
  if (point.x >= client.right) hit.flags |= LVHT_TORIGHT;
  if (hit.flags) return hit;
  const int row = state.top + (point.y - top) / state.rowHeight;
  if (!Valid(state, row)) {
    hit.flags = LVHT_NOWHERE;
    return hit;
  }
  for (int column = 0; column < ColumnCount(state); ++column) {
    const RECT cell = CellRect(window, state, row, column);
    if (point.x >= cell.left && point.x < cell.right) hit.iSubItem = column;
  }
  auto inside = [&](const RECT& r) { return point.x >= r.left && point.x < r.right; };
  const RECT bounds = RowRect(window, state, row);
  const RECT icon = ItemPart(window, state, row, LVIR_ICON);
  const RECT label = ItemPart(window, state, row, LVIR_LABEL);
  const int stateLeft = icon.left - ImageWidth(state, LVSIL_STATE);
  if (state.images[LVSIL_STATE] && point.x >= stateLeft && point.x < icon.left) {
    hit.flags = LVHT_ONITEMSTATEICON;
  } else if (inside(icon) && icon.right > icon.left) {
    hit.flags = LVHT_ONITEMICON;
  } else if (inside(label) || ((state.exStyle & LVS_EX_FULLROWSELECT) && inside(bounds))) {
    hit.flags = LVHT_ONITEMLABEL;
  } else {
    hit.flags = LVHT_NOWHERE;
    return hit;
  }
  hit.iItem = row;
  return hit;
}

// ---------------------------------------------------------------------------------------------
// State changes

LRESULT Notify(HWND window, UINT code, NMHDR& header) {
  header.hwndFrom = window;
  header.idFrom = ControlId(window);
  header.code = code;
  HWND parent = GetParent(window);
  return parent ? SendMessageA(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header)) : 0;
}

LRESULT NotifyItem(HWND window, UINT code, int item, POINT point, int subItem) {
  State* state = Of(window);
  NMLISTVIEW notice{};
  notice.iItem = item;
  notice.iSubItem = subItem;
  notice.ptAction = point;
  if (state && Valid(*state, item)) notice.lParam = state->items[item].value;
  return Notify(window, code, notice.hdr);
}

int FocusedItem(const State& state) {
  for (int index = 0; index < Count(state); ++index) {
    if (state.items[index].state & LVIS_FOCUSED) return index;
  }
  return -1;
}

void InvalidateItem(HWND window, const State& state, int item) {
  if (!Valid(state, item)) return;
  RECT row = RowRect(window, state, item);
  RECT client;
  GetClientRect(window, &client);
  row.left = 0;
  row.right = client.right;
  InvalidateRect(window, &row, TRUE);
}

bool SetState(HWND window, State& state, int item, UINT value, UINT mask) {
  if (!Valid(state, item)) return false;
  const UINT old = state.items[item].state;
  const UINT now = (old & ~mask) | (value & mask);
  if (now == old) return true;
  NMLISTVIEW change{};
  change.iItem = item;
  change.uChanged = LVIF_STATE;
  change.uNewState = now;
  change.uOldState = old;
  change.lParam = state.items[item].value;
  if (Notify(window, LVN_ITEMCHANGING, change.hdr)) return false;
  if (!Valid(state, item)) return false;
  if ((Style(window) & LVS_SINGLESEL) && (now & ~old & LVIS_SELECTED)) {
    // One selected item at most: once this one may be selected, the others let go.
    for (int other = 0; other < Count(state); ++other) {
      if (other != item && (state.items[other].state & LVIS_SELECTED)) SetState(window, state, other, 0, LVIS_SELECTED);
    }
    if (!Valid(state, item)) return false;
  }
  // Only a change the parent allowed takes the focus from the item that had it.
  if (now & ~old & LVIS_FOCUSED) {
    const int previous = FocusedItem(state);
    if (previous >= 0 && previous != item) SetState(window, state, previous, 0, LVIS_FOCUSED);
    if (!Valid(state, item)) return false;
  }
  state.items[item].state = (state.items[item].state & ~mask) | (value & mask);
  Notify(window, LVN_ITEMCHANGED, change.hdr);
  InvalidateItem(window, state, item);
  return true;
}

void UpdateScrollBars(HWND window, State& state) {
  // Until it has columns or items a list has measured nothing: the bars its creator asked for stay,
  // so that a column sized to the client area right after creation fits beside the vertical bar.
  if (ColumnCount(state) == 0 && Count(state) == 0) return;
  RECT client;
  GetClientRect(window, &client);
  const int perPage = PerPage(window, state);
  state.top = std::clamp(state.top, 0, std::max(0, Count(state) - perPage));
  SCROLLINFO vertical{};
  vertical.cbSize = sizeof vertical;
  vertical.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  vertical.nMin = 0;
  vertical.nMax = std::max(0, Count(state) - 1);
  vertical.nPage = static_cast<UINT>(perPage);
  vertical.nPos = state.top;
  SetScrollInfo(window, SB_VERT, &vertical, TRUE);
  int width = 0;
  for (int column = 0; column < ColumnCount(state); ++column) width += ColumnWidth(state, column);
  const int oldOffset = state.xOffset;
  state.xOffset = std::clamp(state.xOffset, 0, std::max(0, width - static_cast<int>(client.right)));
  SCROLLINFO horizontal{};
  horizontal.cbSize = sizeof horizontal;
  horizontal.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  horizontal.nMin = 0;
  horizontal.nMax = std::max(0, width - 1);
  horizontal.nPage = static_cast<UINT>(client.right);
  horizontal.nPos = state.xOffset;
  SetScrollInfo(window, SB_HORZ, &horizontal, TRUE);
  if (oldOffset != state.xOffset && !(Style(window) & LVS_NOCOLUMNHEADER)) {
    SetWindowPos(state.header, nullptr, -state.xOffset, 0, client.right + state.xOffset, HeaderHeight(window, state),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window, nullptr, TRUE);
  }
}

// Moves the rows by whole rows: the pixels that stay are moved, and only the rows that come into
// view are painted.
void ScrollRows(HWND window, State& state, int rows) {
  const int top = std::clamp(state.top + rows, 0, std::max(0, Count(state) - PerPage(window, state)));
  if (top == state.top) return;
  const int moved = top - state.top;
  if (state.edit) EndEdit(window, state, false);
  state.top = top;
  RECT client;
  GetClientRect(window, &client);
  RECT area{0, HeaderHeight(window, state), client.right, client.bottom};
  ScrollWindowEx(window, 0, -moved * state.rowHeight, &area, &area, nullptr, nullptr, SW_INVALIDATE);
  SetScrollPos(window, SB_VERT, state.top, TRUE);
}

void ScrollColumns(HWND window, State& state, int dx) {
  RECT client;
  GetClientRect(window, &client);
  int width = 0;
  for (int column = 0; column < ColumnCount(state); ++column) width += ColumnWidth(state, column);
  const int offset = std::clamp(state.xOffset + dx, 0, std::max(0, width - static_cast<int>(client.right)));
  if (offset == state.xOffset) return;
  if (state.edit) EndEdit(window, state, false);
  state.xOffset = offset;
  Layout(window, state);
  InvalidateRect(window, nullptr, TRUE);
}

void EnsureVisible(HWND window, State& state, int item) {
  if (!Valid(state, item)) return;
  const int perPage = PerPage(window, state);
  if (item < state.top) {
    ScrollRows(window, state, item - state.top);
  } else if (item >= state.top + perPage) {
    ScrollRows(window, state, item - (state.top + perPage - 1));
  }
}

namespace {

int ScrollTarget(HWND window, int bar, WORD code, int line, int page) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  GetScrollInfo(window, bar, &info);
  switch (code) {
    case SB_LINEUP: return info.nPos - line;
    case SB_LINEDOWN: return info.nPos + line;
    case SB_PAGEUP: return info.nPos - page;
    case SB_PAGEDOWN: return info.nPos + page;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: return info.nTrackPos;
    case SB_TOP: return info.nMin;
    case SB_BOTTOM: return info.nMax;
    default: return info.nPos;
  }
}

LRESULT Message(HWND window, State& state, UINT message, WPARAM wParam, LPARAM lParam) {
  const int index = static_cast<int>(wParam);
  switch (message) {
    case LVM_GETBKCOLOR: return static_cast<LRESULT>(state.background);
    case LVM_SETBKCOLOR:
      state.background = static_cast<COLORREF>(lParam);
      InvalidateRect(window, nullptr, TRUE);
      return TRUE;
    case LVM_GETTEXTCOLOR: return static_cast<LRESULT>(state.text);
    case LVM_SETTEXTCOLOR:
      state.text = static_cast<COLORREF>(lParam);
      InvalidateRect(window, nullptr, TRUE);
      return TRUE;
    case LVM_GETTEXTBKCOLOR: return static_cast<LRESULT>(state.textBackground);
    case LVM_SETTEXTBKCOLOR:
      state.textBackground = static_cast<COLORREF>(lParam);
      InvalidateRect(window, nullptr, TRUE);
      return TRUE;
    case LVM_GETIMAGELIST:
      return index >= 0 && index < 3 ? reinterpret_cast<LRESULT>(state.images[index]) : 0;
    case LVM_SETIMAGELIST: {
      if (index < 0 || index >= 3) return 0;
      HIMAGELIST old = state.images[index];
      state.images[index] = reinterpret_cast<HIMAGELIST>(lParam);
      MeasureRows(window, state);
      UpdateScrollBars(window, state);
      InvalidateRect(window, nullptr, TRUE);
      return reinterpret_cast<LRESULT>(old);
    }
    case LVM_GETITEMCOUNT: return Count(state);
    case LVM_GETITEMA: return GetItem(state, reinterpret_cast<LVITEMA*>(lParam));
    case LVM_SETITEMA: return SetItem(window, state, reinterpret_cast<const LVITEMA*>(lParam));
    case LVM_INSERTITEMA: return InsertItem(window, state, reinterpret_cast<const LVITEMA*>(lParam));
    case LVM_DELETEITEM: return DeleteItem(window, state, index);
    case LVM_DELETEALLITEMS: return DeleteAll(window, state);
    case LVM_GETNEXTITEM: return NextItem(window, state, index, static_cast<UINT>(LOWORD(lParam)));
    case LVM_FINDITEMA: return FindItem(state, index, reinterpret_cast<const LVFINDINFOA*>(lParam));
    case LVM_GETITEMRECT: {
      auto* rect = reinterpret_cast<RECT*>(lParam);
      if (!rect || !Valid(state, index)) return FALSE;
      *rect = ItemPart(window, state, index, rect->left);
      return TRUE;
    }
    case LVM_GETSUBITEMRECT: {
      auto* rect = reinterpret_cast<RECT*>(lParam);
      if (!rect || !Valid(state, index) || rect->top < 0 || rect->top >= std::max(1, ColumnCount(state))) return FALSE;
      const int column = rect->top;
      const int code = rect->left;
      if (column == 0) {
        *rect = ItemPart(window, state, index, code);  // sub-item 0 stands for the whole item
      } else {
        *rect = CellRect(window, state, index, column);
      }
      return TRUE;
    }
    case LVM_HITTEST:
    case LVM_SUBITEMHITTEST: {
      auto* info = reinterpret_cast<LVHITTESTINFO*>(lParam);
      if (!info) return -1;
      const LVHITTESTINFO hit = HitTest(window, state, info->pt);
      info->flags = hit.flags;
      info->iItem = hit.iItem;
      if (message == LVM_SUBITEMHITTEST) {
        // A sub-item is hit anywhere in its cell, not only on the first column's label.
        info->iSubItem = -1;
        if (hit.iItem < 0 && hit.flags == LVHT_NOWHERE) {
          const int row = state.top + (info->pt.y - HeaderHeight(window, state)) / state.rowHeight;
          for (int column = 0; Valid(state, row) && column < ColumnCount(state); ++column) {
            const RECT cell = CellRect(window, state, row, column);
            if (info->pt.x >= cell.left && info->pt.x < cell.right) {
              info->iItem = row;
              info->iSubItem = column;
              info->flags = LVHT_ONITEMLABEL;
            }
          }
          return info->iItem;
        }
        if (hit.iItem >= 0) info->iSubItem = hit.iSubItem;
      }
      return hit.iItem;
    }
    case LVM_ENSUREVISIBLE:
      if (!Valid(state, index)) return FALSE;
      EnsureVisible(window, state, index);
      return TRUE;
    case LVM_SCROLL:
      if (lParam) ScrollRows(window, state, static_cast<int>(lParam) / state.rowHeight);
      if (wParam) ScrollColumns(window, state, static_cast<int>(wParam));
      return TRUE;
    case LVM_REDRAWITEMS:
      for (int item = std::max(0, index); item <= static_cast<int>(lParam) && item < Count(state); ++item) {
        InvalidateItem(window, state, item);
      }
      return TRUE;
    case LVM_EDITLABELA: return reinterpret_cast<LRESULT>(EditLabel(window, state, index));
    case LVM_GETEDITCONTROL: return reinterpret_cast<LRESULT>(state.edit);
    case LVM_GETCOLUMNA: return GetColumn(state, index, reinterpret_cast<LVCOLUMNA*>(lParam));
    case LVM_SETCOLUMNA: return SetColumn(window, state, index, reinterpret_cast<const LVCOLUMNA*>(lParam));
    case LVM_INSERTCOLUMNA: return InsertColumn(window, state, index, reinterpret_cast<const LVCOLUMNA*>(lParam));
    case LVM_DELETECOLUMN:
      if (index < 0 || index >= ColumnCount(state)) return FALSE;
      SendMessageA(state.header, HDM_DELETEITEM, wParam, 0);
      state.columns.erase(state.columns.begin() + index);
      UpdateScrollBars(window, state);
      InvalidateRect(window, nullptr, TRUE);
      return TRUE;
    case LVM_GETCOLUMNWIDTH:
      return index >= 0 && index < ColumnCount(state) ? ColumnWidth(state, index) : 0;
    case LVM_SETCOLUMNWIDTH: return SetColumnWidth(window, state, index, static_cast<short>(LOWORD(lParam)));
    case LVM_GETHEADER: return reinterpret_cast<LRESULT>(state.header);
    case LVM_CREATEDRAGIMAGE:
      return reinterpret_cast<LRESULT>(CreateDragImage(window, state, index, reinterpret_cast<POINT*>(lParam)));
    case LVM_GETTOPINDEX: return state.top;
    case LVM_GETCOUNTPERPAGE: return PerPage(window, state);
    case LVM_SETITEMSTATE: {
      auto* in = reinterpret_cast<const LVITEMA*>(lParam);
      if (!in) return FALSE;
      if (index == -1) {
        bool all = true;
        for (int item = 0; item < Count(state); ++item) {
          if (in->stateMask & in->state & LVIS_FOCUSED) continue;  // one item holds the focus
          all = SetState(window, state, item, in->state, in->stateMask) && all;
        }
        return all;
      }
      return SetState(window, state, index, in->state, in->stateMask);
    }
    case LVM_GETITEMSTATE:
      return Valid(state, index) ? static_cast<LRESULT>(state.items[index].state & static_cast<UINT>(lParam)) : 0;
    case LVM_GETITEMTEXTA: {
      auto* out = reinterpret_cast<LVITEMA*>(lParam);
      if (!out || !Valid(state, index) || !out->pszText || out->cchTextMax <= 0) return 0;
      const std::string& text = state.items[index].Text(out->iSubItem);
      const size_t length = std::min(text.size(), static_cast<size_t>(out->cchTextMax - 1));
      std::memcpy(out->pszText, text.data(), length);
      out->pszText[length] = '\0';
      return static_cast<LRESULT>(length);
    }
    case LVM_SETITEMTEXTA: {
      auto* in = reinterpret_cast<const LVITEMA*>(lParam);
      if (!in || !Valid(state, index)) return FALSE;
      LVITEMA item = *in;
      item.iItem = index;
      item.mask = LVIF_TEXT;
      return SetItem(window, state, &item);
    }
    case LVM_SORTITEMS: return SortItems(window, state, static_cast<LPARAM>(wParam), reinterpret_cast<PFNLVCOMPARE>(lParam));
    case LVM_GETSELECTEDCOUNT:
      return std::count_if(state.items.begin(), state.items.end(), [](const Item& item) { return item.state & LVIS_SELECTED; });
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
      const DWORD old = state.exStyle;
      const DWORD mask = wParam ? static_cast<DWORD>(wParam) : 0xFFFFFFFFu;
      state.exStyle = (old & ~mask) | (static_cast<DWORD>(lParam) & mask);
      InvalidateRect(window, nullptr, TRUE);
      return old;
    }
    case LVM_GETEXTENDEDLISTVIEWSTYLE: return state.exStyle;
    case LVM_GETSELECTIONMARK: return state.anchor;
    case LVM_SETSELECTIONMARK: {
      const int old = state.anchor;
      state.anchor = Valid(state, static_cast<int>(lParam)) ? static_cast<int>(lParam) : -1;
      return old;
    }
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace
}  // namespace tolvar::controls::listview

namespace tolvar::controls {

LRESULT ListViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  using namespace listview;
  if (message == WM_NCCREATE) AttachState<State>(window);
  State* state = Of(window);
  if (!state) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_NCDESTROY:
      DetachState<State>(window);
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_CREATE:
      Create(window, *state);
      return 0;
    case WM_DESTROY:
      EndEdit(window, *state, true);
      return 0;
    case WM_SETFONT:
      state->font = reinterpret_cast<HFONT>(wParam);
      SendMessageA(state->header, WM_SETFONT, wParam, lParam);
      MeasureRows(window, *state);
      Layout(window, *state);
      if (LOWORD(lParam)) InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state->font);
    case WM_SIZE:
      Layout(window, *state);
      return 0;
    case WM_STYLECHANGED:
      Layout(window, *state);
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_ERASEBKGND: return 1;  // the painting covers every pixel
    case WM_PAINT:
    case WM_PRINTCLIENT: {
      Painting paint(window, message == WM_PRINTCLIENT ? wParam : 0);
      RECT update;
      if (message == WM_PRINTCLIENT || !GetClipBox(paint.dc(), &update)) GetClientRect(window, &update);
      Paint(window, *state, paint.dc(), update);
      return 0;
    }
    case WM_VSCROLL:
      ScrollRows(window, *state, ScrollTarget(window, SB_VERT, LOWORD(wParam), 1, PerPage(window, *state)) - state->top);
      return 0;
    case WM_HSCROLL: {
      RECT client;
      GetClientRect(window, &client);
      ScrollColumns(window, *state,
                    ScrollTarget(window, SB_HORZ, LOWORD(wParam), 10, client.right) - state->xOffset);
      return 0;
    }
    case WM_MOUSEWHEEL:
      ScrollRows(window, *state, -static_cast<short>(HIWORD(wParam)) / 120 * 3);
      return 0;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header && header->hwndFrom == state->header) return HeaderNotified(window, *state, wParam, header);
      return 0;
    }
    case WM_SETFOCUS: {
      state->focused = true;
      NMHDR notice{};
      Notify(window, NM_SETFOCUS, notice);
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    }
    case WM_KILLFOCUS: {
      state->focused = false;
      NMHDR notice{};
      Notify(window, NM_KILLFOCUS, notice);
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    }
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      ButtonDown(window, *state, PointOf(lParam), message == WM_RBUTTONDOWN || message == WM_RBUTTONDBLCLK,
                 message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK);
      return 0;
    case WM_MOUSEMOVE:
      MouseMove(window, *state, PointOf(lParam));
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      ButtonUp(window, *state, PointOf(lParam), message == WM_RBUTTONUP);
      if (message == WM_RBUTTONUP) return DefWindowProcA(window, message, wParam, lParam);  // WM_CONTEXTMENU
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != window) state->press.active = false;
      return 0;
    case WM_KEYDOWN:
      KeyPressed(window, *state, wParam);
      return 0;
    case WM_CHAR:
      Char(window, *state, wParam);
      return 0;
    default:
      return Message(window, *state, message, wParam, lParam);
  }
}

}  // namespace tolvar::controls
