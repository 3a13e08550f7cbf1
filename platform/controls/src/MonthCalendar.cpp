// The month calendar: as many whole months as the client area holds, laid out from the font's size,
// each with a title (the first month's carries the "previous" arrow, the last one's the "next"),
// the week days, and six weeks of days. The layout is computed afresh for painting and hit tests
// alike, so what a click hits is always what was drawn.
#include "Common.h"
#include "Dates.h"

#include <base/Time.h>

#include <controls/DateTime.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace tolvar::controls {
namespace {

using namespace dates;

struct CalendarState {
  int firstMonth = 0;   // month index of the first month shown
  long selStart = 0;    // day numbers
  long selEnd = 0;
  long today = 0;
  bool todaySet = false;
  long minDay = 0, maxDay = 0;
  DWORD rangeFlags = 0;
  int maxSelCount = 7;
  int firstDay = 6;     // 0 Monday .. 6 Sunday
  int monthDelta = 0;   // 0: as many as are shown
  COLORREF colours[6]{};
  HFONT font = nullptr;
  std::vector<MONTHDAYSTATE> dayStates;  // from the month before the first shown
  long anchor = 0;      // the fixed end of a range being extended
  HWND notify = nullptr;  // set by a picker that dropped this calendar
};

DWORD Style(HWND window) { return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)); }

long Today(const CalendarState& state) {
  if (state.todaySet) return state.today;
  SYSTEMTIME now;
  GetLocalTime(&now);
  return DayOf(now);
}

struct Layout {
  int cellW, cellH, titleH, namesH, monthW, monthH, todayH;
  int cols, rows, left, top;
  int Count() const { return cols * rows; }
  RECT Month(int k) const {
    const int x = left + (k % cols) * monthW, y = top + (k / cols) * monthH;
    return RECT{x, y, x + monthW, y + monthH};
  }
  RECT Cell(int k, int week, int column) const {
    const RECT m = Month(k);
    const int x = m.left + 6 + column * cellW, y = m.top + titleH + namesH + week * cellH;
    return RECT{x, y, x + cellW, y + cellH};
  }
  RECT Title(int k) const {
    RECT m = Month(k);
    m.bottom = m.top + titleH;
    return m;
  }
  RECT PrevButton() const {
    const RECT t = Title(0);
    return RECT{t.left + 4, t.top + 3, t.left + 4 + titleH - 6, t.bottom - 3};
  }
  RECT NextButton() const {
    const RECT t = Title(cols - 1);
    return RECT{t.right - 4 - (titleH - 6), t.top + 3, t.right - 4, t.bottom - 3};
  }
  RECT TodayLine() const {
    const int y = top + rows * monthH;
    return RECT{left + 6, y, left + cols * monthW - 6, y + todayH};
  }
};

Layout Measure(HWND window, const CalendarState& state, HDC given = nullptr) {
  HDC hdc = given ? given : GetDC(window);
  Layout layout{};
  {
    Selected font(hdc, FontOr(state.font));
    TEXTMETRICA metrics{};
    GetTextMetricsA(hdc, &metrics);
    SIZE wide{};
    GetTextExtentPoint32A(hdc, "Wed", 3, &wide);
    SIZE digits{};
    GetTextExtentPoint32A(hdc, "00", 2, &digits);
    layout.cellW = std::max(wide.cx, digits.cx) + 6;
    layout.cellH = metrics.tmHeight + 2;
  }
  if (!given) ReleaseDC(window, hdc);
  layout.titleH = layout.cellH + 8;
  layout.namesH = layout.cellH + 2;
  layout.monthW = 7 * layout.cellW + 12;
  layout.monthH = layout.titleH + layout.namesH + 6 * layout.cellH + 4;
  layout.todayH = (Style(window) & MCS_NOTODAY) ? 0 : layout.cellH + 4;
  RECT client;
  GetClientRect(window, &client);
  layout.cols = std::max<int>(1, (client.right - client.left) / layout.monthW);
  layout.rows = std::max<int>(1, (client.bottom - client.top - layout.todayH) / layout.monthH);
  layout.left = std::max<int>(0, (client.right - layout.cols * layout.monthW) / 2);
  layout.top = 0;
  return layout;
}

