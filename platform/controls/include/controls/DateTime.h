#pragma once
// The month calendar ("SysMonthCal32") and the date-time picker ("SysDateTimePick32").
//
// The month calendar shows one month, or as many whole months as its client area holds, with the
// week days over each month, days of the neighbouring months greyed, a frame around today and,
// unless MCS_NOTODAY, a "Today:" line under the months. Clicks on a day, on the title's arrows or
// on the today line, and the arrow, page and Home/End keys, move the selection (a single day, or a
// range up to MCM_SETMAXSELCOUNT days with MCS_MULTISELECT) and the months shown; each change is
// told to the parent with MCN_SELCHANGE, and a day picked by the user with MCN_SELECT too.
//
// The date-time picker shows a date, a time or both in a format of fields ("dd/MM/yyyy", "HH:mm",
// quoted literals in 'single quotes'). One field is current: digits type into it (a field that is
// full, or whose value could take no further digit, passes on to the next), Up and Down step it,
// Left/Right and Tab move between fields, Home/End go to the field's lowest and highest value.
// Values are kept to the date's month and to the range set with DTM_SETRANGE; each change is told
// with DTN_DATETIMECHANGE. Without DTS_UPDOWN a button drops a month calendar (DTN_DROPDOWN before,
// DTN_CLOSEUP after; DTM_GETMONTHCAL answers it while it is shown). DTS_SHOWNONE adds a check box: unchecked, the
// control holds no date (GDT_NONE).
#include <base/WinDef.h>
#include <controls/CommCtrl.h>
#include <user/User.h>

inline constexpr const char* MONTHCAL_CLASSA = "SysMonthCal32";
inline constexpr const char* DATETIMEPICK_CLASSA = "SysDateTimePick32";

// Month calendar styles.
constexpr DWORD MCS_DAYSTATE = 0x0001;
constexpr DWORD MCS_MULTISELECT = 0x0002;
constexpr DWORD MCS_WEEKNUMBERS = 0x0004;
constexpr DWORD MCS_NOTODAYCIRCLE = 0x0008;
constexpr DWORD MCS_NOTODAY = 0x0010;

constexpr UINT MCM_FIRST = 0x1000;
constexpr UINT MCM_GETCURSEL = MCM_FIRST + 1;       // lParam SYSTEMTIME*; FALSE with MCS_MULTISELECT
constexpr UINT MCM_SETCURSEL = MCM_FIRST + 2;       // lParam const SYSTEMTIME*; FALSE outside the range
constexpr UINT MCM_GETMAXSELCOUNT = MCM_FIRST + 3;
constexpr UINT MCM_SETMAXSELCOUNT = MCM_FIRST + 4;  // wParam days (at least 1)
constexpr UINT MCM_GETSELRANGE = MCM_FIRST + 5;     // lParam SYSTEMTIME[2]
constexpr UINT MCM_SETSELRANGE = MCM_FIRST + 6;     // lParam const SYSTEMTIME[2]
constexpr UINT MCM_GETMONTHRANGE = MCM_FIRST + 7;   // wParam GMR_*, lParam SYSTEMTIME[2]; returns the months
constexpr UINT MCM_SETDAYSTATE = MCM_FIRST + 8;     // wParam count, lParam MONTHDAYSTATE[]
constexpr UINT MCM_GETMINREQRECT = MCM_FIRST + 9;   // lParam RECT*: the size one month needs
constexpr UINT MCM_SETCOLOR = MCM_FIRST + 10;       // wParam MCSC_*, lParam COLORREF; returns the old
constexpr UINT MCM_GETCOLOR = MCM_FIRST + 11;
constexpr UINT MCM_SETTODAY = MCM_FIRST + 12;       // lParam const SYSTEMTIME*, null for the clock's
constexpr UINT MCM_GETTODAY = MCM_FIRST + 13;
constexpr UINT MCM_HITTEST = MCM_FIRST + 14;        // lParam MCHITTESTINFO*
constexpr UINT MCM_SETFIRSTDAYOFWEEK = MCM_FIRST + 15;  // lParam 0 Monday .. 6 Sunday; returns the old
constexpr UINT MCM_GETFIRSTDAYOFWEEK = MCM_FIRST + 16;
constexpr UINT MCM_GETRANGE = MCM_FIRST + 17;       // lParam SYSTEMTIME[2]; returns GDTR_* set
constexpr UINT MCM_SETRANGE = MCM_FIRST + 18;       // wParam GDTR_*, lParam const SYSTEMTIME[2]
constexpr UINT MCM_GETMONTHDELTA = MCM_FIRST + 19;
constexpr UINT MCM_SETMONTHDELTA = MCM_FIRST + 20;

constexpr WPARAM MCSC_BACKGROUND = 0;   // around the months
constexpr WPARAM MCSC_TEXT = 1;         // the days
constexpr WPARAM MCSC_TITLEBK = 2;
constexpr WPARAM MCSC_TITLETEXT = 3;
constexpr WPARAM MCSC_MONTHBK = 4;      // behind the days
constexpr WPARAM MCSC_TRAILINGTEXT = 5; // the neighbouring months' days

constexpr DWORD GMR_VISIBLE = 0;  // the whole months shown
constexpr DWORD GMR_DAYSTATE = 1; // with the neighbouring months' days that show

