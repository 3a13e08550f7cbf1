// The date-time picker's keys, range, "no date" check box and dropped calendar, and the month
// calendar's clicks, keys, range, layout and printing.
#include "ControlTest.h"

#include <base/Time.h>

#include <cstdio>

using namespace testing_controls;
using testing_user::PixelAt;

namespace {

// What the parent heard by WM_NOTIFY, copied while the message is sent.
struct Heard {
  UINT code;
  UINT_PTR id;
  SYSTEMTIME time;  // the change's value, or the selection's start
  SYSTEMTIME end;   // the selection's end
  DWORD flags;
};
std::vector<Heard> g_heard;
WNDPROC g_parentProc = nullptr;

LRESULT Listening(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    Heard heard{header->code, header->idFrom, {}, {}, 0};
    if (header->code == DTN_DATETIMECHANGE) {
      const auto* change = reinterpret_cast<const NMDATETIMECHANGE*>(lParam);
      heard.time = change->st;
      heard.flags = change->dwFlags;
    } else if (header->code == MCN_SELCHANGE || header->code == MCN_SELECT) {
      const auto* change = reinterpret_cast<const NMSELCHANGE*>(lParam);
      heard.time = change->stSelStart;
      heard.end = change->stSelEnd;
    } else if (header->code == MCN_GETDAYSTATE) {
      // The 10th and 20th of every month asked for are bold.
      const auto* ask = reinterpret_cast<const NMDAYSTATE*>(lParam);
      for (int i = 0; i < ask->cDayState; ++i) ask->prgDayState[i] = (1u << 9) | (1u << 19);
    }
    g_heard.push_back(heard);
  }
  return CallWindowProcA(g_parentProc, window, message, wParam, lParam);
}

SYSTEMTIME Date(int year, int month, int day, int hour = 0, int minute = 0) {
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(year);
  time.wMonth = static_cast<WORD>(month);
  time.wDay = static_cast<WORD>(day);
  time.wHour = static_cast<WORD>(hour);
  time.wMinute = static_cast<WORD>(minute);
  return time;
}

std::string Show(const SYSTEMTIME& t) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute);
  return text;
}

int Count(UINT code) {
  int n = 0;
  for (const Heard& heard : g_heard) n += heard.code == code;
  return n;
}

class Pickers : public ControlTest {
protected:
  void SetUp() override {
    ControlTest::SetUp();
    g_parentProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(m_parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Listening)));
    g_heard.clear();
  }
  void TearDown() override {
    SetWindowLongPtrA(m_parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_parentProc));
    ControlTest::TearDown();
  }
  // Keys typed as a string: digits and separators are characters; U D L R are the arrows, T Tab,
  // H Home, E End.
  void Keys(HWND control, const std::string& keys) {
    for (char c : keys) {
      switch (c) {
        case 'U': Press(nullptr, VK_UP); break;
        case 'D': Press(nullptr, VK_DOWN); break;
        case 'L': Press(nullptr, VK_LEFT); break;
        case 'R': Press(nullptr, VK_RIGHT); break;
        case 'T': Press(nullptr, VK_TAB); break;
        case 'H': Press(nullptr, VK_HOME); break;
        case 'E': Press(nullptr, VK_END); break;
        default: {
          const char text[2] = {c, 0};
          tolvar::user::InjectText(text);
          PumpDialog(nullptr);
        }
      }
    }
    (void)control;
  }
  SYSTEMTIME Value(HWND picker) {
    SYSTEMTIME time{};
    EXPECT_EQ(SendMessageA(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)), GDT_VALID);
    return time;
  }
};

struct KeyCase {
  const char* keys;
  SYSTEMTIME expected;
  int changes;  // DTN_DATETIMECHANGE told
};

