// The date-time picker: the value is one SYSTEMTIME shown through a format of fields. The format is
// parsed once into a list of fields (a number, a name, or literal text); painting measures the
// fields' texts left to right, and keys edit the current field. Every change, typed or stepped,
// goes through one function that keeps the date valid (the day within its month) and inside the
// range, and tells the parent when the value really changed.
#include "Common.h"
#include "Dates.h"

#include <base/Time.h>

#include <controls/DateTime.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace tolvar::controls {
namespace {

using namespace dates;

enum class Kind { Literal, Day, WeekDay, Month, Year, Hour12, Hour24, Minute, Second, AmPm };

struct Field {
  Kind kind;
  int width;         // how many letters the format gave
  std::string text;  // a literal's text
};

struct Bounds {
  int low, high;
};

struct PickerState {
  SYSTEMTIME value{};
  bool none = false;       // DTS_SHOWNONE unchecked: no date
  std::string format;      // the caller's, empty for the style's
  std::vector<Field> fields;
  int current = -1;        // the field being edited
  std::string typed;       // digits typed into it so far
  bool advanced = false;   // the last key filled a field and so moved on by itself
  long long minMoment = 0, maxMoment = 0;
  SYSTEMTIME minTime{}, maxTime{};
  DWORD rangeFlags = 0;
  HFONT font = nullptr;
  HWND calendar = nullptr;  // the dropped month calendar
  COLORREF mcColours[6]{};
  bool mcColourSet[6]{};
  HFONT mcFont = nullptr;
};

DWORD Style(HWND window) { return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)); }

const char* StyleFormat(DWORD style) {
  if (style & 0x0008) return "HH:mm:ss";
  if (style & DTS_LONGDATEFORMAT) return "dddd, d MMMM yyyy";
  return "dd/MM/yyyy";
}

// The format's letters and what they stand for; anything else, and 'quoted text', is shown as is.
struct Letter {
  char letter;
  Kind kind;
};
const Letter kLetters[] = {{'d', Kind::Day},    {'M', Kind::Month},  {'y', Kind::Year}, {'h', Kind::Hour12},
                           {'H', Kind::Hour24}, {'m', Kind::Minute}, {'s', Kind::Second}, {'t', Kind::AmPm}};

std::vector<Field> Parse(const std::string& format) {
  std::vector<Field> fields;
  auto literal = [&](const std::string& text) {
    if (text.empty()) return;
    if (!fields.empty() && fields.back().kind == Kind::Literal) fields.back().text += text;
    else fields.push_back(Field{Kind::Literal, 0, text});
  };
  for (size_t i = 0; i < format.size();) {
    const char c = format[i];
    if (c == '\'') {
      // 'text' is literal; '' inside or outside quotes is one quote.
      size_t j = i + 1;
      std::string text;
      while (j < format.size()) {
        if (format[j] == '\'') {
          if (j + 1 < format.size() && format[j + 1] == '\'') {
            text += '\'';
            j += 2;
            continue;
          }
          break;
        }
        text += format[j++];
      }
      if (j == i + 1 && j < format.size()) text = "'";  // ''
      literal(text);
      i = j + 1;
      continue;
    }
    const Letter* letter = nullptr;
    for (const Letter& l : kLetters) {
      if (l.letter == c) letter = &l;
    }
    if (!letter) {
      literal(std::string(1, c));
      ++i;
      continue;
    }
    size_t j = i;
    while (j < format.size() && format[j] == c) ++j;
    const int width = static_cast<int>(j - i);
    Kind kind = letter->kind;
    if (kind == Kind::Day && width >= 3) kind = Kind::WeekDay;
    fields.push_back(Field{kind, width, {}});
    i = j;
  }
  return fields;
}

bool Editable(const Field& field) { return field.kind != Kind::Literal && field.kind != Kind::WeekDay; }

