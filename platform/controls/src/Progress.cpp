// The progress bar: a range, a position and a step, drawn in the classic way as blocks of the
// highlight colour (a solid bar with PBS_SMOOTH) on the face colour inside a thin sunken edge, left
// to right or, with PBS_VERTICAL, bottom to top.
#include "Common.h"

#include <algorithm>

namespace tolvar::controls {
namespace {

struct ProgressState {
  int low = 0;
  int high = 100;
  int position = 0;
  int step = 10;
  COLORREF bar = CLR_DEFAULT;
  COLORREF background = CLR_DEFAULT;
};

DWORD Style(HWND window) { return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)); }

// Moves to `position` (kept in the range); returns the old position.
LRESULT MoveTo(HWND window, ProgressState& state, int position) {
  const int old = state.position;
  state.position = std::clamp(position, state.low, std::max(state.low, state.high));
  if (state.position != old) InvalidateRect(window, nullptr, TRUE);
  return old;
}

LRESULT SetRange(HWND window, ProgressState& state, int low, int high) {
  const LRESULT old = static_cast<LRESULT>(MAKELONG(static_cast<WORD>(state.low), static_cast<WORD>(state.high)));
  state.low = low;
  state.high = high;
  state.position = std::clamp(state.position, low, std::max(low, high));
  InvalidateRect(window, nullptr, TRUE);
  return old;
}

void Paint(HWND window, const ProgressState& state, HDC hdc) {
  RECT client;
  GetClientRect(window, &client);
  Owned<HBRUSH> back(state.background == CLR_DEFAULT ? nullptr : CreateSolidBrush(state.background));
  FillRect(hdc, &client, back.get() ? back.get() : GetSysColorBrush(COLOR_BTNFACE));
  RECT edge = client;
  DrawEdge(hdc, &edge, BDR_SUNKENOUTER, BF_RECT);
  const int span = state.high - state.low;
  if (span <= 0 || state.position <= state.low) return;
  const bool vertical = Style(window) & PBS_VERTICAL;
  RECT inside = client;
  InflateRect(&inside, -1, -1);
  const int length = vertical ? inside.bottom - inside.top : inside.right - inside.left;
  const int filled = static_cast<int>(static_cast<long long>(length) * (state.position - state.low) / span);
  Owned<HBRUSH> bar(state.bar == CLR_DEFAULT ? nullptr : CreateSolidBrush(state.bar));
  HBRUSH brush = bar.get() ? bar.get() : GetSysColorBrush(COLOR_HIGHLIGHT);
  if (Style(window) & PBS_SMOOTH) {
    RECT part = inside;
    if (vertical) part.top = part.bottom - filled;
    else part.right = part.left + filled;
    FillRect(hdc, &part, brush);
    return;
  }
  // Blocks two thirds as long as the bar is thick, two pixels apart.
  const int thickness = vertical ? inside.right - inside.left : inside.bottom - inside.top;
  const int block = std::max(2, thickness * 2 / 3);
  for (int at = 0; at < filled; at += block + 2) {
    const int end = std::min(at + block, length);
    RECT part = inside;
    if (vertical) part.bottom = inside.bottom - at, part.top = inside.bottom - end;
    else part.left = inside.left + at, part.right = inside.left + end;
    FillRect(hdc, &part, brush);
  }
}

}  // namespace

LRESULT ProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ProgressState* state = StateOf<ProgressState>(window);
  if (!state && message != WM_NCCREATE) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_NCCREATE:
      AttachState<ProgressState>(window);
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_NCDESTROY:
      DetachState<ProgressState>(window);
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT: {
      Painting paint(window, message == WM_PRINTCLIENT ? wParam : 0);
      Paint(window, *state, paint.dc());
      return 0;
    }
    case PBM_SETRANGE:
      return SetRange(window, *state, LOWORD(static_cast<DWORD>(lParam)), HIWORD(static_cast<DWORD>(lParam)));
    case PBM_SETRANGE32: return SetRange(window, *state, static_cast<int>(wParam), static_cast<int>(lParam));
    case PBM_GETRANGE:
      if (lParam) *reinterpret_cast<PBRANGE*>(lParam) = PBRANGE{state->low, state->high};
      return wParam ? state->low : state->high;
    case PBM_SETPOS: return MoveTo(window, *state, static_cast<int>(wParam));
    case PBM_DELTAPOS: return MoveTo(window, *state, state->position + static_cast<int>(wParam));
    case PBM_GETPOS: return state->position;
    case PBM_SETSTEP: {
      const int old = state->step;
      state->step = static_cast<int>(wParam);
      return old;
    }
    case PBM_STEPIT: {
      int next = state->position + state->step;
      if (next > state->high) next = state->low + (next - state->high);
      if (next < state->low) next = state->high - (state->low - next);
      const int old = state->position;
      state->position = std::clamp(next, state->low, std::max(state->low, state->high));
      InvalidateRect(window, nullptr, TRUE);
      return old;
    }
    case PBM_SETBARCOLOR: {
      const COLORREF old = state->bar;
      state->bar = static_cast<COLORREF>(lParam);
      InvalidateRect(window, nullptr, TRUE);
      return static_cast<LRESULT>(old);
    }
    case PBM_SETBKCOLOR: {
      const COLORREF old = state->background;
      state->background = static_cast<COLORREF>(lParam);
      InvalidateRect(window, nullptr, TRUE);
      return static_cast<LRESULT>(old);
    }
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace tolvar::controls
