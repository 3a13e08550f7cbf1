#pragma once
// The date-time picker and month calendar objects of the class library: thin, one message per call,
// with each date both as the controls' SYSTEMTIME and as the class library's CTime (local time).
// A CTime that is not a valid time is refused (FALSE) rather than sent as a zeroed date.
#include <controls/Controls.h>
#include <framework/Time.h>
#include <framework/ControlWnd.h>
#include <framework/Wnd.h>

class CMonthCalCtrl : public CControlWnd {
  DECLARE_DYNAMIC(CMonthCalCtrl)

public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(MONTHCAL_CLASSA, nullptr, style, rect, parent, id);
  }
  // At `point`, as large as one month needs.
  BOOL Create(DWORD style, const POINT& point, CWnd* parent, UINT id);
  BOOL GetMinReqRect(RECT* rect) const { return Int(MCM_GETMINREQRECT, 0, Ptr(rect)); }
  // Sizes the window to one month.
  BOOL SizeMinReq(BOOL repaint = TRUE);

  COLORREF GetColor(int which) const { return static_cast<COLORREF>(Send(MCM_GETCOLOR, static_cast<WPARAM>(which))); }
  COLORREF SetColor(int which, COLORREF colour) {
    return static_cast<COLORREF>(Send(MCM_SETCOLOR, static_cast<WPARAM>(which), static_cast<LPARAM>(colour)));
  }
  // 0 Monday .. 6 Sunday; SetFirstDayOfWeek answers whether it changed and gives the old day.
  int GetFirstDayOfWeek() const { return LOWORD(Send(MCM_GETFIRSTDAYOFWEEK)); }
  BOOL SetFirstDayOfWeek(int day, int* old = nullptr);
  int GetMonthDelta() const { return Int(MCM_GETMONTHDELTA); }
  int SetMonthDelta(int delta) { return Int(MCM_SETMONTHDELTA, static_cast<WPARAM>(delta)); }
  int GetMaxSelCount() const { return Int(MCM_GETMAXSELCOUNT); }
  BOOL SetMaxSelCount(int days) { return Int(MCM_SETMAXSELCOUNT, static_cast<WPARAM>(days)); }
  BOOL SetDayState(int months, LPMONTHDAYSTATE states) { return Int(MCM_SETDAYSTATE, static_cast<WPARAM>(months), Ptr(states)); }
  DWORD HitTest(MCHITTESTINFO* info) { return static_cast<DWORD>(Send(MCM_HITTEST, 0, Ptr(info))); }

  // The selected day (FALSE for a list that selects ranges).
  BOOL GetCurSel(SYSTEMTIME* time) const { return Int(MCM_GETCURSEL, 0, Ptr(time)); }
  BOOL GetCurSel(CTime& time) const;
  // FALSE outside the range the control keeps to.
  BOOL SetCurSel(const SYSTEMTIME* time) { return Int(MCM_SETCURSEL, 0, Ptr(time)); }
  BOOL SetCurSel(const CTime& time);
  BOOL GetSelRange(SYSTEMTIME* range) const { return Int(MCM_GETSELRANGE, 0, Ptr(range)); }
  BOOL GetSelRange(CTime& first, CTime& last) const;
  BOOL SetSelRange(const SYSTEMTIME* range) { return Int(MCM_SETSELRANGE, 0, Ptr(range)); }
  BOOL SetSelRange(const CTime& first, const CTime& last);
  BOOL GetToday(SYSTEMTIME* time) const { return Int(MCM_GETTODAY, 0, Ptr(time)); }
  BOOL GetToday(CTime& time) const;
  // Null: the clock's day again.
  void SetToday(const SYSTEMTIME* time) { Send(MCM_SETTODAY, 0, Ptr(time)); }
  BOOL SetToday(const CTime* time);
  // GDTR_MIN | GDTR_MAX as set; `range` two days, the first the earliest.
  DWORD GetRange(SYSTEMTIME* range) const { return static_cast<DWORD>(Send(MCM_GETRANGE, 0, Ptr(range))); }
  DWORD GetRange(CTime* earliest, CTime* latest) const;
  BOOL SetRange(DWORD which, const SYSTEMTIME* range) { return Int(MCM_SETRANGE, which, Ptr(range)); }
  // A null end is open.
  BOOL SetRange(const CTime* earliest, const CTime* latest);
  // The months shown (GMR_VISIBLE) or with their neighbours' days (GMR_DAYSTATE); their number.
  int GetMonthRange(SYSTEMTIME* range, DWORD flags) const { return Int(MCM_GETMONTHRANGE, flags, Ptr(range)); }
  int GetMonthRange(CTime& first, CTime& last, DWORD flags) const;
};

class CDateTimeCtrl : public CControlWnd {
  DECLARE_DYNAMIC(CDateTimeCtrl)

public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(DATETIMEPICK_CLASSA, nullptr, style, rect, parent, id);
  }
  // Fields such as "dd/MM/yyyy" or "HH:mm"; null goes back to the style's format.
  BOOL SetFormat(LPCSTR format) { return static_cast<BOOL>(Send(DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>(format))); }

  // GDT_VALID with the date, GDT_NONE when the control holds none (DTS_SHOWNONE unchecked).
  DWORD GetTime(SYSTEMTIME* time) const { return static_cast<DWORD>(Send(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(time))); }
  DWORD GetTime(CTime& time) const;
  BOOL SetTime(const SYSTEMTIME* time) {
    return static_cast<BOOL>(Send(DTM_SETSYSTEMTIME, time ? GDT_VALID : GDT_NONE, reinterpret_cast<LPARAM>(time)));
  }
  // Null: no date (only with DTS_SHOWNONE).
  BOOL SetTime(const CTime* time);
  BOOL SetTime(const CTime& time) { return SetTime(&time); }
  DWORD GetRange(SYSTEMTIME* range) const { return static_cast<DWORD>(Send(DTM_GETRANGE, 0, reinterpret_cast<LPARAM>(range))); }
  DWORD GetRange(CTime* earliest, CTime* latest) const;
  BOOL SetRange(DWORD which, const SYSTEMTIME* range) {
    return static_cast<BOOL>(Send(DTM_SETRANGE, which, reinterpret_cast<LPARAM>(range)));
  }
  // A null end is open.
  BOOL SetRange(const CTime* earliest, const CTime* latest);

  // The drop-down calendar, only while it is shown.
  CWnd* GetMonthCalCtrl() const { return FromHandle(reinterpret_cast<HWND>(Send(DTM_GETMONTHCAL))); }
  COLORREF GetMonthCalColor(int which) const { return static_cast<COLORREF>(Send(DTM_GETMCCOLOR, static_cast<WPARAM>(which))); }
  COLORREF SetMonthCalColor(int which, COLORREF colour) {
    return static_cast<COLORREF>(Send(DTM_SETMCCOLOR, static_cast<WPARAM>(which), static_cast<LPARAM>(colour)));
  }
  HFONT GetMonthCalFont() const { return reinterpret_cast<HFONT>(Send(DTM_GETMCFONT)); }
  void SetMonthCalFont(HFONT font, BOOL redraw = TRUE) { Send(DTM_SETMCFONT, reinterpret_cast<WPARAM>(font), redraw); }
};