TEST_F(Pickers, KeysTypedIntoADatePicker) {
  HWND picker = Make(DATETIMEPICK_CLASSA, "", DTS_UPDOWN, 10, 10, 160, 24, 1118);
  ASSERT_TRUE(picker);
  const SYSTEMTIME range[2] = {Date(2000, 1, 1), Date(2030, 12, 31, 23, 59)};
  ASSERT_TRUE(SendMessageA(picker, DTM_SETRANGE, GDTR_MIN | GDTR_MAX, reinterpret_cast<LPARAM>(range)));
  const KeyCase cases[] = {
      {"07", Date(2026, 6, 7), 1},             // a leading 0 waits for the second digit
      {"3", Date(2026, 6, 3), 1},              // 3 could still become 30: it waits, and reading settles it
      {"312", Date(2026, 2, 28), 2},           // 31 is kept to June's 30, then to February's 28
      {"99", Date(2026, 9, 9), 2},             // 9 can take no second digit: on to the month
      {"1/5", Date(2026, 5, 1), 2},            // a separator moves to the next field
      {"07/05/2027", Date(2027, 5, 7), 3},     // after a full field the separator is the one passed
      {"9/5", Date(2026, 5, 9), 2},            // also after a field that could take no further digit
      {"07//2027", Date(2027, 6, 7), 2},       // a second separator moves on to the year
      {"T3", Date(2026, 3, 15), 1},            // Tab moves to the next field
      {"U", Date(2026, 6, 16), 1},
      {"D", Date(2026, 6, 14), 1},
      {"EU", Date(2026, 6, 1), 2},             // End is the 30th; Up wraps round to the 1st
      {"RRU", Date(2027, 6, 15), 1},
      {"RRLU", Date(2026, 7, 15), 1},          // Left goes back a field
      {"RR1998", Date(2000, 1, 1), 1},         // kept to the range's start
      {"RR2031", Date(2030, 12, 31, 23, 59), 1},  // and to its end
      {"RR31R", Date(2030, 12, 31, 23, 59), 1},  // a two-digit year is read as 2031, then kept to the range
      {"RR2026", Date(2026, 6, 15), 0},        // the same value is no change
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.keys);
    const SYSTEMTIME start = Date(2026, 6, 15);
    ASSERT_TRUE(SendMessageA(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&start)));
    SendMessageA(picker, DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>("dd/MM/yyyy"));
    SetFocus(picker);
    g_heard.clear();
    Keys(picker, c.keys);
    const SYSTEMTIME expected = c.expected;
    EXPECT_EQ(Show(Value(picker)), Show(expected));
    EXPECT_EQ(Count(DTN_DATETIMECHANGE), c.changes);
    if (!g_heard.empty() && c.changes) {
      EXPECT_EQ(g_heard.back().id, 1118u);
    }
    for (const Heard& heard : g_heard) {
      if (heard.code == DTN_DATETIMECHANGE) {
        EXPECT_EQ(heard.flags, static_cast<DWORD>(GDT_VALID));
      }
    }
    const Heard* last = nullptr;
    for (const Heard& heard : g_heard) {
      if (heard.code == DTN_DATETIMECHANGE) last = &heard;
    }
    if (last) {
      EXPECT_EQ(Show(last->time), Show(expected)) << "the last change told is the value";
    }
  }
}

