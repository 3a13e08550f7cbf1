// The tooltip control. Its tools are kept in a vector; one of them may be "current" (under the
// pointer, or being tracked). A relayed pointer move onto a tool starts the initial-delay timer (the
// short reshow delay when a tip was just up); its expiry shows the tip, which the pop-up timer, a
// relayed click or a move off the tool takes down again. Tracking tools ignore the pointer. The tip
// is a pop-up that never takes activation and is transparent to the mouse.
#include "Common.h"

#include <controls/ToolTip.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

namespace tolvar::controls {
namespace {

constexpr UINT_PTR kInitialTimer = 1;
constexpr UINT_PTR kPopTimer = 2;
constexpr UINT_PTR kReshowWindowTimer = 3;

struct Tool {
  UINT flags = 0;
  HWND window = nullptr;
  UINT_PTR id = 0;
  RECT rect{};
  HINSTANCE instance = nullptr;
  std::string text;
  bool callback = false;
  LPARAM lParam = 0;
};

struct ToolTipState {
  std::vector<Tool> tools;
  int current = -1;        // the tool under the pointer or being tracked
  bool shown = false;
  bool active = true;
  bool recentlyShown = false;  // within the reshow window after a tip went down
  bool clicked = false;        // a click took the tip down: no tip until the pointer leaves the tool
  int initial = 0, autopop = 0, reshow = 0;  // 0: derived from the double-click time
  COLORREF background = 0, text = 0;
  bool customBackground = false, customText = false;
  int maxWidth = -1;
  RECT margin{};
  HFONT font = nullptr;
  POINT trackAt{};
  std::string shownText;
};

// Tips are written in the status font, not the bold system font.
HFONT TipFont(const ToolTipState& state) {
  return state.font ? state.font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

int Initial(const ToolTipState& s) { return s.initial > 0 ? s.initial : static_cast<int>(GetDoubleClickTime()); }
int AutoPop(const ToolTipState& s) { return s.autopop > 0 ? s.autopop : Initial(s) * 10; }
int Reshow(const ToolTipState& s) { return s.reshow > 0 ? s.reshow : std::max(1, Initial(s) / 5); }

int Find(const ToolTipState& state, const TOOLINFOA* info) {
  if (!info) return -1;
  for (std::size_t n = 0; n < state.tools.size(); ++n) {
    if (state.tools[n].window == info->hwnd && state.tools[n].id == info->uId) return static_cast<int>(n);
  }
  return -1;
}

void StoreText(Tool& tool, const TOOLINFOA& info) {
  tool.callback = info.lpszText == LPSTR_TEXTCALLBACKA;
  tool.instance = info.hinst;
  tool.text.clear();
  if (tool.callback || !info.lpszText) return;
  if (IS_INTRESOURCE(info.lpszText)) {
    char buffer[512] = {};
    LoadStringA(info.hinst, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(info.lpszText)), buffer, sizeof buffer);
    tool.text = buffer;
  } else {
    tool.text = info.lpszText;
  }
}

void FillInfo(const Tool& tool, TOOLINFOA& info) {
  info.uFlags = tool.flags;
  info.hwnd = tool.window;
  info.uId = tool.id;
  info.rect = tool.rect;
  info.hinst = tool.instance;
  info.lParam = tool.lParam;
  // The text is not copied here; TTM_GETTEXT does that into a buffer the caller sizes.
}

// The text of a tool, asked of its window when it is a callback.
std::string TextOf(HWND tip, const Tool& tool) {
  if (!tool.callback) return tool.text;
  NMTTDISPINFOA info{};
  info.hdr.hwndFrom = tip;
  info.hdr.idFrom = tool.id;
  info.hdr.code = TTN_GETDISPINFOA;
  info.uFlags = tool.flags;
  info.lParam = tool.lParam;
  SendMessageA(tool.window, WM_NOTIFY, tool.id, reinterpret_cast<LPARAM>(&info));
  if (info.lpszText && IS_INTRESOURCE(info.lpszText) && info.hinst) {
    char buffer[512] = {};
    LoadStringA(info.hinst, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(info.lpszText)), buffer, sizeof buffer);
    return buffer;
  }
  if (info.lpszText && !IS_INTRESOURCE(info.lpszText) && info.lpszText != LPSTR_TEXTCALLBACKA) return info.lpszText;
  return std::string(info.szText, strnlen(info.szText, sizeof info.szText));
}

void Notify(HWND tip, const Tool& tool, UINT code) {
  NMHDR header{tip, tool.id, code};
  SendMessageA(tool.window, WM_NOTIFY, tool.id, reinterpret_cast<LPARAM>(&header));
}

UINT Format(HWND tip, const ToolTipState& state) {
  UINT format = DT_EXPANDTABS | DT_LEFT | DT_TOP;
  if (GetWindowLongA(tip, GWL_STYLE) & TTS_NOPREFIX) format |= DT_NOPREFIX;
  format |= state.maxWidth >= 0 ? DT_WORDBREAK : DT_SINGLELINE;
  return format;
}

SIZE TipSize(HWND tip, const ToolTipState& state, const std::string& text) {
  HDC hdc = GetDC(tip);
  Selected font(hdc, TipFont(state));
  RECT rect{0, 0, state.maxWidth >= 0 ? state.maxWidth : 0x7FFF, 0};
  DrawTextA(hdc, text.c_str(), -1, &rect, Format(tip, state) | DT_CALCRECT);
  ReleaseDC(tip, hdc);
  // A border each side, two pixels of room and the margins.
  return SIZE{rect.right + 2 + 4 + state.margin.left + state.margin.right,
              rect.bottom + 2 + 2 + state.margin.top + state.margin.bottom};
}

void Hide(HWND tip, ToolTipState& state) {
  KillTimer(tip, kPopTimer);
  if (!state.shown) return;
  state.shown = false;
  ShowWindow(tip, SW_HIDE);
  if (state.current >= 0) Notify(tip, state.tools[static_cast<std::size_t>(state.current)], TTN_POP);
  state.recentlyShown = true;
  SetTimer(tip, kReshowWindowTimer, static_cast<UINT>(Reshow(state) * 2), nullptr);
}

void Show(HWND tip, ToolTipState& state, POINT at) {
  if (state.current < 0 || !state.active) return;
  const Tool& tool = state.tools[static_cast<std::size_t>(state.current)];
  state.shownText = TextOf(tip, tool);
  if (state.shownText.empty()) return;
  Notify(tip, tool, TTN_SHOW);
  SIZE size = TipSize(tip, state, state.shownText);
  if (!(tool.flags & TTF_TRACK) || !(tool.flags & TTF_ABSOLUTE)) {
    // Below the pointer (or the track point), kept on the screen.
    at.y += (tool.flags & TTF_TRACK) ? 0 : 20;
    if (tool.flags & TTF_CENTERTIP) at.x -= size.cx / 2;
    at.x = std::clamp<LONG>(at.x, 0, std::max<LONG>(0, GetSystemMetrics(SM_CXSCREEN) - size.cx));
    at.y = std::clamp<LONG>(at.y, 0, std::max<LONG>(0, GetSystemMetrics(SM_CYSCREEN) - size.cy));
  }
  state.shown = true;
  SetWindowPos(tip, HWND_TOPMOST, at.x, at.y, size.cx, size.cy, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  InvalidateRect(tip, nullptr, TRUE);
  if (!(tool.flags & TTF_TRACK)) SetTimer(tip, kPopTimer, static_cast<UINT>(AutoPop(state)), nullptr);
}

// The relay tool under `point` (client coordinates of `window`), or -1.
int ToolAt(const ToolTipState& state, HWND window, POINT point) {
  for (std::size_t n = 0; n < state.tools.size(); ++n) {
    const Tool& tool = state.tools[n];
    if (tool.flags & TTF_TRACK) continue;
    if (tool.flags & TTF_IDISHWND) {
      if (reinterpret_cast<HWND>(tool.id) == window) return static_cast<int>(n);
    } else if (tool.window == window && PtInRect(&tool.rect, point)) {
      return static_cast<int>(n);
    }
  }
  return -1;
}

void Relay(HWND tip, ToolTipState& state, const MSG& msg) {
  if (!state.active) return;
  // A tracked tip is the program's to show and take down.
  if (state.shown && state.current >= 0 && (state.tools[static_cast<std::size_t>(state.current)].flags & TTF_TRACK)) {
    return;
  }
  switch (msg.message) {
    case WM_MOUSEMOVE: {
      const int tool = ToolAt(state, msg.hwnd, PointOf(msg.lParam));
      if (tool == state.current) return;  // still the same tool: its timers run on
      Hide(tip, state);
      KillTimer(tip, kInitialTimer);
      state.current = tool;
      state.clicked = false;
      if (tool >= 0) SetTimer(tip, kInitialTimer, static_cast<UINT>(state.recentlyShown ? Reshow(state) : Initial(state)), nullptr);
      return;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      KillTimer(tip, kInitialTimer);
      Hide(tip, state);
      state.clicked = true;
      return;
    default: return;
  }
}

void Paint(HWND tip, ToolTipState& state, HDC hdc) {
  RECT client;
  GetClientRect(tip, &client);
  Owned<HBRUSH> brush(CreateSolidBrush(state.customBackground ? state.background : GetSysColor(COLOR_INFOBK)));
  FillRect(hdc, &client, brush.get());
  FrameRect(hdc, &client, GetSysColorBrush(COLOR_WINDOWFRAME));
  Selected font(hdc, TipFont(state));
  SetBkMode(hdc, TRANSPARENT);
  SetTextColor(hdc, state.customText ? state.text : GetSysColor(COLOR_INFOTEXT));
  RECT text{client.left + 1 + 2 + state.margin.left, client.top + 1 + 1 + state.margin.top,
            client.right - 1 - 2 - state.margin.right, client.bottom - 1 - 1 - state.margin.bottom};
  DrawTextA(hdc, state.shownText.c_str(), -1, &text, Format(tip, state));
}

}  // namespace

LRESULT ToolTipProc(HWND tip, UINT message, WPARAM wParam, LPARAM lParam) {
  ToolTipState* state = StateOf<ToolTipState>(tip);
  if (!state && message != WM_NCCREATE) return DefWindowProcA(tip, message, wParam, lParam);
  auto* info = reinterpret_cast<TOOLINFOA*>(lParam);
  switch (message) {
    case WM_NCCREATE: {
      AttachState<ToolTipState>(tip);
      // A tip is always a pop-up with a plain border, whatever it was created with.
      SetWindowLongA(tip, GWL_STYLE,
                     static_cast<LONG>((static_cast<DWORD>(GetWindowLongA(tip, GWL_STYLE)) & ~(WS_CHILD | WS_CAPTION)) |
                                       WS_POPUP));
      return DefWindowProcA(tip, message, wParam, lParam);
    }
    case WM_NCDESTROY:
      DetachState<ToolTipState>(tip);
      return DefWindowProcA(tip, message, wParam, lParam);
    case WM_NCHITTEST: return HTTRANSPARENT;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT: {
      Painting paint(tip, message == WM_PRINTCLIENT ? wParam : 0);
      Paint(tip, *state, paint.dc());
      return 0;
    }
    case WM_SETFONT: state->font = reinterpret_cast<HFONT>(wParam); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state->font);
    case WM_TIMER:
      if (wParam == kInitialTimer) {
        KillTimer(tip, kInitialTimer);
        POINT at{};
        GetCursorPos(&at);
        if (!state->clicked) Show(tip, *state, at);
      } else if (wParam == kPopTimer) {
        Hide(tip, *state);
      } else if (wParam == kReshowWindowTimer) {
        KillTimer(tip, kReshowWindowTimer);
        state->recentlyShown = false;
      }
      return 0;
    case TTM_ACTIVATE:
      state->active = wParam != 0;
      if (!state->active) {
        KillTimer(tip, kInitialTimer);
        Hide(tip, *state);
      }
      return 0;
    case TTM_SETDELAYTIME: {
      const int value = static_cast<short>(LOWORD(static_cast<DWORD>(lParam)));
      switch (wParam) {
        case TTDT_AUTOMATIC:
          state->initial = value < 0 ? 0 : value;
          state->autopop = value < 0 ? 0 : value * 10;
          state->reshow = value < 0 ? 0 : std::max(1, value / 5);
          break;
        case TTDT_INITIAL: state->initial = std::max(value, 0); break;
        case TTDT_AUTOPOP: state->autopop = std::max(value, 0); break;
        case TTDT_RESHOW: state->reshow = std::max(value, 0); break;
        default: break;
      }
      return 0;
    }
    case TTM_GETDELAYTIME:
      switch (wParam) {
        case TTDT_INITIAL: return Initial(*state);
        case TTDT_AUTOPOP: return AutoPop(*state);
        case TTDT_RESHOW: return Reshow(*state);
        default: return 0;
      }
    case TTM_ADDTOOLA: {
      if (!info || info->cbSize < offsetof(TOOLINFOA, lParam)) return FALSE;
      Tool tool;
      tool.flags = info->uFlags;
      tool.window = info->hwnd;
      tool.id = info->uId;
      tool.rect = info->rect;
      tool.lParam = info->cbSize >= sizeof(TOOLINFOA) ? info->lParam : 0;
      StoreText(tool, *info);
      state->tools.push_back(std::move(tool));
      return TRUE;
    }
    case TTM_DELTOOLA: {
      int index = Find(*state, info);
      if (index < 0) return 0;
      if (index == state->current) {
        Hide(tip, *state);
        KillTimer(tip, kInitialTimer);
        state->current = -1;
      } else if (index < state->current) {
        --state->current;
      }
      state->tools.erase(state->tools.begin() + index);
      return 0;
    }
    case TTM_NEWTOOLRECTA: {
      int index = Find(*state, info);
      if (index >= 0) state->tools[static_cast<std::size_t>(index)].rect = info->rect;
      return 0;
    }
    case TTM_GETTOOLINFOA: {
      int index = Find(*state, info);
      if (index < 0) return FALSE;
      FillInfo(state->tools[static_cast<std::size_t>(index)], *info);
      return TRUE;
    }
    case TTM_SETTOOLINFOA: {
      int index = Find(*state, info);
      if (index < 0) return 0;
      Tool& tool = state->tools[static_cast<std::size_t>(index)];
      tool.flags = info->uFlags;
      tool.rect = info->rect;
      StoreText(tool, *info);
      return 0;
    }
    case TTM_UPDATETIPTEXTA: {
      int index = Find(*state, info);
      if (index < 0) return 0;
      StoreText(state->tools[static_cast<std::size_t>(index)], *info);
      if (state->shown && index == state->current) {
        state->shownText = TextOf(tip, state->tools[static_cast<std::size_t>(index)]);
        InvalidateRect(tip, nullptr, TRUE);
      }
      return 0;
    }
    case TTM_GETTEXTA: {
      int index = Find(*state, info);
      if (index < 0 || !info->lpszText || IS_INTRESOURCE(info->lpszText)) return 0;
      // The caller's buffer holds 80 characters, as Windows assumes.
      const std::string& text = state->tools[static_cast<std::size_t>(index)].text;
      std::size_t n = std::min<std::size_t>(text.size(), 79);
      std::memcpy(info->lpszText, text.data(), n);
      info->lpszText[n] = 0;
      return static_cast<LRESULT>(n);
    }
    case TTM_GETTOOLCOUNT: return static_cast<LRESULT>(state->tools.size());
    case TTM_RELAYEVENT:
      if (lParam) Relay(tip, *state, *reinterpret_cast<const MSG*>(lParam));
      return 0;
    case TTM_TRACKACTIVATE: {
      int index = Find(*state, info);
      if (!wParam) {
        if (index >= 0 && index == state->current) {
          Hide(tip, *state);
          state->current = -1;
        }
        return 0;
      }
      if (index < 0 || !(state->tools[static_cast<std::size_t>(index)].flags & TTF_TRACK)) return 0;
      Hide(tip, *state);
      state->current = index;
      Show(tip, *state, state->trackAt);
      return 0;
    }
    case TTM_TRACKPOSITION: {
      state->trackAt = PointOf(lParam);
      if (state->shown && state->current >= 0 && (state->tools[static_cast<std::size_t>(state->current)].flags & TTF_TRACK)) {
        Show(tip, *state, state->trackAt);
      }
      return 0;
    }
    case TTM_SETTIPBKCOLOR:
      state->background = static_cast<COLORREF>(wParam);
      state->customBackground = true;
      InvalidateRect(tip, nullptr, TRUE);
      return 0;
    case TTM_SETTIPTEXTCOLOR:
      state->text = static_cast<COLORREF>(wParam);
      state->customText = true;
      InvalidateRect(tip, nullptr, TRUE);
      return 0;
    case TTM_GETTIPBKCOLOR:
      return static_cast<LRESULT>(state->customBackground ? state->background : GetSysColor(COLOR_INFOBK));
    case TTM_GETTIPTEXTCOLOR:
      return static_cast<LRESULT>(state->customText ? state->text : GetSysColor(COLOR_INFOTEXT));
    case TTM_SETMAXTIPWIDTH: {
      const int old = state->maxWidth;
      state->maxWidth = static_cast<int>(lParam);
      return old;
    }
    case TTM_GETMAXTIPWIDTH: return state->maxWidth;
    case TTM_SETMARGIN:
      if (lParam) state->margin = *reinterpret_cast<const RECT*>(lParam);
      return 0;
    case TTM_GETMARGIN:
      if (lParam) *reinterpret_cast<RECT*>(lParam) = state->margin;
      return 0;
    case TTM_POP:
      KillTimer(tip, kInitialTimer);
      Hide(tip, *state);
      return 0;
    case TTM_UPDATE:
      if (state->shown) InvalidateRect(tip, nullptr, TRUE);
      return 0;
    default: return DefWindowProcA(tip, message, wParam, lParam);
  }
}

}  // namespace tolvar::controls