Bounds BoundsOf(const Field& field, const SYSTEMTIME& value) {
  switch (field.kind) {
    case Kind::Day: return {1, DaysIn(value.wYear, value.wMonth)};
    case Kind::Month: return {1, 12};
    case Kind::Year: return {kFirstYear, kLastYear};
    case Kind::Hour12: return {1, 12};
    case Kind::Hour24: return {0, 23};
    case Kind::Minute:
    case Kind::Second: return {0, 59};
    case Kind::AmPm: return {0, 1};
    default: return {0, 0};
  }
}

int Get(const Field& field, const SYSTEMTIME& value) {
  switch (field.kind) {
    case Kind::Day: return value.wDay;
    case Kind::Month: return value.wMonth;
    case Kind::Year: return value.wYear;
    case Kind::Hour12: return value.wHour % 12 == 0 ? 12 : value.wHour % 12;
    case Kind::Hour24: return value.wHour;
    case Kind::Minute: return value.wMinute;
    case Kind::Second: return value.wSecond;
    case Kind::AmPm: return value.wHour >= 12;
    default: return 0;
  }
}

// Sets a field; the day is then kept within its month.
void Put(const Field& field, SYSTEMTIME& value, int n) {
  const Bounds bounds = BoundsOf(field, value);
  n = std::clamp(n, bounds.low, bounds.high);
  switch (field.kind) {
    case Kind::Day: value.wDay = static_cast<WORD>(n); break;
    case Kind::Month: value.wMonth = static_cast<WORD>(n); break;
    case Kind::Year: value.wYear = static_cast<WORD>(n); break;
    case Kind::Hour12: value.wHour = static_cast<WORD>(n % 12 + (value.wHour >= 12 ? 12 : 0)); break;
    case Kind::Hour24: value.wHour = static_cast<WORD>(n); break;
    case Kind::Minute: value.wMinute = static_cast<WORD>(n); break;
    case Kind::Second: value.wSecond = static_cast<WORD>(n); break;
    case Kind::AmPm: value.wHour = static_cast<WORD>(value.wHour % 12 + (n ? 12 : 0)); break;
    default: break;
  }
  value.wDay = static_cast<WORD>(std::min<int>(value.wDay, DaysIn(value.wYear, value.wMonth)));
}

// The digits a field takes before it passes on to the next.
int Digits(const Field& field) {
  switch (field.kind) {
    case Kind::Year: return field.width >= 3 ? 4 : 2;
    case Kind::AmPm: return 0;
    default: return 2;
  }
}

std::string TextOf(const Field& field, const SYSTEMTIME& value) {
  char text[32];
  const int n = Get(field, value);
  switch (field.kind) {
    case Kind::Literal: return field.text;
    case Kind::WeekDay: {
      const std::string name = kDayNames[WeekDay(DayOf(value))];
      return field.width == 3 ? name.substr(0, 3) : name;
    }
    case Kind::Month:
      if (field.width == 3) return std::string(kMonthNames[n - 1]).substr(0, 3);
      if (field.width >= 4) return kMonthNames[n - 1];
      break;
    case Kind::Year:
      if (field.width <= 2) {
        std::snprintf(text, sizeof text, field.width == 1 ? "%d" : "%02d", n % 100);
        return text;
      }
      std::snprintf(text, sizeof text, "%04d", n);
      return text;
    case Kind::AmPm: return field.width == 1 ? (n ? "P" : "A") : (n ? "PM" : "AM");
    default: break;
  }
  std::snprintf(text, sizeof text, field.width >= 2 ? "%02d" : "%d", n);
  return text;
}

void Notify(HWND window, NMHDR& header, UINT code) {
  header.hwndFrom = window;
  header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(window));
  header.code = code;
  HWND parent = GetParent(window);
  if (parent) SendMessageA(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}
void NotifyCode(HWND window, UINT code) {
  NMHDR header{};
  Notify(window, header, code);
}

void NotifyChange(HWND window, const PickerState& state) {
  NMDATETIMECHANGE change{};
  change.dwFlags = state.none ? static_cast<DWORD>(GDT_NONE) : static_cast<DWORD>(GDT_VALID);
  if (!state.none) change.st = state.value;
  Notify(window, change.nmhdr, DTN_DATETIMECHANGE);
}