// The day number drawn at a cell of the k-th month shown.
long GridDay(const CalendarState& state, int k, int week, int column) {
  const int index = state.firstMonth + k;
  const long first = DayNumber(index / 12, index % 12 + 1, 1);
  const int firstWeekDay = (state.firstDay + 1) % 7;  // in Sunday-first terms
  const int lead = (WeekDay(first) - firstWeekDay + 7) % 7;
  return first - lead + week * 7 + column;
}
int MonthOfDay(long day) {
  int y, m, d;
  FromDayNumber(day, y, m, d);
  return MonthIndex(y, m);
}

long Clamp(const CalendarState& state, long day) {
  if ((state.rangeFlags & GDTR_MIN) && day < state.minDay) day = state.minDay;
  if ((state.rangeFlags & GDTR_MAX) && day > state.maxDay) day = state.maxDay;
  return std::clamp(day, DayNumber(kFirstYear, 1, 1), DayNumber(kLastYear, 12, 31));
}

void Notify(HWND window, NMHDR& header, UINT code) {
  header.hwndFrom = window;
  header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(window));
  header.code = code;
  const CalendarState* state = StateOf<CalendarState>(window);
  HWND parent = state && state->notify ? state->notify : GetParent(window);
  if (parent) SendMessageA(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

void AskDayStates(HWND window, CalendarState& state, int shown) {
  if (!(Style(window) & MCS_DAYSTATE)) return;
  NMDAYSTATE ask{};
  const int from = state.firstMonth - 1;
  ask.stStart = DateOf(DayNumber(from / 12, from % 12 + 1, 1));
  ask.cDayState = shown + 2;
  std::vector<MONTHDAYSTATE> states(static_cast<size_t>(ask.cDayState), 0);
  ask.prgDayState = states.data();
  Notify(window, ask.nmhdr, MCN_GETDAYSTATE);
  state.dayStates = std::move(states);
}

void ShowMonth(HWND window, CalendarState& state, int firstMonth) {
  const int lowest = MonthIndex(kFirstYear, 1), highest = MonthIndex(kLastYear, 12);
  firstMonth = std::clamp(firstMonth, lowest, highest);
  if (firstMonth == state.firstMonth) return;
  state.firstMonth = firstMonth;
  AskDayStates(window, state, Measure(window, state).Count());
  InvalidateRect(window, nullptr, TRUE);
}

// Scrolls as little as needed for `day` to be in a whole month shown.
void Reveal(HWND window, CalendarState& state, long day) {
  const int month = MonthOfDay(day), count = Measure(window, state).Count();
  if (month < state.firstMonth) ShowMonth(window, state, month);
  else if (month >= state.firstMonth + count) ShowMonth(window, state, month - count + 1);
}

void SendSelection(HWND window, const CalendarState& state, UINT code) {
  NMSELCHANGE change{};
  change.stSelStart = DateOf(state.selStart);
  change.stSelEnd = DateOf(state.selEnd);
  Notify(window, change.nmhdr, code);
}

// Moves the selection; the parent hears of a change, and of a day the user picked.
void Select(HWND window, CalendarState& state, long start, long end, bool picked) {
  start = Clamp(state, start);
  end = Clamp(state, end);
  if (start > end) std::swap(start, end);
  if (end - start + 1 > state.maxSelCount) end = start + state.maxSelCount - 1;
  const bool changed = start != state.selStart || end != state.selEnd;
  state.selStart = start;
  state.selEnd = end;
  Reveal(window, state, start);
  if (changed) {
    InvalidateRect(window, nullptr, TRUE);
    SendSelection(window, state, MCN_SELCHANGE);
  }
  if (picked) SendSelection(window, state, MCN_SELECT);
}

// The user moves to `day`: with Shift on a multi-selecting calendar, the range from the anchor.
void MoveTo(HWND window, CalendarState& state, long day, bool extend, bool picked) {
  day = Clamp(state, day);
  if (extend && (Style(window) & MCS_MULTISELECT)) {
    long from = state.anchor, to = day;
    if (to - from >= state.maxSelCount) to = from + state.maxSelCount - 1;
    if (from - to >= state.maxSelCount) to = from - state.maxSelCount + 1;
    Reveal(window, state, day);
    Select(window, state, std::min(from, to), std::max(from, to), picked);
  } else {
    state.anchor = day;
    Select(window, state, day, day, picked);
  }
}

// Steps the months shown; a single selection follows to the same day of the new month.
void Scroll(HWND window, CalendarState& state, int months) {
  ShowMonth(window, state, state.firstMonth + months);
  if (Style(window) & MCS_MULTISELECT) return;
  int y, m, d;
  FromDayNumber(state.selStart, y, m, d);
  const int target = MonthIndex(y, m) + months;
  const int ty = target / 12, tm = target % 12 + 1;
  const long day = DayNumber(ty, tm, std::min(d, DaysIn(ty, tm)));
  state.anchor = Clamp(state, day);
  Select(window, state, day, day, false);
}

UINT HitTest(HWND window, const CalendarState& state, POINT point, long* day) {
  const Layout layout = Measure(window, state);
  RECT r = layout.PrevButton();
  if (PtInRect(&r, point)) return MCHT_TITLEBTNPREV;
  r = layout.NextButton();
  if (PtInRect(&r, point)) return MCHT_TITLEBTNNEXT;
  if (layout.todayH) {
    r = layout.TodayLine();
    if (PtInRect(&r, point)) {
      *day = Today(state);
      return MCHT_TODAYLINK;
    }
  }
  for (int k = 0; k < layout.Count(); ++k) {
    r = layout.Title(k);
    if (PtInRect(&r, point)) return MCHT_TITLE;
    for (int week = 0; week < 6; ++week) {
      for (int column = 0; column < 7; ++column) {
        r = layout.Cell(k, week, column);
        if (!PtInRect(&r, point)) continue;
        const long at = GridDay(state, k, week, column);
        const int month = MonthOfDay(at), own = state.firstMonth + k;
        // Neighbouring days show only before the first month and after the last.
        if (month < own && k != 0) return MCHT_CALENDAR;
        if (month > own && k != layout.Count() - 1) return MCHT_CALENDAR;
        *day = at;
        return month < own ? MCHT_CALENDARDATEPREV : month > own ? MCHT_CALENDARDATENEXT : MCHT_CALENDARDATE;
      }
    }
  }
  return MCHT_NOWHERE;
}

COLORREF Colour(const CalendarState& state, WPARAM which) { return state.colours[which]; }

void DrawText(HDC hdc, const char* text, RECT rect, UINT format) { DrawTextA(hdc, text, -1, &rect, format); }

void Paint(HWND window, CalendarState& state, HDC hdc) {
  const Layout layout = Measure(window, state, hdc);
  RECT client;
  GetClientRect(window, &client);
  Owned<HBRUSH> background(CreateSolidBrush(Colour(state, MCSC_BACKGROUND)));
  FillRect(hdc, &client, background.get());
  Selected font(hdc, FontOr(state.font));
  LOGFONTA bold{};
  GetObjectA(FontOr(state.font), sizeof bold, &bold);
  bold.lfWeight = FW_BOLD;
  Owned<HFONT> boldFont(CreateFontIndirectA(&bold));
  SetBkMode(hdc, TRANSPARENT);
  const long today = Today(state);
  const bool focused = GetFocus() == window;
  Owned<HBRUSH> monthBack(CreateSolidBrush(Colour(state, MCSC_MONTHBK)));
  Owned<HBRUSH> titleBack(CreateSolidBrush(Colour(state, MCSC_TITLEBK)));
  for (int k = 0; k < layout.Count(); ++k) {
    RECT month = layout.Month(k);
    FillRect(hdc, &month, monthBack.get());
    const RECT title = layout.Title(k);
    FillRect(hdc, &title, titleBack.get());
    const int index = state.firstMonth + k;
    char caption[48];
    std::snprintf(caption, sizeof caption, "%s %d", kMonthNames[index % 12], index / 12);
    SetTextColor(hdc, Colour(state, MCSC_TITLETEXT));
    {
      Selected titleFont(hdc, boldFont.get());
      DrawText(hdc, caption, title, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    // The week days, then a line under them.
    SetTextColor(hdc, Colour(state, MCSC_TITLEBK));
    for (int column = 0; column < 7; ++column) {
      RECT cell = layout.Cell(k, 0, column);
      OffsetRect(&cell, 0, -layout.namesH);
      char name[4] = {};
      std::snprintf(name, sizeof name, "%.3s", kDayNames[(state.firstDay + 1 + column) % 7]);
      DrawText(hdc, name, cell, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    RECT line = layout.Cell(k, 0, 0);
    line.top -= 2;
    line.bottom = line.top + 1;
    line.right = line.left + 7 * layout.cellW;
    FillRect(hdc, &line, GetSysColorBrush(COLOR_BTNSHADOW));
    for (int week = 0; week < 6; ++week) {
      for (int column = 0; column < 7; ++column) {
        const long day = GridDay(state, k, week, column);
        const int dayMonth = MonthOfDay(day);
        if (dayMonth < index && k != 0) continue;
        if (dayMonth > index && k != layout.Count() - 1) continue;
        const RECT cell = layout.Cell(k, week, column);
        const bool selected = day >= state.selStart && day <= state.selEnd && dayMonth == index;
        if (selected) {
          FillRect(hdc, &cell, titleBack.get());
          SetTextColor(hdc, Colour(state, MCSC_TITLETEXT));
        } else {
          SetTextColor(hdc, dayMonth == index ? Colour(state, MCSC_TEXT) : Colour(state, MCSC_TRAILINGTEXT));
        }
        int y, m, d;
        FromDayNumber(day, y, m, d);
        bool isBold = false;
        const int stateIndex = dayMonth - (state.firstMonth - 1);
        if (stateIndex >= 0 && static_cast<size_t>(stateIndex) < state.dayStates.size()) {
          isBold = (state.dayStates[static_cast<size_t>(stateIndex)] >> (d - 1)) & 1;
        }
        char number[4];
        std::snprintf(number, sizeof number, "%d", d);
        Selected dayFont(hdc, isBold ? boldFont.get() : nullptr);
        DrawText(hdc, number, cell, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        if (day == today && dayMonth == index && !(Style(window) & MCS_NOTODAYCIRCLE)) {
          Owned<HBRUSH> red(CreateSolidBrush(RGB(255, 0, 0)));
          FrameRect(hdc, &cell, red.get());
        }
        if (selected && focused && day == state.selStart) {
          RECT focus = cell;
          InflateRect(&focus, -1, -1);
          DrawFocusRect(hdc, &focus);
        }
      }
    }
  }
  RECT prev = layout.PrevButton(), next = layout.NextButton();
  DrawFrameControl(hdc, &prev, DFC_SCROLL, DFCS_SCROLLLEFT);
  DrawFrameControl(hdc, &next, DFC_SCROLL, DFCS_SCROLLRIGHT);
  if (layout.todayH) {
    const RECT line = layout.TodayLine();
    const SYSTEMTIME date = DateOf(today);
    char text[48];
    std::snprintf(text, sizeof text, "Today: %02d/%02d/%04d", date.wDay, date.wMonth, date.wYear);
    SetTextColor(hdc, Colour(state, MCSC_TEXT));
    Selected todayFont(hdc, boldFont.get());
    RECT mark{line.left, line.top + 2, line.left + layout.cellW, line.bottom - 2};
    if (!(Style(window) & MCS_NOTODAYCIRCLE)) {
      Owned<HBRUSH> red(CreateSolidBrush(RGB(255, 0, 0)));
      FrameRect(hdc, &mark, red.get());
    }
    RECT words = line;
    words.left = mark.right + 4;
    DrawText(hdc, text, words, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  }
}

LRESULT KeyDownMessage(HWND window, CalendarState& state, WPARAM key) {
  const bool extend = KeyDown(VK_SHIFT);
  long day = (Style(window) & MCS_MULTISELECT) && extend
                 ? (state.anchor == state.selStart ? state.selEnd : state.selStart)
                 : state.selStart;
  int y, m, d;
  FromDayNumber(day, y, m, d);
  switch (key) {
    case VK_LEFT: day -= 1; break;
    case VK_RIGHT: day += 1; break;
    case VK_UP: day -= 7; break;
    case VK_DOWN: day += 7; break;
    case VK_HOME: day = DayNumber(y, m, 1); break;
    case VK_END: day = DayNumber(y, m, DaysIn(y, m)); break;
    case VK_PRIOR:
    case VK_NEXT: {
      const int target = MonthIndex(y, m) + (key == VK_PRIOR ? -1 : 1);
      day = DayNumber(target / 12, target % 12 + 1, std::min(d, DaysIn(target / 12, target % 12 + 1)));
      break;
    }
    default: return 0;
  }
  MoveTo(window, state, day, extend, false);
  return 0;
}

void InitColours(CalendarState& state) {
  state.colours[MCSC_BACKGROUND] = GetSysColor(COLOR_WINDOW);
  state.colours[MCSC_TEXT] = GetSysColor(COLOR_WINDOWTEXT);
  state.colours[MCSC_TITLEBK] = GetSysColor(COLOR_ACTIVECAPTION);
  state.colours[MCSC_TITLETEXT] = GetSysColor(COLOR_CAPTIONTEXT);
  state.colours[MCSC_MONTHBK] = GetSysColor(COLOR_WINDOW);
  state.colours[MCSC_TRAILINGTEXT] = GetSysColor(COLOR_GRAYTEXT);
}

BOOL ReadPair(const LPARAM lParam, SYSTEMTIME out[2]) {
  if (!lParam) return FALSE;
  const SYSTEMTIME* pair = reinterpret_cast<const SYSTEMTIME*>(lParam);
  out[0] = pair[0];
  out[1] = pair[1];
  return TRUE;
}

}  // namespace

LRESULT MonthCalendarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CalendarState* state = StateOf<CalendarState>(window);
  if (!state && message != WM_NCCREATE) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_NCCREATE: {
      CalendarState* made = AttachState<CalendarState>(window);
      InitColours(*made);
      made->selStart = made->selEnd = made->anchor = Today(*made);
      int y, m, d;
      FromDayNumber(made->selStart, y, m, d);
      made->firstMonth = MonthIndex(y, m);
      return DefWindowProcA(window, message, wParam, lParam);
    }
    case WM_CREATE: AskDayStates(window, *state, Measure(window, *state).Count()); return 0;
    case WM_NCDESTROY:
      DetachState<CalendarState>(window);
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
      if (LOWORD(lParam)) InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state->font);
    case WM_SIZE: InvalidateRect(window, nullptr, TRUE); return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_MOUSEACTIVATE:
      // A dropped calendar is clicked without taking the activation from its picker's window.
      if (Style(window) & WS_POPUP) return MA_NOACTIVATE;
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_SETFOCUS:
    case WM_KILLFOCUS: InvalidateRect(window, nullptr, FALSE); return 0;
    case WM_KEYDOWN: return KeyDownMessage(window, *state, wParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      // A calendar dropped by a picker leaves the focus with the picker, which closes when it loses it.
      if (!(Style(window) & WS_POPUP)) SetFocus(window);
      long day = 0;
      const UINT hit = HitTest(window, *state, PointOf(lParam), &day);
      const int step = state->monthDelta ? state->monthDelta : 1;
      if (hit == MCHT_TITLEBTNPREV) Scroll(window, *state, -step);
      else if (hit == MCHT_TITLEBTNNEXT) Scroll(window, *state, step);
      else if ((hit & MCHT_CALENDARDATE) == MCHT_CALENDARDATE || hit == MCHT_TODAYLINK) {
        MoveTo(window, *state, day, (wParam & MK_SHIFT) != 0, true);
      }
      return 0;
    }
    case MCM_GETCURSEL:
      if ((Style(window) & MCS_MULTISELECT) || !lParam) return FALSE;
      *reinterpret_cast<SYSTEMTIME*>(lParam) = DateOf(state->selStart);
      return TRUE;
    case MCM_SETCURSEL: {
      if ((Style(window) & MCS_MULTISELECT) || !lParam) return FALSE;
      const SYSTEMTIME& time = *reinterpret_cast<const SYSTEMTIME*>(lParam);
      if (!ValidDate(time)) return FALSE;
      const long day = DayOf(time);
      if (Clamp(*state, day) != day) return FALSE;
      state->selStart = state->selEnd = state->anchor = day;
      Reveal(window, *state, day);
      InvalidateRect(window, nullptr, TRUE);
      return TRUE;
    }
    case MCM_GETMAXSELCOUNT: return state->maxSelCount;
    case MCM_SETMAXSELCOUNT:
      if (!(Style(window) & MCS_MULTISELECT) || static_cast<int>(wParam) < 1) return FALSE;
      state->maxSelCount = static_cast<int>(wParam);
      return TRUE;
    case MCM_GETSELRANGE: {
      if (!(Style(window) & MCS_MULTISELECT) || !lParam) return FALSE;
      SYSTEMTIME* pair = reinterpret_cast<SYSTEMTIME*>(lParam);
      pair[0] = DateOf(state->selStart);
      pair[1] = DateOf(state->selEnd);
      return TRUE;
    }
    case MCM_SETSELRANGE: {
      SYSTEMTIME pair[2];
      if (!(Style(window) & MCS_MULTISELECT) || !ReadPair(lParam, pair)) return FALSE;
      if (!ValidDate(pair[0]) || !ValidDate(pair[1])) return FALSE;
      long from = DayOf(pair[0]), to = DayOf(pair[1]);
      if (from > to) std::swap(from, to);
      if (to - from + 1 > state->maxSelCount) return FALSE;
      state->selStart = state->anchor = Clamp(*state, from);
      state->selEnd = Clamp(*state, to);
      Reveal(window, *state, state->selStart);
      InvalidateRect(window, nullptr, TRUE);
      return TRUE;
    }
    case MCM_GETMONTHRANGE: {
      const int count = Measure(window, *state).Count();
      int from = state->firstMonth, to = state->firstMonth + count - 1;
      long first = DayNumber(from / 12, from % 12 + 1, 1);
      long last = DayNumber(to / 12, to % 12 + 1, DaysIn(to / 12, to % 12 + 1));
      int months = count;
      if (wParam == GMR_DAYSTATE) {
        first = GridDay(*state, 0, 0, 0);
        last = GridDay(*state, count - 1, 5, 6);
        months = MonthOfDay(last) - MonthOfDay(first) + 1;
      }
      if (lParam) {
        SYSTEMTIME* pair = reinterpret_cast<SYSTEMTIME*>(lParam);
        pair[0] = DateOf(first);
        pair[1] = DateOf(last);
      }
      return months;
    }
    case MCM_SETDAYSTATE: {
      if (!lParam || static_cast<int>(wParam) <= 0) return FALSE;
      const MONTHDAYSTATE* states = reinterpret_cast<const MONTHDAYSTATE*>(lParam);
      state->dayStates.assign(states, states + wParam);
      InvalidateRect(window, nullptr, TRUE);
      return TRUE;
    }
    case MCM_GETMINREQRECT: {
      if (!lParam) return FALSE;
      const Layout layout = Measure(window, *state);
      *reinterpret_cast<RECT*>(lParam) = RECT{0, 0, layout.monthW, layout.monthH + layout.todayH};
      return TRUE;
    }
    case MCM_SETCOLOR: {
      if (wParam > MCSC_TRAILINGTEXT) return static_cast<LRESULT>(CLR_INVALID);
      const COLORREF old = state->colours[wParam];
      state->colours[wParam] = static_cast<COLORREF>(lParam);
      InvalidateRect(window, nullptr, TRUE);
      return static_cast<LRESULT>(old);
    }
    case MCM_GETCOLOR:
      return wParam > MCSC_TRAILINGTEXT ? static_cast<LRESULT>(CLR_INVALID) : static_cast<LRESULT>(state->colours[wParam]);
    case MCM_SETTODAY:
      state->todaySet = lParam && ValidDate(*reinterpret_cast<const SYSTEMTIME*>(lParam));
      if (state->todaySet) state->today = DayOf(*reinterpret_cast<const SYSTEMTIME*>(lParam));
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case MCM_GETTODAY:
      if (!lParam) return FALSE;
      *reinterpret_cast<SYSTEMTIME*>(lParam) = DateOf(Today(*state));
      return TRUE;
    case MCM_HITTEST: {
      MCHITTESTINFO* info = reinterpret_cast<MCHITTESTINFO*>(lParam);
      if (!info) return static_cast<LRESULT>(MCHT_NOWHERE);
      long day = 0;
      info->uHit = HitTest(window, *state, info->pt, &day);
      info->st = day ? DateOf(day) : SYSTEMTIME{};
      return static_cast<LRESULT>(info->uHit);
    }
    case MCM_SETFIRSTDAYOFWEEK: {
      const int old = state->firstDay;
      state->firstDay = std::clamp(static_cast<int>(lParam), 0, 6);
      InvalidateRect(window, nullptr, TRUE);
      return old;
    }
    case MCM_GETFIRSTDAYOFWEEK: return state->firstDay;
    case MCM_GETRANGE: {
      if (lParam) {
        SYSTEMTIME* pair = reinterpret_cast<SYSTEMTIME*>(lParam);
        pair[0] = (state->rangeFlags & GDTR_MIN) ? DateOf(state->minDay) : SYSTEMTIME{};
        pair[1] = (state->rangeFlags & GDTR_MAX) ? DateOf(state->maxDay) : SYSTEMTIME{};
      }
      return static_cast<LRESULT>(state->rangeFlags);
    }
    case MCM_SETRANGE: {
      SYSTEMTIME pair[2];
      if (!ReadPair(lParam, pair)) return FALSE;
      if (((wParam & GDTR_MIN) && !ValidDate(pair[0])) || ((wParam & GDTR_MAX) && !ValidDate(pair[1]))) return FALSE;
      if ((wParam & GDTR_MIN) && (wParam & GDTR_MAX) && DayOf(pair[0]) > DayOf(pair[1])) return FALSE;
      state->rangeFlags = static_cast<DWORD>(wParam & (GDTR_MIN | GDTR_MAX));
      if (wParam & GDTR_MIN) state->minDay = DayOf(pair[0]);
      if (wParam & GDTR_MAX) state->maxDay = DayOf(pair[1]);
      // A selection outside the new range moves inside it.
      state->selStart = Clamp(*state, state->selStart);
      state->selEnd = Clamp(*state, state->selEnd);
      state->anchor = Clamp(*state, state->anchor);
      InvalidateRect(window, nullptr, TRUE);
      return TRUE;
    }
    case kCalendarNotifyTo: state->notify = reinterpret_cast<HWND>(wParam); return 0;
    case MCM_GETMONTHDELTA: return state->monthDelta ? state->monthDelta : Measure(window, *state).Count();
    case MCM_SETMONTHDELTA: {
      const int old = state->monthDelta;
      state->monthDelta = static_cast<int>(wParam);
      return old;
    }
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace tolvar::controls