TEST_F(Pickers, KeysTypedIntoATimePicker) {
  HWND picker = Make(DATETIMEPICK_CLASSA, "", DTS_TIMEFORMAT, 10, 10, 120, 24, 1186);
  ASSERT_TRUE(picker);
  SendMessageA(picker, DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>("HH:mm"));
  const SYSTEMTIME range[2] = {Date(2026, 6, 15, 8, 0), Date(2026, 6, 15, 20, 0)};
  ASSERT_TRUE(SendMessageA(picker, DTM_SETRANGE, GDTR_MIN | GDTR_MAX, reinterpret_cast<LPARAM>(range)));
  const KeyCase cases[] = {
      {"14", Date(2026, 6, 15, 14, 30), 1},
      {"145", Date(2026, 6, 15, 14, 5), 2},  // the hour is full: on to the minutes
      {"R7", Date(2026, 6, 15, 9, 7), 1},
      {"R61", Date(2026, 6, 15, 9, 1), 2},   // 6 takes no second digit; the 1 starts afresh
      {"U", Date(2026, 6, 15, 10, 30), 1},
      {"RD", Date(2026, 6, 15, 9, 29), 1},
      {"07", Date(2026, 6, 15, 8, 0), 1},    // before the range: its start
      {"25", Date(2026, 6, 15, 20, 0), 1},   // 25 is kept to 23, then to the range's end
      {"H", Date(2026, 6, 15, 8, 0), 1},     // the hour's lowest, 0, is before the range
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.keys);
    const SYSTEMTIME start = Date(2026, 6, 15, 9, 30);
    ASSERT_TRUE(SendMessageA(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&start)));
    SendMessageA(picker, DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>("HH:mm"));
    SetFocus(picker);
    g_heard.clear();
    Keys(picker, c.keys);
    EXPECT_EQ(Show(Value(picker)), Show(c.expected));
    EXPECT_EQ(Count(DTN_DATETIMECHANGE), c.changes);
  }
  testing_user::Pump();
  HBITMAP shot = tolvar::user::RenderWindow(m_parent);
  ASSERT_TRUE(shot);
  testing_user::SavePng(shot, "controls_datetime_updown");
  DeleteObject(shot);
}

TEST_F(Pickers, RangeAndNoDate) {
  HWND plain = Make(DATETIMEPICK_CLASSA, "", 0, 10, 10, 160, 24, 1);
  HWND optional = Make(DATETIMEPICK_CLASSA, "", DTS_SHOWNONE, 10, 40, 160, 24, 2);
  const SYSTEMTIME day = Date(2026, 3, 4, 10, 0);
  EXPECT_FALSE(SendMessageA(plain, DTM_SETSYSTEMTIME, GDT_NONE, 0)) << "only with a check box";
  SYSTEMTIME bad = Date(2026, 2, 30);
  EXPECT_FALSE(SendMessageA(plain, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&bad)));
  ASSERT_TRUE(SendMessageA(plain, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&day)));
  EXPECT_EQ(Show(Value(plain)), Show(day));

  SYSTEMTIME reversed[2] = {Date(2026, 5, 1), Date(2026, 4, 1)};
  EXPECT_FALSE(SendMessageA(plain, DTM_SETRANGE, GDTR_MIN | GDTR_MAX, reinterpret_cast<LPARAM>(reversed)));
  SYSTEMTIME range[2] = {Date(2026, 4, 1), Date(2026, 4, 30)};
  ASSERT_TRUE(SendMessageA(plain, DTM_SETRANGE, GDTR_MIN, reinterpret_cast<LPARAM>(range)));
  EXPECT_EQ(Show(Value(plain)), Show(Date(2026, 4, 1))) << "the value moves into a new range";
  SYSTEMTIME read[2] = {};
  EXPECT_EQ(SendMessageA(plain, DTM_GETRANGE, 0, reinterpret_cast<LPARAM>(read)), static_cast<LRESULT>(GDTR_MIN));
  EXPECT_EQ(Show(read[0]), Show(Date(2026, 4, 1)));
  EXPECT_EQ(read[1].wYear, 0) << "no end set";
  SYSTEMTIME late = Date(2027, 1, 1);
  ASSERT_TRUE(SendMessageA(plain, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&late)));
  EXPECT_EQ(Show(Value(plain)), Show(late)) << "no end: any later date";

  ASSERT_TRUE(SendMessageA(optional, DTM_SETSYSTEMTIME, GDT_NONE, 0));
  SYSTEMTIME none{};
  EXPECT_EQ(SendMessageA(optional, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&none)), GDT_NONE);
  ASSERT_TRUE(SendMessageA(optional, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&day)));
  SetFocus(optional);
  g_heard.clear();
  Keys(optional, " ");
  EXPECT_EQ(SendMessageA(optional, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&none)), GDT_NONE);
  ASSERT_EQ(Count(DTN_DATETIMECHANGE), 1);
  EXPECT_EQ(g_heard.back().flags, static_cast<DWORD>(GDT_NONE));
  Keys(optional, "U");
  EXPECT_EQ(Show(Value(optional)), Show(Date(2026, 3, 5, 10, 0))) << "an edit brings the date back";
  EXPECT_EQ(g_heard.back().flags, static_cast<DWORD>(GDT_VALID));
  // Clicking the box clears it again.
  Click(optional, POINT{8, 12});
  EXPECT_EQ(SendMessageA(optional, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&none)), GDT_NONE);
}