SYSTEMTIME ClampToRange(const PickerState& state, SYSTEMTIME value) {
  const long long moment = Moment(value);
  if ((state.rangeFlags & GDTR_MIN) && moment < state.minMoment) value = state.minTime;
  if ((state.rangeFlags & GDTR_MAX) && moment > state.maxMoment) value = state.maxTime;
  value.wDayOfWeek = static_cast<WORD>(WeekDay(DayOf(value)));
  value.wMilliseconds = 0;
  return value;
}

// Every edit ends here: the value is kept in range, and a real change is told.
void Change(HWND window, PickerState& state, SYSTEMTIME value) {
  value = ClampToRange(state, value);
  const bool wasNone = state.none;
  state.none = false;
  if (!wasNone && Moment(value) == Moment(state.value)) return;
  state.value = value;
  InvalidateRect(window, nullptr, TRUE);
  NotifyChange(window, state);
}

int FirstEditable(const PickerState& state, int from, int step) {
  for (int i = from; i >= 0 && i < static_cast<int>(state.fields.size()); i += step) {
    if (Editable(state.fields[static_cast<size_t>(i)])) return i;
  }
  return -1;
}

// Leaves the current field: a partly typed value is settled (a short year is read as 1950-2049,
// a field typed as 0 that cannot be 0 takes its lowest value).
void Settle(HWND window, PickerState& state) {
  if (state.typed.empty() || state.current < 0) return;
  const Field& field = state.fields[static_cast<size_t>(state.current)];
  int n = std::atoi(state.typed.c_str());
  if (field.kind == Kind::Year && state.typed.size() <= 2) n += n < 50 ? 2000 : 1900;
  state.typed.clear();
  SYSTEMTIME value = state.value;
  Put(field, value, n);
  Change(window, state, value);
}

void MoveField(HWND window, PickerState& state, int step) {
  state.advanced = false;
  Settle(window, state);
  const int next = FirstEditable(state, state.current + step, step);
  if (next >= 0) state.current = next;
  InvalidateRect(window, nullptr, TRUE);
}

// A digit goes into the current field; the field takes the number when it is full (or could take
// no further digit) or when it is left, so a partly typed number never passes through the range.
void TypeDigit(HWND window, PickerState& state, int digit) {
  if (state.current < 0) return;
  const Field& field = state.fields[static_cast<size_t>(state.current)];
  if (field.kind == Kind::AmPm) return;
  state.typed += static_cast<char>('0' + digit);
  const int n = std::atoi(state.typed.c_str());
  const bool full = static_cast<int>(state.typed.size()) >= Digits(field) ||
                    (field.kind != Kind::Year && n * 10 > BoundsOf(field, state.value).high);
  if (full) {
    MoveField(window, state, 1);
    state.advanced = true;
  } else {
    InvalidateRect(window, nullptr, TRUE);
  }
}

// Up and Down step a field round within its bounds; the year steps without wrapping.
void Step(HWND window, PickerState& state, int delta) {
  state.advanced = false;
  if (state.current < 0) return;
  Settle(window, state);
  const Field& field = state.fields[static_cast<size_t>(state.current)];
  const Bounds bounds = BoundsOf(field, state.value);
  int n = Get(field, state.value) + delta;
  if (field.kind != Kind::Year) {
    const int span = bounds.high - bounds.low + 1;
    n = bounds.low + ((n - bounds.low) % span + span) % span;
  }
  SYSTEMTIME value = state.value;
  Put(field, value, n);
  Change(window, state, value);
}

void SetTo(HWND window, PickerState& state, bool highest) {
  state.advanced = false;
  if (state.current < 0) return;
  state.typed.clear();
  const Field& field = state.fields[static_cast<size_t>(state.current)];
  const Bounds bounds = BoundsOf(field, state.value);
  SYSTEMTIME value = state.value;
  Put(field, value, highest ? bounds.high : bounds.low);
  Change(window, state, value);
}

