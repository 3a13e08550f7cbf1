// The date-time picker's and month calendar's CTime forms: each turns the CTime into the controls'
// SYSTEMTIME (local fields) or back, and sends the one message of the SYSTEMTIME form. A CTime that
// is not a valid time is refused rather than sent as a zeroed date.
#include <framework/DateTimeCtrl.h>

IMPLEMENT_DYNAMIC(CMonthCalCtrl, CWnd)
IMPLEMENT_DYNAMIC(CDateTimeCtrl, CWnd)

namespace {

bool ToSystem(const CTime& time, SYSTEMTIME& out) { return time.GetAsSystemTime(out) != FALSE; }

// A pair of optional ends as the controls take them: the GDTR_* bits of the ends given. FALSE in
// `valid` when a given end is not a valid time.
DWORD RangeOf(const CTime* earliest, const CTime* latest, SYSTEMTIME (&pair)[2], bool& valid) {
  DWORD which = 0;
  valid = true;
  pair[0] = pair[1] = SYSTEMTIME{};
  if (earliest) {
    which |= GDTR_MIN;
    valid = ToSystem(*earliest, pair[0]) && valid;
  }
  if (latest) {
    which |= GDTR_MAX;
    valid = ToSystem(*latest, pair[1]) && valid;
  }
  return which;
}

DWORD RangeBack(DWORD which, const SYSTEMTIME (&pair)[2], CTime* earliest, CTime* latest) {
  if (earliest && (which & GDTR_MIN)) *earliest = CTime(pair[0]);
  if (latest && (which & GDTR_MAX)) *latest = CTime(pair[1]);
  return which;
}

}  // namespace

// ---- CMonthCalCtrl -------------------------------------------------------------------------------

BOOL CMonthCalCtrl::Create(DWORD style, const POINT& point, CWnd* parent, UINT id) {
  const RECT rect{point.x, point.y, point.x + 1, point.y + 1};
  return Create(style, rect, parent, id) && SizeMinReq(FALSE);
}

BOOL CMonthCalCtrl::SizeMinReq(BOOL repaint) {
  RECT needed{};
  if (!GetMinReqRect(&needed)) return FALSE;
  // The request is for the client area: a border (WS_BORDER, a client edge) comes on top.
  ::AdjustWindowRectEx(&needed, GetStyle(), FALSE, GetExStyle());
  const UINT flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW);
  return ::SetWindowPos(m_hWnd, nullptr, 0, 0, needed.right - needed.left, needed.bottom - needed.top, flags);
}

BOOL CMonthCalCtrl::SetFirstDayOfWeek(int day, int* old) {
  const int previous = LOWORD(Send(MCM_SETFIRSTDAYOFWEEK, 0, day));
  if (old) *old = previous;
  return previous != GetFirstDayOfWeek();
}

BOOL CMonthCalCtrl::GetCurSel(CTime& time) const {
  SYSTEMTIME selected{};
  if (!GetCurSel(&selected)) return FALSE;
  time = CTime(selected);
  return TRUE;
}

BOOL CMonthCalCtrl::SetCurSel(const CTime& time) {
  SYSTEMTIME day{};
  return ToSystem(time, day) && SetCurSel(&day);
}

BOOL CMonthCalCtrl::GetSelRange(CTime& first, CTime& last) const {
  SYSTEMTIME pair[2]{};
  if (!GetSelRange(pair)) return FALSE;
  first = CTime(pair[0]);
  last = CTime(pair[1]);
  return TRUE;
}

BOOL CMonthCalCtrl::SetSelRange(const CTime& first, const CTime& last) {
  SYSTEMTIME pair[2]{};
  return ToSystem(first, pair[0]) && ToSystem(last, pair[1]) && SetSelRange(pair);
}

BOOL CMonthCalCtrl::GetToday(CTime& time) const {
  SYSTEMTIME today{};
  if (!GetToday(&today)) return FALSE;
  time = CTime(today);
  return TRUE;
}

BOOL CMonthCalCtrl::SetToday(const CTime* time) {
  if (!time) {
    SetToday(static_cast<const SYSTEMTIME*>(nullptr));
    return TRUE;
  }
  SYSTEMTIME today{};
  if (!ToSystem(*time, today)) return FALSE;
  SetToday(&today);
  return TRUE;
}

DWORD CMonthCalCtrl::GetRange(CTime* earliest, CTime* latest) const {
  SYSTEMTIME pair[2]{};
  return RangeBack(GetRange(pair), pair, earliest, latest);
}

BOOL CMonthCalCtrl::SetRange(const CTime* earliest, const CTime* latest) {
  SYSTEMTIME pair[2];
  bool valid = false;
  const DWORD which = RangeOf(earliest, latest, pair, valid);
  return valid && SetRange(which, pair);
}

int CMonthCalCtrl::GetMonthRange(CTime& first, CTime& last, DWORD flags) const {
  SYSTEMTIME pair[2]{};
  const int months = GetMonthRange(pair, flags);
  first = CTime(pair[0]);
  last = CTime(pair[1]);
  return months;
}

// ---- CDateTimeCtrl -------------------------------------------------------------------------------

DWORD CDateTimeCtrl::GetTime(CTime& time) const {
  SYSTEMTIME value{};
  const DWORD kind = GetTime(&value);
  if (kind == static_cast<DWORD>(GDT_VALID)) time = CTime(value);
  return kind;
}

BOOL CDateTimeCtrl::SetTime(const CTime* time) {
  if (!time) return SetTime(static_cast<const SYSTEMTIME*>(nullptr));
  SYSTEMTIME value{};
  return ToSystem(*time, value) && SetTime(&value);
}

DWORD CDateTimeCtrl::GetRange(CTime* earliest, CTime* latest) const {
  SYSTEMTIME pair[2]{};
  return RangeBack(GetRange(pair), pair, earliest, latest);
}

BOOL CDateTimeCtrl::SetRange(const CTime* earliest, const CTime* latest) {
  SYSTEMTIME pair[2];
  bool valid = false;
  const DWORD which = RangeOf(earliest, latest, pair, valid);
  return valid && SetRange(which, pair);
}