// Where a day is drawn, found through the calendar's own hit test.
POINT PointOfDay(HWND calendar, const SYSTEMTIME& day, UINT hit = MCHT_CALENDARDATE) {
  RECT client;
  GetClientRect(calendar, &client);
  for (int y = 0; y < client.bottom; y += 3) {
    for (int x = 0; x < client.right; x += 3) {
      MCHITTESTINFO info{sizeof info, {x, y}, 0, {}};
      SendMessageA(calendar, MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&info));
      if (info.uHit == hit && info.st.wYear == day.wYear && info.st.wMonth == day.wMonth && info.st.wDay == day.wDay) {
        return POINT{x + 2, y + 2};
      }
    }
  }
  ADD_FAILURE() << "no such day shown: " << Show(day);
  return POINT{-1, -1};
}
POINT PointOfHit(HWND calendar, UINT hit) {
  RECT client;
  GetClientRect(calendar, &client);
  for (int y = 0; y < client.bottom; y += 2) {
    for (int x = 0; x < client.right; x += 2) {
      MCHITTESTINFO info{sizeof info, {x, y}, 0, {}};
      if (static_cast<UINT>(SendMessageA(calendar, MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&info))) == hit) {
        return POINT{x + 2, y + 2};
      }
    }
  }
  ADD_FAILURE() << "nothing hits " << hit;
  return POINT{-1, -1};
}

TEST_F(Pickers, DroppedCalendarPicksADate) {
  HWND picker = Make(DATETIMEPICK_CLASSA, "", DTS_SHORTDATEFORMAT, 10, 10, 160, 24, 1118);
  const SYSTEMTIME start = Date(2026, 6, 15, 7, 45);
  SendMessageA(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&start));
  testing_user::Pump();
  HBITMAP closed = tolvar::user::RenderWindow(m_parent);
  ASSERT_TRUE(closed);
  testing_user::SavePng(closed, "controls_datetime_closed");
  DeleteObject(closed);

  EXPECT_EQ(SendMessageA(picker, DTM_GETMONTHCAL, 0, 0), 0);
  RECT client;
  GetClientRect(picker, &client);
  g_heard.clear();
  Click(picker, POINT{client.right - 5, client.bottom / 2});
  HWND calendar = reinterpret_cast<HWND>(SendMessageA(picker, DTM_GETMONTHCAL, 0, 0));
  ASSERT_TRUE(calendar);
  EXPECT_EQ(Count(DTN_DROPDOWN), 1);
  SYSTEMTIME shown{};
  ASSERT_TRUE(SendMessageA(calendar, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&shown)));
  EXPECT_EQ(Show(shown), Show(Date(2026, 6, 15))) << "the calendar opens at the value";
  testing_user::Pump();
  HBITMAP dropped = tolvar::user::RenderWindow(calendar);
  ASSERT_TRUE(dropped);
  testing_user::SavePng(dropped, "controls_datetime_dropped");
  DeleteObject(dropped);

  // Keys move the calendar's selection while it is dropped; Escape closes it unchanged.
  Press(nullptr, VK_RIGHT);
  ASSERT_TRUE(SendMessageA(calendar, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&shown)));
  EXPECT_EQ(shown.wDay, 16);
  Press(nullptr, VK_ESCAPE);
  EXPECT_EQ(SendMessageA(picker, DTM_GETMONTHCAL, 0, 0), 0);
  EXPECT_FALSE(IsWindow(calendar));
  EXPECT_EQ(Show(Value(picker)), Show(start));
  EXPECT_EQ(Count(DTN_CLOSEUP), 1);
  EXPECT_EQ(Count(DTN_DATETIMECHANGE), 0);

  // A day clicked closes the calendar with that date; the time stays.
  g_heard.clear();
  Click(picker, POINT{client.right - 5, client.bottom / 2});
  calendar = reinterpret_cast<HWND>(SendMessageA(picker, DTM_GETMONTHCAL, 0, 0));
  ASSERT_TRUE(calendar);
  Click(calendar, PointOfDay(calendar, Date(2026, 6, 23)));
  EXPECT_EQ(SendMessageA(picker, DTM_GETMONTHCAL, 0, 0), 0);
  EXPECT_EQ(Show(Value(picker)), Show(Date(2026, 6, 23, 7, 45)));
  std::vector<UINT> codes;
  for (const Heard& heard : g_heard) {
    if (heard.id == 1118) codes.push_back(heard.code);
  }
  EXPECT_EQ(codes, (std::vector<UINT>{DTN_DROPDOWN, DTN_CLOSEUP, DTN_DATETIMECHANGE}));
}