void UseFormat(HWND window, PickerState& state) {
  state.fields = Parse(state.format.empty() ? StyleFormat(Style(window)) : state.format);
  state.typed.clear();
  state.current = FirstEditable(state, 0, 1);
  InvalidateRect(window, nullptr, TRUE);
}

// A field as shown: what is being typed into it, else its value.
std::string Shown(const PickerState& state, size_t i) {
  if (static_cast<int>(i) == state.current && !state.typed.empty()) return state.typed;
  return TextOf(state.fields[i], state.value);
}

// Where things are: the check box (DTS_SHOWNONE), the fields, and the button at the right.
struct Geometry {
  RECT check{}, text{}, button{};
  std::vector<RECT> fields;
};

Geometry Measure(HWND window, const PickerState& state, HDC hdc) {
  Geometry g;
  RECT client;
  GetClientRect(window, &client);
  const int buttonWidth = GetSystemMetrics(SM_CXVSCROLL);
  g.button = RECT{client.right - buttonWidth, client.top, client.right, client.bottom};
  int x = client.left + 2;
  if (Style(window) & DTS_SHOWNONE) {
    const int size = std::min<int>(13, client.bottom - client.top - 2);
    const int top = (client.bottom - client.top - size) / 2;
    g.check = RECT{x, top, x + size, top + size};
    x = g.check.right + 4;
  }
  g.text = RECT{x, client.top, g.button.left, client.bottom};
  Selected font(hdc, FontOr(state.font));
  for (size_t i = 0; i < state.fields.size(); ++i) {
    const std::string text = Shown(state, i);
    SIZE size{};
    GetTextExtentPoint32A(hdc, text.c_str(), static_cast<int>(text.size()), &size);
    g.fields.push_back(RECT{x, client.top + 1, x + size.cx, client.bottom - 1});
    x += size.cx;
  }
  return g;
}

Geometry Measure(HWND window, const PickerState& state) {
  HDC hdc = GetDC(window);
  Geometry g = Measure(window, state, hdc);
  ReleaseDC(window, hdc);
  return g;
}

