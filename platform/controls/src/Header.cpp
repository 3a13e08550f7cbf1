// The header control: items laid out left to right in their display order, each a raised button
// with a title, a bitmap or an image, or drawn by the parent (HDF_OWNERDRAW). Dragging a divider
// resizes the item on its left; the parent hears HDN_BEGINTRACK (and may forbid it), HDN_TRACK per
// move and HDN_ENDTRACK, and the width change itself as HDN_ITEMCHANGING (which it may veto) and
// HDN_ITEMCHANGED; with HDS_FULLDRAG the width follows the pointer, otherwise it changes on release.
// A press and release on one item with HDS_BUTTONS is HDN_ITEMCLICK.
#include "Common.h"

#include <controls/Header.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace tolvar::controls {
namespace {

constexpr int kDividerSlop = 4;  // pixels either side of a divider that grab it
constexpr int kTextMargin = 6;

struct HeaderItem {
  int width = 0;
  std::string text;
  int format = HDF_LEFT | HDF_STRING;
  LPARAM value = 0;
  HBITMAP bitmap = nullptr;
  int image = -1;
};

struct HeaderState {
  std::vector<HeaderItem> items;
  std::vector<int> order;  // display position -> item index
  HFONT font = nullptr;
  HIMAGELIST images = nullptr;
  int tracking = -1;       // the item whose divider is dragged
  int trackLeft = 0;
  int pressed = -1;        // the item pressed as a button
  bool pressedInside = false;
};

int ItemCount(const HeaderState& state) { return static_cast<int>(state.items.size()); }

RECT ItemRect(HWND window, const HeaderState& state, int item) {
  RECT client;
  GetClientRect(window, &client);
  int left = 0;
  for (int index : state.order) {
    if (index == item) return RECT{left, 0, left + state.items[index].width, client.bottom};
    left += state.items[index].width;
  }
  return RECT{0, 0, 0, 0};
}

int Height(HWND window, const HeaderState& state) {
  if (GetWindowLongA(window, GWL_STYLE) & HDS_HIDDEN) return 0;
  HDC hdc = GetDC(window);
  TEXTMETRICA metrics{};
  {
    Selected font(hdc, FontOr(state.font));
    GetTextMetricsA(hdc, &metrics);
  }
  ReleaseDC(window, hdc);
  return metrics.tmHeight + 6;
}

LRESULT Notify(HWND window, UINT code, int item, HDITEMA* change, int button = 0) {
  NMHEADERA header{};
  header.hdr = {window, ControlId(window), code};
  header.iItem = item;
  header.iButton = button;
  header.pitem = change;
  HWND parent = GetParent(window);
  return parent ? SendMessageA(parent, WM_NOTIFY, ControlId(window), reinterpret_cast<LPARAM>(&header)) : 0;
}

void CopyOut(const HeaderItem& item, int order, HDITEMA& out) {
  if (out.mask & HDI_WIDTH) out.cxy = item.width;
  if (out.mask & HDI_FORMAT) out.fmt = item.format;
  if (out.mask & HDI_LPARAM) out.lParam = item.value;
  if (out.mask & HDI_BITMAP) out.hbm = item.bitmap;
  if (out.mask & HDI_IMAGE) out.iImage = item.image;
  if (out.mask & HDI_ORDER) out.iOrder = order;
  if ((out.mask & HDI_TEXT) && out.pszText && out.cchTextMax > 0) {
    const size_t length = std::min(item.text.size(), static_cast<size_t>(out.cchTextMax - 1));
    std::memcpy(out.pszText, item.text.data(), length);
    out.pszText[length] = '\0';
  }
}

void CopyIn(const HDITEMA& in, HeaderItem& item) {
  if (in.mask & HDI_WIDTH) item.width = std::max(0, in.cxy);
  if (in.mask & HDI_FORMAT) item.format = in.fmt;
  if (in.mask & HDI_LPARAM) item.value = in.lParam;
  if (in.mask & HDI_BITMAP) item.bitmap = in.hbm;
  if (in.mask & HDI_IMAGE) item.image = in.iImage;
  if (in.mask & HDI_TEXT) item.text = in.pszText ? in.pszText : "";
}

int OrderOf(const HeaderState& state, int item) {
  auto found = std::find(state.order.begin(), state.order.end(), item);
  return found == state.order.end() ? -1 : static_cast<int>(found - state.order.begin());
}

void Reorder(HeaderState& state, int item, int position) {
  auto found = std::find(state.order.begin(), state.order.end(), item);
  if (found == state.order.end()) return;
  state.order.erase(found);
  position = std::clamp(position, 0, static_cast<int>(state.order.size()));
  state.order.insert(state.order.begin() + position, item);
}

LRESULT Insert(HWND window, HeaderState& state, int index, const HDITEMA* in) {
  if (!in) return -1;
  index = std::clamp(index, 0, ItemCount(state));
  HeaderItem item;
  CopyIn(*in, item);
  state.items.insert(state.items.begin() + index, item);
  for (int& entry : state.order) {
    if (entry >= index) ++entry;
  }
  const int position = (in->mask & HDI_ORDER) && in->iOrder >= 0 ? std::min(in->iOrder, ItemCount(state) - 1)
                                                                 : OrderOf(state, index - 1) + 1;
  state.order.insert(state.order.begin() + std::clamp(position, 0, static_cast<int>(state.order.size())), index);
  InvalidateRect(window, nullptr, TRUE);
  return index;
}

BOOL Delete(HWND window, HeaderState& state, int index) {
  if (index < 0 || index >= ItemCount(state)) return FALSE;
  state.items.erase(state.items.begin() + index);
  state.order.erase(std::find(state.order.begin(), state.order.end(), index));
  for (int& entry : state.order) {
    if (entry > index) --entry;
  }
  InvalidateRect(window, nullptr, TRUE);
  return TRUE;
}

// A change asked for by a message or a drag: the parent may veto it.
BOOL Change(HWND window, HeaderState& state, int index, const HDITEMA& in) {
  if (index < 0 || index >= ItemCount(state)) return FALSE;
  HDITEMA asked = in;
  if (Notify(window, HDN_ITEMCHANGINGA, index, &asked)) return FALSE;
  CopyIn(in, state.items[index]);
  if (in.mask & HDI_ORDER) Reorder(state, index, in.iOrder);
  Notify(window, HDN_ITEMCHANGEDA, index, &asked);
  InvalidateRect(window, nullptr, TRUE);
  return TRUE;
}

void PaintItem(HWND window, const HeaderState& state, HDC hdc, int index) {
  const HeaderItem& item = state.items[index];
  RECT rect = ItemRect(window, state, index);
  const bool pressed = state.pressed == index && state.pressedInside;
  if (item.format & HDF_OWNERDRAW) {
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_HEADER;
    draw.CtlID = ControlId(window);
    draw.itemID = static_cast<UINT>(index);
    draw.itemAction = ODA_DRAWENTIRE;
    draw.itemState = pressed ? ODS_SELECTED : 0;
    draw.hwndItem = window;
    draw.hDC = hdc;
    draw.rcItem = rect;
    draw.itemData = static_cast<ULONG_PTR>(item.value);
    SendMessageA(GetParent(window), WM_DRAWITEM, draw.CtlID, reinterpret_cast<LPARAM>(&draw));
    return;
  }
  FillRect(hdc, &rect, GetSysColorBrush(COLOR_BTNFACE));
  RECT edge = rect;
  DrawEdge(hdc, &edge, pressed ? BDR_SUNKENOUTER : EDGE_RAISED, BF_RECT | BF_SOFT);
  RECT inner{rect.left + kTextMargin + (pressed ? 1 : 0), rect.top + (pressed ? 1 : 0), rect.right - kTextMargin,
             rect.bottom};
  if ((item.format & HDF_IMAGE) && state.images && item.image >= 0) {
    int cx = 0, cy = 0;
    ImageList_GetIconSize(state.images, &cx, &cy);
    ImageList_Draw(state.images, item.image, hdc, inner.left, (rect.top + rect.bottom - cy) / 2, ILD_TRANSPARENT);
    inner.left += cx + 2;
  }
  if ((item.format & HDF_BITMAP) && item.bitmap) {
    BITMAP info{};
    GetObjectA(item.bitmap, sizeof info, &info);
    HDC memory = CreateCompatibleDC(hdc);
    HGDIOBJ old = SelectObject(memory, item.bitmap);
    const int width = std::min(static_cast<int>(info.bmWidth), std::max(0, static_cast<int>(inner.right - inner.left)));
    const int x = (item.format & HDF_BITMAP_ON_RIGHT) ? inner.right - width : inner.left;
    BitBlt(hdc, x, (rect.top + rect.bottom - info.bmHeight) / 2, width, info.bmHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    if (item.format & HDF_BITMAP_ON_RIGHT) {
      inner.right -= width + 2;
    } else {
      inner.left += width + 2;
    }
  }
  if (!item.text.empty() && inner.right > inner.left) {
    static const UINT kAlign[] = {DT_LEFT, DT_RIGHT, DT_CENTER, DT_LEFT};
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
    DrawTextA(hdc, item.text.c_str(), static_cast<int>(item.text.size()), &inner,
              kAlign[item.format & HDF_JUSTIFYMASK] | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  }
}

void Paint(HWND window, HeaderState& state, HDC hdc) {
  RECT client;
  GetClientRect(window, &client);
  Selected font(hdc, FontOr(state.font));
  int right = 0;
  for (int index : state.order) {
    PaintItem(window, state, hdc, index);
    right += state.items[index].width;
  }
  if (right < client.right) {
    RECT rest{right, 0, client.right, client.bottom};
    FillRect(hdc, &rest, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(hdc, &rest, EDGE_RAISED, BF_RECT | BF_SOFT);
  }
}

// Which item is under `point`, and whether on its divider (the right edge, the last visible one
// taking the slop on both sides).
UINT HitTest(HWND window, const HeaderState& state, POINT point, int* item) {
  RECT client;
  GetClientRect(window, &client);
  *item = -1;
  if (point.y < 0) return HHT_ABOVE;
  if (point.y >= client.bottom) return HHT_BELOW;
  if (point.x < 0) return HHT_TOLEFT;
  if (point.x >= client.right) return HHT_TORIGHT;
  int left = 0;
  for (int index : state.order) {
    const int right = left + state.items[index].width;
    if (point.x >= right - kDividerSlop && point.x < right + kDividerSlop) {
      *item = index;
      return HHT_ONDIVIDER;
    }
    if (point.x >= left && point.x < right) {
      *item = index;
      return HHT_ONHEADER;
    }
    left = right;
  }
  return HHT_NOWHERE;
}

void BeginTrack(HWND window, HeaderState& state, int item) {
  HDITEMA now{};
  now.mask = HDI_WIDTH;
  now.cxy = state.items[item].width;
  if (Notify(window, HDN_BEGINTRACKA, item, &now)) return;
  state.tracking = item;
  state.trackLeft = ItemRect(window, state, item).left;
  SetCapture(window);
}

void Track(HWND window, HeaderState& state, POINT point) {
  const int item = state.tracking;
  HDITEMA moved{};
  moved.mask = HDI_WIDTH;
  moved.cxy = std::max(0, static_cast<int>(point.x) - state.trackLeft);
  Notify(window, HDN_TRACKA, item, &moved);
  if ((GetWindowLongA(window, GWL_STYLE) & HDS_FULLDRAG) && moved.cxy != state.items[item].width) {
    Change(window, state, item, moved);
    UpdateWindow(window);
  }
}

void EndTrack(HWND window, HeaderState& state, POINT point) {
  const int item = state.tracking;
  state.tracking = -1;
  HDITEMA end{};
  end.mask = HDI_WIDTH;
  end.cxy = std::max(0, static_cast<int>(point.x) - state.trackLeft);
  Notify(window, HDN_ENDTRACKA, item, &end);
  if (end.cxy != state.items[item].width) Change(window, state, item, end);
}

LRESULT Layout(HWND window, const HeaderState& state, HDLAYOUT* layout) {
  if (!layout || !layout->prc || !layout->pwpos) return FALSE;
  const int height = Height(window, state);
  RECT& rect = *layout->prc;
  WINDOWPOS& pos = *layout->pwpos;
  pos = WINDOWPOS{};
  pos.hwndInsertAfter = nullptr;
  pos.x = rect.left;
  pos.y = rect.top;
  pos.cx = rect.right - rect.left;
  pos.cy = height;
  pos.flags = (GetWindowLongA(window, GWL_STYLE) & HDS_HIDDEN) ? SWP_HIDEWINDOW : SWP_SHOWWINDOW;
  rect.top += height;
  return TRUE;
}

}  // namespace

LRESULT HeaderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) AttachState<HeaderState>(window);
  HeaderState* state = StateOf<HeaderState>(window);
  if (!state) return DefWindowProcA(window, message, wParam, lParam);
  const int index = static_cast<int>(wParam);
  switch (message) {
    case WM_NCDESTROY:
      DetachState<HeaderState>(window);
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_SETFONT:
      state->font = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam)) InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(state->font);
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT: {
      Painting paint(window, message == WM_PRINTCLIENT ? wParam : 0);
      Paint(window, *state, paint.dc());
      return 0;
    }
    case HDM_GETITEMCOUNT:
      return ItemCount(*state);
    case HDM_INSERTITEMA:
      return Insert(window, *state, index, reinterpret_cast<const HDITEMA*>(lParam));
    case HDM_DELETEITEM:
      return Delete(window, *state, index);
    case HDM_GETITEMA: {
      auto* out = reinterpret_cast<HDITEMA*>(lParam);
      if (!out || index < 0 || index >= ItemCount(*state)) return FALSE;
      CopyOut(state->items[index], OrderOf(*state, index), *out);
      return TRUE;
    }
    case HDM_SETITEMA: {
      auto* in = reinterpret_cast<const HDITEMA*>(lParam);
      return in ? Change(window, *state, index, *in) : FALSE;
    }
    case HDM_GETITEMRECT: {
      auto* out = reinterpret_cast<RECT*>(lParam);
      if (!out || index < 0 || index >= ItemCount(*state)) return FALSE;
      *out = ItemRect(window, *state, index);
      return TRUE;
    }
    case HDM_LAYOUT:
      return Layout(window, *state, reinterpret_cast<HDLAYOUT*>(lParam));
    case HDM_HITTEST: {
      auto* info = reinterpret_cast<HDHITTESTINFO*>(lParam);
      if (!info) return -1;
      info->flags = HitTest(window, *state, info->pt, &info->iItem);
      return info->iItem;
    }
    case HDM_SETIMAGELIST: {
      HIMAGELIST old = state->images;
      state->images = reinterpret_cast<HIMAGELIST>(lParam);
      InvalidateRect(window, nullptr, TRUE);
      return reinterpret_cast<LRESULT>(old);
    }
    case HDM_GETIMAGELIST:
      return reinterpret_cast<LRESULT>(state->images);
    case HDM_ORDERTOINDEX:
      return index >= 0 && index < ItemCount(*state) ? state->order[index] : index;
    case HDM_GETORDERARRAY: {
      auto* out = reinterpret_cast<int*>(lParam);
      if (!out || index != ItemCount(*state)) return FALSE;
      std::copy(state->order.begin(), state->order.end(), out);
      return TRUE;
    }
    case HDM_SETORDERARRAY: {
      auto* in = reinterpret_cast<const int*>(lParam);
      if (!in || index != ItemCount(*state)) return FALSE;
      std::vector<int> order(in, in + index);
      std::vector<int> sorted = order;
      std::sort(sorted.begin(), sorted.end());
      for (int i = 0; i < index; ++i) {
        if (sorted[i] != i) return FALSE;  // not a permutation of the items
      }
      state->order = std::move(order);
      InvalidateRect(window, nullptr, TRUE);
      return TRUE;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      int item = -1;
      const UINT where = HitTest(window, *state, PointOf(lParam), &item);
      if (where == HHT_ONDIVIDER) {
        if (message == WM_LBUTTONDBLCLK) {
          Notify(window, HDN_DIVIDERDBLCLICKA, item, nullptr);
        } else {
          BeginTrack(window, *state, item);
        }
      } else if (where == HHT_ONHEADER) {
        if (message == WM_LBUTTONDBLCLK) Notify(window, HDN_ITEMDBLCLICKA, item, nullptr);
        if (GetWindowLongA(window, GWL_STYLE) & HDS_BUTTONS) {
          state->pressed = item;
          state->pressedInside = true;
          SetCapture(window);
          InvalidateRect(window, nullptr, TRUE);
        }
      }
      return 0;
    }
    case WM_MOUSEMOVE: {
      if (state->tracking >= 0) {
        Track(window, *state, PointOf(lParam));
      } else if (state->pressed >= 0) {
        int item = -1;
        const bool inside = HitTest(window, *state, PointOf(lParam), &item) == HHT_ONHEADER && item == state->pressed;
        if (inside != state->pressedInside) {
          state->pressedInside = inside;
          InvalidateRect(window, nullptr, TRUE);
        }
      }
      return 0;
    }
    case WM_LBUTTONUP: {
      if (state->tracking >= 0) {
        EndTrack(window, *state, PointOf(lParam));
        ReleaseCapture();
      } else if (state->pressed >= 0) {
        const int item = state->pressed;
        const bool inside = state->pressedInside;
        state->pressed = -1;
        ReleaseCapture();
        InvalidateRect(window, nullptr, TRUE);
        if (inside) Notify(window, HDN_ITEMCLICKA, item, nullptr);
      }
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != window) {
        state->tracking = -1;
        if (state->pressed >= 0) {
          state->pressed = -1;
          InvalidateRect(window, nullptr, TRUE);
        }
      }
      return 0;
    case WM_SETCURSOR: {
      POINT point;
      GetCursorPos(&point);
      ScreenToClient(window, &point);
      int item = -1;
      if (state->tracking >= 0 || HitTest(window, *state, point, &item) == HHT_ONDIVIDER) {
        SetCursor(LoadCursorA(nullptr, MakeSystemResource(32644)));  // the west-east arrows
        return TRUE;
      }
      return DefWindowProcA(window, message, wParam, lParam);
    }
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace tolvar::controls