class Calendar : public Pickers {
protected:
  HWND MakeCalendar(DWORD style, int months = 1) {
    MoveWindow(m_parent, 20, 20, 560, 320, TRUE);
    HWND calendar = Make(MONTHCAL_CLASSA, "", style, 10, 10, 100, 100, 1102);
    RECT need{};
    EXPECT_TRUE(SendMessageA(calendar, MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&need)));
    MoveWindow(calendar, 10, 10, need.right * months, need.bottom, TRUE);
    const SYSTEMTIME today = Date(2026, 12, 10);
    SendMessageA(calendar, MCM_SETTODAY, 0, reinterpret_cast<LPARAM>(&today));
    SendMessageA(calendar, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&today));
    testing_user::Pump();
    g_heard.clear();
    return calendar;
  }
  SYSTEMTIME Selection(HWND calendar) {
    SYSTEMTIME day{};
    EXPECT_TRUE(SendMessageA(calendar, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&day)));
    return day;
  }
  int FirstMonthShown(HWND calendar) {
    SYSTEMTIME pair[2] = {};
    SendMessageA(calendar, MCM_GETMONTHRANGE, GMR_VISIBLE, reinterpret_cast<LPARAM>(pair));
    return pair[0].wYear * 100 + pair[0].wMonth;
  }
};