void Paint(HWND window, PickerState& state, HDC hdc) {
  const Geometry g = Measure(window, state, hdc);
  RECT client;
  GetClientRect(window, &client);
  const bool enabled = IsWindowEnabled(window);
  HBRUSH background = AskColours(window, hdc, enabled ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC);
  FillRect(hdc, &client, background ? background : GetSysColorBrush(COLOR_WINDOW));
  const COLORREF textColour = GetTextColor(hdc);
  if (Style(window) & DTS_SHOWNONE) {
    RECT check = g.check;
    DrawFrameControl(hdc, &check, DFC_BUTTON, DFCS_BUTTONCHECK | (state.none ? 0 : DFCS_CHECKED));
  }
  Selected font(hdc, FontOr(state.font));
  SetBkMode(hdc, TRANSPARENT);
  const bool focused = GetFocus() == window;
  for (size_t i = 0; i < state.fields.size(); ++i) {
    const std::string text = Shown(state, i);
    RECT rect = g.fields[i];
    if (rect.left >= g.text.right) break;
    rect.right = std::min(rect.right, g.text.right);
    const bool current = focused && !state.none && static_cast<int>(i) == state.current && !state.calendar;
    if (current) {
      FillRect(hdc, &rect, GetSysColorBrush(COLOR_HIGHLIGHT));
      SetTextColor(hdc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    } else {
      SetTextColor(hdc, !enabled || state.none ? GetSysColor(COLOR_GRAYTEXT) : textColour);
    }
    DrawTextA(hdc, text.c_str(), static_cast<int>(text.size()), &rect, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  if (Style(window) & DTS_UPDOWN) {
    RECT up = g.button, down = g.button;
    up.bottom = down.top = (g.button.top + g.button.bottom) / 2;
    DrawFrameControl(hdc, &up, DFC_SCROLL, DFCS_SCROLLUP | (enabled ? 0 : DFCS_INACTIVE));
    DrawFrameControl(hdc, &down, DFC_SCROLL, DFCS_SCROLLDOWN | (enabled ? 0 : DFCS_INACTIVE));
  } else {
    RECT button = g.button;
    DrawFrameControl(hdc, &button, DFC_SCROLL,
                     DFCS_SCROLLDOWN | (state.calendar ? DFCS_PUSHED : 0) | (enabled ? 0 : DFCS_INACTIVE));
  }
}

void CloseUp(HWND window, PickerState& state, bool take) {
  if (!state.calendar) return;
  HWND calendar = state.calendar;
  SYSTEMTIME picked{};
  const bool have = take && SendMessageA(calendar, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&picked));
  state.calendar = nullptr;
  DestroyWindow(calendar);
  InvalidateRect(window, nullptr, TRUE);
  NotifyCode(window, DTN_CLOSEUP);
  if (have) {
    SYSTEMTIME value = state.value;
    value.wYear = picked.wYear;
    value.wMonth = picked.wMonth;
    value.wDay = picked.wDay;
    Change(window, state, value);
  }
}

void DropDown(HWND window, PickerState& state) {
  if (state.calendar || (Style(window) & DTS_UPDOWN)) return;
  Settle(window, state);
  if (GetFocus() != window) SetFocus(window);
  NotifyCode(window, DTN_DROPDOWN);
  RECT frame;
  GetWindowRect(window, &frame);
  HWND calendar = CreateWindowExA(0, MONTHCAL_CLASSA, "", WS_POPUP | WS_BORDER, frame.left, frame.bottom, 0, 0,
                                  window, nullptr, nullptr, nullptr);
  if (!calendar) return;
  state.calendar = calendar;
  SendMessageA(calendar, kCalendarNotifyTo, reinterpret_cast<WPARAM>(window), 0);
  // The calendar's own font if one was set, else the picker's.
  HFONT font = state.mcFont ? state.mcFont : state.font;
  if (font) SendMessageA(calendar, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  for (WPARAM i = 0; i < 6; ++i) {
    if (state.mcColourSet[i]) SendMessageA(calendar, MCM_SETCOLOR, i, static_cast<LPARAM>(state.mcColours[i]));
  }
  if (state.rangeFlags) {
    SYSTEMTIME pair[2] = {state.minTime, state.maxTime};
    SendMessageA(calendar, MCM_SETRANGE, state.rangeFlags, reinterpret_cast<LPARAM>(pair));
  }
  RECT need{};
  SendMessageA(calendar, MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&need));
  const int border = 2 * GetSystemMetrics(SM_CXBORDER);
  const int width = need.right + border, height = need.bottom + border;
  const int left = (Style(window) & DTS_RIGHTALIGN) ? frame.right - width : frame.left;
  SetWindowPos(calendar, HWND_TOP, left, frame.bottom, width, height, SWP_NOACTIVATE);
  if (!state.none) SendMessageA(calendar, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&state.value));
  ShowWindow(calendar, SW_SHOWNA);
  InvalidateRect(window, nullptr, TRUE);
}

LRESULT KeyDownMessage(HWND window, PickerState& state, WPARAM key) {
  if (state.calendar) {
    switch (key) {
      case VK_ESCAPE: CloseUp(window, state, false); return 0;
      case VK_RETURN:
      case VK_F4: CloseUp(window, state, true); return 0;
      default: return SendMessageA(state.calendar, WM_KEYDOWN, key, 0);
    }
  }
  if (key == VK_F4 || (key == VK_DOWN && KeyDown(VK_MENU))) {
    DropDown(window, state);
    return 0;
  }
  switch (key) {
    case VK_LEFT: MoveField(window, state, -1); break;
    case VK_RIGHT: MoveField(window, state, 1); break;
    case VK_TAB: MoveField(window, state, KeyDown(VK_SHIFT) ? -1 : 1); break;
    case VK_UP: Step(window, state, 1); break;
    case VK_DOWN: Step(window, state, -1); break;
    case VK_HOME: SetTo(window, state, false); break;
    case VK_END: SetTo(window, state, true); break;
    default: break;
  }
  return 0;
}

void CharMessage(HWND window, PickerState& state, WPARAM code) {
  if (state.calendar) return;
  const bool advanced = std::exchange(state.advanced, false);
  if (code == ' ' && (Style(window) & DTS_SHOWNONE)) {
    state.none = !state.none;
    InvalidateRect(window, nullptr, TRUE);
    NotifyChange(window, state);
    return;
  }
  if (state.current < 0) return;
  const Field& field = state.fields[static_cast<size_t>(state.current)];
  if (code >= '0' && code <= '9') {
    TypeDigit(window, state, static_cast<int>(code - '0'));
    return;
  }
  if (field.kind == Kind::AmPm && (code == 'a' || code == 'A' || code == 'p' || code == 'P')) {
    SYSTEMTIME value = state.value;
    Put(field, value, code == 'p' || code == 'P');
    Change(window, state, value);
    return;
  }
  // A separator typed moves on, as the next field follows it; after a field that was filled and
  // moved on by itself, the separator is the one already passed ("15/06/2030" typed whole).
  if (code < 0x80 && code > ' ' && !(code >= 'a' && code <= 'z') && !(code >= 'A' && code <= 'Z') && !advanced) {
    MoveField(window, state, 1);
  }
}

void Click(HWND window, PickerState& state, POINT point) {
  state.advanced = false;
  SetFocus(window);
  const Geometry g = Measure(window, state);
  if ((Style(window) & DTS_SHOWNONE) && PtInRect(&g.check, point)) {
    state.none = !state.none;
    InvalidateRect(window, nullptr, TRUE);
    NotifyChange(window, state);
    return;
  }
  if (PtInRect(&g.button, point)) {
    if (Style(window) & DTS_UPDOWN) Step(window, state, point.y < (g.button.top + g.button.bottom) / 2 ? 1 : -1);
    else if (state.calendar) CloseUp(window, state, false);
    else DropDown(window, state);
    return;
  }
  for (size_t i = 0; i < g.fields.size(); ++i) {
    if (point.x >= g.fields[i].left && point.x < g.fields[i].right && Editable(state.fields[i])) {
      Settle(window, state);
      state.current = static_cast<int>(i);
      InvalidateRect(window, nullptr, TRUE);
      return;
    }
  }
}

BOOL SetRange(PickerState& state, WPARAM flags, const SYSTEMTIME* pair) {
  if (!pair && flags) return FALSE;
  if ((flags & GDTR_MIN) && (!ValidDate(pair[0]) || !ValidTime(pair[0]))) return FALSE;
  if ((flags & GDTR_MAX) && (!ValidDate(pair[1]) || !ValidTime(pair[1]))) return FALSE;
  if ((flags & GDTR_MIN) && (flags & GDTR_MAX) && Moment(pair[0]) > Moment(pair[1])) return FALSE;
  state.rangeFlags = static_cast<DWORD>(flags & (GDTR_MIN | GDTR_MAX));
  if (flags & GDTR_MIN) state.minTime = pair[0], state.minMoment = Moment(pair[0]);
  if (flags & GDTR_MAX) state.maxTime = pair[1], state.maxMoment = Moment(pair[1]);
  return TRUE;
}

}  // namespace

