// The status bar: it keeps itself along the bottom of its parent (every WM_SIZE the parent passes
// on places it again), cut into parts whose right edges the program sets (-1: to the end of the
// bar). Each part's text is drawn sunken, raised (SBT_POPOUT), without border (SBT_NOBORDERS) or by
// the parent (SBT_OWNERDRAW); tabs in a text split it into left, centred and right pieces. The
// simple mode shows one text across the bar and keeps the parts' texts for when it ends. The size
// grip at the right end sizes the parent: a press there goes to the parent as its bottom-right
// corner.
#include "Common.h"

#include <controls/StatusBar.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace tolvar::controls {
namespace {

constexpr int kHorizontalBorder = 0;
constexpr int kVerticalBorder = 2;
constexpr int kBetweenParts = 2;
constexpr int kMaxParts = 256;
constexpr int kTextInset = 3;

struct PartText {
  std::string text;
  UINT kind = 0;       // SBT_* bits
  LPARAM data = 0;     // an owner-drawn part's value
};

struct StatusState {
  std::vector<int> edges{-1};
  std::vector<PartText> parts{PartText{}};
  PartText simpleText;
  bool simple = false;
  HFONT font = nullptr;
  int minHeight = 0;
  COLORREF background = CLR_DEFAULT;
  bool placing = false;
};

bool HasGrip(HWND window) {
  if (!(GetWindowLongA(window, GWL_STYLE) & SBARS_SIZEGRIP)) return false;
  HWND parent = GetParent(window);
  return !parent || !IsZoomed(parent);
}

int Height(HWND window, const StatusState& state) {
  HDC hdc = GetDC(window);
  TEXTMETRICA metrics{};
  {
    Selected font(hdc, FontOr(state.font));
    GetTextMetricsA(hdc, &metrics);
  }
  ReleaseDC(window, hdc);
  return std::max(state.minHeight, static_cast<int>(metrics.tmHeight) + 2 * kVerticalBorder + 2 * kTextInset);
}

// Along the bottom of the parent's client area, as wide as it, unless the styles say otherwise.
void Place(HWND window, StatusState& state) {
  const DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
  HWND parent = GetParent(window);
  if (!parent || (style & (CCS_NORESIZE | CCS_NOPARENTALIGN)) || state.placing) return;
  RECT client;
  GetClientRect(parent, &client);
  const int height = Height(window, state);
  const int y = (style & 0x3) == CCS_TOP ? 0 : client.bottom - height;
  state.placing = true;
  SetWindowPos(window, nullptr, 0, y, client.right, height, SWP_NOZORDER | SWP_NOACTIVATE);
  state.placing = false;
}

RECT GripRect(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  const int size = std::min<int>(client.bottom, GetSystemMetrics(SM_CXVSCROLL));
  return RECT{client.right - size, client.bottom - size, client.right, client.bottom};
}

RECT PartRect(HWND window, const StatusState& state, int part) {
  RECT client;
  GetClientRect(window, &client);
  const RECT bar{client.left + kHorizontalBorder, client.top + kVerticalBorder, client.right - kHorizontalBorder,
                 client.bottom};
  if (state.simple) return bar;
  const int end = HasGrip(window) ? static_cast<int>(GripRect(window).left) : static_cast<int>(bar.right);
  int left = bar.left;
  for (int index = 0; index < part; ++index) left = std::max(left, state.edges[index] < 0 ? end : state.edges[index]) + kBetweenParts;
  int right = state.edges[part] < 0 ? end : state.edges[part];
  if (state.edges[part] < 0 || right > bar.right) right = std::max<int>(std::min<int>(right, bar.right), left);
  return RECT{std::min<int>(left, bar.right), bar.top, right, bar.bottom};
}

void DrawPart(HWND window, const StatusState& state, HDC hdc, const PartText& part, int number, RECT rect) {
  static const struct {
    UINT kind;
    UINT edge;
  } kEdges[] = {{SBT_NOBORDERS, 0}, {SBT_POPOUT, BDR_RAISEDINNER}, {0, BDR_SUNKENOUTER}};
  for (const auto& entry : kEdges) {
    if ((part.kind & entry.kind) == entry.kind) {
      if (entry.edge) DrawEdge(hdc, &rect, entry.edge, BF_RECT | BF_ADJUST);
      break;
    }
  }
  if (part.kind & SBT_OWNERDRAW) {
    DRAWITEMSTRUCT draw{};
    draw.CtlID = ControlId(window);
    draw.itemID = static_cast<UINT>(number);
    draw.hwndItem = window;
    draw.hDC = hdc;
    draw.rcItem = rect;
    draw.itemData = static_cast<ULONG_PTR>(part.data);
    SendMessageA(GetParent(window), WM_DRAWITEM, draw.CtlID, reinterpret_cast<LPARAM>(&draw));
    return;
  }
  rect.left += kTextInset;
  rect.right -= kTextInset;
  SetBkMode(hdc, TRANSPARENT);
  SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
  // Tabs split the text: left, centred, right.
  static const UINT kAlign[] = {DT_LEFT, DT_CENTER, DT_RIGHT};
  size_t start = 0;
  for (int piece = 0; piece < 3 && start <= part.text.size(); ++piece) {
    size_t tab = piece < 2 ? part.text.find('\t', start) : std::string::npos;
    const size_t end = tab == std::string::npos ? part.text.size() : tab;
    if (end > start) {
      RECT box = rect;
      DrawTextA(hdc, part.text.c_str() + start, static_cast<int>(end - start), &box,
                kAlign[piece] | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  (void)state;
}

void Paint(HWND window, StatusState& state, HDC hdc) {
  RECT client;
  GetClientRect(window, &client);
  Selected font(hdc, FontOr(state.font));
  if (state.background == CLR_DEFAULT) {
    FillRect(hdc, &client, GetSysColorBrush(COLOR_BTNFACE));
  } else {
    SetBkColor(hdc, state.background);
    ExtTextOutA(hdc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
  }
  if (state.simple) {
    DrawPart(window, state, hdc, state.simpleText, SB_SIMPLEID, PartRect(window, state, 0));
  } else {
    for (int part = 0; part < static_cast<int>(state.parts.size()); ++part) {
      DrawPart(window, state, hdc, state.parts[part], part, PartRect(window, state, part));
    }
  }
  if (HasGrip(window)) {
    RECT grip = GripRect(window);
    DrawFrameControl(hdc, &grip, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
  }
}

PartText* TextOf(StatusState& state, UINT number) {
  if (number == SB_SIMPLEID) return &state.simpleText;
  return number < state.parts.size() ? &state.parts[number] : nullptr;
}

LRESULT SetText(HWND window, StatusState& state, WPARAM wParam, LPARAM lParam) {
  PartText* part = TextOf(state, LOBYTE(LOWORD(wParam)));
  if (!part) return FALSE;
  part->kind = static_cast<UINT>(wParam) & 0xFF00;
  if (part->kind & SBT_OWNERDRAW) {
    part->data = lParam;
    part->text.clear();
  } else {
    part->text = lParam ? reinterpret_cast<LPCSTR>(lParam) : "";
  }
  InvalidateRect(window, nullptr, TRUE);
  return TRUE;
}

LRESULT GetText(StatusState& state, WPARAM wParam, LPSTR out) {
  PartText* part = TextOf(state, static_cast<UINT>(wParam));
  if (!part) return 0;
  if (part->kind & SBT_OWNERDRAW) return part->data;
  if (out) std::memcpy(out, part->text.c_str(), part->text.size() + 1);
  return MAKELONG(part->text.size(), part->kind);
}

LRESULT SetParts(HWND window, StatusState& state, int count, const int* edges) {
  if (count <= 0 || count > kMaxParts || !edges) return FALSE;
  state.edges.assign(edges, edges + count);
  state.parts.resize(static_cast<size_t>(count));
  InvalidateRect(window, nullptr, TRUE);
  return TRUE;
}

}  // namespace

LRESULT StatusBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) AttachState<StatusState>(window);
  StatusState* state = StateOf<StatusState>(window);
  if (!state) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_NCDESTROY:
      DetachState<StatusState>(window);
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_CREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      if (create && create->lpszName && !IS_INTRESOURCE(create->lpszName)) state->parts[0].text = create->lpszName;
      Place(window, *state);
      return 0;
    }
    case WM_SIZE:
      Place(window, *state);
      return 0;
    case WM_SETFONT:
      state->font = reinterpret_cast<HFONT>(wParam);
      Place(window, *state);
      if (LOWORD(lParam)) InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state->font);
    case WM_SETTEXT:
      SetText(window, *state, 0, lParam);
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT: {
      Painting paint(window, message == WM_PRINTCLIENT ? wParam : 0);
      Paint(window, *state, paint.dc());
      return 0;
    }
    case WM_NCHITTEST: {
      if (HasGrip(window)) {
        POINT point = PointOf(lParam);
        ScreenToClient(window, &point);
        const RECT grip = GripRect(window);
        if (PtInRect(&grip, point)) return HTBOTTOMRIGHT;
      }
      return DefWindowProcA(window, message, wParam, lParam);
    }
    case WM_NCLBUTTONDOWN:
      if (wParam == HTBOTTOMRIGHT && GetParent(window)) {
        // The grip sizes the parent, as its own corner would.
        return SendMessageA(GetParent(window), WM_NCLBUTTONDOWN, wParam, lParam);
      }
      return DefWindowProcA(window, message, wParam, lParam);
    case SB_SETTEXTA: return SetText(window, *state, wParam, lParam);
    case SB_GETTEXTA: return GetText(*state, wParam, reinterpret_cast<LPSTR>(lParam));
    case SB_GETTEXTLENGTHA: {
      PartText* part = TextOf(*state, static_cast<UINT>(wParam));
      return part ? MAKELONG(part->text.size(), part->kind) : 0;
    }
    case SB_SETPARTS: return SetParts(window, *state, static_cast<int>(wParam), reinterpret_cast<const int*>(lParam));
    case SB_GETPARTS: {
      auto* out = reinterpret_cast<int*>(lParam);
      const int count = static_cast<int>(state->edges.size());
      if (out) std::copy_n(state->edges.begin(), std::min(count, static_cast<int>(wParam)), out);
      return count;
    }
    case SB_GETBORDERS: {
      auto* out = reinterpret_cast<int*>(lParam);
      if (!out) return FALSE;
      out[0] = kHorizontalBorder;
      out[1] = kVerticalBorder;
      out[2] = kBetweenParts;
      return TRUE;
    }
    case SB_SETMINHEIGHT:
      state->minHeight = static_cast<int>(wParam);
      return 0;
    case SB_SIMPLE:
      state->simple = wParam != 0;
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case SB_ISSIMPLE: return state->simple;
    case SB_GETRECT: {
      auto* out = reinterpret_cast<RECT*>(lParam);
      const int part = static_cast<int>(wParam);
      if (!out || part < 0 || part >= static_cast<int>(state->parts.size())) return FALSE;
      *out = PartRect(window, *state, part);
      return TRUE;
    }
    case SB_SETBKCOLOR: {
      const COLORREF old = state->background;
      state->background = static_cast<COLORREF>(lParam);
      InvalidateRect(window, nullptr, TRUE);
      return static_cast<LRESULT>(old);
    }
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace tolvar::controls