TEST_F(Calendar, ClicksAndKeysMoveTheSelectionAndTheMonth) {
  HWND calendar = MakeCalendar(0);
  Click(calendar, PointOfDay(calendar, Date(2026, 12, 3)));
  EXPECT_EQ(Show(Selection(calendar)), Show(Date(2026, 12, 3)));
  ASSERT_EQ(g_heard.size(), 2u);
  EXPECT_EQ(g_heard[0].code, MCN_SELCHANGE);
  EXPECT_EQ(g_heard[1].code, MCN_SELECT);
  EXPECT_EQ(Show(g_heard[1].time), Show(Date(2026, 12, 3)));

  struct Step {
    UINT key;
    SYSTEMTIME selected;
    int firstMonth;
  } steps[] = {
      {VK_RIGHT, Date(2026, 12, 4), 202612},  {VK_DOWN, Date(2026, 12, 11), 202612},
      {VK_UP, Date(2026, 12, 4), 202612},     {VK_LEFT, Date(2026, 12, 3), 202612},
      {VK_END, Date(2026, 12, 31), 202612},   {VK_RIGHT, Date(2027, 1, 1), 202701},
      {VK_PRIOR, Date(2026, 12, 1), 202612},  {VK_HOME, Date(2026, 12, 1), 202612},
      {VK_NEXT, Date(2027, 1, 1), 202701},
  };
  for (const Step& step : steps) {
    g_heard.clear();
    Press(nullptr, step.key);
    EXPECT_EQ(Show(Selection(calendar)), Show(step.selected)) << step.key;
    EXPECT_EQ(FirstMonthShown(calendar), step.firstMonth) << step.key;
  }
  // The title's arrows step the month; the selection follows to the same day.
  Click(calendar, PointOfHit(calendar, MCHT_TITLEBTNPREV));
  EXPECT_EQ(FirstMonthShown(calendar), 202612);
  EXPECT_EQ(Show(Selection(calendar)), Show(Date(2026, 12, 1)));
  Click(calendar, PointOfHit(calendar, MCHT_TITLEBTNNEXT));
  Click(calendar, PointOfHit(calendar, MCHT_TITLEBTNNEXT));  // a second click soon after is a double click
  EXPECT_EQ(FirstMonthShown(calendar), 202702);
  // A greyed day of the next month selects it and brings its month in.
  Click(calendar, PointOfDay(calendar, Date(2027, 3, 2), MCHT_CALENDARDATENEXT));
  EXPECT_EQ(FirstMonthShown(calendar), 202703);
  EXPECT_EQ(Show(Selection(calendar)), Show(Date(2027, 3, 2)));
  // The today line goes back to today.
  Click(calendar, PointOfHit(calendar, MCHT_TODAYLINK));
  EXPECT_EQ(Show(Selection(calendar)), Show(Date(2026, 12, 10)));
  EXPECT_EQ(FirstMonthShown(calendar), 202612);
}

TEST_F(Calendar, RangeKeepsTheSelection) {
  HWND calendar = MakeCalendar(0);
  SYSTEMTIME range[2] = {Date(2026, 12, 5), Date(2026, 12, 20)};
  ASSERT_TRUE(SendMessageA(calendar, MCM_SETRANGE, GDTR_MIN | GDTR_MAX, reinterpret_cast<LPARAM>(range)));
  SYSTEMTIME outside = Date(2026, 12, 21);
  EXPECT_FALSE(SendMessageA(calendar, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&outside)));
  EXPECT_EQ(Show(Selection(calendar)), Show(Date(2026, 12, 10)));
  SetFocus(calendar);
  Press(nullptr, VK_HOME);
  EXPECT_EQ(Show(Selection(calendar)), Show(Date(2026, 12, 5)));
  Press(nullptr, VK_NEXT);
  EXPECT_EQ(Show(Selection(calendar)), Show(Date(2026, 12, 20)));
  Click(calendar, PointOfDay(calendar, Date(2026, 12, 30)));
  EXPECT_EQ(Show(Selection(calendar)), Show(Date(2026, 12, 20)));
  SYSTEMTIME read[2] = {};
  EXPECT_EQ(SendMessageA(calendar, MCM_GETRANGE, 0, reinterpret_cast<LPARAM>(read)),
            static_cast<LRESULT>(GDTR_MIN | GDTR_MAX));
  EXPECT_EQ(Show(read[1]), Show(Date(2026, 12, 20)));
}