LRESULT DateTimePickerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  PickerState* state = StateOf<PickerState>(window);
  if (!state && message != WM_NCCREATE) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_NCCREATE: {
      PickerState* made = AttachState<PickerState>(window);
      GetLocalTime(&made->value);
      made->value.wMilliseconds = 0;
      // The classic sunken field, as an edit control has.
      SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
      return DefWindowProcA(window, message, wParam, lParam);
    }
    case WM_CREATE: {
      HWND parent = GetParent(window);
      if (parent) state->font = reinterpret_cast<HFONT>(SendMessageA(parent, WM_GETFONT, 0, 0));
      UseFormat(window, *state);
      return 0;
    }
    case WM_DESTROY: CloseUp(window, *state, false); return 0;
    case WM_NCDESTROY:
      DetachState<PickerState>(window);
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
    case WM_STYLECHANGED:
      if (state->format.empty()) UseFormat(window, *state);
      return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
      InvalidateRect(window, nullptr, TRUE);
      NotifyCode(window, NM_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      Settle(window, *state);
      CloseUp(window, *state, false);
      InvalidateRect(window, nullptr, TRUE);
      NotifyCode(window, NM_KILLFOCUS);
      return 0;
    case WM_ENABLE: InvalidateRect(window, nullptr, TRUE); return 0;
    case WM_KEYDOWN: return KeyDownMessage(window, *state, wParam);
    case WM_CHAR: CharMessage(window, *state, wParam); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: Click(window, *state, PointOf(lParam)); return 0;
    case WM_NOTIFY: {
      // The dropped calendar: a day picked closes it with that date.
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header && state->calendar && header->hwndFrom == state->calendar && header->code == MCN_SELECT) {
        CloseUp(window, *state, true);
      }
      return 0;
    }
    case DTM_GETSYSTEMTIME:
      if (state->none) return GDT_NONE;
      if (!lParam) return GDT_ERROR;
      Settle(window, *state);
      *reinterpret_cast<SYSTEMTIME*>(lParam) = state->value;
      return GDT_VALID;
    case DTM_SETSYSTEMTIME: {
      if (wParam == static_cast<WPARAM>(GDT_NONE)) {
        if (!(Style(window) & DTS_SHOWNONE)) return FALSE;
        state->none = true;
        InvalidateRect(window, nullptr, TRUE);
        return TRUE;
      }
      if (wParam != static_cast<WPARAM>(GDT_VALID) || !lParam) return FALSE;
      const SYSTEMTIME& time = *reinterpret_cast<const SYSTEMTIME*>(lParam);
      if (!ValidDate(time) || !ValidTime(time)) return FALSE;
      state->typed.clear();
      state->value = ClampToRange(*state, time);
      state->none = false;
      InvalidateRect(window, nullptr, TRUE);
      return TRUE;
    }
    case DTM_GETRANGE: {
      if (lParam) {
        SYSTEMTIME* pair = reinterpret_cast<SYSTEMTIME*>(lParam);
        pair[0] = (state->rangeFlags & GDTR_MIN) ? state->minTime : SYSTEMTIME{};
        pair[1] = (state->rangeFlags & GDTR_MAX) ? state->maxTime : SYSTEMTIME{};
      }
      return static_cast<LRESULT>(state->rangeFlags);
    }
    case DTM_SETRANGE: {
      if (!SetRange(*state, wParam, reinterpret_cast<const SYSTEMTIME*>(lParam))) return FALSE;
      state->value = ClampToRange(*state, state->value);
      InvalidateRect(window, nullptr, TRUE);
      return TRUE;
    }
    case DTM_SETFORMATA:
      state->format = lParam ? reinterpret_cast<LPCSTR>(lParam) : "";
      UseFormat(window, *state);
      return TRUE;
    case DTM_SETMCCOLOR: {
      if (wParam > MCSC_TRAILINGTEXT) return static_cast<LRESULT>(CLR_INVALID);
      const COLORREF old = state->mcColours[wParam];
      state->mcColours[wParam] = static_cast<COLORREF>(lParam);
      state->mcColourSet[wParam] = true;
      return static_cast<LRESULT>(old);
    }
    case DTM_GETMCCOLOR:
      return wParam > MCSC_TRAILINGTEXT ? static_cast<LRESULT>(CLR_INVALID) : static_cast<LRESULT>(state->mcColours[wParam]);
    case DTM_GETMONTHCAL: return reinterpret_cast<LRESULT>(state->calendar);
    case DTM_SETMCFONT: state->mcFont = reinterpret_cast<HFONT>(wParam); return 0;
    case DTM_GETMCFONT: return reinterpret_cast<LRESULT>(state->mcFont);
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace tolvar::controls