constexpr UINT MCHT_TITLE = 0x00010000;
constexpr UINT MCHT_CALENDAR = 0x00020000;
constexpr UINT MCHT_TODAYLINK = 0x00030000;
constexpr UINT MCHT_NEXT = 0x01000000;
constexpr UINT MCHT_PREV = 0x02000000;
constexpr UINT MCHT_NOWHERE = 0x00000000;
constexpr UINT MCHT_TITLEBTNNEXT = MCHT_TITLE | MCHT_NEXT | 0x0003;
constexpr UINT MCHT_TITLEBTNPREV = MCHT_TITLE | MCHT_PREV | 0x0003;
constexpr UINT MCHT_CALENDARDATE = MCHT_CALENDAR | 0x0001;
constexpr UINT MCHT_CALENDARDATENEXT = MCHT_CALENDARDATE | MCHT_NEXT;
constexpr UINT MCHT_CALENDARDATEPREV = MCHT_CALENDARDATE | MCHT_PREV;
constexpr UINT MCHT_CALENDARDAY = MCHT_CALENDAR | 0x0002;

struct MCHITTESTINFO {
  UINT cbSize;
  POINT pt;
  UINT uHit;
  SYSTEMTIME st;
};

using MONTHDAYSTATE = DWORD;  // bit n-1 set: day n is drawn bold
using LPMONTHDAYSTATE = MONTHDAYSTATE*;

constexpr UINT MCN_FIRST = 0u - 746u;
constexpr UINT MCN_SELECT = MCN_FIRST;
constexpr UINT MCN_GETDAYSTATE = MCN_FIRST - 1;
constexpr UINT MCN_SELCHANGE = MCN_FIRST - 3;

struct NMSELCHANGE {
  NMHDR nmhdr;
  SYSTEMTIME stSelStart;
  SYSTEMTIME stSelEnd;
};
using NMSELECT = NMSELCHANGE;
using LPNMSELCHANGE = NMSELCHANGE*;

// MCN_GETDAYSTATE (with MCS_DAYSTATE): the parent fills prgDayState for cDayState months from
// stStart.
struct NMDAYSTATE {
  NMHDR nmhdr;
  SYSTEMTIME stStart;
  int cDayState;
  LPMONTHDAYSTATE prgDayState;
};
using LPNMDAYSTATE = NMDAYSTATE*;

// Date-time picker styles.
constexpr DWORD DTS_UPDOWN = 0x0001;
constexpr DWORD DTS_SHOWNONE = 0x0002;
constexpr DWORD DTS_SHORTDATEFORMAT = 0x0000;  // "dd/MM/yyyy"
constexpr DWORD DTS_LONGDATEFORMAT = 0x0004;   // "dddd, d MMMM yyyy"
constexpr DWORD DTS_TIMEFORMAT = 0x0009;       // "HH:mm:ss", with DTS_UPDOWN
constexpr DWORD DTS_APPCANPARSE = 0x0010;
constexpr DWORD DTS_RIGHTALIGN = 0x0020;

constexpr UINT DTM_FIRST = 0x1000;
constexpr UINT DTM_GETSYSTEMTIME = DTM_FIRST + 1;  // lParam SYSTEMTIME*; returns GDT_VALID or GDT_NONE
constexpr UINT DTM_SETSYSTEMTIME = DTM_FIRST + 2;  // wParam GDT_VALID/GDT_NONE, lParam const SYSTEMTIME*
constexpr UINT DTM_GETRANGE = DTM_FIRST + 3;       // lParam SYSTEMTIME[2]; returns GDTR_* set
constexpr UINT DTM_SETRANGE = DTM_FIRST + 4;       // wParam GDTR_*, lParam const SYSTEMTIME[2]
constexpr UINT DTM_SETFORMATA = DTM_FIRST + 5;     // lParam LPCSTR, null for the style's format
constexpr UINT DTM_SETMCCOLOR = DTM_FIRST + 6;     // the dropped calendar's colours, as MCM_SETCOLOR
constexpr UINT DTM_GETMCCOLOR = DTM_FIRST + 7;
constexpr UINT DTM_GETMONTHCAL = DTM_FIRST + 8;    // the dropped calendar, null while closed
constexpr UINT DTM_SETMCFONT = DTM_FIRST + 9;
constexpr UINT DTM_GETMCFONT = DTM_FIRST + 10;
constexpr UINT DTM_SETFORMAT = DTM_SETFORMATA;

constexpr LRESULT GDT_ERROR = -1;
constexpr LRESULT GDT_VALID = 0;
constexpr LRESULT GDT_NONE = 1;
constexpr WPARAM GDTR_MIN = 0x0001;
constexpr WPARAM GDTR_MAX = 0x0002;

constexpr UINT DTN_FIRST2 = 0u - 753u;
constexpr UINT DTN_CLOSEUP = DTN_FIRST2;
constexpr UINT DTN_DROPDOWN = DTN_FIRST2 - 1;
constexpr UINT DTN_DATETIMECHANGE = DTN_FIRST2 - 6;

struct NMDATETIMECHANGE {
  NMHDR nmhdr;
  DWORD dwFlags;  // GDT_VALID or GDT_NONE
  SYSTEMTIME st;
};
using LPNMDATETIMECHANGE = NMDATETIMECHANGE*;