TEST_F(Calendar, MultiSelectExtendsUpToTheMaximum) {
  HWND calendar = MakeCalendar(MCS_MULTISELECT);
  SYSTEMTIME pair[2] = {Date(2026, 12, 10), Date(2026, 12, 10)};
  ASSERT_TRUE(SendMessageA(calendar, MCM_SETSELRANGE, 0, reinterpret_cast<LPARAM>(pair)));
  ASSERT_TRUE(SendMessageA(calendar, MCM_SETMAXSELCOUNT, 5, 0));
  SYSTEMTIME single{};
  EXPECT_FALSE(SendMessageA(calendar, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&single)));
  SetFocus(calendar);
  Press(nullptr, VK_RIGHT, VK_SHIFT);
  Press(nullptr, VK_RIGHT, VK_SHIFT);
  SYSTEMTIME got[2] = {};
  ASSERT_TRUE(SendMessageA(calendar, MCM_GETSELRANGE, 0, reinterpret_cast<LPARAM>(got)));
  EXPECT_EQ(Show(got[0]), Show(Date(2026, 12, 10)));
  EXPECT_EQ(Show(got[1]), Show(Date(2026, 12, 12)));
  Press(nullptr, VK_DOWN, VK_SHIFT);
  ASSERT_TRUE(SendMessageA(calendar, MCM_GETSELRANGE, 0, reinterpret_cast<LPARAM>(got)));
  EXPECT_EQ(Show(got[1]), Show(Date(2026, 12, 14))) << "five days at most";
  SYSTEMTIME tooLong[2] = {Date(2026, 12, 1), Date(2026, 12, 9)};
  EXPECT_FALSE(SendMessageA(calendar, MCM_SETSELRANGE, 0, reinterpret_cast<LPARAM>(tooLong)));
}

TEST_F(Calendar, LayoutColoursAndFirstDay) {
  HWND calendar = MakeCalendar(MCS_DAYSTATE, 2);
  EXPECT_EQ(SendMessageA(calendar, MCM_GETMONTHRANGE, GMR_VISIBLE, 0), 2) << "two months fit side by side";
  EXPECT_EQ(FirstMonthShown(calendar), 202612);
  // Sunday first by default; Monday first moves the 1 December 2026 (a Tuesday) one column left.
  const POINT sundayFirst = PointOfDay(calendar, Date(2026, 12, 1));
  EXPECT_EQ(SendMessageA(calendar, MCM_SETFIRSTDAYOFWEEK, 0, 0), 6);
  const POINT mondayFirst = PointOfDay(calendar, Date(2026, 12, 1));
  EXPECT_LT(mondayFirst.x, sundayFirst.x);
  const COLORREF old = static_cast<COLORREF>(SendMessageA(calendar, MCM_SETCOLOR, MCSC_TITLEBK, RGB(0, 120, 60)));
  EXPECT_EQ(old, GetSysColor(COLOR_ACTIVECAPTION));
  EXPECT_EQ(static_cast<COLORREF>(SendMessageA(calendar, MCM_GETCOLOR, MCSC_TITLEBK, 0)), RGB(0, 120, 60));
  testing_user::Pump();
  HBITMAP shot = tolvar::user::RenderWindow(calendar);
  ASSERT_TRUE(shot);
  testing_user::SavePng(shot, "controls_month_calendar");
  EXPECT_EQ(PixelAt(shot, 2, 1), RGB(0, 120, 60)) << "the title in the colour set";
  DeleteObject(shot);
}

TEST_F(Calendar, PrintingEqualsThePainting) {
  HWND calendar = MakeCalendar(0);
  testing_user::Pump();
  HBITMAP shot = tolvar::user::RenderWindow(calendar);
  ASSERT_TRUE(shot);
  RECT frame;
  GetWindowRect(calendar, &frame);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  HDC memory = CreateCompatibleDC(nullptr);
  HBITMAP printed = CreateBitmap(width, height, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(memory, printed);
  SendMessageA(calendar, WM_PRINT, reinterpret_cast<WPARAM>(memory), PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
  SelectObject(memory, old);
  DeleteDC(memory);
  int differing = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) differing += PixelAt(shot, x, y) != PixelAt(printed, x, y);
  }
  EXPECT_EQ(differing, 0);
  if (differing) {
    testing_user::SavePng(printed, "controls_month_calendar_printed");
    testing_user::SavePng(shot, "controls_month_calendar_painted");
  }
  DeleteObject(printed);
  DeleteObject(shot);
}

}  // namespace
